#pragma once

#include <QString>

// Moves path to the trash as the freedesktop.org Trash specification describes, so that file managers and trash-cli
// list it and can put it back: a file, a folder with everything in it, or a link (moved as the link, never followed).
// An item on the file system of the home trash goes there ($XDG_DATA_HOME/Trash, with absolute paths); any other to
// the trash of its mount: $topdir/.Trash/$uid when $topdir/.Trash is a sticky folder and no link, otherwise
// $topdir/.Trash-$uid, with paths relative to $topdir. The information file is created first, exclusively, under a
// name no other trashed item has, and the item is then renamed beside it without replacing anything. No item is ever
// copied. Returns an empty text on success, otherwise the reason.
QString MoveToTrash(const QString& path);

// The home trash: $XDG_DATA_HOME/Trash when that variable holds an absolute path, otherwise ~/.local/share/Trash.
QString HomeTrashFolder();
