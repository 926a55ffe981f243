#include "core/metadata/exiftoolsession.h"

#include "core/base/paths.h"
#include "core/metadata/argumentfile.h"
#include "core/metadata/consolerunner.h"
#include "core/platform/childprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

// A resident ExifTool normally quits within milliseconds of "-stay_open False"; past this it is killed, so that a
// process stuck on a large file cannot hold up the end of the program.
constexpr int residentQuitMs = 200;
// A killed process is reaped at once; the bound only guards against a process the kernel cannot end.
constexpr int reapAfterKillMs = 2000;
// A run that a newer request made useless may finish within this; past it, the resident process is replaced.
constexpr int supersededGraceMs = 200;

// Deletes a stale file of that name, then makes sure the name is free: when the file could not be deleted, a free
// variant of the name is used and the stale file stays.
QString freshTempName(const QString& path)
{
    if (QFileInfo(path).isFile())
        QFile::remove(path);
    return UniqueFileName(path);
}

} // namespace

ExifToolSession::ExifToolSession(QString tempFolder, QObject* parent)
    : QObject(parent), m_tempFolder(std::move(tempFolder)),
      m_oneShotOutput(this, [this](const QString& output) { onOneShotDone(output); })
{
    qRegisterMetaType<MetadataReport>();
    m_timeLimitTimer.setSingleShot(true);
    connect(&m_timeLimitTimer, &QTimer::timeout, this, &ExifToolSession::onTimeLimit);
    m_supersededTimer.setSingleShot(true);
    m_supersededTimer.setInterval(supersededGraceMs);
    connect(&m_supersededTimer, &QTimer::timeout, this, &ExifToolSession::onSupersededTooLong);
}

ExifToolSession::~ExifToolSession()
{
    if (m_oneShot.joinable()) {
        m_oneShot.request_stop();
        m_oneShot.join();
    }
    if (m_active)
        discardFiles(*m_active);
    if (m_resident) {
        disconnect(m_resident, nullptr, this, nullptr);
        if (m_resident->state() == QProcess::Running) {
            m_resident->write("-stay_open\nFalse\n");
            m_resident->closeWriteChannel();
            m_resident->waitForFinished(residentQuitMs);
        }
    }
    // The resident process if it did not quit, and processes given up earlier and not reaped yet.
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(reapAfterKillMs);
        }
    }
}

void ExifToolSession::setTimeLimit(std::chrono::milliseconds limit)
{
    m_timeLimit = limit;
}

void ExifToolSession::setResidentAllowed(bool allowed)
{
    m_residentAllowed = allowed;
}

void ExifToolSession::start(QString exifToolProgram, QString workingFolder)
{
    if (m_started)
        return;
    m_started = true;
    m_program = std::move(exifToolProgram);
    m_workingFolder = std::move(workingFolder);
    if (m_program.isEmpty())
        m_oneShotOnly = true;
    else if (usesResident())
        startResident();
    if (m_pending)
        startPendingLater();
}

void ExifToolSession::startPendingLater()
{
    if (m_startQueued)
        return;
    m_startQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_startQueued = false;
            if (!m_active && m_pending) {
                const Pending next = *std::exchange(m_pending, std::nullopt);
                startRequest(next.id, next.path);
            }
        },
        Qt::QueuedConnection);
}

bool ExifToolSession::usesResident() const
{
    return m_residentAllowed && !m_oneShotOnly;
}

qint64 ExifToolSession::residentProcessId() const
{
    return m_resident ? m_resident->processId() : 0;
}

int ExifToolSession::requestReport(const QString& path)
{
    const int id = ++m_lastId;
    // ExifTool runs in another folder, and an absolute path never begins with "-".
    const QString absolute = QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);

    if (m_active && m_active->viaResident && !m_active->sent) {
        // Still waiting for the resident process to start: the old request can simply be forgotten.
        discardFiles(*m_active);
        m_active.reset();
        m_timeLimitTimer.stop();
    }
    m_pending = Pending{id, absolute};
    if (!m_started)
        return id; // answered once ExifTool is ready
    if (!m_active) {
        startPendingLater();
        return id;
    }
    activeSuperseded();
    return id;
}

void ExifToolSession::cancel()
{
    m_pending.reset();
    if (m_active && m_active->viaResident && !m_active->sent) {
        discardFiles(*m_active);
        m_active.reset();
        m_timeLimitTimer.stop();
        return;
    }
    if (m_active) {
        m_active->wanted = false;
        activeSuperseded();
    }
}

void ExifToolSession::activeSuperseded()
{
    if (m_oneShot.joinable())
        m_oneShot.request_stop(); // its report would be dropped anyway
    else if (m_active && m_active->viaResident && m_active->sent && !m_supersededTimer.isActive())
        m_supersededTimer.start();
}

void ExifToolSession::onSupersededTooLong()
{
    if (!m_active || !m_active->viaResident || !m_active->sent)
        return;
    // Still busy with a file nobody waits for: a fresh process serves the newest request. This is no failure of the
    // resident process, which is why it does not count towards giving it up.
    dropResident();
    const Request done = *std::exchange(m_active, std::nullopt);
    m_timeLimitTimer.stop();
    discardFiles(done);
    if (usesResident())
        startResident();
    if (m_pending) {
        const Pending next = *std::exchange(m_pending, std::nullopt);
        startRequest(next.id, next.path);
    }
}

void ExifToolSession::startRequest(int id, const QString& path)
{
    if (m_program.isEmpty()) {
        emit reportReady(id, MetadataReport{});
        return;
    }
    Request request;
    request.id = id;
    const QString folder = AddTrailingBackslash(m_tempFolder);
    request.argumentFile = freshTempName(folder + QStringLiteral("brindlescope1.txt"));
    request.reportFile = freshTempName(folder + QStringLiteral("brindlescope2.txt"));
    request.arguments = ReportArguments(request.reportFile, path);
    const std::optional<QByteArray> contents = ArgumentFileContents(request.arguments);
    request.argumentFileWritten = contents && WriteNewFile(request.argumentFile, *contents);
    // A name that no argument line can carry goes to the one-shot command as a plain process argument.
    request.viaResident = contents.has_value() && usesResident();
    m_active = std::move(request);

    if (!m_active->viaResident) {
        runOneShot();
        return;
    }
    m_timeLimitTimer.start(m_timeLimit);
    if (!m_resident)
        startResident();
    else if (m_resident->state() == QProcess::Running)
        sendToResident();
}

void ExifToolSession::sendToResident()
{
    const std::optional<QByteArray> command = StayOpenCommand(m_active->arguments, m_active->id);
    m_active->sent = true;
    m_resident->write(*command);
}

void ExifToolSession::runOneShot()
{
    const QStringList arguments =
        m_active->argumentFileWritten ? QStringList{QStringLiteral("-@"), m_active->argumentFile} : m_active->arguments;
    m_oneShot = std::jthread(
        [this, program = m_program, arguments, folder = m_workingFolder, limit = m_timeLimit](std::stop_token stop) {
            m_oneShotOutput.post(RunConsoleCommand(program, arguments, folder, limit, stop).output);
        });
}

void ExifToolSession::onOneShotDone(const QString& output)
{
    m_oneShot.join();
    if (m_active)
        finishActive(LoadMetadataReport(m_active->reportFile), output);
}

void ExifToolSession::finishActive(MetadataReport report, const QString& console)
{
    m_timeLimitTimer.stop();
    m_supersededTimer.stop();
    const Request done = *std::exchange(m_active, std::nullopt);
    discardFiles(done);
    if (m_pending) {
        // A newer request came while this one ran: its report is dropped.
        const Pending next = *std::exchange(m_pending, std::nullopt);
        startRequest(next.id, next.path);
        return;
    }
    if (!done.wanted)
        return;
    if (!report.produced)
        report.failure = ExifToolComplaint(console);
    emit reportReady(done.id, report);
}

void ExifToolSession::discardFiles(const Request& request)
{
    QFile::remove(request.argumentFile);
    QFile::remove(request.reportFile);
}

void ExifToolSession::startResident()
{
    m_resident = new QProcess(this);
    PrepareChildProcess(*m_resident);
    m_resident->setWorkingDirectory(m_workingFolder);
    // Its complaints about a file come before the answer that ends the request.
    m_resident->setProcessChannelMode(QProcess::MergedChannels);
    // At end-of-file on its standard input a resident ExifTool polls forever, so it must not outlive this program
    // even when the program crashes.
    EndChildWithThisProgram(*m_resident);
    connect(m_resident, &QProcess::started, this, &ExifToolSession::onResidentStarted);
    connect(m_resident, &QProcess::readyReadStandardOutput, this, &ExifToolSession::onResidentOutput);
    connect(m_resident, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart || error == QProcess::Crashed)
            residentLost();
    });
    connect(m_resident, &QProcess::finished, this, &ExifToolSession::residentLost);
    m_resident->start(
        m_program, {QStringLiteral("-stay_open"), QStringLiteral("True"), QStringLiteral("-@"), QStringLiteral("-")});
}

void ExifToolSession::dropResident()
{
    if (!m_resident)
        return;
    QProcess* process = std::exchange(m_resident, nullptr);
    m_residentOutput.clear();
    disconnect(process, nullptr, this, nullptr);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Deleted once reaped, so that giving it up never waits on the user-interface thread.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    process->kill();
}

void ExifToolSession::countResidentFailure()
{
    if (!m_restartUsed)
        m_restartUsed = true;
    else
        m_oneShotOnly = true;
}

void ExifToolSession::residentLost()
{
    dropResident();
    countResidentFailure();
    if (!m_active || !m_active->viaResident)
        return;
    // The request it was working on is asked again, of the restarted process or of the one-shot command.
    QFile::remove(m_active->reportFile);
    m_active->sent = false;
    if (usesResident()) {
        m_timeLimitTimer.start(m_timeLimit);
        startResident();
    } else {
        m_timeLimitTimer.stop();
        m_active->viaResident = false;
        runOneShot();
    }
}

void ExifToolSession::onResidentStarted()
{
    if (m_active && m_active->viaResident && !m_active->sent)
        sendToResident();
}

void ExifToolSession::onResidentOutput()
{
    m_residentOutput += m_resident->readAllStandardOutput();
    qsizetype lineStart = 0;
    for (qsizetype end; (end = m_residentOutput.indexOf('\n', lineStart)) >= 0; lineStart = end + 1) {
        QByteArrayView line(m_residentOutput.constData() + lineStart, end - lineStart);
        if (line.endsWith('\r'))
            line.chop(1);
        if (m_active && m_active->sent && line == "{ready" + QByteArray::number(m_active->id) + '}') {
            m_residentOutput.remove(0, end + 1);
            const QString console = QString::fromUtf8(m_active->console);
            finishActive(LoadMetadataReport(m_active->reportFile), console);
            return;
        }
        if (m_active && m_active->sent) {
            m_active->console += line;
            m_active->console += '\n';
        }
    }
    m_residentOutput.remove(0, lineStart);
}

void ExifToolSession::onTimeLimit()
{
    if (!m_active || !m_active->viaResident)
        return;
    // A resident process that does not answer in time is stuck on this file: it is given up, and this request
    // counts as failed like a one-shot run that hit its time limit.
    dropResident();
    countResidentFailure();
    finishActive(MetadataReport{}, QString());
}
