#pragma once

#include <QString>

// Unpacks every member of the ZIP archive into folder, keeping the members' relative paths, creating subfolders as
// needed and replacing files of the same name (stored and deflated members, and whatever else libzip inflates).
// Nothing is ever written outside folder: the whole archive is refused before anything is written when a member has
// an absolute path, a drive letter, a backslash or a ".." component, or is a symbolic link or special file; and a
// member whose way leads through a link or a file already inside folder is refused when it is reached. A file that
// already exists under a member's name, or a link there, is replaced by a new file, never written through.
// Throws TagscopeError naming the archive (and the member) when the archive is damaged or a member is refused.
void ExtractZipArchive(const QString& archive, const QString& folder);
