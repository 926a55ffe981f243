#include "core/filelist/filetexts.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

// Floor division, so that times before the epoch fall into the minute that holds them.
qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool isPathBreak(QChar c)
{
#ifdef Q_OS_WIN
    return c == u'\\' || c == u'/' || c == u':';
#else
    return c == kPathSeparator;
#endif
}

// Whether a QDateTime format shows seconds outside its quoted literal parts.
bool formatShowsSeconds(QStringView format)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u's')
            return true;
    }
    return false;
}

QLocale withoutGroupSeparator(QLocale locale)
{
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
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
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::NumberOptions(QLocale::OmitGroupSeparator));
    return grouped.toString(n);
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
    return withoutGroupSeparator(locale).toString(seconds, 'f', 3);
}

QString FinishedText(double seconds, const QLocale& locale)
{
    return QStringLiteral("Finished (Elapsed Time: %1 s)").arg(ElapsedSecondsText(seconds, locale));
}

QString InterruptedText(double seconds, const QLocale& locale)
{
    return QStringLiteral("Interrupted by user (Elapsed Time: %1 s)").arg(ElapsedSecondsText(seconds, locale));
}

FileDateTexts::FileDateTexts(const QLocale& locale)
    : m_locale(locale),
      m_format(locale.dateFormat(QLocale::ShortFormat) + u' ' + locale.timeFormat(QLocale::ShortFormat)),
      m_step(formatShowsSeconds(m_format) ? 1 : 60)
{}

const QString& FileDateTexts::text(qint64 secsSinceEpoch)
{
    const qint64 bucket = floorDiv(secsSinceEpoch, m_step);
    if (m_lastText && bucket == m_lastBucket)
        return *m_lastText;
    auto it = m_texts.find(bucket);
    if (it == m_texts.end()) {
        // The start of the bucket shows the same minute (or second) as every time in it, since local time differs
        // from UTC by whole minutes.
        const QDateTime local = QDateTime::fromSecsSinceEpoch(bucket * m_step, Qt::LocalTime);
        it = m_texts.emplace(bucket, m_locale.toString(local, m_format)).first;
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
