#include "core/metadata/copywithoutmetadata.h"

#include "core/base/paths.h"
#include "core/metadata/argumentfile.h"
#include "core/metadata/consolerunner.h"
#include "core/platform/movefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

CopyWithoutMetadataResult CopyWithoutMetadata(const CopyWithoutMetadataRequest& request, std::stop_token stop)
{
    CopyWithoutMetadataResult result;

    QString temp = AddTrailingBackslash(request.tempFolder) + QStringLiteral("brindlescope.tmp");
    if (QFileInfo(temp).isFile())
        QFile::remove(temp);
    temp = UniqueFileName(temp);

    // An absolute source never begins with "-", so ExifTool cannot take it for an option.
    const QString source = QFileInfo(request.source).absoluteFilePath();
    const QStringList arguments{QStringLiteral("-all="), QStringLiteral("-o"), EscapeExifToolPattern(temp), source};
    const qint64 sourceSize = std::max<qint64>(QFileInfo(source).size(), 0);
    const std::chrono::milliseconds timeLimit =
        request.timeLimit + std::chrono::seconds(sourceSize / CopyWithoutMetadataRequest::kBytesPerExtraSecond);
    const ConsoleResult run =
        RunConsoleCommand(request.exifToolProgram, arguments, request.workingFolder, timeLimit, stop);
    result.output = run.output;
    result.errorReported = run.output.startsWith(QStringLiteral("Error"));

    if (!run.started) {
        result.moveError = QStringLiteral("ExifTool could not be started.");
    } else if (!run.finished) {
        result.moveError = QStringLiteral("ExifTool did not finish in time; nothing was saved.");
    } else if (!QFileInfo(temp).isFile()) {
        result.moveError = QStringLiteral("ExifTool wrote no copy; nothing was saved.");
    } else if (const QString error = MoveFileTo(temp, request.target, request.replaceConfirmed, stop);
               !error.isEmpty()) {
        result.moveError = QStringLiteral("Cannot save \"%1\": %2").arg(nativeName(request.target), error);
    } else {
        result.moved = true;
    }
    // A copy left behind (a killed run, a failed move) is of no use to anyone.
    if (!result.moved && QFileInfo(temp).isFile())
        QFile::remove(temp);
    return result;
}
