#include "core/metadata/copywithoutmetadata.h"

#include "core/base/filenames.h"
#include "core/base/paths.h"
#include "core/metadata/argumentfile.h"
#include "core/metadata/consolerunner.h"
#include "core/metadata/metadatacheck.h"
#include "core/platform/movefile.h"
#include "core/platform/pathstatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {

QString nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// ExifTool reads the whole source and writes the whole copy: a larger source gets more time.
std::chrono::milliseconds limitFor(const CopyWithoutMetadataRequest& request, const QString& source)
{
    const qint64 sourceSize = std::max<qint64>(StatusOfPath(source).size, 0);
    return request.timeLimit + std::chrono::seconds(sourceSize / CopyWithoutMetadataRequest::kBytesPerExtraSecond);
}

bool isPdf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
}

// Rewrites the PDF at path with qpdf, which keeps only the objects the document still refers to: the revision that
// ExifTool's update replaced, with the old metadata, goes. An empty text on success, else why the copy is not saved.
QString withoutEarlierRevisions(const CopyWithoutMetadataRequest& request, const QString& path,
                                std::chrono::milliseconds timeLimit, std::stop_token stop)
{
    const QString qpdf =
        request.qpdfProgram.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("qpdf")) : request.qpdfProgram;
    const QString notSaved = QStringLiteral(
        "The copy was not saved: ExifTool leaves the earlier metadata of a PDF in the file, and qpdf, which removes "
        "it, %1");
    if (qpdf.isEmpty() || !QFileInfo(qpdf).isExecutable())
        return notSaved.arg(QStringLiteral("is not installed."));
    const QString rewritten = UniqueFileName(path + QStringLiteral(".qpdf"));
    const ConsoleResult run = RunConsoleCommand(qpdf, {path, rewritten}, request.workingFolder, timeLimit, stop);
    // qpdf ends with 0 when all went well and with 3 when it warned, its copy being sound all the same.
    bool rewroteIt = run.finished && QFileInfo(rewritten).isFile();
    if (rewroteIt) {
        const QString error = MoveFileTo(rewritten, path, true, stop);
        rewroteIt = error.isEmpty();
    }
    if (QFileInfo(rewritten).isFile())
        QFile::remove(rewritten);
    if (!rewroteIt)
        return notSaved.arg(QStringLiteral("failed: ") + run.output.trimmed());
    return {};
}

} // namespace

CopyWithoutMetadataResult CopyWithoutMetadata(const CopyWithoutMetadataRequest& request, std::stop_token stop)
{
    CopyWithoutMetadataResult result;
    // An absolute source never begins with "-", so ExifTool cannot take it for an option.
    const QString source =
        QDir::isAbsolutePath(request.source) ? request.source : QDir::current().absoluteFilePath(request.source);
    if (IsSameFile(source, request.target)) {
        result.refused = true;
        return result;
    }

    QString temp = AddTrailingBackslash(request.tempFolder) + QStringLiteral("brindlescope.tmp");
    if (QFileInfo(temp).isFile())
        QFile::remove(temp);
    temp = UniqueFileName(temp);
    // A copy left behind (a killed run, a failed move) is of no use to anyone.
    const auto discardTemp = qScopeGuard([&] {
        if (!result.moved && QFileInfo(temp).isFile())
            QFile::remove(temp);
    });

    QStringList arguments{QStringLiteral("-all="), QStringLiteral("-o"), EscapeExifToolPattern(temp), source};
    // A command line carries text, so a source name that is not UTF-8 reaches ExifTool through an argument file,
    // which carries its bytes.
    QString argumentFile;
    const auto discardArgumentFile = qScopeGuard([&] {
        if (!argumentFile.isEmpty())
            QFile::remove(argumentFile);
    });
    if (HoldsForeignBytes(source)) {
        const std::optional<QByteArray> contents = ArgumentFileContents(arguments);
        argumentFile = UniqueFileName(AddTrailingBackslash(request.tempFolder) + QStringLiteral("brindlescope3.txt"));
        if (!contents || !WriteNewFile(argumentFile, *contents)) {
            argumentFile.clear();
            result.moveError = QStringLiteral("The name of the file cannot be given to ExifTool; nothing was saved.");
            return result;
        }
        arguments = {QStringLiteral("-@"), argumentFile};
    }
    const std::chrono::milliseconds timeLimit = limitFor(request, source);
    const ConsoleResult run =
        RunConsoleCommand(request.exifToolProgram, arguments, request.workingFolder, timeLimit, stop);
    result.output = run.output;
    result.errorReported = run.output.startsWith(QStringLiteral("Error"));

    if (!run.started) {
        result.moveError = QStringLiteral("ExifTool could not be started.");
        return result;
    }
    if (!run.finished) {
        result.moveError = QStringLiteral("ExifTool did not finish in time; nothing was saved.");
        return result;
    }
    if (!QFileInfo(temp).isFile()) {
        result.moveError = QStringLiteral("ExifTool wrote no copy; nothing was saved.");
        return result;
    }
    if (isPdf(temp)) {
        result.moveError = withoutEarlierRevisions(request, temp, timeLimit, stop);
        if (!result.moveError.isEmpty())
            return result;
    }
    result.remainingTags = RemainingMetadata(request.exifToolProgram, temp, request.workingFolder, stop);
    // The source may have become the target since the dialog closed (a link made meanwhile).
    if (IsSameFile(source, request.target)) {
        result.refused = true;
        return result;
    }
    if (const QString error = MoveFileTo(temp, request.target, request.replaceConfirmed, stop); !error.isEmpty()) {
        result.moveError = QStringLiteral("Cannot save \"%1\": %2").arg(nativeName(request.target), error);
        return result;
    }
    result.moved = true;
    return result;
}
