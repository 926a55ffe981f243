#include "core/metadata/deployment.h"

#include "core/app/errors.h"
#include "core/metadata/zipextract.h"
#include "core/platform/removetree.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {

const QString LauncherName = QStringLiteral("exiftool");
const QString FilesFolderName = QStringLiteral("exiftool_files");
const QString ArchiveName = QStringLiteral("exiftool_files.zip");

QString withTrailingSeparator(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

bool isFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

} // namespace

QString PackageFolder(const QString& programFolder)
{
    return withTrailingSeparator(programFolder) + QStringLiteral("exiftool/");
}

QString StagingFolder(const QString& dataFolder)
{
    return withTrailingSeparator(dataFolder) + QStringLiteral("exiftool/");
}

QString ExifToolFolderIn(const QString& tempFolder)
{
    return withTrailingSeparator(tempFolder) + QStringLiteral("brindlescope/");
}

bool IsCompleteExifToolFolder(const QString& folder)
{
    const QString f = withTrailingSeparator(folder);
    return isFile(f + LauncherName) && isFolder(f + FilesFolderName);
}

ExifToolDeployment DeployExifTool(const DeploymentFolders& folders, const DeploymentCallbacks& callbacks)
{
    const QString package = PackageFolder(folders.programFolder);
    const QString staging = StagingFolder(folders.dataFolder);
    ExifToolDeployment result;
    if (QDir::isRelativePath(folders.dataFolder) || QDir::isRelativePath(folders.tempFolder)) {
        // An empty or relative folder would stage ExifTool in the root or wherever the program was started.
        result.usesPathExifTool = !ExifToolProgram({}, folders.searchPaths).isEmpty();
        return result;
    }

    // When DataFolder is the program folder the two are one folder, and the copies below find nothing missing.
    if (!IsCompleteExifToolFolder(staging)) {
        if (callbacks.busyChanged)
            callbacks.busyChanged(true);
        const auto idle = qScopeGuard([&] {
            if (callbacks.busyChanged)
                callbacks.busyChanged(false);
        });
        // Failures of the folder and the copies are not errors here: they leave the staging folder incomplete.
        QDir().mkpath(staging);
        if (isFile(package + LauncherName) && !isFile(staging + LauncherName))
            CopyFileReplacing(package + LauncherName, staging + LauncherName);
        if (isFile(package + ArchiveName) && !isFile(staging + ArchiveName))
            CopyFileReplacing(package + ArchiveName, staging + ArchiveName);
        if (!isFolder(staging + FilesFolderName) && isFile(staging + ArchiveName)) {
            try {
                ExtractZipArchive(staging + ArchiveName, staging);
            } catch (...) {
                // Half a folder would pass for complete at the next start and be deployed as if it worked.
                try {
                    DeleteFolderTree(staging + FilesFolderName);
                } catch (const TagscopeError&) {
                }
                throw;
            }
        }
    }

    if (IsCompleteExifToolFolder(staging)) {
        result.exifToolFolder = ExifToolFolderIn(folders.tempFolder);
        if (callbacks.folderChosen)
            callbacks.folderChosen(result.exifToolFolder);
        // Left over from an earlier run, perhaps with files of its own: nothing of it may survive.
        DeleteFolderTree(result.exifToolFolder);
        QDir().mkpath(result.exifToolFolder);
        CopyFileReplacing(staging + LauncherName, result.exifToolFolder + LauncherName);
        CopyFolderTree(staging + FilesFolderName, result.exifToolFolder + FilesFolderName);
        DeleteFolderTree(staging + FilesFolderName);
    }

    result.complete = !result.exifToolFolder.isEmpty() && IsCompleteExifToolFolder(result.exifToolFolder);
    if (!result.complete && !isFile(package + LauncherName) && !isFile(package + ArchiveName))
        result.usesPathExifTool = !ExifToolProgram({}, folders.searchPaths).isEmpty();
    return result;
}

QString ExifToolProgram(const QString& exifToolFolder, const QStringList& searchPaths)
{
    if (!exifToolFolder.isEmpty() && IsCompleteExifToolFolder(exifToolFolder))
        return withTrailingSeparator(exifToolFolder) + LauncherName;
    return QStandardPaths::findExecutable(LauncherName, searchPaths);
}

void RemoveExifToolFolder(const QString& exifToolFolder)
{
    if (!exifToolFolder.isEmpty())
        DeleteFolderTree(exifToolFolder);
}
