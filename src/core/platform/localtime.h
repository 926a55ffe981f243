#pragma once

#include <QDate>
#include <QtGlobal>

// A moment in the local time of the system's time zone, to the second.
struct LocalTimeParts
{
    QDate date;
    int secondOfDay = 0; // 0 to 86399; a leap second counts as the second before it
};

// Makes the next conversions take up a change of the time zone since the program started.
void ReloadTimeZone();

// The local time of secsSinceEpoch through the C library, which reads the zone once, where QDateTime looks at the
// zone files on every call. False when the time cannot be converted.
bool LocalTimeOf(qint64 secsSinceEpoch, LocalTimeParts& parts);
