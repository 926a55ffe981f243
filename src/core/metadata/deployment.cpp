#include "core/metadata/deployment.h"

#include "core/base/errors.h"
#include "core/base/paths.h"
#include "core/metadata/consolerunner.h"
#include "core/metadata/zipextract.h"
#include "core/platform/folderlock.h"
#include "core/platform/removetree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

const QString LauncherName = QStringLiteral("exiftool");
const QString FilesFolderName = QStringLiteral("exiftool_files");
const QString ArchiveName = QStringLiteral("exiftool_files.zip");
// The archive is unpacked into a folder of this prefix beside the final one and moved into place only when whole,
// so that a crash while unpacking never leaves a folder that passes for complete.
const QString UnpackingPrefix = QStringLiteral(".unpacking-");

bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool isFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

void removeUnpackingLeftovers(const QString& staging)
{
    const QStringList leftovers =
        QDir(staging).entryList({UnpackingPrefix + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : leftovers) {
        try {
            RemoveFolderTree(staging + name);
        } catch (const TagscopeError&) {
        }
    }
}

void unpackAside(const QString& staging)
{
    QTemporaryDir aside(staging + UnpackingPrefix + QStringLiteral("XXXXXX"));
    aside.setAutoRemove(false);
    const QString folder = AddTrailingBackslash(aside.path());
    const auto cleanUp = qScopeGuard([&] {
        try {
            RemoveFolderTree(folder);
        } catch (const TagscopeError&) {
        }
    });
    if (!aside.isValid())
        throw TagscopeError(QStringLiteral("Cannot create a folder in %1: %2")
                                .arg(QDir::toNativeSeparators(staging), aside.errorString()));
    ExtractZipArchive(staging + ArchiveName, folder);
    if (isFolder(folder + FilesFolderName) && ::rename(QFile::encodeName(folder + FilesFolderName).constData(),
                                                       QFile::encodeName(staging + FilesFolderName).constData()) != 0)
        throw TagscopeError(QStringLiteral("Cannot move the unpacked ExifTool into %1: %2")
                                .arg(QDir::toNativeSeparators(staging), SystemErrorMessage(errno)));
}

} // namespace

QString PackageFolder(const QString& programFolder)
{
    return AddTrailingBackslash(programFolder) + QStringLiteral("exiftool/");
}

QString StagingFolder(const QString& dataFolder)
{
    return AddTrailingBackslash(dataFolder) + QStringLiteral("exiftool/");
}

QString ExifToolFolderIn(const QString& tempFolder)
{
    return AddTrailingBackslash(tempFolder) + QStringLiteral("brindlescope/");
}

bool IsCompleteExifToolFolder(const QString& folder)
{
    const QString f = AddTrailingBackslash(folder);
    return isFile(f + LauncherName) && isFolder(f + FilesFolderName);
}

ExifToolDeployment DeployExifTool(const DeploymentFolders& folders, const DeploymentCallbacks& callbacks,
                                  std::stop_token stop)
{
    const QString package = PackageFolder(folders.programFolder);
    const QString staging = StagingFolder(folders.dataFolder);
    ExifToolDeployment result;
    if (QDir::isRelativePath(folders.dataFolder) || QDir::isRelativePath(folders.tempFolder)) {
        // An empty or relative folder would stage ExifTool in the root or wherever the program was started.
        result.program = ExifToolProgram({}, folders.searchPaths);
        result.usesPathExifTool = !result.program.isEmpty();
        result.runs = result.usesPathExifTool && ExifToolRuns(result.program, QDir::rootPath(), stop);
        return result;
    }

    // Another copy of the program may deploy from the same staging folder at this moment (the program folder, when
    // both run from it): each holds the folder's lock from the first look at it to the last change.
    // A copy that hangs while it deploys must not keep this one from ever starting: after a while this one deploys
    // without the lock.
    QDir().mkpath(staging);
    const FolderLock stagingLock(staging, std::chrono::seconds(30), stop);
    if (stop.stop_requested())
        return result;
    removeUnpackingLeftovers(staging);

    // When DataFolder is the program folder the two are one folder, and the copies below find nothing missing.
    if (!IsCompleteExifToolFolder(staging)) {
        if (callbacks.busyChanged)
            callbacks.busyChanged(true);
        const auto idle = qScopeGuard([&] {
            if (callbacks.busyChanged)
                callbacks.busyChanged(false);
        });
        // Failures of the folder and the copies are not errors here: they leave the staging folder incomplete.
        if (isFile(package + LauncherName) && !isFile(staging + LauncherName))
            CopyFileReplacing(package + LauncherName, staging + LauncherName);
        if (isFile(package + ArchiveName) && !isFile(staging + ArchiveName))
            CopyFileReplacing(package + ArchiveName, staging + ArchiveName);
        if (!isFolder(staging + FilesFolderName) && isFile(staging + ArchiveName))
            unpackAside(staging);
    }

    if (IsCompleteExifToolFolder(staging)) {
        result.exifToolFolder = ExifToolFolderIn(folders.tempFolder);
        if (callbacks.folderChosen)
            callbacks.folderChosen(result.exifToolFolder);
        // Left over from an earlier run, perhaps with files of its own: nothing of it may survive.
        RemoveFolderTree(result.exifToolFolder);
        QDir().mkpath(result.exifToolFolder);
        CopyFileReplacing(staging + LauncherName, result.exifToolFolder + LauncherName);
        CopyFolderTree(staging + FilesFolderName, result.exifToolFolder + FilesFolderName);
        RemoveFolderTree(staging + FilesFolderName);
    }

    result.complete = !result.exifToolFolder.isEmpty() && IsCompleteExifToolFolder(result.exifToolFolder);
    if (result.complete)
        result.program = ExifToolProgram(result.exifToolFolder);
    else if (!isFile(package + LauncherName) && !isFile(package + ArchiveName))
        result.program = ExifToolProgram({}, folders.searchPaths);
    result.usesPathExifTool = !result.complete && !result.program.isEmpty();
    // "Ready" only for an ExifTool that really runs: a folder mounted noexec, or a broken Perl, would otherwise turn
    // every report into "Failed" without a word.
    result.runs = !result.program.isEmpty() &&
                  ExifToolRuns(result.program, result.complete ? result.exifToolFolder : folders.tempFolder, stop);
    return result;
}

bool ExifToolRuns(const QString& program, const QString& workingFolder, std::stop_token stop)
{
    // The probe forks from a thread of its own. ThreadSanitizer forgets what a thread did before it forked, and the
    // deployment thread's results (made before this probe) would then look unsynchronized to whoever reads them.
    bool runs = false;
    std::thread([&] {
        const ConsoleResult run =
            RunConsoleCommand(program, {QStringLiteral("-ver")}, workingFolder, std::chrono::seconds(30), stop);
        bool isNumber = false;
        run.output.trimmed().toDouble(&isNumber);
        runs = run.started && run.finished && isNumber;
    }).join();
    return runs;
}

QString ExifToolProgram(const QString& exifToolFolder, const QStringList& searchPaths)
{
    if (!exifToolFolder.isEmpty() && IsCompleteExifToolFolder(exifToolFolder))
        return AddTrailingBackslash(exifToolFolder) + LauncherName;
    return QStandardPaths::findExecutable(LauncherName, searchPaths);
}

void RemoveExifToolFolder(const QString& exifToolFolder)
{
    if (!exifToolFolder.isEmpty())
        RemoveFolderTree(exifToolFolder);
}
