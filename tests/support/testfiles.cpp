#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool WriteScript(const QString& path, const QByteArray& text)
{
    return WriteWholeFile(path, text) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool WriteFileMakingFolders(const QString& path, const QByteArray& bytes)
{
    return QDir().mkpath(QFileInfo(path).absolutePath()) && WriteWholeFile(path, bytes);
}

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
