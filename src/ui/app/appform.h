#pragma once

#include "core/app/appvalues.h"
#include "core/app/windowstate.h"
#include "core/filelist/filelistmodel.h"
#include "core/filelist/filerecords.h"
#include "ui/app/busycursor.h"
#include "ui/app/mainmenus.h"
#include "ui/app/settingsfile.h"
#include "ui/filelist/filepictures.h"

#include <QList>
#include <QLocale>
#include <QMainWindow>
#include <QString>

#include <exception>
#include <memory>
#include <optional>

class AppCommands;
class BalloonHint;
class DesktopShell;
class Dialogs;
class ExportCommands;
class FileListCommands;
class FileListSelection;
class FileOpsCommands;
class FolderChoice;
class MetadataCommands;
class OnlineCommands;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTableView;
class StatusPanels;
struct CommandContext;

// The main window: the rows of controls, the menus, the status bar, drops, the settings and the layout. The commands
// of each subsystem live in a class of their own, a child of the window named after its class, which the window
// makes from the subsystem's actions, the controls it works on and a CommandContext.
class TAppForm final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAppForm)

public:
    TAppForm(AppStartup startup, Dialogs& dialogs, DesktopShell& shell, QWidget* parent = nullptr);
    ~TAppForm() override;

    QString statusText(int panel) const;

    // The general error report: shows the innermost message of an error that escaped a command, and goes on.
    void ShowErrorReport(const std::exception_ptr& error);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls(); // in appformcontrols.cpp
    // The settings file follows the filter and the four switches.
    void bindSettings();
    void createCommands();

    void FormCreate();
    void loadSettings();
    void FormShow();
    void FormResize();
    // The share of the client width a pane of this width takes.
    double paneShareOf(int paneWidth) const;
    // Ends the command classes in the one order their work needs: the scan stops first, then the metadata commands
    // end their work and delete ExifToolFolder, then the rest.
    void FormDestroy();
    // Places the window where it was last time, or centred, and wholly on a screen.
    void placeWindow();
    void saveLayout();

    void WMDropFiles(const QStringList& paths);
    void EditFileChange();
    // Binds a switch to its setting: "ON" or "OFF" under key.
    void bindSwitch(QCheckBox* box, const QString& key);

    AppStartup m_startup;
    Dialogs& m_dialogs;
    DesktopShell& m_shell;
    AppValues m_values;
    SettingsFile m_settings;
    bool m_filterTyped = false; // the filter's text changed because the user typed
    bool m_shown = false;
    bool m_closing = false;
    QString m_layoutFile; // where the window's layout is kept; empty when nowhere
    WindowState m_layout; // the layout read at start
    bool m_paneShown = false;
    // The pane's share of the client width once the user has set its width (dragged, or remembered from the last run).
    std::optional<double> m_paneShare;
    BusyCursor m_busy;

    FileRecords m_fileRecords; // the listed files; row i of ListView1 shows record i
    FilePictures m_filePictures;
    FileListModel m_model; // declared after the list it reads, so it goes first

    QLabel* LabelDirectory = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLineEdit* EditFile = nullptr;
    QCheckBox* CheckBoxFile = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QPushButton* Button1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTableView* ListView1 = nullptr;
    FileListSelection* m_selection = nullptr; // ListView1's selection, a child of the list
    QWidget* Panel1 = nullptr;
    QPlainTextEdit* RichEdit1 = nullptr;
    BalloonHint* BalloonHint1 = nullptr;
    MainMenus m_menus{};

    std::unique_ptr<StatusPanels> m_status;
    std::unique_ptr<FolderChoice> m_folder;
    std::unique_ptr<CommandContext> m_context;
    // The command classes, children of the window until FormDestroy ends them.
    QList<QObject*> m_commands;
};
