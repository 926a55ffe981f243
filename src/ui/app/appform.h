#pragma once

#include "core/app/handoff.h"
#include "core/filelist/filerecords.h"
#include "core/metadata/copywithoutmetadata.h"
#include "core/metadata/deployment.h"
#include "core/filelist/filesort.h"
#include "ui/filelist/filepictures.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <bitset>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

class BalloonHint;
class ExifToolSession;
struct MetadataReport;
class QTimer;
class FileListModel;
class TFileSearcher;
class Dialogs;
class DesktopShell;
class SettingsStore;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTableView;
class QWidget;

// What the main window needs to know about the running program, so tests can start it from a folder of their own.
struct AppStartup
{
    QString programPath;   // the executable whose version data names the company and the product
    QString programFolder; // the folder of the executable, without trailing separator
    QString configHome;    // the per-user configuration folder ($XDG_CONFIG_HOME)
    QLocale locale;        // the user's locale settings
    QString serviceHost;   // host of the maker's web service; empty: never contact any host
};

// The main window: the folder, filter and switch rows, the file list, the metadata pane and the status bar.
class TAppForm final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAppForm)

public:
    TAppForm(AppStartup startup, Dialogs& dialogs, DesktopShell& shell, QWidget* parent = nullptr);
    ~TAppForm() override;

    const QString& companyName() const { return m_companyName; }
    const QString& productName() const { return m_productName; }
    const QString& applicationName() const { return m_applicationName; }
    const QString& versionText() const { return m_versionText; }
    const QLocale& localeSettings() const { return m_locale; }
    QChar listSeparator() const { return m_listSeparator; }
    const QString& DataFolder() const { return m_dataFolder; }
    const QString& SelectedFolder() const { return m_selectedFolder; }
    QString statusText(int panel) const;
    FileRecords& fileRecords() { return m_fileRecords; }
    const SortState& sortState() const { return m_sort; }
    // Whether a scan's walk is still running (from "Scan Files" until its end step).
    bool isScanning() const;
    // The folder ExifTool runs from; empty until its deployment has made it.
    const QString& exifToolFolder() const { return ExifToolFolder; }
    // Whether the ExifTool deployment has ended (successfully or not).
    bool isExifToolDeployed() const { return m_deployed; }

    // The general error report: shows the innermost message of an error that escaped a command, and goes on.
    void ShowErrorReport(const std::exception_ptr& error);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createFileList();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, void (TAppForm::*handler)() = nullptr);
    // Runs a command handler; an error that escapes it goes to the general error report.
    void runCommand(const std::function<void()>& handler);

    void FormCreate();
    void chooseDataFolder();
    void loadSettings();
    void FormShow();
    void FormResize();
    void FormDestroy();

    // Handlers of the window's controls and menu items.
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
    // Stores a folder chosen in the folder dialog as "LastFolderInput" and shows it.
    void AddMyFolder(QString folder);

    // The file list: scanning and sorting.
    void BitBtn1Click();
    void Button1Click();
    void startScan();
    // The end step of a scan ("job done"): gives the controls back and reports the elapsed time.
    void IslemBitti(bool stopRequested, const QString& finishedText);
    // Reports the error that ended a scan's walk.
    void MyThreadTerminate(const QString& errorText);
    void restoreScanControls();
    void ListView1ColumnClick(int column);
    // Shows the item count ("how many items") in the second status panel.
    void KacItemVarGuncelle();

    // Metadata through ExifTool.
    void createMetadataCommands();
    // Deploys ExifTool on a worker thread, once, shortly after the window was made.
    void TimerZIPTimer();
    void exifToolDeploymentEnded(const ExifToolDeployment& deployment, const std::exception_ptr& error);
    // The busy pointer shows while any of these runs.
    enum class BusyJob
    {
        Deployment,
        Report,
        SaveAs,
        Count
    };
    void setBusy(BusyJob job, bool busy);
    int firstSelectedRow() const;
    void ListView1SelectItem();
    void requestReport(const QString& path);
    void showReport(int request, const MetadataReport& report);
    void SaveMetadataasTXT1Click();
    void SaveMetadataasCSV1Click();
    void saveMetadata(bool asCsv);
    // The text of the metadata pane exactly as it stands, lines separated by "\n".
    QString PaneText() const;
    void SaveAs1Click();
    void stopMetadataWork();

    void writeSetting(const QString& key, const QString& value);
    void writeSwitch(const QString& key, bool on);
    void setStatusText(int panel, const QString& text);

    AppStartup m_startup;
    Dialogs& m_dialogs;
    DesktopShell& m_shell;

    QString m_companyName;
    QString m_productName;
    QString m_applicationName;
    QString m_versionText;
    QLocale m_locale;
    QChar m_listSeparator = u',';
    QString m_dataFolder;
    QString m_selectedFolder;
    std::unique_ptr<SettingsStore> m_store;
    bool m_settingsClosed = false; // set once "Reset to Defaults..." deleted the file: nothing is written any more
    bool m_shown = false;
    bool m_closing = false; // the window is closing: workers are stopped and nothing new starts

    FileRecords m_fileRecords; // the listed files; row i of ListView1 shows record i
    FilePictures m_filePictures;
    FileListModel* m_model = nullptr;
    SortState m_sort;
    QPointer<TFileSearcher> m_searcher;
    QElapsedTimer ScanStopwatch;

    QTimer* TimerZIP = nullptr;
    QString ExifToolFolder;
    bool m_deployed = false;
    struct DeploymentOutcome
    {
        ExifToolDeployment deployment;
        std::exception_ptr error;
    };
    // Declared before the thread that fills them, so they outlive it.
    HandOff<DeploymentOutcome> m_deploymentOutcome;
    HandOff<QString> m_chosenExifToolFolder;
    std::jthread m_deploymentThread;
    std::unique_ptr<ExifToolSession> m_exifTool;
    QString m_waitingReport; // a file selected before ExifTool was ready
    int m_shownRequest = 0;  // the report request whose answer the pane is waiting for
    std::bitset<std::size_t(BusyJob::Count)> m_busyJobs;
    QString m_exifToolProgram; // the ExifTool the deployment found working; empty when none
    QString m_saveDialogName;  // the name the save dialog proposes next
    struct SaveAsOutcome
    {
        CopyWithoutMetadataResult result;
        QString target;
    };
    HandOff<SaveAsOutcome> m_saveAsOutcome;
    std::jthread m_saveAs; // the running "Save As...", if any

    QLabel* Label4 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* LabelDirectory = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EditFile = nullptr;
    QCheckBox* CheckBoxFile = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QPushButton* Button1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTableView* ListView1 = nullptr;
    QWidget* Panel1 = nullptr;
    QPlainTextEdit* RichEdit1 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    BalloonHint* BalloonHint1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
};
