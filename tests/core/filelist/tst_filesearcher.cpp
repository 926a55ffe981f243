#include "core/base/filenames.h"
#include "core/filelist/filerecords.h"
#include "core/filelist/filesearcher.h"
#include "core/platform/removetree.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

using namespace Qt::Literals::StringLiterals;

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QRegularExpression kFinished(QStringLiteral("^Finished \\(Elapsed Time: \\d+\\.\\d{3} s\\)$"));
const QRegularExpression kInterrupted(QStringLiteral("^Interrupted by user \\(Elapsed Time: \\d+\\.\\d{3} s\\)$"));

void makeFile(const QString& path, int size = 0)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(QByteArray(size, 'x'));
}

// The files of a folder as the folder listings give them, depth first: what a scan must list, in its order.
void listingOrder(const QString& folder, bool subfolders, QStringList& out)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    QVERIFY(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == u"." || name == u"..")
            continue;
        const QString path = folder + u'/' + name;
        if (QFileInfo(path).isDir()) {
            if (subfolders)
                listingOrder(path, subfolders, out);
        } else {
            out.append(path);
        }
    }
    ::closedir(dir);
}

QStringList fullNames(const FileRecords& records)
{
    QStringList names;
    const FileRecords::Reader list = records.read();
    for (std::size_t i = 0; i < list.size(); ++i)
        names.append(list[i].FFullName());
    return names;
}

ScanSettings settingsFor(const QString& folder, const QString& filter = QStringLiteral("*"))
{
    ScanSettings settings;
    settings.folder = folder;
    settings.filterText = filter;
    settings.locale = kUs;
    return settings;
}

QElapsedTimer startedStopwatch()
{
    QElapsedTimer stopwatch;
    stopwatch.start();
    return stopwatch;
}

// Runs a whole scan and waits for its end step, or for its error report.
struct ScanRun
{
    explicit ScanRun(FileRecords& records, const ScanSettings& settings)
        : searcher(records, settings, startedStopwatch()), finished(&searcher, &TFileSearcher::scanFinished),
          failed(&searcher, &TFileSearcher::scanFailed), interrupted(&searcher, &TFileSearcher::interruptionReported)
    {}

    bool run()
    {
        searcher.start();
        if (!QTest::qWaitFor([&] { return finished.count() + failed.count() > 0; }, 60000))
            return false;
        return searcher.wait(60000);
    }

    TFileSearcher searcher;
    QSignalSpy finished;
    QSignalSpy failed;
    QSignalSpy interrupted;
};

} // namespace

class TestFileSearcher : public QObject
{
    Q_OBJECT

private slots:
    void listsInListingOrder_data();
    void listsInListingOrder();
    void recordContents();
    void filters_data();
    void filters();
    void emptyOrMissingFolder_data();
    void emptyOrMissingFolder();
    void unreadableFolderSkipped();
    void namesNotInUtf8Listed_data();
    void namesNotInUtf8Listed();
    void linksFollowedCyclesEnded();
    void meshOfLinksWalkedOnce();
    void stopInDeepScan();
    void invalidMaskEndsScan();
    void stopAndWaitServesReports();
    void destroyedDuringScan();
    void sortDuringScan();
};

void TestFileSearcher::listsInListingOrder_data()
{
    QTest::addColumn<bool>("subfolders");
    QTest::addColumn<bool>("trailingSeparator");
    QTest::newRow("subfolders") << true << false;
    QTest::newRow("no subfolders") << false << false;
    QTest::newRow("folder ending in separator") << true << true;
}

void TestFileSearcher::listsInListingOrder()
{
    QFETCH(bool, subfolders);
    QFETCH(bool, trailingSeparator);
    QTemporaryDir dir;
    const QString root = dir.path();
    // Enough names that the listing order is not the creation order, files before and after subfolders, hidden
    // files and folders, and more files than one batch.
    for (int i = 0; i < 30; ++i)
        makeFile(root + QStringLiteral("/top%1.txt").arg(i));
    makeFile(root + QStringLiteral("/.hidden"));
    makeFile(root + QStringLiteral("/.hiddenfolder/inside.txt"));
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 5; ++j)
            makeFile(root + QStringLiteral("/sub%1/f%2.dat").arg(i).arg(j));
        makeFile(root + QStringLiteral("/sub%1/deeper/g.dat").arg(i));
    }
    for (int i = 0; i < 700; ++i)
        makeFile(root + QStringLiteral("/many/m%1").arg(i));
    QDir(root).mkdir(QStringLiteral("emptyfolder"));

    QStringList expected;
    listingOrder(root, subfolders, expected);
    FileRecords records;
    ScanSettings settings = settingsFor(trailingSeparator ? root + u'/' : root);
    settings.includeSubfolders = subfolders;
    ScanRun scan(records, settings);
    QVERIFY(scan.run());
    QCOMPARE(fullNames(records), expected);
    QCOMPARE(scan.finished.count(), 1);
    QCOMPARE(scan.finished.at(0).at(0).toBool(), false);
    QVERIFY(kFinished.match(scan.finished.at(0).at(1).toString()).hasMatch());
    QCOMPARE(scan.interrupted.count(), 0);
    QCOMPARE(scan.failed.count(), 0);
}

void TestFileSearcher::recordContents()
{
    qputenv("TZ", "UTC");
    tzset();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Photo.JPEG"));
    makeFile(path, 1234);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    // 2026-03-09 14:05:30 UTC
    QVERIFY(file.setFileTime(QDateTime::fromSecsSinceEpoch(1773065130, Qt::UTC), QFileDevice::FileModificationTime));
    file.close();

    for (const bool size : {true, false}) {
        FileRecords records;
        ScanSettings settings = settingsFor(dir.path());
        settings.calculateSize = size;
        ScanRun scan(records, settings);
        QVERIFY(scan.run());
        QCOMPARE(records.size(), std::size_t(1));
        const TMyRecord r = records.at(0);
        QCOMPARE(r.FName, QStringLiteral("Photo.JPEG"));
        QCOMPARE(r.FFullName(), path);
        QCOMPARE(r.FExtension, QStringLiteral("JPEG"));
        FileDateTexts dates(kUs);
        QCOMPARE(r.FDate(dates), QStringLiteral("3/9/26 2:05 PM"));
        QCOMPARE(r.FDateKey, qint64(1773065100));
        QCOMPARE(r.FSize, size ? qint64(1234) : qint64(-1));
        QCOMPARE(r.FImageIndex, -1);
    }
}

void TestFileSearcher::filters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("names"); // the listed names, sorted, joined by blanks

    QTest::newRow("star") << "*" << false << "B.Jpg a.jpg a.jpg.bak notes.md sub.txt";
    QTest::newRow("mask ignores case") << "*.JPG" << false << "B.Jpg a.jpg";
    QTest::newRow("two masks") << "*.txt *.md" << false << "notes.md sub.txt";
    QTest::newRow("text is exact") << ".jpg" << true << "a.jpg a.jpg.bak";
    QTest::newRow("empty, case-sensitive") << "" << true << "";
    QTest::newRow("semicolon, case-sensitive") << ";" << true << "B.Jpg a.jpg a.jpg.bak notes.md sub.txt";
    QTest::newRow("semicolon, masks") << ";" << false << "";
}

void TestFileSearcher::filters()
{
    QFETCH(QString, filter);
    QFETCH(bool, caseSensitive);
    QFETCH(QString, names);
    QTemporaryDir dir;
    for (const char* name : {"a.jpg", "B.Jpg", "a.jpg.bak", "notes.md", "deep/sub.txt"})
        makeFile(dir.filePath(QString::fromUtf8(name)));
    FileRecords records;
    ScanSettings settings = settingsFor(dir.path(), filter);
    settings.caseSensitive = caseSensitive;
    ScanRun scan(records, settings);
    QVERIFY(scan.run());
    QStringList listed;
    for (std::size_t i = 0; i < records.size(); ++i)
        listed.append(records.at(i).FName);
    listed.sort();
    QCOMPARE(listed.join(u' '), names);
}

void TestFileSearcher::emptyOrMissingFolder_data()
{
    QTest::addColumn<bool>("remove");
    QTest::newRow("empty") << false;
    QTest::newRow("removed after it was chosen") << true;
}

void TestFileSearcher::emptyOrMissingFolder()
{
    QFETCH(bool, remove);
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkdir(chosen));
    if (remove)
        QVERIFY(QDir().rmdir(chosen));
    FileRecords records;
    ScanRun scan(records, settingsFor(chosen));
    QVERIFY(scan.run());
    QCOMPARE(records.size(), std::size_t(0));
    QCOMPARE(scan.finished.count(), 1);
    // A folder gone since it was chosen ends the scan at once, and its text says it could not be read.
    QString finished = scan.finished.at(0).at(1).toString();
    if (remove) {
        QVERIFY2(finished.endsWith(QStringLiteral("; 1 folder could not be read")), qPrintable(finished));
        finished.chop(QStringLiteral("; 1 folder could not be read").size());
    }
    QVERIFY(kFinished.match(finished).hasMatch());
}

void TestFileSearcher::namesNotInUtf8Listed_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QByteArrayList>("listed"); // the names' bytes below the folder, sorted
    const QByteArray replacement = "/\xEF\xBF\xBD.txt";
    const QByteArray latin1 = "/a\xFF.txt";
    const QByteArray overlong = "/ok/\xC0\xAF.txt";
    const QByteArray byteOrderMark = "/ok/\xEF\xBB\xBF"
                                     "b.txt";
    const QByteArrayList all{replacement,   latin1,           "/bad\xFE/inside.txt", overlong,
                             byteOrderMark, "/ok/inside.txt", "/plain.txt"};
    QTest::newRow("every name") << u"*"_s << all;
    // A name is tested as it is shown, each byte that is not UTF-8 as one U+FFFD.
    QTest::newRow("one character for a byte") << u"?.txt;a?.txt"_s << QByteArrayList{replacement, latin1};
    QTest::newRow("two characters") << u"??.txt"_s << QByteArrayList{latin1, overlong, byteOrderMark};
    QTest::newRow("the replacement character") << u"a\uFFFD.txt"_s << QByteArrayList{latin1};
    // What looks like a byte-order mark at the start of a name is part of it.
    QTest::newRow("U+FEFF") << u"\uFEFF*"_s << QByteArrayList{byteOrderMark};
}

void TestFileSearcher::namesNotInUtf8Listed()
{
    QFETCH(QString, filter);
    QFETCH(QByteArrayList, listed);
    // A name whose bytes are not UTF-8 is listed like any other and leads back to its file; a folder of such a name
    // is walked. A name that holds U+FFFD itself is another name.
    QTemporaryDir dir;
    // QTemporaryDir cannot remove names that are not UTF-8.
    const auto removeTree = qScopeGuard([&dir] { RemoveFolderTree(dir.path()); });
    const QByteArray root = QFile::encodeName(dir.path());
    for (const QByteArray& folder : {QByteArray("/bad\xFE"), QByteArray("/ok")})
        QVERIFY(::mkdir((root + folder).constData(), 0755) == 0);
    for (const QByteArray& file : {QByteArray("/a\xFF.txt"), QByteArray("/plain.txt"), QByteArray("/\xEF\xBF\xBD.txt"),
                                   QByteArray("/bad\xFE/inside.txt"), QByteArray("/ok/\xC0\xAF.txt"),
                                   QByteArray("/ok/\xEF\xBB\xBF"
                                              "b.txt"),
                                   QByteArray("/ok/inside.txt")}) {
        const int fd = ::open((root + file).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }

    FileRecords records;
    ScanRun scan(records, settingsFor(dir.path(), filter));
    QVERIFY(scan.run());
    QByteArrayList found;
    for (const QString& name : fullNames(records)) {
        found.append(EncodeFileName(name).sliced(root.size()));
        struct stat st;
        QVERIFY2(::stat(EncodeFileName(name).constData(), &st) == 0, EncodeFileName(name).constData());
    }
    std::sort(found.begin(), found.end());
    std::sort(listed.begin(), listed.end());
    QCOMPARE(found, listed);
    // Nothing was left out.
    QVERIFY(kFinished.match(scan.finished.at(0).at(1).toString()).hasMatch());
}

void TestFileSearcher::unreadableFolderSkipped()
{
    QTemporaryDir dir;
    // Readable by all, since the scan below may run as another user.
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    const QString root = dir.path();
    makeFile(root + QStringLiteral("/before.txt"));
    makeFile(root + QStringLiteral("/shut/secret.txt"));
    makeFile(root + QStringLiteral("/shut/inner/deep.txt"));
    makeFile(root + QStringLiteral("/open/visible.txt"));
    QVERIFY(::chmod(QFile::encodeName(root + QStringLiteral("/shut")).constData(), 0) == 0);

    FileRecords records;
    FileRecords chosenShut;
    {
        UnprivilegedScope unprivileged;
        if (!unprivileged.ok())
            QSKIP("running as root, and the user \"nobody\" cannot be taken on");
        if (const int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0)
            ::close(fd);
        else
            QSKIP("the unprivileged user cannot reach the temporary folder");
        ScanRun scan(records, settingsFor(root));
        QVERIFY(scan.run());
        QVERIFY2(scan.finished.at(0).at(1).toString().endsWith(QStringLiteral(" s); 1 folder could not be read")),
                 qPrintable(scan.finished.at(0).at(1).toString()));
        // A chosen folder that cannot be listed finishes at once like an empty one, and says so.
        ScanRun shut(chosenShut, settingsFor(root + QStringLiteral("/shut")));
        QVERIFY(shut.run());
        QCOMPARE(shut.finished.count(), 1);
        QVERIFY(shut.finished.at(0).at(1).toString().endsWith(QStringLiteral(" s); 1 folder could not be read")));
    }
    ::chmod(QFile::encodeName(root + QStringLiteral("/shut")).constData(), 0700);
    QStringList listed = fullNames(records);
    listed.sort();
    QCOMPARE(listed, (QStringList{root + QStringLiteral("/before.txt"), root + QStringLiteral("/open/visible.txt")}));
    QCOMPARE(chosenShut.size(), std::size_t(0));
}

void TestFileSearcher::linksFollowedCyclesEnded()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    makeFile(root + QStringLiteral("/sub/f.txt"));
    QVERIFY(QFile::link(QStringLiteral(".."), root + QStringLiteral("/sub/back")));
    QVERIFY(QFile::link(QStringLiteral("."), root + QStringLiteral("/self")));
    QVERIFY(QFile::link(QStringLiteral("sub"), root + QStringLiteral("/alias")));
    QVERIFY(QFile::link(QStringLiteral("sub/f.txt"), root + QStringLiteral("/filelink.txt")));
    QVERIFY(QFile::link(QStringLiteral("missing"), root + QStringLiteral("/dangling")));

    FileRecords records;
    ScanRun scan(records, settingsFor(root));
    QVERIFY(scan.run());
    QStringList listed = fullNames(records);
    listed.sort();
    // The link to a folder is walked like the folder; the links back to a folder on the current path are not.
    QCOMPARE(listed, (QStringList{root + QStringLiteral("/alias/f.txt"), root + QStringLiteral("/dangling"),
                                  root + QStringLiteral("/filelink.txt"), root + QStringLiteral("/sub/f.txt")}));
    // Without subfolders a link to a folder is a folder all the same: it is skipped, not listed as a file.
    FileRecords topOnly;
    ScanSettings withoutSubfolders = settingsFor(root);
    withoutSubfolders.includeSubfolders = false;
    ScanRun topScan(topOnly, withoutSubfolders);
    QVERIFY(topScan.run());
    listed = fullNames(topOnly);
    listed.sort();
    QCOMPARE(listed, (QStringList{root + QStringLiteral("/dangling"), root + QStringLiteral("/filelink.txt")}));

    FileDateTexts dates(kUs);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TMyRecord r = records.at(i);
        if (r.FName == u"dangling") {
            QCOMPARE(r.FSize, qint64(-1));
            QCOMPARE(r.FDate(dates), QString());
            QCOMPARE(r.FDateKey, kUnknownDateKey);
        } else {
            QVERIFY(!r.FDate(dates).isEmpty());
        }
    }
}

void TestFileSearcher::meshOfLinksWalkedOnce()
{
    // Six folders, each with a file and links to the five others: every path through the links would be thousands of
    // rows; each folder's file is listed once as itself and at most once through a link.
    QTemporaryDir dir;
    const QString root = dir.path();
    constexpr int kFolders = 6;
    for (int i = 0; i < kFolders; ++i)
        makeFile(root + QStringLiteral("/m%1/f.txt").arg(i));
    for (int i = 0; i < kFolders; ++i) {
        for (int j = 0; j < kFolders; ++j) {
            if (i != j)
                QVERIFY(QFile::link(QStringLiteral("../m%1").arg(j), root + QStringLiteral("/m%1/to%2").arg(i).arg(j)));
        }
    }
    FileRecords records;
    ScanRun scan(records, settingsFor(root));
    QVERIFY(scan.run());
    QStringList listed = fullNames(records);
    QVERIFY2(listed.size() <= 2 * kFolders, qPrintable(QString::number(listed.size())));
    for (int i = 0; i < kFolders; ++i)
        QVERIFY(listed.contains(root + QStringLiteral("/m%1/f.txt").arg(i)));
}

// Every entry of a folder, "." and ".." included, in the order its listing returns them.
static QStringList listingOrder(const QString& folder)
{
    QStringList names;
    if (DIR* listing = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* entry = ::readdir(listing))
            names.append(QFile::decodeName(entry->d_name));
        ::closedir(listing);
    }
    return names;
}

void TestFileSearcher::stopInDeepScan()
{
    // Eight folders, one inside the other, the innermost holding many files. The first batch appended requests the
    // stop. The records are made on a thread beside the walk, which hands it at most a few batches of 512 files
    // ahead, so 4,000 files are more than the walk can finish before it sees the stop.
    QTemporaryDir dir;
    QString deepest = dir.path();
    for (int level = 0; level < 8; ++level)
        deepest += QStringLiteral("/d%1").arg(level);
    for (int i = 0; i < 4000; ++i)
        makeFile(deepest + QStringLiteral("/f%1").arg(i));

    FileRecords records;
    ScanRun scan(records, settingsFor(dir.path()));
    records.setAppendListener([&] { scan.searcher.requestStop(); });
    std::vector<std::size_t> countAtReport;
    connect(&scan.searcher, &TFileSearcher::interruptionReported, this,
            [&] { countAtReport.push_back(records.size()); });
    QVERIFY(scan.run());

    // The innermost folder reports; an outer one only when its listing still has an entry after its subfolder
    // ("." and ".." included: the stop is checked before every entry).
    int expectedReports = 1;
    QString level = dir.path();
    for (int i = 0; i < 8; ++i) {
        const QStringList order = listingOrder(level);
        const QString sub = QStringLiteral("d%1").arg(i);
        if (order.indexOf(sub) + 1 < order.size())
            ++expectedReports;
        level += u'/' + sub;
    }
    QCOMPARE(scan.interrupted.count(), expectedReports);
    for (const QList<QVariant>& report : scan.interrupted)
        QVERIFY(kInterrupted.match(report.at(0).toString()).hasMatch());
    QCOMPARE(scan.finished.count(), 1);
    QCOMPARE(scan.finished.at(0).at(0).toBool(), true);
    QCOMPARE(scan.finished.at(0).at(1).toString(), QString());
    // The rows found before the stop stay, and every report counts all of them.
    const std::size_t found = records.size();
    QVERIFY(found >= 1);
    QVERIFY(found < 4000);
    for (const std::size_t count : countAtReport)
        QCOMPARE(count, found);
    for (const QString& name : fullNames(records))
        QVERIFY(name.startsWith(deepest + u'/'));
}

void TestFileSearcher::invalidMaskEndsScan()
{
    QTemporaryDir dir;
    for (const char* name : {"a1", "a2", "b1", "a3", "b2", "a4"})
        makeFile(dir.filePath(QString::fromUtf8(name)));
    makeFile(dir.filePath(QStringLiteral("sub/a5")));
    QStringList order;
    listingOrder(dir.path(), true, order);
    // Files that pass the first entry are listed until the first one that reaches the invalid entry.
    QStringList expected;
    for (const QString& path : order) {
        if (!QFileInfo(path).fileName().startsWith(u'a'))
            break;
        expected.append(path);
    }

    FileRecords records;
    ScanRun scan(records, settingsFor(dir.path(), QStringLiteral("A*;[ABC")));
    QVERIFY(scan.run());
    QTRY_COMPARE(scan.failed.count(), 1);
    QCOMPARE(scan.failed.at(0).at(0).toString(), QStringLiteral("'[abc' is an invalid mask at (5)"));
    QCOMPARE(scan.finished.count(), 0);
    QVERIFY(scan.searcher.error());
    QCOMPARE(fullNames(records), expected);
}

void TestFileSearcher::stopAndWaitServesReports()
{
    // Without serving the reports while it waits, this would wait forever for a thread that waits for it.
    QTemporaryDir dir;
    for (int i = 0; i < 20; ++i)
        makeFile(dir.filePath(QStringLiteral("sub%1/f").arg(i)));
    FileRecords records;
    TFileSearcher searcher(records, settingsFor(dir.path()), startedStopwatch());
    QSignalSpy finished(&searcher, &TFileSearcher::scanFinished);
    searcher.start();
    searcher.stopAndWait();
    QVERIFY(searcher.isFinished());
    QCOMPARE(finished.count(), 1);
}

void TestFileSearcher::destroyedDuringScan()
{
    QTemporaryDir dir;
    for (int i = 0; i < 2000; ++i)
        makeFile(dir.filePath(QStringLiteral("s%1/f%2").arg(i % 40).arg(i)));
    FileRecords records;
    auto searcher = std::make_unique<TFileSearcher>(records, settingsFor(dir.path()), startedStopwatch());
    bool reported = false;
    connect(searcher.get(), &TFileSearcher::scanFinished, this, [&] { reported = true; });
    connect(searcher.get(), &TFileSearcher::interruptionReported, this, [&] { reported = true; });
    // Waits for the first batch without running the event loop, which would deliver the reports.
    std::mutex mutex;
    std::condition_variable appended;
    bool any = false;
    records.setAppendListener([&] {
        std::lock_guard lock(mutex);
        any = true;
        appended.notify_all();
    });
    searcher->start();
    {
        std::unique_lock lock(mutex);
        QVERIFY(appended.wait_for(lock, std::chrono::seconds(60), [&] { return any; }));
    }
    searcher.reset();
    // Closing discards the reports: nothing reaches a window that is going away.
    QVERIFY(!reported);
}

void TestFileSearcher::sortDuringScan()
{
    QTemporaryDir dir;
    QStringList expected;
    for (int i = 0; i < 3000; ++i) {
        const QString path = dir.filePath(QStringLiteral("s%1/f%2.%3").arg(i % 30).arg(i).arg(i % 7));
        makeFile(path, i % 13);
        expected.append(path);
    }
    FileRecords records;
    ScanRun scan(records, settingsFor(dir.path()));
    scan.searcher.start();
    int sorts = 0;
    const QDeadlineTimer deadline(60000);
    while (scan.finished.count() == 0) {
        QVERIFY(!deadline.hasExpired());
        records.sort(sorts % 4, sorts % 2 == 0);
        ++sorts;
        QCoreApplication::processEvents();
    }
    QVERIFY(scan.searcher.wait(60000));
    // Every file once, whatever the sorts did while the scan appended.
    QStringList listed = fullNames(records);
    listed.sort();
    expected.sort();
    QCOMPARE(listed, expected);
}

QTEST_GUILESS_MAIN(TestFileSearcher)
#include "tst_filesearcher.moc"
