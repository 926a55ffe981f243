#include "core/base/paths.h"
#include "core/metadata/consolerunner.h"
#include "core/platform/filelimit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

using namespace std::chrono_literals;

namespace {

const QString shell = QStringLiteral("/bin/sh");

QStringList script(const QString& text)
{
    return {QStringLiteral("-c"), text};
}

// 600 bytes in which every 10-byte block names its own offset, so a lost, repeated or swapped piece shows.
QByteArray numberedBytes()
{
    QByteArray bytes;
    for (int offset = 0; offset < 600; offset += 10)
        bytes += QByteArray::number(offset).rightJustified(9, '0') + ';';
    return bytes;
}

} // namespace

class TestConsoleRunner : public QObject
{
    Q_OBJECT

private slots:
    void capturesOutput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");

        QTest::newRow("abc") << script(QStringLiteral("printf abc")) << QStringLiteral("abc");
        const QByteArray numbered = numberedBytes();
        QTest::newRow("600 bytes") << QStringList{QStringLiteral("-c"), QStringLiteral("printf '%s' \"$0\""),
                                                  QString::fromLatin1(numbered)}
                                   << QString::fromLatin1(numbered);
        QTest::newRow("standard error only") << script(QStringLiteral("printf abc >&2")) << QStringLiteral("abc");
        QTest::newRow("both channels in the order written")
            << script(QStringLiteral("printf a; printf b >&2; printf c")) << QStringLiteral("abc");
        QTest::newRow("NUL characters dropped") << script(QStringLiteral("printf 'a\\000b'")) << QStringLiteral("ab");
        QTest::newRow("UTF-8") << script(QStringLiteral("printf '\\303\\251\\346\\227\\245'"))
                               << QString::fromUtf8("\xC3\xA9\xE6\x97\xA5");
        // The child pauses between the two bytes of one character, so they arrive in separate reads.
        QTest::newRow("character split between reads")
            << script(QStringLiteral("printf '\\303'; sleep 0.2; printf '\\251'")) << QString::fromUtf8("\xC3\xA9");
        QTest::newRow("nothing written") << script(QStringLiteral("exit 3")) << QString();
    }

    void capturesOutput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        const ConsoleResult result = RunConsoleCommand(shell, arguments, QDir::tempPath(), 20s);
        QVERIFY(result.started);
        QVERIFY(result.finished);
        QCOMPARE(result.output, expected);
    }

    void runsInTheWorkingFolder()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const ConsoleResult result = RunConsoleCommand(QStringLiteral("pwd"), {}, folder.path(), 20s);
        QVERIFY(result.finished);
        QCOMPARE(result.output, QDir(folder.path()).canonicalPath() + u'\n');
    }

    void argumentsNeverReachAShell_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("command substitution") << QStringLiteral("$(touch pwned)");
        QTest::newRow("backquotes") << QStringLiteral("`touch pwned`");
        QTest::newRow("semicolon") << QStringLiteral("a; touch pwned");
        QTest::newRow("double quote") << QStringLiteral("a\" ; touch pwned ; \"");
    }

    void argumentsNeverReachAShell()
    {
        QFETCH(QString, argument);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const ConsoleResult result =
            RunConsoleCommand(QStringLiteral("printf"), {QStringLiteral("%s"), argument}, folder.path(), 20s);
        QVERIFY(result.finished);
        QCOMPARE(result.output, argument);
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("pwned"))));
    }

    void givesUpAChildThatNeverEnds()
    {
        QElapsedTimer clock;
        clock.start();
        const ConsoleResult result =
            RunConsoleCommand(shell, script(QStringLiteral("printf abc; exec sleep 60")), QDir::tempPath(), 300ms);
        QVERIFY(result.started);
        QVERIFY(!result.finished);
        QCOMPARE(result.output, QStringLiteral("abc"));
        QVERIFY2(clock.elapsed() < 10000, "the run waited for the child instead of killing it");
    }

    void givesUpOnAStopRequest()
    {
        std::stop_source stop;
        stop.request_stop();
        QElapsedTimer clock;
        clock.start();
        const ConsoleResult result =
            RunConsoleCommand(shell, script(QStringLiteral("exec sleep 60")), QDir::tempPath(), 60s, stop.get_token());
        QVERIFY(result.started);
        QVERIFY(!result.finished);
        QVERIFY(clock.elapsed() < 10000);
    }

    // The program raises its own limit of open files for deep folder walks; what it starts gets the limit it found.
    void childGetsTheOpenFileLimitFoundAtStart()
    {
        rlimit limit{};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &limit) == 0);
        if (limit.rlim_max <= 256)
            QSKIP("the hard limit leaves no room to raise the soft one");
        limit.rlim_cur = 256;
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &limit) == 0);
        RaiseOpenFileLimit();
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &limit) == 0);
        QCOMPARE(limit.rlim_cur, limit.rlim_max);

        const ConsoleResult result = RunConsoleCommand(shell, script(QStringLiteral("ulimit -n")), QDir::tempPath());
        QVERIFY(result.finished);
        QCOMPARE(result.output.trimmed(), QStringLiteral("256"));
    }

    void reportsAChildThatCannotStart_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("workingFolder");
        QTest::newRow("no such program") << QStringLiteral("/nonexistent/exiftool") << QDir::tempPath();
        QTest::newRow("no such working folder") << shell << QStringLiteral("/nonexistent/folder");
    }

    void reportsAChildThatCannotStart()
    {
        QFETCH(QString, program);
        QFETCH(QString, workingFolder);
        const ConsoleResult result = RunConsoleCommand(program, script(QStringLiteral("printf abc")), workingFolder);
        QVERIFY(!result.started);
        QVERIFY(!result.finished);
        QCOMPARE(result.output, QString());
    }

    void uniqueFileName_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");

        QTest::newRow("free name") << QStringList{} << QStringLiteral("report.txt") << QStringLiteral("report.txt");
        QTest::newRow("next free number") << QStringList{QStringLiteral("report.txt"), QStringLiteral("report (2).txt")}
                                          << QStringLiteral("report.txt") << QStringLiteral("report (3).txt");
        QTest::newRow("no extension") << QStringList{QStringLiteral("data")} << QStringLiteral("data")
                                      << QStringLiteral("data (2)");
        QTest::newRow("last dot only") << QStringList{QStringLiteral("a.tar.gz")} << QStringLiteral("a.tar.gz")
                                       << QStringLiteral("a.tar (2).gz");
        QTest::newRow("dot in the folder, not the name")
            << QStringList{QStringLiteral("x.d/data")} << QStringLiteral("x.d/data") << QStringLiteral("x.d/data (2)");
        QTest::newRow("folder of that name")
            << QStringList{QStringLiteral("brindlescope1.txt/")} << QStringLiteral("brindlescope1.txt")
            << QStringLiteral("brindlescope1 (2).txt");
    }

    void uniqueFileName()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QDir root(folder.path());
        for (const QString& entry : present) {
            if (entry.endsWith(u'/')) {
                QVERIFY(root.mkpath(entry));
                continue;
            }
            QVERIFY(root.mkpath(QFileInfo(root.filePath(entry)).path()));
            QFile file(root.filePath(entry));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(UniqueFileName(root.filePath(name)), root.filePath(expected));
    }

    void uniqueFileNameTakesADanglingLink()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString link = folder.filePath(QStringLiteral("brindlescope2.txt"));
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("missing")), link));
        QCOMPARE(UniqueFileName(link), folder.filePath(QStringLiteral("brindlescope2 (2).txt")));
    }

    void addTrailingBackslash_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("appended") << QStringLiteral("/tmp/a") << QStringLiteral("/tmp/a/");
        QTest::newRow("already there") << QStringLiteral("/tmp/a/") << QStringLiteral("/tmp/a/");
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
    }

    void addTrailingBackslash()
    {
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        QCOMPARE(AddTrailingBackslash(folder), expected);
    }
};

QTEST_GUILESS_MAIN(TestConsoleRunner)
#include "tst_consolerunner.moc"
