#include "core/metadata/consolerunner.h"

#include "core/base/paths.h"
#include "core/platform/childprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

#include <algorithm>
#include <climits>

namespace {

// How often a wait looks at the stop request; only used when someone can request a stop.
constexpr int stopPollMs = 50;
// A killed child is reaped at once; the bound only guards against a process the kernel cannot end.
constexpr int reapAfterKillMs = 5000;

bool nameTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

ConsoleResult RunConsoleCommand(const QString& program, const QStringList& arguments, const QString& workingFolder,
                                std::chrono::milliseconds timeLimit, std::stop_token stop)
{
    ConsoleResult result;
    const QDeadlineTimer deadline(timeLimit);

    QProcess process;
    PrepareChildProcess(process);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A child that reads its standard input gets end-of-file at once instead of waiting for input that never comes.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setWorkingDirectory(workingFolder);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(std::max<qint64>(deadline.remainingTime(), 0)))
        return result;
    result.started = true;

    QByteArray bytes;
    bool givenUp = false;
    while (process.state() != QProcess::NotRunning) {
        if (stop.stop_requested() || deadline.hasExpired()) {
            givenUp = true;
            break;
        }
        qint64 slice = deadline.remainingTime();
        if (stop.stop_possible())
            slice = std::min<qint64>(slice, stopPollMs);
        process.waitForFinished(static_cast<int>(std::clamp<qint64>(slice, 1, INT_MAX)));
        bytes += process.readAll();
    }
    if (givenUp) {
        process.kill();
        process.waitForFinished(reapAfterKillMs);
    }
    bytes += process.readAll();
    result.finished = !givenUp;

    // Decoding the whole output at once keeps a character whose bytes arrived in two reads intact.
    QStringDecoder decoder(QStringConverter::Utf8);
    result.output = decoder.decode(bytes);
    result.output.remove(QChar(u'\0'));
    return result;
}

void PrepareChildProcess(QProcess& process)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PERL_BADLANG"), QStringLiteral("0"));
    process.setProcessEnvironment(environment);
    GiveChildTheStartLimits(process);
}

QString UniqueFileName(const QString& path)
{
    if (!nameTaken(path))
        return path;

    qsizetype nameStart = path.size();
    while (nameStart > 0 && path.at(nameStart - 1) != kPathSeparator)
        --nameStart;
    const QString folder = path.left(nameStart);
    const QString name = path.mid(nameStart);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString baseName = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot);

    for (qint64 k = 2;; ++k) {
        QString candidate = folder + baseName + QStringLiteral(" (") + QString::number(k) + u')' + extension;
        if (!nameTaken(candidate))
            return candidate;
    }
}
