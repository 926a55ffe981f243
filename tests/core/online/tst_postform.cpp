#include "core/base/errors.h"
#include "core/online/postform.h"
#include "support/httpserver.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include <atomic>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Runs a post and gives back the error text it raised, or the reply prefixed with "reply:".
QString outcome(const QString& address, int timeout = 5, const std::atomic<bool>* cancel = nullptr)
{
    try {
        return u"reply:"_s + PostForm(address, {u"cmd=check"_s}, timeout, cancel);
    } catch (const TagscopeError& error) {
        return error.message();
    }
}

} // namespace

class TestPostForm : public QObject
{
    Q_OBJECT

private slots:
    void postsTheFieldsFormEncoded();
    void replies_data();
    void replies();
    void failures_data();
    void failures();
    void lateReplies_data();
    void lateReplies();
    void serverThatNeverAnswersTimesOut();
    void cancelEndsAWaitingRequest();
};

void TestPostForm::postsTheFieldsFormEncoded()
{
    LocalHttpServer server;
    server.setReply("fine");
    const QStringList fields{u"cmd=feedback"_s, u"appname=BRINDLE - Tagscope"_s, u"feedback=I like it!\rCafé & more=+%"_s,
                             u"email=a.b+c@example.org"_s, u"empty="_s};
    QCOMPARE(PostForm(u"http://"_s + server.host() + u"/php/feedback.php"_s, fields, 5), u"fine"_s);

    const QList<LocalHttpServer::Request> requests = server.requests();
    QCOMPARE(requests.size(), 1);
    const LocalHttpServer::Request& request = requests.first();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, QByteArray("/php/feedback.php"));
    QCOMPARE(request.body, QByteArray("cmd=feedback&appname=BRINDLE%20-%20Tagscope&feedback=I%20like%20it%21%0DCaf%C3%A9"
                                      "%20%26%20more%3D%2B%25&email=a.b%2Bc%40example.org&empty="));
    const QByteArray headers = request.headers.toLower();
    QVERIFY(headers.contains("connection: close"));
    QVERIFY(headers.contains("content-type: application/x-www-form-urlencoded"));
}

void TestPostForm::replies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("lines") << QByteArray("<version>1.5</version>\r\n<url></url>\n") << u"<version>1.5</version>\r\n<url></url>\n"_s;
    QTest::newRow("UTF-8") << QByteArray("Gr\xc3\xbc\xc3\x9f" "e") << u"Grüße"_s;
    QTest::newRow("not UTF-8") << QByteArray("OK\xff\xfe") << u"OK\ufffd\ufffd"_s;
    QTest::newRow("binary with NUL") << QByteArray("a\0b", 3) << QString(u"a\0b"_s);
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestPostForm::replies()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    LocalHttpServer server;
    server.setReply(body);
    QCOMPARE(outcome(u"http://"_s + server.host() + u"/"_s), u"reply:"_s + text);
}

void TestPostForm::failures_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected"); // a piece of the error, or "reply:..." for a reply
    QTest::newRow("http error status") << u"http"_s << 404 << QByteArray("gone") << u"404"_s;
    QTest::newRow("https to a plain server") << u"https"_s << 200 << QByteArray("OK") << u"SSL"_s;
    QTest::newRow("huge reply") << u"http"_s << 200 << QByteArray(kMaxReplyBytes + 1, 'x') << u"longer than"_s;
    QTest::newRow("reply at the limit") << u"http"_s << 200 << QByteArray(kMaxReplyBytes, 'x') << u"reply:xxx"_s;
}

void TestPostForm::failures()
{
    QFETCH(QString, scheme);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    LocalHttpServer server;
    server.setReply(body, status);
    const QString result = outcome(scheme + u"://"_s + server.host() + u"/php/check2.php"_s);
    QVERIFY2(result.contains(expected, Qt::CaseInsensitive), qPrintable(result.left(200)));
    if (!expected.startsWith(u"reply:"_s))
        QVERIFY(!result.startsWith(u"reply:"_s));

    const QString refused = outcome(scheme + u"://127.0.0.1:"_s + QString::number(closedPort()) + u"/"_s);
    QVERIFY2(!refused.startsWith(u"reply:"_s) && !refused.isEmpty(), qPrintable(refused));
}

void TestPostForm::lateReplies_data()
{
    // Times in time-outs: when the server sends the first piece of its reply after the request, and each further one
    // after the one before; and for a refused reply, when the post gives up.
    QTest::addColumn<double>("delay");
    QTest::addColumn<int>("pieces");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("givesUpAt");
    QTest::newRow("after half the time-out") << 0.5 << 1 << true << 0.0;
    QTest::newRow("just before the time-out") << 0.9 << 1 << true << 0.0;
    QTest::newRow("after one and a half") << 1.5 << 1 << false << 1.0;
    QTest::newRow("after twice the time-out") << 2.0 << 1 << false << 1.0;
    // Each piece restarts the wait, but the whole attempt ends after twice the time-out.
    QTest::newRow("pieces, each in time") << 0.6 << 3 << true << 0.0;
    QTest::newRow("pieces past twice the time-out") << 0.6 << 4 << false << 2.0;
}

void TestPostForm::lateReplies()
{
    QFETCH(double, delay);
    QFETCH(int, pieces);
    QFETCH(bool, accepted);
    QFETCH(double, givesUpAt);
    // Two seconds leave room for a loaded machine between the rows' times.
    constexpr int timeout = 2;
    constexpr qint64 timeoutMs = timeout * 1000;
    LocalHttpServer server;
    const QByteArray reply("<version>1.5</version>\r\n<url>https://d.example/</url>\r\n\r\n<result>1</result>");
    server.setReply(reply);
    server.setMode(LocalHttpServer::Mode::AnswerAfterDelay);
    server.setAnswerDelay(int(delay * timeoutMs), pieces);
    QElapsedTimer clock;
    clock.start();
    const QString result = outcome(u"http://"_s + server.host() + u"/php/check2.php"_s, timeout);
    const qint64 elapsed = clock.elapsed();
    const QByteArray report = result.toUtf8() + " after " + QByteArray::number(elapsed) + " ms";
    if (accepted) {
        QVERIFY2(result == u"reply:"_s + QString::fromUtf8(reply), report.constData());
    } else {
        QVERIFY2(!result.startsWith(u"reply:"_s), report.constData());
        QVERIFY2(elapsed >= qint64(givesUpAt * timeoutMs) - 100 && elapsed < qint64(givesUpAt * timeoutMs) + 500,
                 report.constData());
    }
}

void TestPostForm::serverThatNeverAnswersTimesOut()
{
    LocalHttpServer server;
    server.setMode(LocalHttpServer::Mode::NeverAnswer);
    // Over http the request goes out and the reply never comes; over https the TLS handshake is never answered.
    for (const QString& scheme : {u"http"_s, u"https"_s}) {
        QElapsedTimer clock;
        clock.start();
        const QString result = outcome(scheme + u"://"_s + server.host() + u"/"_s, 2);
        QVERIFY2(!result.startsWith(u"reply:"_s), qPrintable(result));
        // The post gives up after the time-out, not after the whole transfer's bound of twice that.
        QVERIFY2(clock.elapsed() >= 1900 && clock.elapsed() < 2500,
                 qPrintable(scheme + u": "_s + QString::number(clock.elapsed())));
    }
}

void TestPostForm::cancelEndsAWaitingRequest()
{
    LocalHttpServer server;
    server.setMode(LocalHttpServer::Mode::NeverAnswer);
    std::atomic<bool> cancel{false};
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    QElapsedTimer clock;
    clock.start();
    const QString result = outcome(u"http://"_s + server.host() + u"/"_s, 30, &cancel);
    canceller.join();
    QCOMPARE(result, u"The request was cancelled."_s);
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
}

QTEST_GUILESS_MAIN(TestPostForm)
#include "tst_postform.moc"
