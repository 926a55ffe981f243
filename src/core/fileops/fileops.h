#pragma once

#include "core/filelist/rowselection.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <exception>
#include <vector>

class FileRecords;

// text with the letters A to Z made a to z; every other character stays as it is.
QString FoldAsciiLetters(QStringView text);

// "Find": the rows 0 to rowCount - 1 whose first-column text (the full path) contains text, with only A to Z folded.
// An empty text matches nothing. Reads the list under its lock.
std::vector<RowRange> FindMatchingRows(const FileRecords& records, int rowCount, const QString& text);

// How many characters of a file name the rename window selects: the stem, the part before the name's last "." (the
// whole name when it has none, nothing for a name such as ".profile").
qsizetype StemLength(QStringView name);

// What is wrong with name as a file's new name, for the user; empty when it may be tried.
QString RenameProblem(const QString& name);

// Renames the file oldPath to newName in the same folder, never replacing an existing file; empty on success,
// otherwise the reason (for a refused name, RenameProblem's).
QString RenameFileTo(const QString& oldPath, const QString& newName);

// Moves an existing file or folder to the trash ("Send to Recycle Bin"); false when the path does not exist or the move
// failed, with the reason in reason.
bool SendToRecycleBin(const QString& path, QString* reason = nullptr);

// Deletes the file (a link: the link itself) for "Permanently Delete"; false with the reason when it stays.
bool DeleteFileAt(const QString& path, QString* reason = nullptr);

// What "Move to Trash" (trash) or "Permanently Delete" did, for the status bar: "3 items moved to the Trash",
// "1 item deleted, 2 could not be deleted".
QString RemovalOutcomeText(bool trash, int done, int failed);

// The text shown when an error escapes the handling of one path: the error's class, " error raised, with message : "
// and its message.
QString ErrorRaisedText(const std::exception& error);
