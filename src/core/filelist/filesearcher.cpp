#include "core/filelist/filesearcher.h"

#include "core/base/errors.h"
#include "core/filelist/filerecords.h"

namespace {

QString messageOf(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TagscopeError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace

TFileSearcher::TFileSearcher(FileRecords& records, ScanSettings settings, QElapsedTimer stopwatch, QObject* parent)
    : QThread(parent), m_records(records), m_settings(std::move(settings)), m_stopwatch(stopwatch)
{}

TFileSearcher::~TFileSearcher()
{
    {
        std::lock_guard lock(m_handOffMutex);
        m_discardHandOffs = true;
    }
    stopAndWait();
}

std::exception_ptr TFileSearcher::error() const
{
    std::lock_guard lock(m_handOffMutex);
    return m_error;
}

double TFileSearcher::elapsedSeconds() const
{
    return static_cast<double>(m_stopwatch.nsecsElapsed()) / 1e9;
}

void TFileSearcher::run()
{
    std::exception_ptr error;
    try {
        bool interrupted = false;
        FileWalker walker(m_records, m_settings, m_stopRequested);
        // The texts are made where they are shown, on the user-interface thread: only numbers cross over.
        const auto leftOutText = [this](const FileWalker::LeftOut& l) {
            return LeftOutText(l.unreadableFolders, m_settings.locale);
        };
        walker.setInterruptionHandler([&] {
            interrupted = true;
            handOff([this, leftOutText, seconds = elapsedSeconds(), leftOut = walker.leftOut()] {
                emit interruptionReported(InterruptedText(seconds, m_settings.locale) + leftOutText(leftOut));
            });
        });
        walker.run();
        handOff([this, leftOutText, interrupted, seconds = elapsedSeconds(), leftOut = walker.leftOut()] {
            emit scanFinished(
                interrupted, interrupted ? QString() : FinishedText(seconds, m_settings.locale) + leftOutText(leftOut));
        });
    } catch (...) {
        error = std::current_exception();
    }
    if (error) {
        {
            std::lock_guard lock(m_handOffMutex);
            m_error = error;
        }
        const QString text = messageOf(error);
        handOff([this, text] { emit scanFailed(text); });
    }
    // Notified under the lock: once a waiter sees m_workerDone, this thread no longer touches the condition variable,
    // so the searcher may be destroyed.
    std::lock_guard lock(m_handOffMutex);
    m_workerDone = true;
    m_handOffChanged.notify_all();
}

void TFileSearcher::handOff(std::function<void()> work)
{
    {
        std::lock_guard lock(m_handOffMutex);
        m_handOff = std::move(work);
        m_handOffDone = false;
    }
    m_handOffChanged.notify_all();
    QMetaObject::invokeMethod(this, &TFileSearcher::runHandOff, Qt::QueuedConnection);
    std::unique_lock lock(m_handOffMutex);
    m_handOffChanged.wait(lock, [this] { return m_handOffDone; });
}

void TFileSearcher::runHandOff()
{
    std::function<void()> work;
    bool discard = false;
    {
        std::lock_guard lock(m_handOffMutex);
        if (!m_handOff)
            return;
        work = std::move(m_handOff);
        m_handOff = nullptr;
        discard = m_discardHandOffs;
    }
    // The worker is released even when a receiver throws.
    struct Release
    {
        TFileSearcher* searcher;
        ~Release()
        {
            std::lock_guard lock(searcher->m_handOffMutex);
            searcher->m_handOffDone = true;
            searcher->m_handOffChanged.notify_all();
        }
    } release{this};
    if (!discard)
        work();
}

void TFileSearcher::stopAndWait()
{
    requestStop();
    if (!isRunning() && !isFinished())
        return; // never started
    std::unique_lock lock(m_handOffMutex);
    for (;;) {
        m_handOffChanged.wait(lock, [this] { return m_handOff != nullptr || m_workerDone; });
        if (!m_handOff)
            break;
        lock.unlock();
        runHandOff();
        lock.lock();
    }
    lock.unlock();
    wait();
}
