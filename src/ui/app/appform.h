#pragma once

#include "core/app/appvalues.h"
#include "core/app/windowstate.h"
#include "core/filelist/filelistmodel.h"
#include "core/filelist/filerecords.h"
#include "ui/app/busycursor.h"
#include "ui/app/mainmenus.h"
#include "ui/app/settingsfile.h"
#include "ui/filelist/filepictures.h"

#include <QLocale>
#include <QMainWindow>
#include <QString>

#include <exception>
#include <memory>
#include <optional>

class BalloonHint;
class DesktopShell;
class Dialogs;
class FileListCommands;
class FileListSelection;
class FolderChoice;
class ExportCommands;
class FileOpsCommands;
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

// What the main window needs to know about the running program, so tests can start it from a folder of their own.
struct AppStartup
{
    QString programPath;          // the executable whose version data names the company and the product
    QString programFolder;        // the folder of the executable, without trailing separator
    QString configHome;           // the per-user configuration folder ($XDG_CONFIG_HOME)
    QString stateHome;            // where the window's layout is kept ($XDG_STATE_HOME); empty: nowhere
    QLocale locale;               // the user's locale settings
    QString serviceHost;          // host of the maker's web service; empty: never contact any host
    bool checkForUpdates = true;  // false: the update check never starts
    int checkTimeoutSeconds = 10; // of each attempt of the update check
};

// The main window: the rows of controls, the menus, the status bar, drops and the settings. The commands of each
// subsystem live in a class of their own, which the window makes and lends a CommandContext.
class TAppForm final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAppForm)

public:
    TAppForm(AppStartup startup, Dialogs& dialogs, DesktopShell& shell, QWidget* parent = nullptr);
    ~TAppForm() override;

    const AppValues& values() const { return m_values; }
    const QString& versionText() const { return m_values.versionText; }
    const QString& DataFolder() const { return m_values.dataFolder; }
    const FolderChoice& folder() const { return *m_folder; }
    QString statusText(int panel) const;
    FileRecords& fileRecords() { return m_fileRecords; }
    // The command classes; they exist until the window closes.
    FileListCommands& fileList() const { return *m_fileList; }
    MetadataCommands& metadata() const { return *m_metadata; }
    ExportCommands& exportCommands() const { return *m_export; }
    FileOpsCommands& fileOps() const { return *m_fileOps; }
    OnlineCommands& online() const { return *m_online; }

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
    void createControls();
    void createCommands();

    void FormCreate();
    void loadSettings();
    void FormShow();
    void FormResize();
    // The share of the client width a pane of this width takes.
    double paneShareOf(int paneWidth) const;
    void FormDestroy();
    // Places the window where it was last time, or centred, and wholly on a screen.
    void placeWindow();
    void saveLayout();

    void WMDropFiles(const QStringList& paths);
    void Help2Click();
    void Exit1Click();
    void ResettoDefaults1Click();
    void EditFileChange();
    void CheckBoxFileClick();
    void CheckBoxFileMouseEnter();
    void CheckBoxFileMouseLeave();
    void CheckBox1Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void writeSwitch(const QString& key, bool on);

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
    // Last, so that they go first, while everything they use is still there.
    std::unique_ptr<FileListCommands> m_fileList;
    std::unique_ptr<MetadataCommands> m_metadata;
    std::unique_ptr<ExportCommands> m_export;
    std::unique_ptr<FileOpsCommands> m_fileOps;
    std::unique_ptr<OnlineCommands> m_online;
};
