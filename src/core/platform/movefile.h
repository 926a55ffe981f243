#pragma once

#include <QString>

#include <stop_token>

// Moves the file from to to, across file systems too. With replace, an existing file at to is replaced atomically;
// without, an existing file is never replaced (the check and the move are one step) and the move fails.
// A copy between file systems ends early when stop is requested, and nothing is moved. Returns an empty text on
// success, otherwise the system's reason.
QString MoveFileTo(const QString& from, const QString& to, bool replace, std::stop_token stop = {});

// Whether a and b name the same existing file, also through a link or as two hard links of it.
bool IsSameFile(const QString& a, const QString& b);
