// The main window's metadata commands: deploying ExifTool, the metadata pane, saving the report and saving a copy
// without metadata. ExifTool never runs on the user-interface thread, so the window stays usable while it works.

#include "ui/app/appform.h"

#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/base/errors.h"
#include "core/filelist/filerecords.h"
#include "core/metadata/copywithoutmetadata.h"
#include "core/metadata/deployment.h"
#include "core/metadata/exiftoolsession.h"
#include "core/metadata/metadataexport.h"
#include "core/metadata/metadatareport.h"
#include "core/platform/privatetemp.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QSplitter>
#include <QTableView>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kSplitterWidth = 5;

} // namespace

void TAppForm::createMetadataCommands()
{
    TimerZIP = new QTimer(this);
    TimerZIP->setObjectName(u"TimerZIP"_s);
    TimerZIP->setInterval(100);
    connect(TimerZIP, &QTimer::timeout, this, [this] { runCommand([this] { TimerZIPTimer(); }); });
    TimerZIP->start();

    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { runCommand([this] { ListView1SelectItem(); }); });

    const auto bind = [this](const char* name, void (TAppForm::*handler)()) {
        QAction* action = findChild<QAction*>(QString::fromLatin1(name));
        action->setEnabled(true);
        connect(action, &QAction::triggered, this,
                [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    };
    bind("SaveMetadataasTXT1", &TAppForm::SaveMetadataasTXT1Click);
    bind("SaveMetadataasCSV1", &TAppForm::SaveMetadataasCSV1Click);
    bind("SaveAs1", &TAppForm::SaveAs1Click);
}

void TAppForm::TimerZIPTimer()
{
    TimerZIP->stop();
    setStatusText(0, StatusInitializing.toString());

    DeploymentFolders folders;
    folders.programFolder = m_startup.programFolder;
    folders.dataFolder = m_dataFolder;
    DeploymentCallbacks callbacks;
    // Both run on the deploying thread; the window learns of them through its event loop.
    callbacks.busyChanged = [this](bool busy) {
        QMetaObject::invokeMethod(
            this, [this, busy] { setBusy(BusyJob::Deployment, busy); }, Qt::QueuedConnection);
    };
    callbacks.folderChosen = [this](const QString& folder) {
        m_chosenExifToolFolder.put(folder);
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (std::optional<QString> chosen = m_chosenExifToolFolder.take())
                    ExifToolFolder = *chosen;
            },
            Qt::QueuedConnection);
    };
    m_deploymentThread = std::jthread([this, folders, callbacks]() mutable {
        DeploymentOutcome outcome;
        try {
            folders.tempFolder = GetTempDirectory();
            outcome.deployment = DeployExifTool(folders, callbacks);
        } catch (...) {
            outcome.error = std::current_exception();
        }
        m_deploymentOutcome.put(std::move(outcome));
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (std::optional<DeploymentOutcome> ended = m_deploymentOutcome.take())
                    exifToolDeploymentEnded(ended->deployment, ended->error);
            },
            Qt::QueuedConnection);
    });
}

void TAppForm::exifToolDeploymentEnded(const ExifToolDeployment& deployment, const std::exception_ptr& error)
{
    m_deployed = true;
    setBusy(BusyJob::Deployment, false);
    if (!error)
        ExifToolFolder = deployment.exifToolFolder;
    // A window that is closing only needs to know what to delete.
    if (m_closing)
        return;
    if (error) {
        // The status keeps "Initializing..."; the error says what went wrong.
        ShowErrorReport(error);
    } else {
        setStatusText(0, deployment.statusText().toString());
        if (deployment.ready()) {
            m_exifToolProgram = deployment.program;
            m_exifTool = std::make_unique<ExifToolSession>(m_exifToolProgram, ExifToolFolder, GetTempDirectory());
            connect(m_exifTool.get(), &ExifToolSession::reportReady, this,
                    [this](int id, const MetadataReport& report) { runCommand([&] { showReport(id, report); }); });
            m_exifTool->start();
        }
    }
    if (!m_waitingReport.isEmpty())
        runCommand([this] { requestReport(std::exchange(m_waitingReport, QString())); });
}

void TAppForm::setBusy(BusyJob job, bool busy)
{
    const auto bit = static_cast<std::size_t>(job);
    if (m_busyJobs.test(bit) == busy)
        return;
    const bool wasBusy = m_busyJobs.any();
    m_busyJobs.set(bit, busy);
    if (!wasBusy && m_busyJobs.any())
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else if (wasBusy && m_busyJobs.none())
        QApplication::restoreOverrideCursor();
}

int TAppForm::firstSelectedRow() const
{
    int first = -1;
    for (const QItemSelectionRange& range : ListView1->selectionModel()->selection()) {
        if (first < 0 || range.top() < first)
            first = range.top();
    }
    return first;
}

void TAppForm::ListView1SelectItem()
{
    const int row = firstSelectedRow();
    if (row < 0)
        return;
    if (Panel1->isHidden()) {
        const int paneWidth = centralWidget()->width() / 2;
        Panel1->show();
        Splitter1->setSizes({Splitter1->width() - paneWidth - kSplitterWidth, paneWidth});
    }
    const QString path = m_fileRecords.at(std::size_t(row)).FFullName();
    setBusy(BusyJob::Report, true);
    setStatusText(0, u"Processing..."_s);
    setStatusText(1, path);
    requestReport(path);
}

void TAppForm::requestReport(const QString& path)
{
    if (!m_deployed) {
        // ExifTool is still being unpacked: the newest selection is shown once it is ready.
        m_waitingReport = path;
        return;
    }
    if (!m_exifTool) {
        showReport(m_shownRequest, MetadataReport{});
        return;
    }
    m_shownRequest = m_exifTool->requestReport(path);
}

void TAppForm::showReport(int request, const MetadataReport& report)
{
    // A report of a file the user has already left is dropped.
    if (request != m_shownRequest)
        return;
    setBusy(BusyJob::Report, false);
    RichEdit1->setPlainText(report.produced ? report.paneText : QString());
    setStatusText(0, report.produced ? QString() : u"Failed"_s);
}

void TAppForm::SaveMetadataasTXT1Click()
{
    saveMetadata(false);
}

void TAppForm::SaveMetadataasCSV1Click()
{
    saveMetadata(true);
}

void TAppForm::saveMetadata(bool asCsv)
{
    if (firstSelectedRow() < 0) {
        CustomMessageDialog(m_dialogs, u"No file selected!"_s, DialogType::Warning, {DialogButton::OK}, u"Warning"_s,
                            {u"OK"_s});
        return;
    }
    const QString text = PaneText();
    if (text.isEmpty()) {
        CustomMessageDialog(m_dialogs, u"No metadata found!"_s, DialogType::Warning, {DialogButton::OK}, u"Warning"_s,
                            {u"OK"_s});
        return;
    }
    SaveFileRequest request;
    request.defaultExtension = asCsv ? u"csv"_s : u"txt"_s;
    request.filter =
        asCsv ? u"CSV File (*.csv)|*.csv|Any File (*.*)|*.*"_s : u"TXT File (*.txt)|*.txt|Any File (*.*)|*.*"_s;
    request.proposedName = m_saveDialogName;
    const std::optional<SaveFileChoice> chosen = m_dialogs.chooseSaveFile(request);
    if (!chosen)
        return;
    m_saveDialogName = chosen->path;
    WriteMetadataLines(chosen->path, asCsv ? MetadataCsvRows(text, m_listSeparator) : MetadataTxtLines(text));
}

QString TAppForm::PaneText() const
{
    // toPlainText() would turn a no-break space into a blank and a line separator into a line break.
    QString text = RichEdit1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void TAppForm::SaveAs1Click()
{
    const int row = firstSelectedRow();
    if (row < 0) {
        m_shell.beep();
        return;
    }
    if (m_saveAs.joinable()) {
        // One copy at a time; the running one reports when it is done.
        m_shell.beep();
        return;
    }
    const QString source = m_fileRecords.at(std::size_t(row)).FFullName();
    m_saveDialogName = source;
    SaveFileRequest request;
    request.filter = u"Any File (*.*)|*.*"_s;
    request.proposedName = source;
    const std::optional<SaveFileChoice> chosen = m_dialogs.chooseSaveFile(request);
    if (!chosen)
        return;
    m_saveDialogName = chosen->path;

    CopyWithoutMetadataRequest copy;
    copy.source = source;
    copy.target = chosen->path;
    copy.replaceConfirmed = chosen->replaceConfirmed;
    copy.exifToolProgram = m_exifToolProgram;
    copy.workingFolder = ExifToolFolder;
    copy.tempFolder = GetTempDirectory();

    setBusy(BusyJob::SaveAs, true);
    setStatusText(0, u"Processing..."_s);
    setStatusText(1, copy.target);
    m_saveAs = std::jthread([this, copy](std::stop_token stop) {
        m_saveAsOutcome.put({CopyWithoutMetadata(copy, stop), copy.target});
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_saveAs.joinable())
                    m_saveAs.join();
                const std::optional<SaveAsOutcome> outcome = m_saveAsOutcome.take();
                setBusy(BusyJob::SaveAs, false);
                if (m_closing || !outcome)
                    return;
                setStatusText(0, QString());
                const CopyWithoutMetadataResult& result = outcome->result;
                if (result.errorReported) {
                    CustomMessageDialog(m_dialogs, result.output, DialogType::Error, {DialogButton::OK}, u"ERROR"_s,
                                        {u"OK"_s});
                } else if (!result.moved) {
                    // Never let a copy that was not saved look like a success.
                    CustomMessageDialog(m_dialogs,
                                        u"The copy without metadata could not be saved as \"%1\".\r\r%2"_s.arg(
                                            outcome->target, result.moveError),
                                        DialogType::Error, {DialogButton::OK}, u"Error"_s, {u"OK"_s});
                }
            },
            Qt::QueuedConnection);
    });
}

void TAppForm::stopMetadataWork()
{
    TimerZIP->stop();
    if (m_saveAs.joinable()) {
        m_saveAs.request_stop();
        m_saveAs.join();
    }
    if (m_deploymentThread.joinable())
        m_deploymentThread.join();
    // Hands over what the workers queued for the window, such as the ExifTool folder to delete.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_exifTool.reset();
}
