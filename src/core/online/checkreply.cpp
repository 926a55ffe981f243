#include "core/online/checkreply.h"

#include "core/base/textlines.h"

#include <QList>

#include <limits>

using namespace Qt::Literals::StringLiterals;

QString ReplyTagValue(QStringView line, const QString& tag)
{
    const QString open = u'<' + tag + u'>';
    const QString close = u"</"_s + tag + u'>';
    if (line.size() < open.size() + close.size() || !line.startsWith(open) || !line.endsWith(close))
        return {};
    return line.sliced(open.size(), line.size() - open.size() - close.size()).toString();
}

CheckReply ReadCheckReply(const QString& text)
{
    CheckReply reply;
    if (text.startsWith(u"ERROR"_s))
        return reply;
    const QList<QStringView> lines = SplitTextLines(text);
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
