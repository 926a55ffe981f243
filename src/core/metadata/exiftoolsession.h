#pragma once

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
// any request still waiting, and makes the running one's report be dropped.
class ExifToolSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExifToolSession)

public:
    // exifToolProgram: the ExifTool program; workingFolder: the folder it runs in; tempFolder: where the argument
    // and report files go (the program's private temporary folder).
    ExifToolSession(QString exifToolProgram, QString workingFolder, QString tempFolder, QObject* parent = nullptr);
    ~ExifToolSession() override;

    // How long one request may take before ExifTool is given up and the report counts as not produced.
    void setTimeLimit(std::chrono::milliseconds limit);
    // With false, every request runs the one-shot command and no resident process is started.
    void setResidentAllowed(bool allowed);

    // Starts the resident process ahead of the first request, so that the first report need not wait for it.
    void start();

    // Asks for the report of the file at path; reportReady answers with the returned id unless a newer request came
    // first. Never answers before returning.
    int requestReport(const QString& path);

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
    };
    struct Pending
    {
        int id = 0;
        QString path;
    };

    void startRequest(int id, const QString& path);
    void sendToResident();
    void runOneShot();
    void finishActive(const MetadataReport& report);
    void discardFiles(const Request& request);

    void startResident();
    void dropResident();
    void residentLost();
    void countResidentFailure();
    void onResidentStarted();
    void onResidentOutput();
    void onTimeLimit();
    void onOneShotDone();

    const QString m_program;
    const QString m_workingFolder;
    const QString m_tempFolder;
    std::chrono::milliseconds m_timeLimit = std::chrono::seconds(60);
    bool m_residentAllowed = true;

    int m_lastId = 0;
    std::optional<Request> m_active;
    std::optional<Pending> m_pending;

    QProcess* m_resident = nullptr;
    QByteArray m_residentOutput; // standard output not yet split into lines
    bool m_restartUsed = false;
    bool m_oneShotOnly = false;
    QTimer m_timeLimitTimer;

    std::jthread m_oneShot; // runs the one-shot command of the active request
};
