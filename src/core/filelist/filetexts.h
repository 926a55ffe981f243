#pragma once

#include <QLocale>
#include <QStringList>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <limits>
#include <unordered_map>

// FDateKey of a file whose last-write time could not be read; it sorts before every real time.
inline constexpr qint64 kUnknownDateKey = std::numeric_limits<qint64>::min();

// The extension of a path as it is written: from the last "." after the last separator to the end, "." included;
// empty when there is no such ".". (A drive's ":" counts as a separator only where paths have drives.)
QStringView PathExtension(QStringView path);

// The "Extension" column text: the extension with a to z made upper case and, when longer than one character,
// without its leading ".". "photo.jpeg" gives "JPEG", "README" an empty text, ".profile" "PROFILE", "a." ".".
QString ExtensionText(QStringView path);

// A whole number with the locale's thousand separator between groups of three digits.
QString GroupedNumberText(qint64 n, const QLocale& locale);

// The first-column text of a row (the name means "what will column 1 be"): the full name, or only the file name when
// hideInitialPath, either without its extension when hideFileExtension. sourceDirectory and fileType do not change
// the result for the only type the program passes, "File".
QString Sutun1NeOlacak(bool hideInitialPath, bool hideFileExtension, const QString& sourceDirectory,
                       const QString& fullName, const QString& fileName, const QString& fileType);

// The item count of the status bar: "0 item", "1 item", "2 items", "1,500 items".
QString ItemCountText(qint64 count, const QLocale& locale);

// What a scan has found so far: "1 file found", "1,500 files found".
QString FoundSoFarText(qint64 count, const QLocale& locale);

// Seconds with exactly three decimals, the locale's decimal separator and no group separators.
QString ElapsedSecondsText(double seconds, const QLocale& locale);

// "Finished (Elapsed Time: 1.234 s)" and "Interrupted by user (Elapsed Time: 1.234 s)".
QString FinishedText(double seconds, const QLocale& locale);
QString InterruptedText(double seconds, const QLocale& locale);

// What a scan left out, to follow its status text: "; 2 folders could not be read"; empty when nothing was left out.
QString LeftOutText(qint64 unreadableFolders, const QLocale& locale);

// Makes the "Date Modified" texts of one scan from last-write times: the locale's short date format, one blank and
// its short time format, in local time. Formatting one time costs microseconds, far more than listing a file, so the
// files of one minute (of one second when the short time format shows seconds) share one text.
class FileDateTexts final
{
public:
    explicit FileDateTexts(const QLocale& locale);

    // The text of a time given in seconds since the epoch; shared with every other time of its minute or second.
    const QString& text(qint64 secsSinceEpoch);

    // The sort key of a time: the time in seconds since the epoch, cut to the precision the text shows, so that two
    // files compare equal exactly when the texts show no difference.
    qint64 key(qint64 secsSinceEpoch) const;

    // The length in seconds of the smallest step the text shows: 1 or 60.
    qint64 precisionSeconds() const { return m_step; }

    const QString& format() const { return m_format; }

private:
    QString makeText(qint64 secsSinceEpoch);

    QLocale m_locale;
    QString m_dateFormat;
    QString m_timeFormat;
    QString m_format;
    qint64 m_step = 60;
    bool m_byParts = true; // false when the format shows the zone, which only a whole date and time can give
    std::unordered_map<qint64, QString> m_dayTexts;
    std::unordered_map<int, QString> m_timeTexts;
    static constexpr std::size_t kMaxCachedTexts = 65536;
    qint64 m_lastBucket = std::numeric_limits<qint64>::min();
    const QString* m_lastText = nullptr;
    std::unordered_map<qint64, QString> m_texts;
};

// "Date Modified" texts of the locale for times whose texts are among the longest it makes (two-digit days and
// hours, every month's name), so that a column can be made wide enough for any of them.
QStringList SampleDateTexts(const QLocale& locale);

// The "Date Modified" text of the file at path, following a link to its target; an empty text when the time cannot
// be read. Convenience for single files: a scan keeps one FileDateTexts for all its files.
QString FileDateText(const QString& path, const QLocale& locale);
