#pragma once

#include <QByteArray>
#include <QString>
#include <QVersionNumber>

// The text values of an executable's version data. The caller starts from empty texts; a value the data lacks leaves
// its field as it was.
struct TEXEVersionData
{
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString OriginalFileName;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString PrivateBuild;
    QString SpecialBuild;
};

// Reads the text values of the version data of fileName through the first pair of its translation table. Throws
// TagscopeError with SystemErrorText() when the file cannot be read (the system's error code), has no version data
// or no translation table (ENODATA), or holds a malformed block (EBADMSG); data is then left unchanged.
void ReadVersionData(const QString& fileName, TEXEVersionData& data);

// The fixed file version of fileName as four numbers (major, minor, release, build). Throws as ReadVersionData does;
// a block without a VS_FIXEDFILEINFO counts as no version data.
QVersionNumber ReadFileVersion(const QString& fileName);
