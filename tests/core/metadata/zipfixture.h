#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One member of an archive made by a test.
struct ZipFixtureMember
{
    enum Kind
    {
        File,
        Folder,
        Symlink // data is the link's target
    };

    QByteArray name;
    QByteArray data;
    Kind kind = File;
    bool deflated = true;
    unsigned mode = 0644; // permission bits stored with a file
};

// Writes a ZIP archive with libzip holding exactly the given members, whatever their names. False, with a warning,
// when libzip fails.
bool WriteZipFixture(const QString& path, const QList<ZipFixtureMember>& members);
