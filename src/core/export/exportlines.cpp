#include "core/export/exportlines.h"

#include "core/base/paths.h"

#include <algorithm>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

QString QuoteCsvField(const QString& text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

int KacTaneSlashVar(QStringView dosyaadi)
{
    return int(dosyaadi.count(kPathSeparator));
}

QString TreeviewYap(const QString& dosyaadi, const QString& bosluk, int KacTaneSlashGozardiEt)
{
    const int levels = KacTaneSlashVar(dosyaadi) - KacTaneSlashGozardiEt;
    if (levels <= 0)
        return dosyaadi;
    return bosluk.repeated(4 * levels) + dosyaadi;
}

namespace {

// One field of a TXT line, which is tab-separated and never quoted: a tab, line feed or carriage return is written as
// its Unicode control picture (U+2409, U+240A, U+240D), so that every row stays one line of its own fields.
QString TxtField(const QString& text)
{
    if (!text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString shown = text;
    shown.replace(u'\t', QChar(0x2409));
    shown.replace(u'\n', QChar(0x240A));
    shown.replace(u'\r', QChar(0x240D));
    return shown;
}

} // namespace

QString HtmlEscaped(QStringView text)
{
    if (std::none_of(text.begin(), text.end(),
                     [](QChar c) { return c == u'&' || c == u'<' || c == u'>' || c == u'"'; }))
        return text.toString();
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            escaped += u"&amp;"_s;
            break;
        case u'<':
            escaped += u"&lt;"_s;
            break;
        case u'>':
            escaped += u"&gt;"_s;
            break;
        case u'"':
            escaped += u"&quot;"_s;
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

ExportLineBuilder::ExportLineBuilder(const ExportOptions& options, const QLocale& locale)
    : m_options(options), m_locale(locale), m_dates(locale),
      m_separator(options.output == ExportOutput::Txt ? QChar(u'\t') : options.listSeparator),
      m_unit(options.output == ExportOutput::Html ? u"&nbsp;"_s : u" "_s)
{}

QStringList ExportLineBuilder::headerCells() const
{
    QStringList labels;
    if (m_options.name)
        labels.append(u"Name"_s);
    if (m_options.extension)
        labels.append(u"Extension"_s);
    if (m_options.date)
        labels.append(u"Date"_s);
    if (m_options.size)
        labels.append(u"Size"_s);
    return labels;
}

QString ExportLineBuilder::header() const
{
    const QStringList labels = headerCells();
    if (m_options.output == ExportOutput::Html) {
        QString row = u"<tr>"_s;
        for (const QString& label : labels)
            row += u"<th>"_s + label + u"</th>"_s;
        return row + u"</tr>"_s;
    }
    return joined(labels, false);
}

QStringList ExportLineBuilder::rowCells(const ExportRecord& record)
{
    QStringList texts;
    if (m_options.name) {
        const bool html = m_options.output == ExportOutput::Html;
        const QString fullName = record.fullName();
        QString name = html ? HtmlEscaped(fullName) : fullName;
        if (m_options.treeview) {
            // The entities of the escaped text hold no separator, so its depth is the path's own.
            if (!m_baseline)
                m_baseline = KacTaneSlashVar(fullName);
            name = TreeviewYap(name, m_unit, *m_baseline);
        }
        texts.append(name);
    }
    if (m_options.extension)
        texts.append(record.extension);
    if (m_options.date)
        texts.append(record.dateKey == kUnknownDateKey ? QString() : m_dates.text(record.dateKey));
    if (m_options.size)
        texts.append(QString::number(record.size));
    return texts;
}

QString ExportLineBuilder::line(const ExportRecord& record)
{
    QStringList texts = rowCells(record);
    if (m_options.output == ExportOutput::Html) {
        QString row;
        row.reserve(16 + 10 * texts.size() +
                    std::accumulate(texts.cbegin(), texts.cend(), qsizetype(0),
                                    [](qsizetype n, const QString& t) { return n + t.size(); }));
        row += u"<tr>"_s;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            // The name is escaped already, with the tree layout's entities as markup.
            const QString& text = texts.at(i);
            const bool isName = m_options.name && i == 0;
            row += u"<td>"_s;
            row += isName ? text : HtmlEscaped(text);
            row += u"</td>"_s;
        }
        row += u"</tr>"_s;
        return row;
    }
    if (m_options.output == ExportOutput::Txt) {
        for (QString& text : texts)
            text = TxtField(text);
        return joined(texts, false);
    }
    return joined(texts, true);
}

QString ExportLineBuilder::joined(const QStringList& texts, bool quote) const
{
    // Every text is preceded by the separator, and the line's leading separator is then taken away.
    QString line;
    for (const QString& text : texts) {
        line += m_separator;
        line += quote ? QuoteCsvField(text, m_separator) : text;
    }
    if (line.startsWith(m_separator))
        line.remove(0, 1);
    return line;
}
