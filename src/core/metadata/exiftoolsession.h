#pragma once

#include "core/base/handoff.h"
#include "core/metadata/metadatareport.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <optional>
#include <thread>

class QProcess;

// Produces metadata reports for the pane. One resident "exiftool -stay_open True -@ -" answers every request, so a
// report takes milliseconds instead of a process start; it is read through the event loop and never blocks the
// caller. Each request still writes the argument file and lets ExifTool write the report file in the temporary
// folder, and deletes both afterwards. When the resident process cannot start or dies it is restarted once; after
// that every request runs the one-shot command "exiftool -@ <argument file>" on a worker thread.
//
// Requests are answered one at a time and only the newest counts: a request made while another runs waits, replaces
// any request still waiting, and makes the running one's report be dropped. So the session holds the one newest
// requested file, also before ExifTool is ready: requests made before start() wait for it.
class ExifToolSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExifToolSession)

public:
    // tempFolder: where the argument and report files go (the program's private temporary folder).
    explicit ExifToolSession(QString tempFolder, QObject* parent = nullptr);
    // Ends the resident process at once, at most after a short wait for it to quit by itself.
    ~ExifToolSession() override;

    // How long one request may take before ExifTool is given up and the report counts as not produced.
    void setTimeLimit(std::chrono::milliseconds limit);
    // With false, every request runs the one-shot command and no resident process is started. Call it before start.
    void setResidentAllowed(bool allowed);

    // ExifTool is ready: exifToolProgram runs in workingFolder. The resident process starts ahead of the first
    // request, so that the first report need not wait for it, and a request that waited is answered. With an empty
    // program (no ExifTool could be made ready) every request is answered as not produced.
    void start(QString exifToolProgram, QString workingFolder);
    bool isStarted() const { return m_started; }

    // Asks for the report of the file at path; reportReady answers with the returned id unless a newer request came
    // first. Never answers before returning. A run of ExifTool that a newer request made useless is ended when it has
    // not finished within a moment, so that one slow file cannot hold up every later report.
    int requestReport(const QString& path);
    // No answer is wanted any more: the request waiting is forgotten, and the running one's report is dropped.
    void cancel();

    // Whether requests still go to a resident process (false once it has failed twice or is not allowed).
    bool usesResident() const;
    // The resident process's id, 0 when none runs.
    qint64 residentProcessId() const;

signals:
    void reportReady(int id, const MetadataReport& report);

private:
    struct Request
    {
        int id = 0;
        QString argumentFile;
        QString reportFile;
        QStringList arguments;
        bool argumentFileWritten = false;
        bool viaResident = false;
        bool sent = false;
        bool wanted = true; // false once cancelled: its report is not emitted
        QByteArray console; // what the resident process printed for it
    };
    struct Pending
    {
        int id = 0;
        QString path;
    };

    void startRequest(int id, const QString& path);
    // Starts the waiting request from the event loop, so that no answer comes before the caller has its id.
    void startPendingLater();
    void sendToResident();
    void runOneShot();
    void finishActive(MetadataReport report, const QString& console);
    // The running request has become useless (a newer one came, or none is wanted): a resident process still busy
    // with it after a moment is replaced by a fresh one.
    void activeSuperseded();
    void onSupersededTooLong();
    void discardFiles(const Request& request);

    void startResident();
    void dropResident();
    void residentLost();
    void countResidentFailure();
    void onResidentStarted();
    void onResidentOutput();
    void onTimeLimit();
    void onOneShotDone(const QString& output);

    QString m_program;
    QString m_workingFolder;
    const QString m_tempFolder;
    bool m_started = false;
    std::chrono::milliseconds m_timeLimit = std::chrono::seconds(60);
    bool m_residentAllowed = true;

    int m_lastId = 0;
    std::optional<Request> m_active;
    std::optional<Pending> m_pending;

    bool m_startQueued = false;

    QProcess* m_resident = nullptr;
    QByteArray m_residentOutput; // standard output not yet split into lines
    bool m_restartUsed = false;
    bool m_oneShotOnly = false;
    QTimer m_timeLimitTimer;
    QTimer m_supersededTimer; // how long a superseded run of the resident process may still take

    QueuedHandOff<QString> m_oneShotOutput;
    std::jthread m_oneShot; // runs the one-shot command of the active request
};
