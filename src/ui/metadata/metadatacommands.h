#pragma once

#include "core/base/handoff.h"
#include "core/metadata/copywithoutmetadata.h"
#include "core/metadata/deployment.h"
#include "ui/app/busycursor.h"
#include "ui/app/commandcontext.h"
#include "ui/filelist/filelistparts.h"
#include "ui/metadata/metadataactions.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <exception>
#include <thread>

class ExifToolSession;
class QPlainTextEdit;
class QWidget;
struct AppValues;
struct MetadataReport;

// Metadata through ExifTool: its deployment shortly after start, the metadata pane of the selected file, saving the
// report as TXT or CSV, and "Save As..." (a copy without metadata). ExifTool never runs on the user-interface thread,
// so the window stays usable while it works.
class MetadataCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MetadataCommands)

public:
    // The pane, hidden until the first report, and its text; the list whose selected file it reports on.
    struct Controls
    {
        QWidget* Panel1;
        QPlainTextEdit* RichEdit1;
        FileListParts list;
        const AppValues& values;
    };

    MetadataCommands(const CommandContext& context, const MetadataActions& actions, const Controls& controls,
                     QObject* parent = nullptr);
    // Ends the work under way (a deployment, a report, a copy) without waiting for it to finish, then deletes
    // ExifToolFolder.
    ~MetadataCommands() override;

    // The folder ExifTool runs from; empty until its deployment has made it.
    const QString& exifToolFolder() const { return ExifToolFolder; }
    // Whether the deployment has ended (successfully or not).
    bool isExifToolDeployed() const { return m_deployed; }

    void TimerZIPTimer();
    void ListView1SelectItem();
    void SaveMetadataasTXT1Click();
    void SaveMetadataasCSV1Click();
    void SaveAs1Click();

private:
    struct DeploymentOutcome
    {
        ExifToolDeployment deployment;
        std::exception_ptr error;
    };
    struct SaveAsOutcome
    {
        CopyWithoutMetadataResult result;
        QString target;
    };

    void exifToolDeploymentEnded(const DeploymentOutcome& outcome);
    void showReport(const MetadataReport& report);
    // Empties the pane and drops the report under way.
    void clearPane();
    void saveMetadata(bool asCsv);
    // The text of the metadata pane exactly as it stands, lines separated by "\n".
    QString PaneText() const;
    // Why a report must not be written to path (it would replace the reported file, a listed file or the copy without
    // metadata just saved), or an empty text when it may.
    QString reportTargetRefusal(const QString& path, const QString& reported) const;
    void saveAsEnded(const SaveAsOutcome& outcome);
    // The first selected row of the list, -1 when none is.
    int firstSelectedRow() const;

    const CommandContext& m_ctx;
    const Controls m_controls;
    const FileListParts& m_list;
    QTimer TimerZIP;
    QString ExifToolFolder;
    bool m_deployed = false;
    ExifToolSession* m_exifTool;       // holds the newest requested file until ExifTool is ready
    QString m_exifToolProgram;         // the ExifTool the deployment found working; empty when none
    QString m_requestedPath;           // the file whose report was asked for last
    QString m_reportPath;              // the file whose report the pane shows; empty when it shows none
    QString m_savedCopy;               // the copy without metadata saved last
    bool m_paneShowsComplaint = false; // the pane holds what ExifTool said instead of a report
    BusyCursor::Job m_deploymentBusy;
    BusyCursor::Job m_reportBusy;
    BusyCursor::Job m_saveAsBusy;

    // Declared before the threads that post to them, so they outlive them.
    QueuedHandOff<bool> m_deploymentBusyChange;
    QueuedHandOff<QString> m_chosenExifToolFolder;
    QueuedHandOff<DeploymentOutcome> m_deploymentOutcome;
    QueuedHandOff<SaveAsOutcome> m_saveAsOutcome;
    std::jthread m_deploymentThread;
    std::jthread m_saveAs; // the running "Save As...", if any
};
