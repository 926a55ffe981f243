#pragma once

#include <QString>

#include <functional>

class BusyCursor;
class DesktopShell;
class Dialogs;
class FileListModel;
class FileListSelection;
class FileRecords;
class QAction;
class QObject;
class QTableView;
class StatusPanels;
struct AppValues;

// What the main window lends the command classes of the subsystems: the seams of dialogs and desktop services, the
// status bar, the busy pointer, the file list with its model, view and selection, and the values worked out at start.
// Each command class binds its own actions and controls through it.
struct CommandContext
{
    Dialogs& dialogs;
    DesktopShell& shell;
    StatusPanels& status;
    BusyCursor& busy;
    FileRecords& records;
    FileListModel& model;
    QTableView& view;
    FileListSelection& selection; // the view's selection
    const AppValues& values;

    // Runs a command; an error that escapes it goes to the general error report.
    void run(const std::function<void()>& command) const;
    // Enables action and makes it run command through run() for as long as owner lives.
    void bind(QAction* action, const QObject* owner, std::function<void()> command) const;

    // The warning box of the commands: text, the warning kind, one "OK" button, the caption "Warning".
    void warn(const QString& text) const;

    // Shows the item count ("how many items are there") in the second status panel.
    void KacItemVarGuncelle() const;
};
