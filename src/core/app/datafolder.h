#pragma once

#include <QString>

// Whether a file can be created in folder: creates folder/chk.tmp exclusively and removes it again, so a leftover
// chk.tmp makes the answer false.
bool IsFolderWritable(const QString& folder);

// The folder of settings.ini, with a trailing separator: the program's folder when writable, else
// configHome/company/product/ (made with every missing folder on the way; a failure is tolerated).
QString ChooseDataFolder(const QString& programFolder, const QString& configHome, const QString& companyName,
                         const QString& productName);

// $XDG_CONFIG_HOME, or ~/.config when it is unset or empty.
QString UserConfigHome();

// $XDG_STATE_HOME, or ~/.local/state when it is unset, empty or not absolute.
QString UserStateHome();
