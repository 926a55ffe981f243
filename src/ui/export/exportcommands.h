#pragma once

#include "ui/app/commandcontext.h"
#include "ui/export/exportactions.h"
#include "ui/filelist/filelistparts.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class TFormExport;
struct AppValues;

// "Save File List...": a new export dialog for every opening, beside a main window that stays usable.
class ExportCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExportCommands)

public:
    // The list to export, the values its lines are made with, and the window the dialogs belong to.
    struct Controls
    {
        FileListParts list;
        const AppValues& values;
        QWidget* mainWindow;
    };

    ExportCommands(const CommandContext& context, const ExportActions& actions, const Controls& controls,
                   QObject* parent = nullptr);
    // The dialogs still open go first, stopping their exports, while the list and the seams they use are there.
    ~ExportCommands() override;

    void ExporttoFile1Click();

    // The dialog opened last, while it is open.
    TFormExport* lastDialog() const;

private:
    const CommandContext& m_ctx;
    const Controls m_controls;
    QList<QPointer<TFormExport>> m_dialogs;
};
