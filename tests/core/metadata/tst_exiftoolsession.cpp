#include "core/metadata/exiftoolsession.h"
#include "support/taggedfiles.h"
#include "support/testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using namespace std::chrono_literals;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString exifTool = QStringLiteral("exiftool");
// Bound for a report of real ExifTool, start-up included, on a busy machine.
constexpr int reportWaitMs = 60000;

// Real files made by many cameras and programs, beside the repository where they exist.
QString samplesFolder()
{
    return QStringLiteral(TAGSCOPE_SAMPLES_DIR);
}

QStringList entriesOf(const QString& folder)
{
    return FolderEntries(folder);
}

QByteArray contentsOf(const QString& name)
{
    return ReadWholeFile(name);
}

// The answers the session gave, in order.
QList<std::pair<int, MetadataReport>> answers(const QSignalSpy& spy)
{
    QList<std::pair<int, MetadataReport>> list;
    for (const QList<QVariant>& arguments : spy)
        list.append({arguments.at(0).toInt(), arguments.at(1).value<MetadataReport>()});
    return list;
}

bool answered(const QSignalSpy& spy, int id)
{
    for (const auto& [answeredId, report] : answers(spy))
        if (answeredId == id)
            return true;
    return false;
}

MetadataReport answerFor(const QSignalSpy& spy, int id)
{
    for (const auto& [answeredId, report] : answers(spy))
        if (answeredId == id)
            return report;
    return {};
}

// The "File Name" line ExifTool writes for a file; it shows control characters as ".".
QString fileNameLine(const QString& name)
{
    QString shown = name;
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f]"));
    shown.replace(control, QStringLiteral("."));
    return QStringLiteral("File Name                       : ") + shown + QStringLiteral("\r\n");
}

// Three folders of a session: the files to report on, its temporary folder, and its working folder.
struct Folders
{
    QTemporaryDir files;
    QTemporaryDir temp;
    QTemporaryDir work;
    bool valid() const { return files.isValid() && temp.isValid() && work.isValid(); }
};

// The rows of a test that runs once through the resident ExifTool and once through the one-shot command.
void addResidentOrOneShotRows()
{
    QTest::addColumn<bool>("resident");
    QTest::newRow("resident") << true;
    QTest::newRow("one-shot") << false;
}

} // namespace

class TestExifToolSession : public QObject
{
    Q_OBJECT

    QTemporaryDir m_pictures;

    // Three camera pictures, made once for all the tests.
    QString sample(const QString& name) const { return m_pictures.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_pictures.isValid());
        QVERIFY_MADE(MakeTaggedJpeg(sample(QStringLiteral("Canon.jpg")), CameraTags()));
        QVERIFY_MADE(MakeTaggedJpeg(sample(QStringLiteral("Nikon.jpg")), CameraTags(QStringLiteral("NIKON D70"))));
        QVERIFY_MADE(MakeTaggedJpeg(sample(QStringLiteral("Sony.jpg")), CameraTags(QStringLiteral("DSLR-A100"))));
    }

    // The pane shows exactly what ExifTool writes when run by hand with the same arguments, for every sample of
    // the broad collection beside the repository.
    void paneTextIsExifToolsReport()
    {
        QStringList files;
        for (QDirIterator it(samplesFolder(), QDir::Files); it.hasNext();)
            files.append(it.next());
        if (files.isEmpty())
            QSKIP(qPrintable(u"No sample files in %1: the comparison with ExifTool's own reports was skipped."_s.arg(
                samplesFolder())));
        files.sort();
        QTemporaryDir expectedFolder;
        Folders folders;
        QVERIFY(expectedFolder.isValid() && folders.valid());

        const auto runByHand = [&] {
            QProcess process;
            process.start(exifTool, QStringList{QStringLiteral("-charset"), QStringLiteral("UTF8"),
                                                QStringLiteral("-w!"), expectedFolder.filePath(QStringLiteral("%f.%e"))}
                                        << files);
            return process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit;
        };
        // The first read of a file may move its access time, which the report shows; read everything once before.
        QVERIFY(runByHand());

        ExifToolSession session(folders.temp.path());
        session.start(exifTool, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        QHash<QString, int> ids;
        for (const QString& file : files) {
            const int id = session.requestReport(file);
            QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);
            ids.insert(file, id);
        }
        QVERIFY(session.usesResident());
        QVERIFY(runByHand());

        for (const QString& file : files) {
            const MetadataReport report = answerFor(spy, ids.value(file));
            const QString expectedName = expectedFolder.filePath(QFileInfo(file).fileName());
            QVERIFY2(report.produced == QFile::exists(expectedName), qPrintable(file));
            // ExifTool's report with its line ends made CR LF, the last line's too. A few reports hold bytes that
            // are not UTF-8 (PSP.psp has a Latin-1 copyright sign); those show as replacement characters.
            QByteArray expected = contentsOf(expectedName);
            expected.replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n");
            if (!expected.isEmpty() && !expected.endsWith('\n'))
                expected += "\r\n";
            QCOMPARE(report.paneText, QString::fromUtf8(expected));
        }
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
        QCOMPARE(entriesOf(folders.work.path()), QStringList());
    }

    void hostileFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("resident");

        const QList<std::pair<const char*, QString>> names{
            {"double quote", QStringLiteral("a\"b.jpg")},
            {"command substitution", QStringLiteral("$(touch pwned).jpg")},
            {"backquotes", QStringLiteral("`touch pwned`.jpg")},
            {"semicolon", QStringLiteral("a;touch pwned.jpg")},
            {"line break then -w!", QStringLiteral("x\n-w!\ny.jpg")},
            {"leading blank", QStringLiteral(" leading.jpg")},
            {"leading #", QStringLiteral("#hash.jpg")},
            {"trailing CR", QStringLiteral("cr.jpg\r")},
            {"line break and $", QStringLiteral("n\n$HOME@x.jpg")},
            {"percent codes", QStringLiteral("%d%f%0f.jpg")},
            {"option-like", QStringLiteral("-w!.jpg")},
            {"outside ASCII", QString::fromUtf8("\xC3\x9C\xC3\xAF \xE6\x97\xA5\xE6\x9C\xAC \xC2\xA9.jpg")},
            {"line break in the folder", QStringLiteral("dir\nx/a.jpg")},
        };
        for (const auto& [tag, name] : names) {
            QTest::addRow("%s, resident", tag) << name << true;
            QTest::addRow("%s, one-shot", tag) << name << false;
        }
    }

    // A file name reaches ExifTool whole: nothing runs, no extra file is written, and the report is the file's own.
    // A name with "/" puts the file in a folder of that name.
    void hostileFileNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, resident);
        Folders folders;
        QVERIFY(folders.valid());
        const QString path = folders.files.filePath(name);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(QFile::copy(sample(QStringLiteral("Canon.jpg")), path));

        ExifToolSession session(folders.temp.path());
        session.setResidentAllowed(resident);
        session.start(exifTool, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        const int id = session.requestReport(path);
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);

        const MetadataReport report = answerFor(spy, id);
        QVERIFY(report.produced);
        QVERIFY2(report.paneText.contains(fileNameLine(QFileInfo(path).fileName())),
                 qPrintable(report.paneText.left(300)));
        QVERIFY(report.paneText.contains(QStringLiteral("Camera Model Name               : Canon EOS DIGITAL REBEL")));
        QCOMPARE(entriesOf(folders.files.path()), QStringList{name.section(u'/', 0, 0)});
        QCOMPARE(entriesOf(folders.work.path()), QStringList());
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("pwned"))));
    }

    void percentInTheTemporaryFolder_data() { addResidentOrOneShotRows(); }

    void percentInTheTemporaryFolder()
    {
        QFETCH(bool, resident);
        Folders folders;
        QVERIFY(folders.valid());
        const QString temp = folders.temp.filePath(QStringLiteral("t%d%f%c%%"));
        QVERIFY(QDir().mkpath(temp));

        ExifToolSession session(temp);
        session.setResidentAllowed(resident);
        session.start(exifTool, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        const int id = session.requestReport(sample(QStringLiteral("Canon.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);
        QVERIFY(answerFor(spy, id).produced);
        QVERIFY(answerFor(spy, id).paneText.contains(fileNameLine(QStringLiteral("Canon.jpg"))));
        QCOMPARE(entriesOf(temp), QStringList());
        QCOMPARE(entriesOf(folders.temp.path()), QStringList{QStringLiteral("t%d%f%c%%")});
    }

    void staleTemporaryFiles_data() { addResidentOrOneShotRows(); }

    // A stale file is deleted before use; a name that cannot be freed is left alone and a free variant is used.
    void staleTemporaryFiles()
    {
        QFETCH(bool, resident);
        Folders folders;
        QVERIFY(folders.valid());
        QDir temp(folders.temp.path());
        QVERIFY(temp.mkpath(QStringLiteral("brindlescope1.txt/keep")));
        QFile stale(temp.filePath(QStringLiteral("brindlescope2.txt")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale report\n");
        stale.close();

        ExifToolSession session(folders.temp.path());
        session.setResidentAllowed(resident);
        session.start(exifTool, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        const int id = session.requestReport(sample(QStringLiteral("Canon.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);
        QVERIFY(answerFor(spy, id).produced);
        QVERIFY(answerFor(spy, id).paneText.contains(fileNameLine(QStringLiteral("Canon.jpg"))));
        QCOMPARE(entriesOf(temp.path()), QStringList{QStringLiteral("brindlescope1.txt")});
    }

    void onlyTheNewestRequestIsAnswered_data()
    {
        QTest::addColumn<bool>("resident");
        QTest::addColumn<bool>("firstUnderWay");
        QTest::newRow("resident, first under way") << true << true;
        QTest::newRow("resident, first not started") << true << false;
        QTest::newRow("one-shot, first under way") << false << true;
        QTest::newRow("one-shot, first not started") << false << false;
    }

    void onlyTheNewestRequestIsAnswered()
    {
        QFETCH(bool, resident);
        QFETCH(bool, firstUnderWay);
        Folders folders;
        QVERIFY(folders.valid());
        ExifToolSession session(folders.temp.path());
        session.setResidentAllowed(resident);
        session.start(exifTool, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);

        if (firstUnderWay) {
            // Once a warm-up report has come, the process (or the one-shot command) answers the next request within
            // milliseconds, but only through the event loop.
            const int warmUp = session.requestReport(sample(QStringLiteral("Canon.jpg")));
            QTRY_VERIFY_WITH_TIMEOUT(answered(spy, warmUp), reportWaitMs);
            spy.clear();
        }
        const int first = session.requestReport(sample(QStringLiteral("Canon.jpg")));
        if (firstUnderWay) {
            // One pass of the event loop starts the first request and hands it to ExifTool; its answer needs more.
            QCoreApplication::processEvents();
            QVERIFY(!entriesOf(folders.temp.path()).isEmpty());
        }
        const int second = session.requestReport(sample(QStringLiteral("Nikon.jpg")));
        const int third = session.requestReport(sample(QStringLiteral("Sony.jpg")));
        QVERIFY(first < second && second < third);
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, third), reportWaitMs);
        QCoreApplication::processEvents();

        QCOMPARE(spy.count(), 1);
        QVERIFY(answerFor(spy, third).paneText.contains(fileNameLine(QStringLiteral("Sony.jpg"))));
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    // The session holds the newest requested file until ExifTool is ready, and answers only that one.
    void requestsBeforeStartWaitForIt()
    {
        Folders folders;
        QVERIFY(folders.valid());
        ExifToolSession session(folders.temp.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        session.requestReport(sample(QStringLiteral("Canon.jpg")));
        const int newest = session.requestReport(sample(QStringLiteral("Nikon.jpg")));
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), 0);
        session.start(exifTool, folders.work.path());
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, newest), reportWaitMs);
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), 1);
        QVERIFY(answerFor(spy, newest).paneText.contains(fileNameLine(QStringLiteral("Nikon.jpg"))));
    }

    // No ExifTool could be made ready: every request, the one that waited too, is answered as not produced.
    void withoutExifToolEveryReportFails()
    {
        Folders folders;
        QVERIFY(folders.valid());
        ExifToolSession session(folders.temp.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        const int waiting = session.requestReport(sample(QStringLiteral("Canon.jpg")));
        session.start({}, {});
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, waiting), reportWaitMs);
        QVERIFY(!answerFor(spy, waiting).produced);
        const int later = session.requestReport(sample(QStringLiteral("Nikon.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, later), reportWaitMs);
        QVERIFY(!answerFor(spy, later).produced);
        QCOMPARE(session.residentProcessId(), 0);
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    void restartsOnceThenRunsOneShot()
    {
        Folders folders;
        QVERIFY(folders.valid());
        ExifToolSession session(folders.temp.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        session.start(exifTool, folders.work.path());
        QTRY_VERIFY_WITH_TIMEOUT(session.residentProcessId() != 0, reportWaitMs);

        for (int round = 1; round <= 2; ++round) {
            const qint64 pid = session.residentProcessId();
            QVERIFY(pid != 0);
            QCOMPARE(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
            QTRY_VERIFY_WITH_TIMEOUT(session.residentProcessId() != pid, reportWaitMs);
            const int id = session.requestReport(sample(QStringLiteral("Canon.jpg")));
            QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);
            QVERIFY(answerFor(spy, id).produced);
            // After the first loss a new resident process answers; after the second the one-shot command does.
            QCOMPARE(session.usesResident(), round == 1);
            QCOMPARE(session.residentProcessId() != 0, round == 1);
        }
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    // A resident process that dies on the request is restarted once for it, then the request runs one-shot.
    void requestSurvivesResidentDeaths()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString log = folders.work.filePath(QStringLiteral("starts.log"));
        const QString script = folders.files.filePath(QStringLiteral("exiftool"));
        QVERIFY(WriteScript(script, "#!/bin/sh\n"
                                    "echo \"$1\" >> '" +
                                        log.toUtf8() +
                                        "'\n"
                                        "if [ \"$1\" = -stay_open ]; then\n"
                                        "  while read -r line; do case \"$line\" in -execute*) exit 1;; esac; done\n"
                                        "  exit 1\n"
                                        "fi\n"
                                        "exec exiftool \"$@\"\n"));
        ExifToolSession session(folders.temp.path());
        session.start(script, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        const int id = session.requestReport(sample(QStringLiteral("Canon.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);
        QVERIFY(answerFor(spy, id).produced);
        QVERIFY(answerFor(spy, id).paneText.contains(fileNameLine(QStringLiteral("Canon.jpg"))));
        QCOMPARE(spy.count(), 1);
        QVERIFY(!session.usesResident());
        QCOMPARE(contentsOf(log), QByteArray("-stay_open\n-stay_open\n-@\n"));
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    void failureSaysWhatExifToolSaid_data() { addResidentOrOneShotRows(); }

    // A file ExifTool cannot report on (gone, or a pipe): no report, and ExifTool's complaint tells why.
    void failureSaysWhatExifToolSaid()
    {
        QFETCH(bool, resident);
        Folders folders;
        QVERIFY(folders.valid());
        const QString pipe = folders.files.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        ExifToolSession session(folders.temp.path());
        session.setResidentAllowed(resident);
        session.start(exifTool, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        for (const QString& path : {folders.files.filePath(QStringLiteral("gone.jpg")), pipe}) {
            const int id = session.requestReport(path);
            QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);
            const MetadataReport report = answerFor(spy, id);
            QVERIFY(!report.produced);
            QCOMPARE(report.failure, QStringLiteral("Error: File not found - ") + path + QStringLiteral("\r\n"));
        }
    }

    // A file that keeps ExifTool busy for long (a huge sparse movie, say) must not hold up the report of the file the
    // user chose next: the busy resident process is replaced by a fresh one.
    void slowFileDoesNotHoldUpTheNext()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString log = folders.work.filePath(QStringLiteral("resident.log"));
        const QString script = folders.files.filePath(QStringLiteral("exiftool"));
        // A resident ExifTool that takes half a minute over any file named "slow", and answers the rest at once.
        QVERIFY(WriteScript(script, "#!/bin/sh\n"
                                    "if [ \"$1\" = -stay_open ]; then\n"
                                    "  echo start >> '" +
                                        log.toUtf8() +
                                        "'\n"
                                        "  set --\n"
                                        "  while IFS= read -r line; do\n"
                                        "    case \"$line\" in\n"
                                        "      -execute*)\n"
                                        "        case \"$*\" in *slow*) echo slow >> '" +
                                        log.toUtf8() +
                                        "'; sleep 30;; esac\n"
                                        "        exiftool \"$@\" > /dev/null 2>&1\n"
                                        "        echo \"{ready${line#-execute}}\"\n"
                                        "        set -- ;;\n"
                                        "      *) set -- \"$@\" \"$line\" ;;\n"
                                        "    esac\n"
                                        "  done\n"
                                        "  exit 0\n"
                                        "fi\n"
                                        "exec exiftool \"$@\"\n"));
        const QString slow = folders.files.filePath(QStringLiteral("slow.jpg"));
        QVERIFY(QFile::copy(sample(QStringLiteral("Canon.jpg")), slow));
        ExifToolSession session(folders.temp.path());
        session.start(script, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);

        session.requestReport(slow);
        QTRY_VERIFY_WITH_TIMEOUT(contentsOf(log).contains("slow"), reportWaitMs);
        const int next = session.requestReport(sample(QStringLiteral("Nikon.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, next), 10000); // far less than the slow file's half minute
        QVERIFY(answerFor(spy, next).paneText.contains(fileNameLine(QStringLiteral("Nikon.jpg"))));
        QCOMPARE(spy.count(), 1);
        // The replacement is no failure: the session goes on with resident processes.
        QVERIFY(session.usesResident());
        QCOMPARE(contentsOf(log), QByteArray("start\nslow\nstart\n"));
    }

    void programThatCannotStart_data() { addResidentOrOneShotRows(); }

    void programThatCannotStart()
    {
        QFETCH(bool, resident);
        Folders folders;
        QVERIFY(folders.valid());
        ExifToolSession session(folders.temp.path());
        session.setResidentAllowed(resident);
        session.start(QStringLiteral("/nonexistent/exiftool"), folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        const int id = session.requestReport(sample(QStringLiteral("Canon.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);
        QVERIFY(!answerFor(spy, id).produced);
        QCOMPARE(answerFor(spy, id).paneText, QString());
        QVERIFY(!session.usesResident());
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    void residentThatNeverAnswers()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString script = folders.files.filePath(QStringLiteral("exiftool"));
        QVERIFY(WriteScript(script, "#!/bin/sh\nexec cat > /dev/null\n"));
        ExifToolSession session(folders.temp.path());
        session.setTimeLimit(500ms);
        session.start(script, folders.work.path());
        QSignalSpy spy(&session, &ExifToolSession::reportReady);
        QElapsedTimer clock;
        clock.start();
        const int id = session.requestReport(sample(QStringLiteral("Canon.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(answered(spy, id), reportWaitMs);
        QVERIFY(!answerFor(spy, id).produced);
        QVERIFY2(clock.elapsed() < 20000, "the time limit did not end the request");
        QCOMPARE(session.residentProcessId(), 0);
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestExifToolSession)
#include "tst_exiftoolsession.moc"
