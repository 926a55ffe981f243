// The program itself, started as a user would start it and ended from outside.

#include "core/online/updatecheck.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

class TestEnding : public QObject
{
    Q_OBJECT

private slots:
    void endsAsWhenItsWindowCloses_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    // Ended by a signal, the program closes its window: the private folder goes, the layout is written, and the
    // next start finds nothing left behind.
    void endsAsWhenItsWindowCloses()
    {
        QFETCH(int, signal);
        QTemporaryDir program;
        QTemporaryDir runtime;
        QTemporaryDir config;
        QTemporaryDir state;
        const QString copy = program.filePath(u"tagscope"_s);
        QVERIFY(QFile::copy(QStringLiteral(TAGSCOPE_BUILD_DIR "/tagscope"), copy));
        QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        // The program must not ask the maker's service from here: notices off means no request at all.
        QSettings(UpdateStorePath(config.path(), u"BRINDLE"_s, u"BRINDLE - Tagscope"_s), QSettings::NativeFormat)
            .setValue(u"ShowUpdate"_s, u"0"_s);

        QProcess tagscope;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, config.path());
        environment.insert(u"XDG_STATE_HOME"_s, state.path());
        tagscope.setProcessEnvironment(environment);
        tagscope.setProcessChannelMode(QProcess::ForwardedChannels);
        tagscope.start(copy, {});
        QVERIFY(tagscope.waitForStarted(30000));
        // Running its event loop: the deployment, 100 ms after the window was made, has begun.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(program.filePath(u"exiftool"_s)).exists(), 30000);
        const QStringList running = FolderEntries(runtime.path()).filter(u"tagscope-"_s);
        QCOMPARE(running.size(), 1);

        QCOMPARE(::kill(pid_t(tagscope.processId()), signal), 0);
        QVERIFY(tagscope.waitForFinished(30000));
        QCOMPARE(tagscope.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tagscope.exitCode(), 0);
        QCOMPARE(FolderEntries(runtime.path()).filter(u"tagscope-"_s), QStringList());
        QVERIFY(QFile::exists(state.filePath(u"BRINDLE/Tagscope/window.ini"_s)));
        QVERIFY(ReadWholeFile(program.filePath(u"settings.ini"_s)).contains("FileMask=*"));
    }
};

QTEST_GUILESS_MAIN(TestEnding)
#include "tst_ending.moc"
