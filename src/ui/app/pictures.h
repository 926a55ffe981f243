#pragma once

#include <QIcon>
#include <QString>

// The picture of a menu item, button or list row by its name: "tagscope" (the program icon), "folder48", "zoom",
// "exit", "help", "reverse", "feedback", "about", "folder-open16", "document-blank16", "lightbulb64", and the file
// type pictures "image16", "audio16", "video16", "archive16", "text16" and "document16"; for the online windows the
// maker's "logo" (344 x 105), "cat" (320 x 214), "arrow" (16 x 16, a menu button's mark), "close" (22 x 22), "like" and
// "dislike" (32 x 32).
// Where the desktop's icon theme has a fitting icon it is used, so the menus match the rest of the desktop; otherwise,
// and always for the program icon, the program's own drawing. An unknown name gives a null icon.
QIcon Picture(const QString& name);
