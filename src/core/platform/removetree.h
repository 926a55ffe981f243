#pragma once

#include <QString>

// Deletes the folder path with everything in it. A link is removed as the link itself and never followed, so nothing
// outside the folder is touched, even when a folder inside is swapped for a link while the walk runs; when path itself
// is a link, only that link is removed. A path that does not exist is no error. Throws TagscopeError, naming the
// entry that could not be removed, at the first entry that stays.
void RemoveFolderTree(const QString& path);

// "Permanently Delete" of a folder: deletes its content depth first, as much of it as can go, and then the folder;
// returns whether the folder itself is gone. What was deleted before an entry that resists stays deleted. Links are
// removed as links, never followed, as by RemoveFolderTree; a folder that does not exist gives false.
bool DeleteFolderTree(const QString& folder);

// Copies the folder source with everything in it to target, which is created when missing; files of the same name in
// target are replaced. Links inside source are copied as links; sockets, pipes and devices are skipped. Throws
// TagscopeError when an entry cannot be read or written, and when a folder inside target is a link.
void CopyFolderTree(const QString& source, const QString& target);

// Copies the file source (a link to a file is followed) to target, replacing a file of that name. The copy is written
// beside target and renamed over it, so target never holds half a copy and a link at target is replaced rather than
// written through. Returns false when the copy failed.
bool CopyFileReplacing(const QString& source, const QString& target);
