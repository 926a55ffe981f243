#include "core/online/checkreply.h"

#include <limits>

using namespace Qt::Literals::StringLiterals;

QStringList SplitReplyLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

QString ReplyTagValue(const QString& line, const QString& tag)
{
    const QString open = u'<' + tag + u'>';
    const QString close = u"</"_s + tag + u'>';
    if (line.size() < open.size() + close.size() || !line.startsWith(open) || !line.endsWith(close))
        return {};
    return line.mid(open.size(), line.size() - open.size() - close.size());
}

CheckReply ReadCheckReply(const QString& text)
{
    CheckReply reply;
    if (text.startsWith(u"ERROR"_s))
        return reply;
    const QStringList lines = SplitReplyLines(text);
    if (lines.size() < 4)
        return reply;
    const QString result = ReplyTagValue(lines.at(3), u"result"_s);
    if (result != u"0"_s && result != u"1"_s)
        return reply;
    reply.valid = true;
    reply.version = ReplyTagValue(lines.at(0), u"version"_s);
    reply.url = ReplyTagValue(lines.at(1), u"url"_s);
    return reply;
}

bool IsNumericVersion(const QString& version)
{
    QString digits = version;
    digits.remove(u'.');
    qsizetype first = 0;
    if (!digits.isEmpty() && (digits.front() == u'+' || digits.front() == u'-'))
        first = 1;
    if (first == digits.size())
        return false;
    for (qsizetype i = first; i < digits.size(); ++i) {
        if (digits.at(i) < u'0' || digits.at(i) > u'9')
            return false;
    }
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    return ok && value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}
