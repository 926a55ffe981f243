#pragma once

#include <QString>

#include <functional>

class BusyCursor;
class DesktopShell;
class Dialogs;
class QAction;
class QObject;
class StatusPanels;

// What the main window lends every command class: the seams of dialogs and desktop services, the status bar and the
// busy pointer, and the way commands are run. Each command class binds its own actions and controls through it.
struct CommandContext
{
    Dialogs& dialogs;
    DesktopShell& shell;
    StatusPanels& status;
    BusyCursor& busy;

    // Runs a command; an error that escapes it goes to the general error report.
    void run(const std::function<void()>& command) const;
    // Enables action and makes it run command through run() for as long as owner lives.
    void bind(QAction* action, const QObject* owner, std::function<void()> command) const;

    // The warning box of the commands: text, the warning kind, one "OK" button, the caption "Warning".
    void warn(const QString& text) const;
};
