#include "core/online/feedback.h"
#include "support/httpserver.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestFeedback : public QObject
{
    Q_OBJECT

private slots:
    void emailAddresses_data();
    void emailAddresses();
    void feedbackText_data();
    void feedbackText();
    void emailLineOnlyWhenGiven();
    void delivered_data();
    void delivered();
    void sendsOverHttpWhenHttpsFails();
    void buildWithoutServiceSendsNothing();
};

void TestFeedback::emailAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << u"ann@example.de"_s << true;
    QTest::newRow("dots, plus and digits") << u"ann.b+tag_1@mail-2.example.co.uk"_s << true;
    QTest::newRow("no dot after the at sign") << u"ann@example"_s << false;
    QTest::newRow("ending in a dot") << u"ann@example.de."_s << false;
    QTest::newRow("blank inside") << u"ann b@example.de"_s << false;
    QTest::newRow("no at sign") << u"ann.example.de"_s << false;
    QTest::newRow("two at signs") << u"ann@b@example.de"_s << false;
    QTest::newRow("upper case") << u"ANN@EXAMPLE.DE"_s << true;
    QTest::newRow("non-ASCII letter") << u"änn@example.de"_s << false;
    QTest::newRow("line break at the end") << u"ann@example.de\n"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestFeedback::emailAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, valid);
    QCOMPARE(IsValidEmailAddress(address), valid);
}

void TestFeedback::feedbackText_data()
{
    QTest::addColumn<bool>("like");
    QTest::addColumn<bool>("dislike");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("text");
    QTest::newRow("liked") << true << false << u"Nice and fast"_s << u"I like it!\r\nNice and fast"_s;
    QTest::newRow("disliked") << false << true << u"slow"_s << u"I dislike it!\r\nslow"_s;
    QTest::newRow("no choice, trimmed") << false << false << u"\r\n  two\nlines \t\r\n"_s << u"two\r\nlines"_s;
    QTest::newRow("liked, lines ended every way") << true << false << u"one\ntwo\r\nthree\rfour\n\nsix"_s
                                                  << u"I like it!\r\none\r\ntwo\r\nthree\r\nfour\r\n\r\nsix"_s;
    QTest::newRow("only blanks") << true << false << u" \r\n\t"_s << u"I like it!\r\n"_s;
}

void TestFeedback::feedbackText()
{
    QFETCH(bool, like);
    QFETCH(bool, dislike);
    QFETCH(QString, comment);
    QFETCH(QString, text);
    QCOMPARE(FeedbackText(like, dislike, comment), text);
}

void TestFeedback::emailLineOnlyWhenGiven()
{
    QCOMPARE(FeedbackFields(u"B - T"_s, u"1.4"_s, u"x"_s, QString()),
             (QStringList{u"cmd=feedback"_s, u"appname=B - T"_s, u"version=1.4"_s, u"feedback=x"_s}));
    QCOMPARE(FeedbackFields(u"B - T"_s, u"1.4"_s, u"x"_s, u"a@b.de"_s).constLast(), u"email=a@b.de"_s);
}

void TestFeedback::delivered_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("delivered");
    QTest::newRow("OK") << u"OK"_s << true;
    QTest::newRow("OK and a line break") << u"OK\r\n"_s << true;
    QTest::newRow("blank lines around") << u"\n\nOK\n\n"_s << true;
    QTest::newRow("lower case") << u"ok"_s << false;
    QTest::newRow("further words") << u"OK thanks"_s << false;
    QTest::newRow("a second line") << u"OK\nthanks"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestFeedback::delivered()
{
    QFETCH(QString, reply);
    QFETCH(bool, delivered);
    QCOMPARE(IsFeedbackDelivered(reply), delivered);
}

void TestFeedback::sendsOverHttpWhenHttpsFails()
{
    LocalHttpServer server;
    server.setReply("OK\r\n");
    const QStringList fields =
        FeedbackFields(u"B - T"_s, u"1.4"_s, FeedbackText(true, false, u"good\nwork"_s), QString());
    QVERIFY(SendFeedback(server.host(), fields));
    QCOMPARE(server.tlsAttempts(), 1);
    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(server.requests().first().path, QByteArray("/php/feedback.php"));
    QCOMPARE(server.requests().first().body,
             QByteArray("cmd=feedback&appname=B%20-%20T&version=1.4&feedback=I%20like%20it%21%0D%0Agood%0D%0Awork"));

    // Over plain http an error status is a failure, whatever its body says.
    server.setReply("OK", 500);
    QVERIFY(!SendFeedback(server.host(), fields));
}

void TestFeedback::buildWithoutServiceSendsNothing()
{
    QVERIFY(!SendFeedback(QString(), {u"cmd=feedback"_s}));
}

QTEST_GUILESS_MAIN(TestFeedback)
#include "tst_feedback.moc"
