#pragma once

#include "core/filelist/filewalker.h"

#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

class FileRecords;

// The scan thread: walks the folder of its settings into the file list. It hands its reports to the user-interface
// thread and waits until each has been handled there: the interruption report of every folder level that stops
// (interruptionReported), then either the end of the walk (scanFinished) or, when an error ended it, the error
// (scanFailed). The thread ends right after its last report. All signals are emitted on the thread the searcher
// object lives in, which must be the user-interface thread.
class TFileSearcher final : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFileSearcher)

public:
    // records must outlive the thread. stopwatch was started when the scan started; its elapsed time is reported.
    TFileSearcher(FileRecords& records, ScanSettings settings, QElapsedTimer stopwatch, QObject* parent = nullptr);
    ~TFileSearcher() override;

    // "STOP": every folder level reports the interruption and returns.
    void requestStop() { m_stopRequested.store(true); }
    bool stopRequested() const { return m_stopRequested.load(); }

    // Stops the walk and waits for the thread to end, handling the reports it hands over meanwhile, so that it cannot
    // deadlock with a report waiting for this thread. For closing the window during a scan; the reports' signals are
    // still emitted, so call it while their receivers are alive.
    void stopAndWait();

    // The error that ended the walk, if any; set before scanFailed is emitted.
    std::exception_ptr error() const;

signals:
    // A folder level stopped after "STOP"; the status bar shows statusText and the item count. Like the "Finished"
    // text, statusText ends with what the walk left out so far (LeftOutText).
    void interruptionReported(const QString& statusText);
    // The walk ended without error (the end step). When the walk ran to its end, statusText is the "Finished" text
    // for the status bar; when a stop interrupted it, stopRequested is true, statusText is empty and the interruption
    // reports stay. A stop requested after the last folder was done counts as no stop.
    void scanFinished(bool stopRequested, const QString& statusText);
    // An error ended the walk (no scanFinished follows); errorText is the error's message. The records found before
    // it stay in the list.
    void scanFailed(const QString& errorText);

protected:
    void run() override;

private:
    // Runs work on the user-interface thread and returns when it has run there.
    void handOff(std::function<void()> work);
    // Runs a handed-over piece of work, if one is waiting; user-interface thread only.
    void runHandOff();
    double elapsedSeconds() const;

    FileRecords& m_records;
    const ScanSettings m_settings;
    const QElapsedTimer m_stopwatch;
    std::atomic<bool> m_stopRequested{false};

    mutable std::mutex m_handOffMutex; // guards the members below
    std::exception_ptr m_error;
    std::condition_variable m_handOffChanged;
    std::function<void()> m_handOff;
    bool m_handOffDone = false;
    bool m_workerDone = false;
    bool m_discardHandOffs = false; // the searcher is being destroyed: release the worker without reporting
};
