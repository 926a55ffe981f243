#include "core/platform/privatetemp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

mode_t modeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

// Holds an exclusive lock on a file for as long as the object lives.
class ForeignLock final
{
public:
    ForeignLock() = default;
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;
    ~ForeignLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_process.state() != QProcess::NotRunning) {
            m_process.closeWriteChannel();
            m_process.waitForFinished(10000);
        }
    }

    // Through another open file description of this process.
    bool takeHere(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        return m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    }

    // Through another process, which says so once it holds the lock and keeps it until its input ends.
    bool takeInOtherProcess(const QString& path)
    {
        m_process.start(QStringLiteral("perl"),
                        {QStringLiteral("-MFcntl=:flock"), QStringLiteral("-e"),
                         QStringLiteral("open(my $f, '<', $ARGV[0]) or die; flock($f, LOCK_EX) or die; $| = 1; "
                                        "print qq(locked\\n); <STDIN>;"),
                         path});
        return m_process.waitForStarted(10000) && m_process.waitForReadyRead(10000) &&
               m_process.readLine().trimmed() == "locked";
    }

private:
    int m_fd = -1;
    QProcess m_process;
};

} // namespace

class TestPrivateTemp : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void privateFolderForTheLifeOfTheObject();
    void twoCopiesSideBySide();
    void foldersOfEndedCopiesAreRemoved_data();
    void foldersOfEndedCopiesAreRemoved();
    void defaultBase_data();
    void defaultBase();
    void processWideFolder();

private:
    std::unique_ptr<QTemporaryDir> m_base;
};

void TestPrivateTemp::init()
{
    m_base = std::make_unique<QTemporaryDir>();
    QVERIFY(m_base->isValid());
}

void TestPrivateTemp::privateFolderForTheLifeOfTheObject()
{
    QString path;
    {
        const PrivateTempFolder folder(m_base->path());
        path = folder.path();
        QVERIFY(path.startsWith(m_base->path() + QStringLiteral("/tagscope-")));
        QVERIFY(path.endsWith(u'/'));
        QCOMPARE(modeOf(path), mode_t(S_IFDIR | 0700));
        QVERIFY(QDir().mkpath(path + QStringLiteral("brindlescope/exiftool_files")));
        QVERIFY(writeFile(path + QStringLiteral("brindlescope1.txt"), "x"));
    }
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(entries(m_base->path()), QStringList());
}

void TestPrivateTemp::twoCopiesSideBySide()
{
    auto first = std::make_unique<PrivateTempFolder>(m_base->path());
    QVERIFY(writeFile(first->path() + QStringLiteral("brindlescope1.txt"), "first"));
    const PrivateTempFolder second(m_base->path());
    QVERIFY(writeFile(second.path() + QStringLiteral("brindlescope1.txt"), "second"));

    QVERIFY(first->path() != second.path());
    QVERIFY(QFileInfo::exists(first->path() + QStringLiteral("brindlescope1.txt")));
    const QString firstPath = first->path();
    first.reset();
    QVERIFY(!QFileInfo::exists(firstPath));
    QVERIFY(QFileInfo::exists(second.path() + QStringLiteral("brindlescope1.txt")));
    // A third copy starting now keeps the second's folder, whose lock is held.
    const PrivateTempFolder third(m_base->path());
    QVERIFY(QFileInfo::exists(second.path() + QStringLiteral("brindlescope1.txt")));
}

void TestPrivateTemp::foldersOfEndedCopiesAreRemoved_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("lock"); // the state of its lock file: "free", "none", "here", "process"
    QTest::addColumn<QString>("kind"); // "folder", "link" (to a folder elsewhere) or "foreign" (another user's)
    QTest::addColumn<bool>("removed");

    const QString folder = QStringLiteral("folder");
    const QString free = QStringLiteral("free");
    const QString none = QStringLiteral("none");
    QTest::newRow("ended copy") << QStringLiteral("tagscope-Ended123") << free << folder << true;
    QTest::newRow("without a lock file") << QStringLiteral("tagscope-NoLock12") << none << folder << false;
    QTest::newRow("copy that died while starting") << QStringLiteral(".tagscope-Died1234") << free << folder << true;
    QTest::newRow("copy that is starting") << QStringLiteral(".tagscope-Start123") << none << folder << false;
    QTest::newRow("running copy, lock held by another process")
        << QStringLiteral("tagscope-Running1") << QStringLiteral("process") << folder << false;
    QTest::newRow("running copy, lock held by another open file")
        << QStringLiteral("tagscope-Running1") << QStringLiteral("here") << folder << false;
    QTest::newRow("a name of another program") << QStringLiteral("other-tagscope-x") << free << folder << false;
    QTest::newRow("a temporary folder of a program named alike")
        << QStringLiteral("tagscope-bench-uistall-AbCdEf") << free << folder << false;
    QTest::newRow("a longer suffix") << QStringLiteral("tagscope-Ended1234") << free << folder << false;
    QTest::newRow("not letters or digits") << QStringLiteral("tagscope-Ended-12") << free << folder << false;
    QTest::newRow("a link to a folder elsewhere")
        << QStringLiteral("tagscope-LinkTo12") << free << QStringLiteral("link") << false;
    QTest::newRow("another user's folder")
        << QStringLiteral("tagscope-Foreign1") << free << QStringLiteral("foreign") << false;
}

void TestPrivateTemp::foldersOfEndedCopiesAreRemoved()
{
    QFETCH(QString, name);
    QFETCH(QString, lock);
    QFETCH(QString, kind);
    QFETCH(bool, removed);

    const QString entry = m_base->filePath(name);
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    // The folder that looks like an ended copy's: the entry itself, or the link's target.
    const QString folder = kind == u"link" ? elsewhere.path() : entry;
    if (kind == u"link")
        QVERIFY(QFile::link(folder, entry));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/brindlescope/exiftool_files")));
    QVERIFY(writeFile(folder + QStringLiteral("/brindlescope1.txt"), "x"));
    const QString lockFile = folder + QStringLiteral("/tagscope.lock");
    if (lock != u"none")
        QVERIFY(writeFile(lockFile, {}));
    ForeignLock holder;
    if (lock == u"here")
        QVERIFY(holder.takeHere(lockFile));
    else if (lock == u"process")
        QVERIFY(holder.takeInOtherProcess(lockFile));

    if (kind == u"foreign" && ::chown(QFile::encodeName(folder).constData(), 65534, 65534) != 0)
        QSKIP("giving a folder to another user needs root");

    const PrivateTempFolder started(m_base->path());

    QCOMPARE(!QFileInfo::exists(entry), removed);
    if (!removed)
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/brindlescope1.txt")));
}

void TestPrivateTemp::defaultBase_data()
{
    // The value of XDG_RUNTIME_DIR; %B stands for a usable folder, %O for a folder that another user owns and this one
    // may write.
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<bool>("used");

    QTest::newRow("usable") << QStringLiteral("%B") << true;
    QTest::newRow("unset") << QString() << false;
    QTest::newRow("missing") << QStringLiteral("%B/missing") << false;
    QTest::newRow("relative") << QStringLiteral("relative/path") << false;
    QTest::newRow("a file") << QStringLiteral("%B/file") << false;
    QTest::newRow("another user's folder") << QStringLiteral("%O") << false;
}

void TestPrivateTemp::defaultBase()
{
    QFETCH(QString, runtime);
    QFETCH(bool, used);
    QVERIFY(writeFile(m_base->filePath(QStringLiteral("file")), "x"));
    runtime.replace(QStringLiteral("%B"), m_base->path());
    if (runtime == u"%O") {
        // Root gives a folder away; anyone else finds the shared /tmp of root, which every user may write.
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            runtime = m_base->filePath(QStringLiteral("others"));
            QVERIFY(nobody && QDir().mkdir(runtime));
            QVERIFY(::chown(QFile::encodeName(runtime).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
            QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0777) == 0);
        } else {
            struct stat st;
            runtime = QStringLiteral("/tmp");
            if (::stat("/tmp", &st) != 0 || st.st_uid == ::geteuid() || ::access("/tmp", W_OK | X_OK) != 0)
                QSKIP("no folder of another user that this one may write");
        }
    }
    // The fallback must differ from every folder tried.
    const QByteArray savedTemp = qgetenv("TMPDIR");
    const bool tempWasSet = qEnvironmentVariableIsSet("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(m_base->filePath(QStringLiteral("fallback"))));
    const auto restoreTemp = qScopeGuard([&] {
        if (tempWasSet)
            qputenv("TMPDIR", savedTemp);
        else
            qunsetenv("TMPDIR");
    });

    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    if (runtime.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const QString base = PrivateTempFolder::DefaultBase();
    if (wasSet)
        qputenv("XDG_RUNTIME_DIR", saved);
    else
        qunsetenv("XDG_RUNTIME_DIR");

    QCOMPARE(base, used ? runtime : QDir::tempPath());
}

void TestPrivateTemp::processWideFolder()
{
    const QString path = GetTempDirectory();
    QCOMPARE(GetTempDirectory(), path);
    QVERIFY(path.startsWith(PrivateTempFolder::DefaultBase() + QStringLiteral("/tagscope-")));
    QCOMPARE(modeOf(path), mode_t(S_IFDIR | 0700));
}

QTEST_GUILESS_MAIN(TestPrivateTemp)
#include "tst_privatetemp.moc"
