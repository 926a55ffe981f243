#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small file helpers for test fixtures.

// Writes bytes to path, replacing what was there; the folder must exist. False when it fails.
bool WriteWholeFile(const QString& path, const QByteArray& bytes);
// Writes a program (a script) to path that its owner may run. False when it fails.
bool WriteScript(const QString& path, const QByteArray& text);
// The same, making the missing folders on the way first.
bool WriteFileMakingFolders(const QString& path, const QByteArray& bytes);
// The bytes of the file at path; empty when it cannot be read.
QByteArray ReadWholeFile(const QString& path);
// Every entry of a folder, hidden ones too, without "." and "..", sorted by name.
QStringList FolderEntries(const QString& folder);
