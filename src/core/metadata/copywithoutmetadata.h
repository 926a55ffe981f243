#pragma once

#include <QString>

#include <chrono>
#include <stop_token>

// What "Save As..." needs to save a copy of a file without its metadata.
struct CopyWithoutMetadataRequest
{
    QString source;                // the selected file
    QString target;                // the name the user chose
    bool replaceConfirmed = false; // the target existed and the user confirmed replacing it
    QString exifToolProgram;       // the ExifTool program to run
    QString workingFolder;         // the folder ExifTool runs in
    QString tempFolder;            // the program's private temporary folder
    // The time ExifTool may take for a small source. It reads the whole source and writes the whole copy, so a larger
    // one gets a second more per kBytesPerExtraSecond: a long video on a slow disk must not be cut off.
    std::chrono::milliseconds timeLimit = std::chrono::seconds(60);
    static constexpr qint64 kBytesPerExtraSecond = 4 * 1024 * 1024;
};

struct CopyWithoutMetadataResult
{
    QString output;             // ExifTool's console text, standard output and error as written
    bool errorReported = false; // output begins with "Error": the window shows it in the "ERROR" box
    bool moved = false;         // the stripped copy is at the target
    QString moveError;          // why not, when it is not
};

// Lets ExifTool write a copy of the source without metadata into the temporary folder ("brindlescope.tmp", or a
// free variant of that name), then moves the copy to the target. The source is never changed unless it is the
// confirmed target. A copy from a run that did not finish is thrown away, never moved. Blocks the calling thread.
CopyWithoutMetadataResult CopyWithoutMetadata(const CopyWithoutMetadataRequest& request, std::stop_token stop = {});
