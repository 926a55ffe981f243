#include "core/filelist/filetexts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

// 2026-03-09 14:05:30 UTC.
constexpr qint64 kMarch9 = 1773065130;

} // namespace

class TestFileTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void extensions_data();
    void extensions();
    void groupedNumbers_data();
    void groupedNumbers();
    void itemCounts_data();
    void itemCounts();
    void firstColumn_data();
    void firstColumn();
    void elapsedTexts();
    void dateTextsShareAMinute();
    void dateKeysAreChronological();
    void dateOfAFile();
    void dateTextsAsQtMakesThem_data();
    void dateTextsAsQtMakesThem();
    void cleanupTestCase();
};

void TestFileTexts::initTestCase()
{
    // Date texts are local time; the tests fix the zone instead of depending on the machine's.
    qputenv("TZ", "UTC");
    tzset();
}

void TestFileTexts::extensions_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");

    QTest::newRow("last extension only") << "/x/ARCHIVE.TAR.GZ"
                                         << "GZ";
    QTest::newRow("lower case raised") << "/x/data.json"
                                       << "JSON";
    QTest::newRow("mixed case") << "/x/photo.JpEg"
                                << "JPEG";
    QTest::newRow("none") << "/x/Makefile"
                          << "";
    QTest::newRow("dot in folder only") << "/x.d/README"
                                        << "";
    QTest::newRow("hidden file") << "/x/.profile"
                                 << "PROFILE";
    QTest::newRow("name ending in dot") << "/x/a."
                                        << ".";
    QTest::newRow("only a to z raised") << "/x/a.é"
                                        << "é";
}

void TestFileTexts::extensions()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    QCOMPARE(ExtensionText(path), text);
}

void TestFileTexts::groupedNumbers_data()
{
    QTest::addColumn<qint64>("n");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    QTest::newRow("comma groups") << qint64(1048576) << kUs << "1,048,576";
    QTest::newRow("zero") << qint64(0) << kUs << "0";
    QTest::newRow("below a thousand") << qint64(999) << kUs << "999";
    QTest::newRow("beyond 32 bits") << qint64(5000000000) << kUs << "5,000,000,000";
    QTest::newRow("negative") << qint64(-1234) << kUs << "-1,234";
    QTest::newRow("dot groups") << qint64(1048576) << kGerman << "1.048.576";
    QLocale omitting = kUs;
    omitting.setNumberOptions(QLocale::OmitGroupSeparator);
    QTest::newRow("groups even when the locale omits them") << qint64(1234) << omitting << "1,234";
    QTest::newRow("four digits in Spanish") << qint64(1500) << QLocale(QLocale::Spanish, QLocale::Spain) << "1.500";
    QTest::newRow("threes in Indian English")
        << qint64(12345678) << QLocale(QLocale::English, QLocale::India) << "12,345,678";
    QTest::newRow("digits 0 to 9 in Arabic")
        << qint64(1500) << QLocale(QLocale::Arabic, QLocale::Egypt) << QStringLiteral("1\u066C500");
}

void TestFileTexts::groupedNumbers()
{
    QFETCH(qint64, n);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(GroupedNumberText(n, locale), text);
}

void TestFileTexts::itemCounts_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    QTest::newRow("none") << qint64(0) << kUs << "0 item";
    QTest::newRow("one") << qint64(1) << kUs << "1 item";
    QTest::newRow("two") << qint64(2) << kUs << "2 items";
    QTest::newRow("grouped") << qint64(1500) << kUs << "1,500 items";
    QTest::newRow("grouped, German") << qint64(1500) << kGerman << "1.500 items";
}

void TestFileTexts::itemCounts()
{
    QFETCH(qint64, count);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(ItemCountText(count, locale), text);
}

void TestFileTexts::firstColumn_data()
{
    QTest::addColumn<bool>("hidePath");
    QTest::addColumn<bool>("hideExtension");
    QTest::addColumn<QString>("fullName");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("name without extension") << true << true << "/d/a.b.txt"
                                            << "a.b.txt"
                                            << "a.b";
    QTest::newRow("path without extension") << false << true << "/d/a.b.txt"
                                            << "a.b.txt"
                                            << "/d/a.b";
    QTest::newRow("name") << true << false << "/d/a.b.txt"
                          << "a.b.txt"
                          << "a.b.txt";
    QTest::newRow("full name") << false << false << "/d/a.b.txt"
                               << "a.b.txt"
                               << "/d/a.b.txt";
    QTest::newRow("two extensions") << true << true << "/d/photo.tar.gz"
                                    << "photo.tar.gz"
                                    << "photo.tar";
    QTest::newRow("no extension") << true << true << "/d/README"
                                  << "README"
                                  << "README";
    QTest::newRow("dot in folder kept") << false << true << "/d.x/README"
                                        << "README"
                                        << "/d.x/README";
    QTest::newRow("hidden file") << true << true << "/d/.profile"
                                 << ".profile"
                                 << "";
}

void TestFileTexts::firstColumn()
{
    QFETCH(bool, hidePath);
    QFETCH(bool, hideExtension);
    QFETCH(QString, fullName);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QCOMPARE(Sutun1NeOlacak(hidePath, hideExtension, QStringLiteral("/d"), fullName, name, QStringLiteral("File")),
             text);
}

void TestFileTexts::elapsedTexts()
{
    QCOMPARE(ElapsedSecondsText(0.0, kUs), QStringLiteral("0.000"));
    QCOMPARE(ElapsedSecondsText(1234.5678, kUs), QStringLiteral("1234.568"));
    QCOMPARE(ElapsedSecondsText(1234.5678, kGerman), QStringLiteral("1234,568"));
    QCOMPARE(ElapsedSecondsText(12.3456, QLocale(QLocale::Arabic, QLocale::Egypt)), QStringLiteral("12\u066B346"));
    QCOMPARE(FinishedText(2.5, kUs), QStringLiteral("Finished (Elapsed Time: 2.500 s)"));
    QCOMPARE(InterruptedText(0.0125, kUs), QStringLiteral("Interrupted by user (Elapsed Time: 0.013 s)"));
    // What a scan left out follows its text; nothing when nothing was.
    QCOMPARE(LeftOutText(0, kUs), QString());
    QCOMPARE(LeftOutText(1, kUs), QStringLiteral("; 1 folder could not be read"));
    QCOMPARE(LeftOutText(1500, kUs), QStringLiteral("; 1,500 folders could not be read"));
}

void TestFileTexts::dateTextsShareAMinute()
{
    FileDateTexts texts(kUs);
    QCOMPARE(texts.format(), QStringLiteral("M/d/yy h:mm AP"));
    QCOMPARE(texts.precisionSeconds(), qint64(60));

    const QString first = texts.text(kMarch9);
    QCOMPARE(first, QStringLiteral("3/9/26 2:05 PM"));
    const QString sameMinute = texts.text(kMarch9 + 29);
    const QString nextMinute = texts.text(kMarch9 + 30);
    texts.text(kMarch9 + 3600);
    const QString sameMinuteLater = texts.text(kMarch9 - 30);
    QCOMPARE(sameMinute, first);
    QVERIFY(sameMinute.isSharedWith(first));
    QVERIFY(sameMinuteLater.isSharedWith(first));
    QCOMPARE(nextMinute, QStringLiteral("3/9/26 2:06 PM"));

    QCOMPARE(texts.key(kMarch9), texts.key(kMarch9 + 29));
    QVERIFY(texts.key(kMarch9 + 30) > texts.key(kMarch9 + 29));
    QCOMPARE(texts.text(-1), QStringLiteral("12/31/69 11:59 PM"));
    QVERIFY(texts.key(-1) < texts.key(0));
}

void TestFileTexts::dateKeysAreChronological()
{
    // Two-digit years: the texts of 1999 sort after those of 2001, the keys before.
    FileDateTexts texts(kUs);
    const qint64 y1999 = 946684740; // 1999-12-31 23:59 UTC
    const qint64 y2001 = 978307200; // 2001-01-01 00:00 UTC
    QCOMPARE(texts.text(y1999), QStringLiteral("12/31/99 11:59 PM"));
    QCOMPARE(texts.text(y2001), QStringLiteral("1/1/01 12:00 AM"));
    QVERIFY(texts.text(y1999) > texts.text(y2001));
    QVERIFY(texts.key(y1999) < texts.key(y2001));
    QVERIFY(kUnknownDateKey < texts.key(-4000000000LL));
}

void TestFileTexts::dateOfAFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.setFileTime(QDateTime::fromSecsSinceEpoch(kMarch9, Qt::UTC), QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(FileDateText(path, kUs), QStringLiteral("3/9/26 2:05 PM"));
    QCOMPARE(FileDateText(dir.filePath(QStringLiteral("gone.txt")), kUs), QString());
}

void TestFileTexts::dateTextsAsQtMakesThem_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QLocale>("locale");

    // POSIX zone rules, so that no zone database is needed.
    QTest::newRow("UTC, US") << QByteArray("UTC0") << kUs;
    QTest::newRow("Central Europe with summer time, German") << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3") << kGerman;
    QTest::newRow("US Eastern with summer time, US") << QByteArray("EST5EDT,M3.2.0,M11.1.0") << kUs;
    QTest::newRow("half-hour offset, Hindi") << QByteArray("IST-5:30") << QLocale(QLocale::Hindi, QLocale::India);
    QTest::newRow("half-hour summer shift, Japanese")
        << QByteArray("LHST-10:30LHDT-11,M10.1.0,M4.1.0") << QLocale(QLocale::Japanese, QLocale::Japan);
}

void TestFileTexts::dateTextsAsQtMakesThem()
{
    // The texts are made from cached day and time-of-day parts; they must equal Qt's own text of the whole local
    // date and time, across summer-time changes in both directions.
    QFETCH(QByteArray, zone);
    QFETCH(QLocale, locale);
    qputenv("TZ", zone);
    tzset();
    FileDateTexts texts(locale);
    for (qint64 t = 1735689600; t < 1735689600 + 2 * 366 * 86400; t += 7 * 3600 + 13 * 60 + 7) {
        for (const qint64 near : {t, t + 1800}) {
            const QString expected =
                locale.toString(QDateTime::fromSecsSinceEpoch(near, Qt::LocalTime), texts.format());
            QCOMPARE(texts.text(near), expected);
        }
    }
}

void TestFileTexts::cleanupTestCase()
{
    qputenv("TZ", "UTC");
    tzset();
}

QTEST_GUILESS_MAIN(TestFileTexts)
#include "tst_filetexts.moc"
