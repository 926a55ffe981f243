#include "core/online/feedback.h"

#include "core/base/textlines.h"
#include "core/base/trim.h"
#include "core/online/checkreply.h"
#include "core/online/postform.h"
#include "core/app/serviceaddress.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

// text with every line break (CR LF, CR or LF) made a CR LF, and a final one dropped.
QString withCrLfLines(QStringView text)
{
    const QList<QStringView> lines = SplitTextLines(text);
    QString joined;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += u"\r\n"_s;
        joined += lines[i];
    }
    return joined;
}

} // namespace

bool IsValidEmailAddress(const QString& address)
{
    static const QRegularExpression pattern(QString::fromUtf16(kEmailPattern));
    // The match must cover the whole text: "$" alone would also match before a final line break.
    const QRegularExpressionMatch match = pattern.match(address);
    return match.hasMatch() && match.capturedLength() == address.size();
}

QString FeedbackText(bool like, bool dislike, const QString& comment)
{
    // The edit box ends its lines with LF; the text goes out with CR LF after every line, the choice's too.
    QString text;
    if (like)
        text += u"I like it!\r\n"_s;
    if (dislike)
        text += u"I dislike it!\r\n"_s;
    return text + withCrLfLines(TrimBlanksAndControls(comment));
}

QStringList FeedbackFields(const QString& applicationName, const QString& versionText, const QString& feedback,
                           const QString& email)
{
    QStringList fields{u"cmd=feedback"_s, u"appname="_s + applicationName, u"version="_s + versionText,
                       u"feedback="_s + feedback};
    if (!email.isEmpty())
        fields.append(u"email="_s + email);
    return fields;
}

bool IsFeedbackDelivered(const QString& reply)
{
    return TrimBlanksAndControls(withCrLfLines(reply)) == u"OK"_s;
}

bool SendFeedback(const QString& serviceHost, const QStringList& fields, int timeoutSeconds,
                  const std::atomic<bool>* cancel)
{
    if (serviceHost.isEmpty())
        return false;
    const QString path = u"/php/feedback.php"_s;
    QString reply;
    try {
        reply = PostForm(ServiceAddress(true, serviceHost, path), fields, timeoutSeconds, cancel);
    } catch (const std::exception&) {
        try {
            reply = PostForm(ServiceAddress(false, serviceHost, path), fields, timeoutSeconds, cancel);
        } catch (const std::exception&) {
            return false;
        }
    }
    return IsFeedbackDelivered(reply);
}
