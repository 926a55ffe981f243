#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QUrl>

// File names as the program holds them. A name is bytes to the system and need not be UTF-8 (an old archive, a disk
// of another system). Each byte of a name that is not part of valid UTF-8 is held as the code point U+DC00 plus the
// byte (U+DC80 to U+DCFF), a lone surrogate that no UTF-8 text decodes to, so a name read from the disk always gives
// back its own bytes, and a name that is UTF-8 is held as its plain text. Qt's own conversions (QFile::encodeName,
// QString::toUtf8) would turn those code points into other bytes, so every name that reaches the system goes through
// EncodeFileName, and every name that is shown through ShownFileName.

// The bytes of a name or path as the program holds them.
QString DecodeFileName(QByteArrayView bytes);

// The bytes the system knows the name or path by: DecodeFileName undone.
QByteArray EncodeFileName(QStringView name);

// Whether the name holds a byte that is not UTF-8.
bool HoldsForeignBytes(QStringView name);

// The name as the user sees it: each byte that is not UTF-8 as U+FFFD, as file managers show it.
QString ShownFileName(const QString& name);

// The file: URL of an absolute path, its bytes percent-encoded: what file managers, the clipboard and the desktop's
// "open" are given. QUrl::fromLocalFile would encode the held text, not the bytes.
QUrl LocalFileUrl(const QString& path);
