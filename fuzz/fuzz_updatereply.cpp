// The update check's reply: the line split, the tag values, the validity rules and the notice decision, and the
// feedback's "OK" test. The input is the reply body as the service would send it, decoded as the post decodes it.

#include "fuzzsupport.h"

#include "core/base/textlines.h"
#include "core/online/checkreply.h"
#include "core/online/feedback.h"
#include "core/online/updatecheck.h"

#include <QFile>
#include <QStringList>

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace {

// The text with every line end made a LF and one final line end dropped: what the lines join back to.
QString normalisedLines(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzBytes(data, size));

    QStringList lines;
    for (const QStringView line : SplitTextLines(text))
        lines.append(line.toString());
    for (const QString& line : lines)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));
    FUZZ_CHECK(lines.join(u'\n') == normalisedLines(text));

    for (const QString& tag : {u"version"_s, u"url"_s, u"result"_s}) {
        for (const QString& line : lines.mid(0, 4)) {
            const QString value = ReplyTagValue(line, tag);
            if (!value.isEmpty())
                FUZZ_CHECK(line == u'<' + tag + u'>' + value + u"</"_s + tag + u'>');
            // Whatever a line holds comes back from between its tags.
            FUZZ_CHECK(ReplyTagValue(u'<' + tag + u'>' + line + u"</"_s + tag + u'>', tag) == line);
        }
    }

    const CheckReply reply = ReadCheckReply(text);
    if (reply.valid) {
        FUZZ_CHECK(!text.startsWith(u"ERROR"_s) && lines.size() >= 4);
        const QString result = ReplyTagValue(lines.at(3), u"result"_s);
        FUZZ_CHECK(result == u"0"_s || result == u"1"_s);
        FUZZ_CHECK(reply.version == ReplyTagValue(lines.at(0), u"version"_s));
        FUZZ_CHECK(reply.url == ReplyTagValue(lines.at(1), u"url"_s));
    } else {
        FUZZ_CHECK(reply.version.isEmpty() && reply.url.isEmpty());
    }
    if (IsNumericVersion(reply.version)) {
        QString digits = reply.version;
        digits.remove(u'.');
        bool ok = false;
        (void)digits.toInt(&ok);
        FUZZ_CHECK(ok);
    }
    if (IsFeedbackDelivered(text))
        FUZZ_CHECK(normalisedLines(text).trimmed().contains(u"OK"_s));

    // The whole check with this reply, as if the service had sent it: a notice only for a valid reply that names
    // another numeric version.
    static const QString store = FuzzPrivateFolder() + u"/Settings.conf"_s;
    QFile::remove(store);
    CheckEnvironment environment;
    environment.serviceHost = u"127.0.0.1:9"_s;
    environment.applicationName = u"BRINDLE - Tagscope"_s;
    environment.versionText = u"1.4"_s;
    environment.storePath = store;
    environment.today = u"12/10/26"_s;
    environment.post = [&text](const QString& address, const QStringList&, int) {
        if (address.startsWith(u"https:"_s))
            throw std::runtime_error("no TLS here");
        return text;
    };
    CheckResult result;
    FUZZ_CHECK(CheckNow(environment, result));
    if (result.noticeWanted) {
        FUZZ_CHECK(reply.valid && !result.failed);
        FUZZ_CHECK(result.offeredVersion == reply.version && result.offeredVersion != environment.versionText);
        FUZZ_CHECK(IsNumericVersion(result.offeredVersion));
        FUZZ_CHECK(result.downloadAddress == reply.url);
    }
    return 0;
}
