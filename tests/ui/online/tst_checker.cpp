#include "support/httpserver.h"
#include "ui/online/checker.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

CheckEnvironment environment(const QString& host, const QString& storePath, const std::atomic<bool>* cancel = nullptr)
{
    CheckEnvironment env;
    env.serviceHost = host;
    env.applicationName = u"BRINDLE - Tagscope"_s;
    env.versionText = u"1.4"_s;
    env.storePath = storePath;
    env.today = u"12/10/26"_s;
    env.localeName = u"en-US"_s;
    env.cancel = cancel;
    return env;
}

} // namespace

// The update check's thread and the hand-over of its result, run under ThreadSanitizer.
class TestChecker : public QObject
{
    Q_OBJECT

private slots:
    void resultIsPublishedByTheDoneFlag();
    void cancelledCheckEndsPromptly();
};

void TestChecker::resultIsPublishedByTheDoneFlag()
{
    QTemporaryDir folder;
    LocalHttpServer server;
    server.setReply("<version>1.5</version>\n<url>https://d.example/</url>\n\n<result>1</result>");
    auto state = std::make_shared<CheckState>();
    TChecker checker(environment(server.host(), folder.filePath(u"s.conf"_s)), state);
    checker.start();
    // The user-interface side polls the flag, as the timer does, and reads the result only once it is set.
    QTRY_VERIFY_WITH_TIMEOUT(state->done.load(std::memory_order_acquire), 20000);
    QVERIFY(state->result.noticeWanted);
    QCOMPARE(state->result.offeredVersion, u"1.5"_s);
    QCOMPARE(state->result.downloadAddress, u"https://d.example/"_s);
    QVERIFY(checker.wait(5000));
}

void TestChecker::cancelledCheckEndsPromptly()
{
    QTemporaryDir folder;
    LocalHttpServer server;
    server.setMode(LocalHttpServer::Mode::NeverAnswer);
    std::atomic<bool> cancel{false};
    auto state = std::make_shared<CheckState>();
    TChecker checker(environment(server.host(), folder.filePath(u"s.conf"_s), &cancel), state);
    checker.start();
    QTRY_VERIFY_WITH_TIMEOUT(server.tlsAttempts() == 1, 20000);
    QElapsedTimer clock;
    clock.start();
    cancel = true;
    QVERIFY(checker.wait(5000));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(state->done.load(std::memory_order_acquire));
    QVERIFY(state->result.failed);
    QVERIFY(!state->result.noticeWanted);
}

QTEST_GUILESS_MAIN(TestChecker)
#include "tst_checker.moc"
