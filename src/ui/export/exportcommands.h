#pragma once

#include "ui/app/commandcontext.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class TFormExport;
struct MainMenus;

// "Save File List...": a new export dialog for every opening, beside a main window that stays usable.
class ExportCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExportCommands)

public:
    ExportCommands(const CommandContext& context, const MainMenus& menus, QWidget* mainWindow,
                   QObject* parent = nullptr);
    // The dialogs still open go first, stopping their exports, while the list and the seams they use are there.
    ~ExportCommands() override;

    void ExporttoFile1Click();

    // The dialog opened last, while it is open.
    TFormExport* lastDialog() const;

private:
    const CommandContext& m_ctx;
    QWidget* m_mainWindow;
    QList<QPointer<TFormExport>> m_dialogs;
};
