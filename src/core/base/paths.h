#pragma once

#include <QString>

// The separator the program joins and splits paths with: the native one. A port to a system with another one sets
// it here.
inline constexpr char16_t kPathSeparator = u'/';

// folder with one separator appended unless it already ends with one (the name says backslash, the separator of the
// system this program was first written for; it is the native separator).
QString AddTrailingBackslash(const QString& folder);

// A folder text with one trailing separator removed, as the folder dialog's choice is stored; the root stays "/".
QString WithoutTrailingSeparator(const QString& folder);
