#pragma once

#include <QString>
#include <QStringList>

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
    QString qpdfProgram;           // qpdf, which rewrites a PDF without its earlier revisions; empty: found on PATH
    // The time ExifTool may take for a small source. It reads the whole source and writes the whole copy, so a larger
    // one gets a second more per kBytesPerExtraSecond: a long video on a slow disk must not be cut off.
    std::chrono::milliseconds timeLimit = std::chrono::seconds(60);
    static constexpr qint64 kBytesPerExtraSecond = 4 * 1024 * 1024;
};

struct CopyWithoutMetadataResult
{
    QString output;             // ExifTool's console text, standard output and error as written
    bool errorReported = false; // output begins with "Error": the window shows it in the "ERROR" box
    bool refused = false;       // the target is the source itself (also through a link): nothing was done
    bool moved = false;         // the stripped copy is at the target
    QString moveError;          // why not, when it is not
    QStringList remainingTags;  // the metadata ExifTool still finds in the saved copy ("Group:Tag")
};

// Lets ExifTool write a copy of the source without metadata into the temporary folder ("brindlescope.tmp", or a
// free variant of that name), then moves the copy to the target.
// - The source itself is never changed: a target that is the source, by its name, through a link or as a second
//   hard link, is refused before anything runs.
// - ExifTool removes a PDF's metadata by appending a revision, which leaves the old one readable in the file; qpdf
//   then rewrites the copy with only what the document still uses. Without qpdf a PDF copy is not saved.
// - The copy is read once more, and the metadata found in it is listed in remainingTags.
// A copy from a run that did not finish is thrown away, never moved. Blocks the calling thread.
CopyWithoutMetadataResult CopyWithoutMetadata(const CopyWithoutMetadataRequest& request, std::stop_token stop = {});
