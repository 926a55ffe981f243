#pragma once

#include "ui/app/appactions.h"
#include "ui/app/commandcontext.h"

#include <QObject>

class QWidget;
class SettingsFile;
struct AppValues;

// The commands on the program itself: "Exit", "Reset to Defaults..." (deletes settings.ini and starts the program
// again) and "Online Help".
class AppCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppCommands)

public:
    // The window that Exit closes, the values that name the help page and the program, and the settings store.
    struct Controls
    {
        QWidget* mainWindow;
        const AppValues& values;
        SettingsFile& settings;
    };

    AppCommands(const CommandContext& context, const AppActions& actions, const Controls& controls,
                QObject* parent = nullptr);

    void Exit1Click();
    void ResettoDefaults1Click();
    void Help2Click();

private:
    const CommandContext& m_ctx;
    const Controls m_controls;
};
