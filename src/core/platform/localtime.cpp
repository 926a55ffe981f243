#include "core/platform/localtime.h"

#include <algorithm>
#include <ctime>

void ReloadTimeZone()
{
    ::tzset();
}

bool LocalTimeOf(qint64 secsSinceEpoch, LocalTimeParts& parts)
{
    const time_t t = static_cast<time_t>(secsSinceEpoch);
    tm local;
    if (t != secsSinceEpoch || !::localtime_r(&t, &local))
        return false;
    parts.date = QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    parts.secondOfDay = local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59);
    return true;
}
