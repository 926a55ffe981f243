#include "core/base/filenames.h"
#include "core/base/utf8.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestFileNames : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void urls_data();
    void urls();
};

void TestFileNames::names_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("foreign");
    QTest::newRow("ASCII") << QByteArray("/tmp/a b.jpg") << u"/tmp/a b.jpg"_s << false;
    QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80") << u"café € 😀"_s << false;
    QTest::newRow("U+FFFD itself") << QByteArray("\xEF\xBF\xBD") << u"\uFFFD"_s << false;
    // A name may begin with what looks like a byte-order mark; it is part of the name.
    QTest::newRow("U+FEFF first") << QByteArray("\xEF\xBB\xBF"
                                                "a.txt")
                                  << u"\uFEFFa.txt"_s << false;
    QTest::newRow("U+FEFF after a foreign byte") << QByteArray("\xFF\xEF\xBB\xBF") << u"\uFFFD\uFEFF"_s << true;
    QTest::newRow("a Latin-1 byte") << QByteArray("caf\xE9.jpg") << u"caf\uFFFD.jpg"_s << true;
    QTest::newRow("a lone continuation byte") << QByteArray("\x80"
                                                            "a")
                                              << u"\uFFFDa"_s << true;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << u"\uFFFD\uFFFD"_s << true;
    QTest::newRow("cut sequence at the end") << QByteArray("a\xE2\x82") << u"a\uFFFD\uFFFD"_s << true;
    QTest::newRow("cut sequence before ASCII") << QByteArray("\xE2\x82z") << u"\uFFFD\uFFFDz"_s << true;
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << u"\uFFFD\uFFFD\uFFFD"_s << true;
    // The bytes of the very code points that hold bytes: they must not decode to them.
    QTest::newRow("encoded escape") << QByteArray("\xED\xB3\xBF") << u"\uFFFD\uFFFD\uFFFD"_s << true;
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << u"\uFFFD\uFFFD\uFFFD\uFFFD"_s << true;
    QTest::newRow("0xFE and 0xFF") << QByteArray("\xFE\xFF") << u"\uFFFD\uFFFD"_s << true;
    QTest::newRow("valid between foreign") << QByteArray("\xFF\xC3\xA9\xFF") << u"\uFFFD\u00E9\uFFFD"_s << true;
}

void TestFileNames::names()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(bool, foreign);
    const QString held = DecodeFileName(bytes);
    QCOMPARE(EncodeFileName(held), bytes);
    QCOMPARE(ShownFileName(held), shown);
    QCOMPARE(HoldsForeignBytes(held), foreign);
    if (!foreign)
        QCOMPARE(held, shown);

    // The UTF-8 check the walk makes of every name, into a buffer that held a longer name before.
    QString buffer = u"a longer name held before this one"_s;
    QCOMPARE(DecodeUtf8(bytes, buffer, true), !foreign);
    if (!foreign)
        QCOMPARE(buffer, shown);
}

void TestFileNames::urls_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("plain") << u"/tmp/a b#1.jpg"_s << QByteArray("file:///tmp/a%20b%231.jpg");
    QTest::newRow("UTF-8") << u"/tmp/café"_s << QByteArray("file:///tmp/caf%C3%A9");
    QTest::newRow("foreign bytes") << DecodeFileName("/tmp/caf\xE9 %41#")
                                   << QByteArray("file:///tmp/caf%E9%20%2541%23");
    QTest::newRow("foreign folder") << DecodeFileName("/\xFF/x") << QByteArray("file:///%FF/x");
}

void TestFileNames::urls()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, encoded);
    const QUrl url = LocalFileUrl(path);
    QCOMPARE(url.toEncoded(), encoded);
    // What a receiver decodes is the name's bytes.
    QCOMPARE(QByteArray::fromPercentEncoding(url.toEncoded().sliced(7)), EncodeFileName(path));
}

QTEST_GUILESS_MAIN(TestFileNames)
#include "tst_filenames.moc"
