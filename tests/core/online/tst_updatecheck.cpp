#include "core/base/textlines.h"
#include "core/online/checkreply.h"
#include "core/online/updatecheck.h"
#include "support/httpserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

using Values = QMap<QString, QString>;

namespace {

const QString kToday = u"12/10/26"_s;
const QByteArray kNewer = "<version>1.5</version>\r\n<url>https://www.brindle.example/download/</url>\r\n"
                          "<notes>x</notes>\r\n<result>1</result>\r\n";

QByteArray replyWith(const QByteArray& version, const QByteArray& url = "<url>https://d.example/</url>",
                     const QByteArray& result = "<result>0</result>")
{
    return version + '\n' + url + "\n<notes></notes>\n" + result;
}

CheckEnvironment environment(const QString& host, const QString& storePath)
{
    CheckEnvironment env;
    env.serviceHost = host;
    env.applicationName = u"BRINDLE - Tagscope"_s;
    env.versionText = u"1.4"_s;
    env.storePath = storePath;
    env.today = kToday;
    env.osText = u"Debian GNU/Linux 12 (bookworm); Linux 6.1.0; x86_64"_s;
    env.localeName = u"en-US"_s;
    env.machineGuid = u"1b23fc35-1987-4906-865e-40bc22cc742f"_s;
    return env;
}

void writeStore(const QString& path, const Values& values)
{
    QSettings store(path, QSettings::NativeFormat);
    for (auto it = values.begin(); it != values.end(); ++it)
        store.setValue(it.key(), it.value());
}

Values readStore(const QString& path)
{
    QSettings store(path, QSettings::NativeFormat);
    Values values;
    for (const QString& key : store.allKeys())
        values.insert(key, store.value(key).toString());
    return values;
}

} // namespace

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void replyTags_data();
    void replyTags();
    void numericVersions_data();
    void numericVersions();
    void startsAndReplies_data();
    void startsAndReplies();
    void requestBody();
    void serviceUnreachable();
    void serverThatNeverAnswers();
    void buildWithoutServiceContactsNothing();
    void unwritableStoreLeavesTheCheckUnfinished();
    void storePathEndsWithTheDigest();
};

void TestUpdateCheck::replyTags_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("valid");
    QTest::newRow("CR LF") << u"<version>1.5</version>\r\n<url>u</url>\r\n\r\n<result>1</result>\r\n"_s
                           << QStringList{u"<version>1.5</version>"_s, u"<url>u</url>"_s, QString(),
                                          u"<result>1</result>"_s}
                           << u"1.5"_s << u"u"_s << true;
    QTest::newRow("CR and LF mixed") << u"<version>2</version>\r<url>u</url>\n\r\n<result>0</result>"_s
                                     << QStringList{u"<version>2</version>"_s, u"<url>u</url>"_s, QString(),
                                                    u"<result>0</result>"_s}
                                     << u"2"_s << u"u"_s << true;
    QTest::newRow("three lines") << u"<version>1.5</version>\n<url>u</url>\n<result>1</result>\n"_s
                                 << QStringList{u"<version>1.5</version>"_s, u"<url>u</url>"_s, u"<result>1</result>"_s}
                                 << QString() << QString() << false;
    QTest::newRow("result 2") << u"<version>1.5</version>\n\n\n<result>2</result>"_s
                              << QStringList{u"<version>1.5</version>"_s, QString(), QString(), u"<result>2</result>"_s}
                              << QString() << QString() << false;
    QTest::newRow("url without closing tag") << u"<version>1.5</version>\n<url>u\n\n<result>1</result>"_s
                                             << QStringList{u"<version>1.5</version>"_s, u"<url>u"_s, QString(),
                                                            u"<result>1</result>"_s}
                                             << u"1.5"_s << QString() << true;
    QTest::newRow("tags in upper case") << u"<VERSION>1.5</VERSION>\n<url>u</url>\n\n<result>1</result>"_s
                                        << QStringList{u"<VERSION>1.5</VERSION>"_s, u"<url>u</url>"_s, QString(),
                                                       u"<result>1</result>"_s}
                                        << QString() << u"u"_s << true;
    QTest::newRow("blank around the result") << u"a\nb\nc\n <result>1</result>"_s
                                             << QStringList{u"a"_s, u"b"_s, u"c"_s, u" <result>1</result>"_s}
                                             << QString() << QString() << false;
    QTest::newRow("ERROR reply") << u"ERROR\nx\ny\n<result>1</result>"_s
                                 << QStringList{u"ERROR"_s, u"x"_s, u"y"_s, u"<result>1</result>"_s} << QString()
                                 << QString() << false;
    QTest::newRow("tags overlapping") << u"<version></version>\n<url>\n\n<result>1</result>"_s
                                      << QStringList{u"<version></version>"_s, u"<url>"_s, QString(),
                                                     u"<result>1</result>"_s}
                                      << QString() << QString() << true;
    QTest::newRow("empty") << QString() << QStringList() << QString() << QString() << false;
}

void TestUpdateCheck::replyTags()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(QString, version);
    QFETCH(QString, url);
    QFETCH(bool, valid);
    QStringList split;
    for (const QStringView line : SplitTextLines(text))
        split.append(line.toString());
    QCOMPARE(split, lines);
    const CheckReply reply = ReadCheckReply(text);
    QCOMPARE(reply.valid, valid);
    QCOMPARE(reply.version, version);
    QCOMPARE(reply.url, url);
}

void TestUpdateCheck::numericVersions_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("1.5") << u"1.5"_s << true;
    QTest::newRow("10.0.19041") << u"10.0.19041"_s << true;
    QTest::newRow("dots only") << u".."_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("with a word") << u"1.5 beta"_s << false;
    QTest::newRow("letters") << u"1.5b"_s << false;
    QTest::newRow("blank") << u" 15"_s << false;
    QTest::newRow("beyond 32 bits") << u"99999.99999"_s << false;
    QTest::newRow("sign") << u"-1.5"_s << true;
    QTest::newRow("Arabic-Indic digits") << u"\u0661.\u0665"_s << false;
}

void TestUpdateCheck::numericVersions()
{
    QFETCH(QString, version);
    QFETCH(bool, numeric);
    QCOMPARE(IsNumericVersion(version), numeric);
}

void TestUpdateCheck::startsAndReplies_data()
{
    QTest::addColumn<Values>("before");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("requested");
    QTest::addColumn<bool>("notice");
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("setting");
    QTest::addColumn<Values>("after"); // values that must read so afterwards; an empty text: must be missing

    const Values today3{{u"LastUpdateCheck"_s, kToday}, {u"LastUpdateCheckCount"_s, u"3"_s},
                        {u"InstalledVersion"_s, u"1.4"_s}, {u"HowMany"_s, u"7"_s}};
    Values today2 = today3;
    today2[u"LastUpdateCheckCount"_s] = u"2"_s;
    Values today5 = today3;
    today5[u"LastUpdateCheckCount"_s] = u"5"_s;

    QTest::newRow("first start") << Values() << kNewer << true << true << u"https://www.brindle.example/download/"_s << 1
                                 << Values{{u"HowMany"_s, u"1"_s}, {u"InstalledVersion"_s, u"1.4"_s},
                                           {u"LastUpdateCheck"_s, kToday}, {u"LastUpdateCheckCount"_s, u"1"_s},
                                           {u"CurrentVersion"_s, u"1.5"_s}, {u"ShowUpdate"_s, QString()}};
    QTest::newRow("upgrade") << Values{{u"InstalledVersion"_s, u"1.3"_s}, {u"HowMany"_s, u"9"_s}} << kNewer << true
                             << true << u"https://www.brindle.example/download/"_s << 1
                             << Values{{u"HowMany"_s, u"1"_s}, {u"InstalledVersion"_s, u"1.4"_s}};
    QTest::newRow("negative count") << Values{{u"InstalledVersion"_s, u"1.4"_s}, {u"HowMany"_s, u"-4"_s}} << kNewer
                                    << true << true << u"https://www.brindle.example/download/"_s << 1
                                    << Values{{u"HowMany"_s, u"1"_s}};
    QTest::newRow("third start of the day") << today2 << kNewer << true << true
                                            << u"https://www.brindle.example/download/"_s << 1
                                            << Values{{u"LastUpdateCheckCount"_s, u"3"_s}, {u"HowMany"_s, u"8"_s}};
    QTest::newRow("fourth start of the day") << today3 << kNewer << true << false << QString() << 1
                                             << Values{{u"LastUpdateCheckCount"_s, u"4"_s},
                                                       {u"CurrentVersion"_s, u"1.5"_s}};
    QTest::newRow("sixth start of the day") << today5 << kNewer << false << false << QString() << 1
                                            << Values{{u"LastUpdateCheckCount"_s, u"5"_s}, {u"HowMany"_s, u"8"_s},
                                                      {u"CurrentVersion"_s, QString()}};
    QTest::newRow("count not a number") << Values{{u"LastUpdateCheck"_s, kToday}, {u"LastUpdateCheckCount"_s, u"x"_s}}
                                        << kNewer << true << true << u"https://www.brindle.example/download/"_s << 1
                                        << Values{{u"LastUpdateCheckCount"_s, u"1"_s}};
    QTest::newRow("date format changed") << Values{{u"LastUpdateCheck"_s, u"2026-12-10"_s},
                                                   {u"LastUpdateCheckCount"_s, u"5"_s}}
                                         << kNewer << true << true << u"https://www.brindle.example/download/"_s << 1
                                         << Values{{u"LastUpdateCheck"_s, kToday}, {u"LastUpdateCheckCount"_s, u"1"_s}};
    QTest::newRow("notices off") << Values{{u"ShowUpdate"_s, u"0"_s}} << kNewer << false << false << QString() << 0
                                 << Values{{u"LastUpdateCheck"_s, QString()}, {u"HowMany"_s, u"1"_s}};
    QTest::newRow("ShowUpdate 2") << Values{{u"ShowUpdate"_s, u"2"_s}} << kNewer << true << false << QString() << 2
                                  << Values{{u"LastUpdateCheckCount"_s, u"1"_s}, {u"ShowUpdate"_s, u"2"_s}};
    QTest::newRow("ShowUpdate not a number") << Values{{u"ShowUpdate"_s, u"on"_s}} << kNewer << true << true
                                             << u"https://www.brindle.example/download/"_s << 1 << Values();
    QTest::newRow("result 2") << Values() << replyWith("<version>1.5</version>", "<url>u</url>", "<result>2</result>")
                              << true << false << QString() << 1 << Values{{u"CurrentVersion"_s, QString()}};
    QTest::newRow("three lines") << Values() << QByteArray("<version>1.5</version>\n<url>u</url>\n<result>1</result>")
                                 << true << false << QString() << 1 << Values{{u"CurrentVersion"_s, QString()}};
    QTest::newRow("running version") << Values() << replyWith("<version>1.4</version>") << true << false << QString()
                                     << 1 << Values{{u"CurrentVersion"_s, u"1.4"_s}};
    QTest::newRow("older version") << Values() << replyWith("<version>1.3</version>") << true << true
                                   << u"https://d.example/"_s << 1 << Values{{u"CurrentVersion"_s, u"1.3"_s}};
    QTest::newRow("version with letters") << Values() << replyWith("<version>1.5 beta</version>") << true << false
                                          << QString() << 1 << Values{{u"CurrentVersion"_s, u"1.5 beta"_s}};
    QTest::newRow("url without closing tag") << Values() << replyWith("<version>1.5</version>", "<url>https://d.example/")
                                             << true << true << QString() << 1 << Values();
    QTest::newRow("ERROR reply") << Values() << QByteArray("ERROR: unknown\n\n\n<result>1</result>") << true << false
                                 << QString() << 1 << Values{{u"CurrentVersion"_s, QString()}};
    QTest::newRow("binary reply") << Values() << (QByteArray("\0\xff\xfe", 3) + "<version>\x80</version>\n\n\n\n") << true
                                  << false << QString() << 1 << Values();
    QTest::newRow("huge reply") << Values() << (kNewer + QByteArray(2 * 1024 * 1024, '\n')) << true << false
                                << QString() << 1 << Values{{u"CurrentVersion"_s, QString()}};
}

void TestUpdateCheck::startsAndReplies()
{
    QFETCH(Values, before);
    QFETCH(QByteArray, reply);
    QFETCH(bool, requested);
    QFETCH(bool, notice);
    QFETCH(QString, url);
    QFETCH(int, setting);
    QFETCH(Values, after);

    QTemporaryDir folder;
    const QString storePath = folder.filePath(u"BRINDLE/digest/Settings.conf"_s);
    writeStore(storePath, before);
    LocalHttpServer server;
    server.setReply(reply);

    CheckResult result;
    QVERIFY(CheckNow(environment(server.host(), storePath), result));

    // The https attempt reaches the plain server and fails; the answer comes over http.
    QCOMPARE(server.requests().size(), requested ? 1 : 0);
    QCOMPARE(server.tlsAttempts(), requested ? 1 : 0);
    QCOMPARE(result.noticeWanted, notice);
    if (notice) {
        QCOMPARE(result.offeredVersion.isEmpty(), false);
        QCOMPARE(result.downloadAddress, url);
        QVERIFY(!result.failed);
    }
    QCOMPARE(result.notificationsSetting, setting);
    const Values stored = readStore(storePath);
    for (auto it = after.begin(); it != after.end(); ++it)
        QCOMPARE(stored.value(it.key()), it.value());
}

void TestUpdateCheck::requestBody()
{
    QTemporaryDir folder;
    LocalHttpServer server;
    server.setReply(kNewer);
    CheckResult result;
    QVERIFY(CheckNow(environment(server.host(), folder.filePath(u"store.conf"_s)), result));
    const QList<LocalHttpServer::Request> requests = server.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().path, QByteArray("/php/check2.php"));
    QCOMPARE(requests.first().body,
             QByteArray("cmd=check&appname=BRINDLE%20-%20Tagscope&version=1.4"
                        "&os=Debian%20GNU%2FLinux%2012%20%28bookworm%29%3B%20Linux%206.1.0%3B%20x86_64"
                        "&local=en-US&guid=1b23fc35-1987-4906-865e-40bc22cc742f&howmany=1"));
}

void TestUpdateCheck::serviceUnreachable()
{
    QTemporaryDir folder;
    quint16 port = 0;
    {
        LocalHttpServer gone;
        port = gone.port();
    }
    CheckResult result;
    QVERIFY(CheckNow(environment(u"127.0.0.1:"_s + QString::number(port), folder.filePath(u"s.conf"_s)), result));
    QVERIFY(result.failed);
    QVERIFY(result.failureText.startsWith(u"HTTPS Response:\r"_s));
    QVERIFY(result.failureText.contains(u"\r\rHTTP Response:\r"_s));
    QVERIFY(!result.noticeWanted);
}

void TestUpdateCheck::serverThatNeverAnswers()
{
    QTemporaryDir folder;
    LocalHttpServer server;
    server.setMode(LocalHttpServer::Mode::NeverAnswer);
    CheckEnvironment env = environment(server.host(), folder.filePath(u"s.conf"_s));
    env.timeoutSeconds = 1;
    QElapsedTimer clock;
    clock.start();
    CheckResult result;
    QVERIFY(CheckNow(env, result));
    QVERIFY(result.failed);
    QVERIFY(!result.noticeWanted);
    // Two attempts of one second each, each bounded by twice its time-out.
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
}

void TestUpdateCheck::buildWithoutServiceContactsNothing()
{
    QTemporaryDir folder;
    const QString storePath = folder.filePath(u"s.conf"_s);
    bool posted = false;
    CheckEnvironment env = environment(QString(), storePath);
    env.post = [&posted](const QString&, const QStringList&, int) {
        posted = true;
        return QString();
    };
    CheckResult result;
    QVERIFY(CheckNow(env, result));
    QVERIFY(!posted);
    QVERIFY(!result.noticeWanted);
    QVERIFY(!QFile::exists(storePath));

    writeStore(storePath, {{u"ShowUpdate"_s, u"0"_s}});
    QVERIFY(CheckNow(env, result));
    QCOMPARE(result.notificationsSetting, 0);
    QCOMPARE(readStore(storePath), (Values{{u"ShowUpdate"_s, u"0"_s}}));
}

void TestUpdateCheck::unwritableStoreLeavesTheCheckUnfinished()
{
    QTemporaryDir folder;
    QFile blocker(folder.filePath(u"file"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    bool posted = false;
    CheckEnvironment env = environment(u"127.0.0.1:1"_s, folder.filePath(u"file/store/Settings.conf"_s));
    env.post = [&posted](const QString&, const QStringList&, int) {
        posted = true;
        return QString();
    };
    CheckResult result;
    QVERIFY(!CheckNow(env, result));
    QVERIFY(!posted);
}

void TestUpdateCheck::storePathEndsWithTheDigest()
{
    // MD5("BRINDLE - Tagscope"), computed with md5sum.
    QCOMPARE(ApplicationNameDigest(u"BRINDLE - Tagscope"_s), u"FB0F907F934872CECD29180E399E432C"_s);
    QCOMPARE(UpdateStorePath(u"/home/u/.config"_s, u"BRINDLE"_s, u"BRINDLE - Tagscope"_s),
             u"/home/u/.config/BRINDLE/FB0F907F934872CECD29180E399E432C/Settings.conf"_s);
    QCOMPARE(LocaleNameOf(u"en_US"_s), u"en-US"_s);
    QCOMPARE(LocaleNameOf(u"C"_s), u"xx"_s);
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
