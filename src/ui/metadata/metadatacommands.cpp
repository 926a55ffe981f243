#include "ui/metadata/metadatacommands.h"

#include "core/app/appvalues.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/base/filenames.h"
#include "core/filelist/filelistmodel.h"
#include "core/filelist/filerecords.h"
#include "core/metadata/exiftoolsession.h"
#include "core/metadata/metadatacheck.h"
#include "core/metadata/metadataexport.h"
#include "core/metadata/metadatareport.h"
#include "core/metadata/reporttarget.h"
#include "core/platform/movefile.h"
#include "core/platform/privatetemp.h"
#include "ui/app/errorreport.h"
#include "ui/app/statuspanels.h"
#include "ui/filelist/fileselection.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

// The private temporary folder; empty when none could be made, which the deployment then reports.
QString privateTempFolder()
{
    try {
        return GetTempDirectory();
    } catch (...) {
        return {};
    }
}

} // namespace

MetadataCommands::MetadataCommands(const CommandContext& context, const MetadataActions& actions,
                                   const Controls& controls, QObject* parent)
    : QObject(parent), m_ctx(context), m_controls(controls), m_list(m_controls.list),
      m_exifTool(new ExifToolSession(privateTempFolder(), this)), m_deploymentBusy(context.busy),
      m_reportBusy(context.busy), m_saveAsBusy(context.busy),
      m_deploymentBusyChange(this, [this](bool busy) { m_deploymentBusy.set(busy); }),
      m_chosenExifToolFolder(this, [this](const QString& folder) { ExifToolFolder = folder; }),
      m_deploymentOutcome(this, [this](const DeploymentOutcome& outcome) { exifToolDeploymentEnded(outcome); }),
      m_saveAsOutcome(this, [this](const SaveAsOutcome& outcome) {
          m_saveAs.join();
          m_ctx.run([&] { saveAsEnded(outcome); });
      })
{
    setObjectName(u"MetadataCommands"_s);
    TimerZIP.setObjectName(u"TimerZIP"_s);
    TimerZIP.setInterval(100);
    connect(&TimerZIP, &QTimer::timeout, this, [this] { m_ctx.run([this] { TimerZIPTimer(); }); });
    TimerZIP.start();

    connect(m_exifTool, &ExifToolSession::reportReady, this,
            [this](int, const MetadataReport& report) { m_ctx.run([&] { showReport(report); }); });
    connect(&m_list.selection, &QItemSelectionModel::selectionChanged, this,
            [this] { m_ctx.run([this] { ListView1SelectItem(); }); });
    // A sort keeps the selected row positions, which now show other files: the pane, the status bar and the save
    // commands follow the file now selected.
    connect(&m_list.model, &QAbstractItemModel::layoutChanged, this,
            [this] { m_ctx.run([this] { ListView1SelectItem(); }); });
    // A new scan: the pane shows no file that is no longer listed.
    connect(&m_list.model, &QAbstractItemModel::modelReset, this, [this] { clearPane(); });

    m_ctx.bind(actions.SaveMetadataasTXT1, this, [this] { SaveMetadataasTXT1Click(); });
    m_ctx.bind(actions.SaveMetadataasCSV1, this, [this] { SaveMetadataasCSV1Click(); });
    m_ctx.bind(actions.SaveAs1, this, [this] { SaveAs1Click(); });

    // The pane's context menu.
    QPlainTextEdit* pane = m_controls.RichEdit1;
    m_ctx.bind(actions.Cut1, this, [pane] { pane->cut(); });
    m_ctx.bind(actions.Copy1, this, [pane] { pane->copy(); });
    m_ctx.bind(actions.Paste1, this, [pane] { pane->paste(); });
    m_ctx.bind(actions.Delete1, this, [pane] { pane->textCursor().removeSelectedText(); });
    m_ctx.bind(actions.SelectAll3, this, [pane] { pane->selectAll(); });
}

MetadataCommands::~MetadataCommands()
{
    m_saveAs.request_stop();
    m_deploymentThread.request_stop();
    if (m_saveAs.joinable())
        m_saveAs.join();
    if (m_deploymentThread.joinable())
        m_deploymentThread.join();
    // What the deployment made, also when the event loop has not brought the news yet.
    if (std::optional<QString> chosen = m_chosenExifToolFolder.take())
        ExifToolFolder = *chosen;
    if (std::optional<DeploymentOutcome> outcome = m_deploymentOutcome.take(); outcome && !outcome->error)
        ExifToolFolder = outcome->deployment.exifToolFolder;
    // ExifTool runs in the folder: it ends first.
    delete m_exifTool;
    if (!ExifToolFolder.isEmpty())
        m_ctx.run([this] { RemoveExifToolFolder(ExifToolFolder); });
}

void MetadataCommands::TimerZIPTimer()
{
    TimerZIP.stop();
    m_ctx.status.setText(0, StatusInitializing.toString());

    DeploymentFolders folders;
    folders.programFolder = m_controls.values.programFolder;
    folders.dataFolder = m_controls.values.dataFolder;
    DeploymentCallbacks callbacks;
    // Both run on the deploying thread; the window learns of them through its event loop.
    callbacks.busyChanged = [this](bool busy) { m_deploymentBusyChange.post(busy); };
    callbacks.folderChosen = [this](const QString& folder) { m_chosenExifToolFolder.post(folder); };
    m_deploymentThread = std::jthread([this, folders, callbacks](std::stop_token stop) mutable {
        DeploymentOutcome outcome;
        try {
            folders.tempFolder = GetTempDirectory();
            outcome.deployment = DeployExifTool(folders, callbacks, stop);
        } catch (...) {
            outcome.error = std::current_exception();
        }
        m_deploymentOutcome.post(std::move(outcome));
    });
}

void MetadataCommands::exifToolDeploymentEnded(const DeploymentOutcome& outcome)
{
    m_deployed = true;
    m_deploymentBusy.set(false);
    if (outcome.error) {
        // The status keeps "Initializing..."; the error says what went wrong, and every report fails.
        m_exifTool->start({}, {});
        ShowErrorReport(m_ctx.dialogs, outcome.error);
        return;
    }
    const ExifToolDeployment& deployment = outcome.deployment;
    ExifToolFolder = deployment.exifToolFolder;
    m_ctx.status.setText(0, deployment.statusText().toString());
    if (deployment.ready())
        m_exifToolProgram = deployment.program;
    m_exifTool->start(m_exifToolProgram, ExifToolFolder);
}

int MetadataCommands::firstSelectedRow() const
{
    const int first = m_list.selection.rows().first();
    return first < m_list.model.rowCount() ? first : -1;
}

void MetadataCommands::ListView1SelectItem()
{
    const int row = firstSelectedRow();
    if (row < 0)
        return;
    // The window gives the pane its width when it first shows.
    m_controls.Panel1->show();
    const QString path = m_list.records.at(std::size_t(row)).FFullName();
    m_reportBusy.set(true);
    m_ctx.status.setText(0, u"Processing..."_s);
    m_ctx.status.setText(1, ShownFileName(path));
    // The previous file's report must not stand beside the new selection while this one is made.
    m_controls.RichEdit1->clear();
    m_paneShowsComplaint = false;
    m_reportPath.clear();
    m_requestedPath = path;
    m_exifTool->requestReport(path);
}

void MetadataCommands::clearPane()
{
    m_exifTool->cancel();
    m_reportBusy.set(false);
    m_controls.RichEdit1->clear();
    m_paneShowsComplaint = false;
    m_reportPath.clear();
}

void MetadataCommands::showReport(const MetadataReport& report)
{
    m_reportBusy.set(false);
    // When ExifTool made no report, what it said about the file tells the user why.
    m_controls.RichEdit1->setPlainText(report.produced ? report.paneText : report.failure);
    m_paneShowsComplaint = !report.produced;
    m_reportPath = m_requestedPath;
    m_ctx.status.setText(0, report.produced ? QString() : u"Failed"_s);
}

void MetadataCommands::SaveMetadataasTXT1Click()
{
    saveMetadata(false);
}

void MetadataCommands::SaveMetadataasCSV1Click()
{
    saveMetadata(true);
}

void MetadataCommands::saveMetadata(bool asCsv)
{
    const int row = firstSelectedRow();
    if (row < 0) {
        m_ctx.warn(u"No file selected!"_s);
        return;
    }
    const QString text = PaneText();
    // ExifTool's complaint about a file it could not read is no metadata of the file.
    if (text.isEmpty() || m_paneShowsComplaint) {
        m_ctx.warn(u"No metadata found!"_s);
        return;
    }
    const QString reported = m_reportPath.isEmpty() ? m_list.records.at(std::size_t(row)).FFullName() : m_reportPath;
    const QString extension = asCsv ? u"csv"_s : u"txt"_s;
    SaveFileRequest request;
    request.title = asCsv ? u"Save Metadata as CSV"_s : u"Save Metadata as TXT"_s;
    request.defaultExtension = extension;
    request.filter =
        asCsv ? u"CSV File (*.csv)|*.csv|Any File (*.*)|*.*"_s : u"TXT File (*.txt)|*.txt|Any File (*.*)|*.*"_s;
    // Never the reported file itself: its name already has an extension, so the dialog would add none, and Enter
    // twice would replace the file with its report.
    request.proposedName = ShownFileName(ProposedReportName(
        reported, extension, [&](const QString& path) { return !reportTargetRefusal(path, reported).isEmpty(); }));
    const std::optional<SaveFileChoice> chosen = m_ctx.dialogs.chooseSaveFile(request);
    if (!chosen)
        return;
    if (const QString refusal = reportTargetRefusal(chosen->path, reported); !refusal.isEmpty()) {
        m_ctx.warn(refusal);
        return;
    }
    WriteMetadataLines(chosen->path,
                       asCsv ? MetadataCsvRows(text, m_controls.values.listSeparator) : MetadataTxtLines(text));
}

QString MetadataCommands::reportTargetRefusal(const QString& path, const QString& reported) const
{
    const QString another = u"\r\rChoose another name for the report."_s;
    if (path == reported || IsSameFile(path, reported))
        return u"The report cannot replace the file it describes."_s + another;
    if (!m_savedCopy.isEmpty() && (path == m_savedCopy || IsSameFile(path, m_savedCopy)))
        return u"The report cannot replace the copy without metadata just saved."_s + another;
    const FileRecords::Reader list = m_list.records.read();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].fullNameEquals(path))
            return u"The report cannot replace a file of the list."_s + another;
    }
    return {};
}

QString MetadataCommands::PaneText() const
{
    // toPlainText() would turn a no-break space into a blank and a line separator into a line break.
    QString text = m_controls.RichEdit1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void MetadataCommands::SaveAs1Click()
{
    const int row = firstSelectedRow();
    if (row < 0 || m_saveAs.joinable()) {
        // Nothing to copy, or a copy runs already (one at a time; the running one reports when it is done).
        m_ctx.shell.beep();
        return;
    }
    const QString source = m_list.records.at(std::size_t(row)).FFullName();
    SaveFileRequest request;
    request.title = u"Save a Copy without Metadata"_s;
    request.filter = u"Any File (*.*)|*.*"_s;
    request.proposedName = ShownFileName(source);
    const std::optional<SaveFileChoice> chosen = m_ctx.dialogs.chooseSaveFile(request);
    if (!chosen)
        return;

    CopyWithoutMetadataRequest copy;
    copy.source = source;
    copy.target = chosen->path;
    copy.replaceConfirmed = chosen->replaceConfirmed;
    copy.exifToolProgram = m_exifToolProgram;
    copy.workingFolder = ExifToolFolder;
    copy.tempFolder = GetTempDirectory();

    m_saveAsBusy.set(true);
    m_ctx.status.setText(0, u"Processing..."_s);
    m_ctx.status.setText(1, copy.target);
    m_saveAs = std::jthread([this, copy](std::stop_token stop) {
        m_saveAsOutcome.post({CopyWithoutMetadata(copy, stop), copy.target});
    });
}

void MetadataCommands::saveAsEnded(const SaveAsOutcome& outcome)
{
    m_saveAsBusy.set(false);
    m_ctx.status.setText(0, QString());
    const CopyWithoutMetadataResult& result = outcome.result;
    if (result.moved)
        m_savedCopy = outcome.target;
    if (result.refused) {
        // Replacing the original with its stripped copy would destroy its metadata for good.
        m_ctx.warn(u"The copy without metadata cannot replace the original file.\r\rChoose another "
                   "name for the copy."_s);
    } else if (result.errorReported) {
        CustomMessageDialog(m_ctx.dialogs, result.output, DialogType::Error, {DialogButton::OK}, u"ERROR"_s, {u"OK"_s});
    } else if (!result.moved) {
        // Never let a copy that was not saved look like a success.
        CustomMessageDialog(
            m_ctx.dialogs,
            u"The copy without metadata could not be saved as \"%1\".\r\r%2"_s.arg(outcome.target, result.moveError),
            DialogType::Error, {DialogButton::OK}, u"Error"_s, {u"OK"_s});
    } else if (!result.remainingTags.isEmpty()) {
        // Never say "clean" of a file that is not.
        m_ctx.warn(RemainingMetadataText(result.remainingTags));
    }
}
