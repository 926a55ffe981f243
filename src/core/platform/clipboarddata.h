#pragma once

#include <QStringList>

class QMimeData;

// The clipboard data of files: their URIs (text/uri-list, which is also the file list of other systems' clipboards),
// and the same for file managers that paste files (x-special/gnome-copied-files: "copy", then one encoded URI per line,
// with no final line break, which some file managers cannot take). The caller owns the result.
QMimeData* FilesClipboardData(const QStringList& paths);

// The clipboard data of text lines: plain text, each line followed by CR LF, the last one too. The caller owns it.
QMimeData* LinesClipboardData(const QStringList& lines);
