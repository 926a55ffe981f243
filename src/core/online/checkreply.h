#pragma once

#include <QString>
#include <QStringView>

// The value of tag on line: the text between "<tag>" at its start and "</tag>" at its end, compared
// case-sensitively; empty when the line does not have both.
QString ReplyTagValue(QStringView line, const QString& tag);

// What the update check takes from the service's reply.
struct CheckReply
{
    bool valid = false;     // not an "ERROR" reply, and a fourth line whose result tag is "0" or "1"
    QString version;        // the version tag of the first line
    QString url;            // the url tag of the second line
};

// Reads a reply of the update check: the version on the first line, the download address on the second, the
// result on the fourth (lines as SplitTextLines makes them).
CheckReply ReadCheckReply(const QString& text);

// Whether an offered version, without its dots, reads as a whole number (optional sign, decimal digits, within the
// range of a 32-bit integer).
bool IsNumericVersion(const QString& version);
