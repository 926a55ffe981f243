#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <stop_token>

// The texts of the first status panel while ExifTool is deployed and once it is done.
inline constexpr QStringView StatusInitializing = u"Initializing...";
inline constexpr QStringView StatusReady = u"Ready";
inline constexpr QStringView StatusInitializationFailed = u"Initialization Failed!";

// Where the deployment reads and writes; folders may be given with or without a trailing separator.
struct DeploymentFolders
{
    QString programFolder;   // the executable's folder, whose subfolder "exiftool" holds the package
    QString dataFolder;      // DataFolder, whose subfolder "exiftool" is the staging folder
    QString tempFolder;      // this copy's private temporary folder (GetTempDirectory), home of the ExifTool folder
    QStringList searchPaths; // where "exiftool" is looked for when no package ships; empty means PATH
};

// Called on the thread that deploys, while it deploys.
struct DeploymentCallbacks
{
    // true before the staging folder is filled, false once that is over, also when it ends in an error: the busy
    // pointer's on and off.
    std::function<void(bool busy)> busyChanged;
    // The staging folder is complete and ExifToolFolder takes this value; from here on the folder is the program's to
    // delete at exit, even if an error ends the deployment.
    std::function<void(const QString& exifToolFolder)> folderChosen;
};

struct ExifToolDeployment
{
    QString exifToolFolder;        // ExifToolFolder, with a trailing separator; empty when staging never completed
    bool complete = false;         // exifToolFolder holds the launcher "exiftool" and the folder "exiftool_files"
    bool usesPathExifTool = false; // no package ships beside the program, and "exiftool" was found on the search path
    // The ExifTool every command runs: the deployed launcher, or "exiftool" from the search path when no package
    // ships; empty when a shipped package could not be deployed, so that no other ExifTool stands in for it.
    QString program;
    bool runs = false; // program answered "-ver"

    bool ready() const { return (complete || usesPathExifTool) && runs; }
    // "Ready" or "Initialization Failed!"
    QStringView statusText() const { return ready() ? StatusReady : StatusInitializationFailed; }
};

// The package folder (program folder + "exiftool/"), the staging folder (DataFolder + "exiftool/") and the ExifTool
// folder (private temporary folder + "brindlescope/"), each with a trailing separator.
QString PackageFolder(const QString& programFolder);
QString StagingFolder(const QString& dataFolder);
QString ExifToolFolderIn(const QString& tempFolder);

// Whether folder holds the file "exiftool" and the folder "exiftool_files" (links are followed).
bool IsCompleteExifToolFolder(const QString& folder);

// Copies the ExifTool package into the staging folder, unpacks its archive there when the staging folder is not
// complete, and moves the unpacked "exiftool_files", with a copy of the launcher, into a freshly made ExifTool folder.
// Every path comes from folders, and no widget is touched, so it runs on a worker thread. Errors of unpacking (a
// damaged or hostile archive), folder copies and deletions throw TagscopeError; single file copies that fail show in
// the result instead. A failed unpacking removes what it wrote of "exiftool_files", so the next start unpacks again
// instead of deploying half a folder.
// A stop request ends the deployment at its next step: the wait for another copy's lock and ExifTool's test run end at
// once, and the result then reports no ExifTool.
ExifToolDeployment DeployExifTool(const DeploymentFolders& folders, const DeploymentCallbacks& callbacks = {},
                                  std::stop_token stop = {});

// Whether program runs and answers "-ver" with a version number, within a time limit or until stop is requested.
bool ExifToolRuns(const QString& program, const QString& workingFolder, std::stop_token stop = {});

// The program that runs ExifTool: the launcher in exifToolFolder when that folder is complete, otherwise "exiftool"
// found on searchPaths (empty: PATH), otherwise empty.
QString ExifToolProgram(const QString& exifToolFolder, const QStringList& searchPaths = {});

// Deletes the ExifTool folder with everything in it when the program ends; nothing when exifToolFolder is empty.
// Throws TagscopeError when something stays behind.
void RemoveExifToolFolder(const QString& exifToolFolder);
