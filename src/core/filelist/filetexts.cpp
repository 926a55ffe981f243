#include "core/filelist/filetexts.h"

#include "core/base/paths.h"
#include "core/platform/localtime.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

namespace {

// Floor division, so that times before the epoch fall into the minute that holds them.
qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool isPathBreak(QChar c)
{
    return c == kPathSeparator;
}

// Whether a QDateTime format holds a field letter outside its quoted literal parts.
bool formatShows(QStringView format, char16_t field)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == field)
            return true;
    }
    return false;
}

bool formatShowsSeconds(QStringView format)
{
    return formatShows(format, u's');
}

} // namespace

QStringView PathExtension(QStringView path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == u'.')
            return path.sliced(i);
        if (isPathBreak(c))
            break;
    }
    return {};
}

QString ExtensionText(QStringView path)
{
    QString e = PathExtension(path).toString();
    for (QChar& c : e) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    if (e.size() > 1)
        e.remove(0, 1);
    return e;
}

QString GroupedNumberText(qint64 n, const QLocale& locale)
{
    // Always groups of three: QLocale's own grouping leaves four-digit numbers alone in some locales (Spanish,
    // Polish) and groups by two in others (Indian English). The digits are always 0 to 9, as in every other number
    // the program shows; only the separator is the locale's.
    const QString digits = QString::number(n);
    const QString separator = locale.groupSeparator();
    qsizetype firstDigit = 0;
    while (firstDigit < digits.size() && !digits[firstDigit].isDigit())
        ++firstDigit;
    QString grouped = digits;
    for (qsizetype at = digits.size() - 3; at > firstDigit; at -= 3)
        grouped.insert(at, separator);
    return grouped;
}

QString Sutun1NeOlacak(bool hideInitialPath, bool hideFileExtension, const QString& sourceDirectory,
                       const QString& fullName, const QString& fileName, const QString& fileType)
{
    Q_UNUSED(sourceDirectory);
    Q_UNUSED(fileType);
    const QString& text = hideInitialPath ? fileName : fullName;
    if (!hideFileExtension)
        return text;
    return text.chopped(PathExtension(text).size());
}

QString ItemCountText(qint64 count, const QLocale& locale)
{
    if (count < 2)
        return QString::number(count) + QStringLiteral(" item");
    return GroupedNumberText(count, locale) + QStringLiteral(" items");
}

QString ElapsedSecondsText(double seconds, const QLocale& locale)
{
    // The digits 0 to 9 with the locale's decimal separator.
    QString text = QString::number(seconds, 'f', 3);
    const qsizetype point = text.lastIndexOf(u'.');
    if (point >= 0)
        text.replace(point, 1, locale.decimalPoint());
    return text;
}

QString FinishedText(double seconds, const QLocale& locale)
{
    return QStringLiteral("Finished (Elapsed Time: %1 s)").arg(ElapsedSecondsText(seconds, locale));
}

QString InterruptedText(double seconds, const QLocale& locale)
{
    return QStringLiteral("Interrupted by user (Elapsed Time: %1 s)").arg(ElapsedSecondsText(seconds, locale));
}

QString FoundSoFarText(qint64 count, const QLocale& locale)
{
    return GroupedNumberText(count, locale) +
           (count == 1 ? QStringLiteral(" file found") : QStringLiteral(" files found"));
}

QString LeftOutText(qint64 unreadableFolders, const QLocale& locale)
{
    if (unreadableFolders <= 0)
        return {};
    return QStringLiteral("; %1 %2 could not be read")
        .arg(GroupedNumberText(unreadableFolders, locale),
             unreadableFolders == 1 ? QStringLiteral("folder") : QStringLiteral("folders"));
}

FileDateTexts::FileDateTexts(const QLocale& locale)
    : m_locale(locale), m_dateFormat(locale.dateFormat(QLocale::ShortFormat)),
      m_timeFormat(locale.timeFormat(QLocale::ShortFormat)), m_format(m_dateFormat + u' ' + m_timeFormat),
      m_step(formatShowsSeconds(m_format) ? 1 : 60), m_byParts(!formatShows(m_format, u't'))
{
    // Takes up a change of the time zone since the last scan.
    ReloadTimeZone();
}

QString FileDateTexts::makeText(qint64 secsSinceEpoch)
{
    // The texts of the day and of the time of day are each made once.
    LocalTimeParts parts;
    if (m_byParts && LocalTimeOf(secsSinceEpoch, parts)) {
        const QDate& date = parts.date;
        const int secondOfDay = parts.secondOfDay;
        auto day = m_dayTexts.find(date.toJulianDay());
        if (day == m_dayTexts.end())
            day = m_dayTexts.emplace(date.toJulianDay(), m_locale.toString(date, m_dateFormat)).first;
        auto time = m_timeTexts.find(secondOfDay);
        if (time == m_timeTexts.end()) {
            time = m_timeTexts
                       .emplace(secondOfDay,
                                m_locale.toString(QTime::fromMSecsSinceStartOfDay(secondOfDay * 1000), m_timeFormat))
                       .first;
        }
        return day->second + u' ' + time->second;
    }
    return m_locale.toString(QDateTime::fromSecsSinceEpoch(secsSinceEpoch, Qt::LocalTime), m_format);
}

const QString& FileDateTexts::text(qint64 secsSinceEpoch)
{
    const qint64 bucket = floorDiv(secsSinceEpoch, m_step);
    if (m_lastText && bucket == m_lastBucket)
        return *m_lastText;
    auto it = m_texts.find(bucket);
    if (it == m_texts.end()) {
        // Only the texts of rows drawn or written lately are worth keeping.
        if (m_texts.size() >= kMaxCachedTexts) {
            m_texts.clear();
            m_lastText = nullptr;
        }
        // The start of the bucket shows the same minute (or second) as every time in it, since local time differs
        // from UTC by whole minutes.
        it = m_texts.emplace(bucket, makeText(bucket * m_step)).first;
    }
    m_lastBucket = bucket;
    m_lastText = &it->second;
    return it->second;
}

qint64 FileDateTexts::key(qint64 secsSinceEpoch) const
{
    return floorDiv(secsSinceEpoch, m_step) * m_step;
}

QString FileDateText(const QString& path, const QLocale& locale)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return {};
    FileDateTexts texts(locale);
    return texts.text(modified.toSecsSinceEpoch());
}

QStringList SampleDateTexts(const QLocale& locale)
{
    FileDateTexts texts(locale);
    QStringList samples;
    for (int month = 1; month <= 12; ++month) {
        for (const int hour : {10, 22}) {
            const QDateTime time(QDate(2026, month, 28), QTime(hour, 58, 58));
            samples.append(texts.text(time.toSecsSinceEpoch()));
        }
    }
    return samples;
}
