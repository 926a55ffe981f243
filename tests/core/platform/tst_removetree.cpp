#include "core/base/errors.h"
#include "core/platform/removetree.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

class TestRemoveTree : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void deletesEverything();
    void neverFollowsLinks_data();
    void neverFollowsLinks();
    void missingFolderIsNoError();
    void deleteGoesOnPastWhatResists();
    void deleteLeavesFoldersItCannotList_data();
    void deleteLeavesFoldersItCannotList();
    void reportsWhatStays_data();
    void reportsWhatStays();

    void copiesFolder();
    void copyRefusesLinkedTarget();
    void copyFileReplaces_data();
    void copyFileReplaces();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_tree;    // root/tree: the folder the tests delete or copy
    QString m_outside; // root/outside, with one file that must survive everything
};

void TestRemoveTree::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_tree = m_root->filePath(QStringLiteral("tree"));
    m_outside = m_root->filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(m_tree + QStringLiteral("/sub/deeper")));
    QVERIFY(QDir().mkpath(m_tree + QStringLiteral("/empty")));
    QVERIFY(QDir().mkpath(m_outside));
    QVERIFY(WriteWholeFile(m_tree + QStringLiteral("/a.txt"), "a"));
    QVERIFY(WriteWholeFile(m_tree + QStringLiteral("/.hidden"), "h"));
    QVERIFY(WriteWholeFile(m_tree + QStringLiteral("/sub/deeper/c.txt"), "c"));
    QVERIFY(QFile::setPermissions(m_tree + QStringLiteral("/a.txt"), QFile::ReadOwner));
    QVERIFY(WriteWholeFile(m_outside + QStringLiteral("/keep.txt"), "keep"));
}

void TestRemoveTree::deletesEverything()
{
    QVERIFY(QFile::link(m_root->filePath(QStringLiteral("nowhere")), m_tree + QStringLiteral("/sub/dangling")));

    RemoveFolderTree(m_tree + u'/');

    QVERIFY(!QFileInfo::exists(m_tree));
    QCOMPARE(FolderEntries(m_root->path()), QStringList{QStringLiteral("outside")});
}

void TestRemoveTree::neverFollowsLinks_data()
{
    QTest::addColumn<QString>("link"); // made inside root, pointing at the outside folder or its file
    QTest::addColumn<bool>("toFolder");
    QTest::addColumn<QString>("deleted"); // the path given to RemoveFolderTree or DeleteFolderTree
    QTest::addColumn<bool>("keepGoing");  // DeleteFolderTree, which goes on past what resists

    for (const bool keepGoing : {false, true}) {
        const char* kind = keepGoing ? "delete: " : "remove: ";
        QTest::addRow("%slink to a folder inside", kind)
            << QStringLiteral("tree/sub/out") << true << QStringLiteral("tree") << keepGoing;
        QTest::addRow("%slink to a file inside", kind)
            << QStringLiteral("tree/out.txt") << false << QStringLiteral("tree") << keepGoing;
        QTest::addRow("%sthe folder itself is a link", kind)
            << QStringLiteral("alias") << true << QStringLiteral("alias") << keepGoing;
    }
}

void TestRemoveTree::neverFollowsLinks()
{
    QFETCH(QString, link);
    QFETCH(bool, toFolder);
    QFETCH(QString, deleted);
    QFETCH(bool, keepGoing);

    const QString linkPath = m_root->filePath(link);
    QVERIFY(QFile::link(toFolder ? m_outside : m_outside + QStringLiteral("/keep.txt"), linkPath));

    if (keepGoing)
        QVERIFY(DeleteFolderTree(m_root->filePath(deleted)));
    else
        RemoveFolderTree(m_root->filePath(deleted));

    QVERIFY(!QFileInfo(linkPath).isSymLink());
    QVERIFY(!QFileInfo::exists(m_root->filePath(deleted)));
    QCOMPARE(FolderEntries(m_outside), QStringList{QStringLiteral("keep.txt")});
    QCOMPARE(ReadWholeFile(m_outside + QStringLiteral("/keep.txt")), QByteArray("keep"));
}

void TestRemoveTree::missingFolderIsNoError()
{
    RemoveFolderTree(m_root->filePath(QStringLiteral("missing")));
    RemoveFolderTree(m_root->filePath(QStringLiteral("missing/below")));
    // Deleting a folder that is not there deletes nothing.
    QVERIFY(!DeleteFolderTree(m_root->filePath(QStringLiteral("missing"))));
    QVERIFY(QFileInfo::exists(m_tree));
}

// One file that resists (in a folder its user may not write): everything else goes, the file, its folder and the
// folders above it stay, and the result says the folder was not removed.
void TestRemoveTree::deleteGoesOnPastWhatResists()
{
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
                      QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const auto shut =
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    const QString locked = m_tree + QStringLiteral("/m_locked");
    QVERIFY(QDir().mkpath(locked));
    QVERIFY(WriteWholeFile(locked + QStringLiteral("/stays.txt"), "s"));
    QVERIFY(WriteWholeFile(m_tree + QStringLiteral("/z_after.txt"), "z"));
    for (const QString& folder : {m_root->path(), m_tree, m_tree + QStringLiteral("/sub"),
                                  m_tree + QStringLiteral("/sub/deeper"), m_tree + QStringLiteral("/empty")})
        QVERIFY(QFile::setPermissions(folder, open));
    QVERIFY(QFile::setPermissions(locked, shut));
    const auto restore = qScopeGuard([&] { QFile::setPermissions(locked, open); });
    // Root may delete anything; the deletion then runs as an unprivileged user.
    UnprivilegedScope unprivileged;
    if (!unprivileged.ok())
        QSKIP("running as root, and the user \"nobody\" cannot be taken on");
    if (!QFileInfo(m_tree).isWritable())
        QSKIP("the unprivileged user cannot reach the temporary folder");

    QVERIFY(!DeleteFolderTree(m_tree));
    QCOMPARE(FolderEntries(m_tree), QStringList{QStringLiteral("m_locked")});
    QCOMPARE(FolderEntries(locked), QStringList{QStringLiteral("stays.txt")});
    QCOMPARE(ReadWholeFile(m_outside + QStringLiteral("/keep.txt")), QByteArray("keep"));
}

void TestRemoveTree::deleteLeavesFoldersItCannotList_data()
{
    QTest::addColumn<QString>("deleted");  // below the tree
    QTest::addColumn<QString>("cause");    // why the empty folder "shut" cannot be listed
    QTest::addColumn<QStringList>("left"); // what stays of the tree
    const QStringList both{QStringLiteral("a.txt"), QStringLiteral("shut")};
    QTest::newRow("no read permission, the folder itself") << QStringLiteral("shut") << "mode" << both;
    QTest::newRow("no read permission, a folder inside") << QString() << "mode" << QStringList{QStringLiteral("shut")};
    // Opened, but no descriptor is left for the listing.
    QTest::newRow("listing fails after opening") << QStringLiteral("shut") << "descriptors" << both;
}

// A folder whose listing cannot start is left alone, also when it is empty (and so could be removed).
void TestRemoveTree::deleteLeavesFoldersItCannotList()
{
    QFETCH(QString, deleted);
    QFETCH(QString, cause);
    QFETCH(QStringList, left);
    const QString tree = m_root->filePath(QStringLiteral("plain"));
    const QString shut = tree + QStringLiteral("/shut");
    QVERIFY(QDir().mkpath(shut));
    QVERIFY(WriteWholeFile(tree + QStringLiteral("/a.txt"), "a"));
    const QString target = deleted.isEmpty() ? tree : tree + u'/' + deleted;
    if (cause == u"descriptors") {
        // The two lowest free descriptors go to the parent folder and to the folder; the listing needs a third.
        const int first = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        const int second = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(first);
        ::close(second);
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(std::max(first, second) + 1);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
        const bool removed = DeleteFolderTree(target);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
        QVERIFY(!removed);
        QCOMPARE(FolderEntries(tree), left);
        return;
    }
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
                      QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    for (const QString& folder : {m_root->path(), tree})
        QVERIFY(QFile::setPermissions(folder, open));
    // Writable and searchable, but not readable: it cannot be listed.
    QVERIFY(QFile::setPermissions(shut, QFile::WriteOwner | QFile::ExeOwner | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::WriteOther | QFile::ExeOther));
    const auto restore = qScopeGuard([&] { QFile::setPermissions(shut, open); });
    UnprivilegedScope unprivileged;
    if (!unprivileged.ok())
        QSKIP("running as root, and the user \"nobody\" cannot be taken on");

    QVERIFY(!DeleteFolderTree(target));
    QCOMPARE(FolderEntries(tree), left);
}

void TestRemoveTree::reportsWhatStays_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("named"); // the message names this entry

    QTest::newRow("dot dot") << QStringLiteral("%T/..") << QStringLiteral("..");
    // The kernel refuses to unlink in /proc even for root.
    QTest::newRow("undeletable entries") << QStringLiteral("/proc/self/fdinfo")
                                         << QStringLiteral("/proc/self/fdinfo/0");
}

void TestRemoveTree::reportsWhatStays()
{
    QFETCH(QString, path);
    QFETCH(QString, named);
    path.replace(QStringLiteral("%T"), m_tree);

    try {
        RemoveFolderTree(path);
        QFAIL("no error");
    } catch (const TagscopeError& error) {
        QVERIFY2(error.message().contains(named), qPrintable(error.message()));
    }
    QCOMPARE(ReadWholeFile(m_tree + QStringLiteral("/sub/deeper/c.txt")), QByteArray("c"));
}

void TestRemoveTree::copiesFolder()
{
    QVERIFY(QFile::link(QStringLiteral("sub/deeper/c.txt"), m_tree + QStringLiteral("/relative-link")));
    QVERIFY(QFile::link(m_outside, m_tree + QStringLiteral("/sub/out")));
    QVERIFY(QFile::setPermissions(m_tree + QStringLiteral("/sub/deeper/c.txt"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QFileDevice::Permissions folderMode =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
    QVERIFY(QFile::setPermissions(m_tree + QStringLiteral("/sub"), folderMode));
    QVERIFY(QFile::setPermissions(m_tree, folderMode));
    const QString copy = m_root->filePath(QStringLiteral("copy"));
    // A file already there is replaced; one that the source lacks stays.
    QVERIFY(QDir().mkpath(copy + QStringLiteral("/sub/deeper")));
    QVERIFY(WriteWholeFile(copy + QStringLiteral("/sub/deeper/c.txt"), "older and longer"));
    QVERIFY(WriteWholeFile(copy + QStringLiteral("/own.txt"), "own"));

    CopyFolderTree(m_tree, copy);

    QCOMPARE(FolderEntries(copy),
             QStringList({QStringLiteral(".hidden"), QStringLiteral("a.txt"), QStringLiteral("empty"),
                          QStringLiteral("own.txt"), QStringLiteral("relative-link"), QStringLiteral("sub")}));
    QCOMPARE(ReadWholeFile(copy + QStringLiteral("/sub/deeper/c.txt")), QByteArray("c"));
    QVERIFY(QFileInfo(copy + QStringLiteral("/sub/deeper/c.txt")).isExecutable());
    const QFileDevice::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QCOMPARE(QFileInfo(copy + QStringLiteral("/a.txt")).permissions() & owner,
             QFileDevice::Permissions(QFile::ReadOwner));
    // Each folder gets its source's mode once filled, the top one too.
    // Owner, group and others; the "user" bits only repeat the owner ones for this user.
    const QFileDevice::Permissions all = QFileDevice::Permissions(0x7077);
    QCOMPARE(QFileInfo(copy + QStringLiteral("/sub")).permissions() & all, folderMode);
    QCOMPARE(QFileInfo(copy).permissions() & all, folderMode);
    QCOMPARE(QFileInfo(copy + QStringLiteral("/relative-link")).symLinkTarget(),
             copy + QStringLiteral("/sub/deeper/c.txt"));
    QCOMPARE(QFileInfo(copy + QStringLiteral("/sub/out")).symLinkTarget(), m_outside);
    QCOMPARE(FolderEntries(m_outside), QStringList{QStringLiteral("keep.txt")});
}

void TestRemoveTree::copyRefusesLinkedTarget()
{
    const QString target = m_root->filePath(QStringLiteral("target"));
    QVERIFY(QDir().mkpath(target));
    QVERIFY(QFile::link(m_outside, target + QStringLiteral("/sub")));

    QVERIFY_THROWS_EXCEPTION(TagscopeError, CopyFolderTree(m_tree, target));
    QCOMPARE(FolderEntries(m_outside), QStringList{QStringLiteral("keep.txt")});
}

void TestRemoveTree::copyFileReplaces_data()
{
    QTest::addColumn<QString>("before"); // what target is before the copy: "", "file" or "link"

    QTest::newRow("new file") << QString();
    QTest::newRow("replaces a file") << QStringLiteral("file");
    QTest::newRow("replaces a link, not what it points to") << QStringLiteral("link");
}

void TestRemoveTree::copyFileReplaces()
{
    QFETCH(QString, before);

    const QString target = m_root->filePath(QStringLiteral("target.txt"));
    if (before == u"file")
        QVERIFY(WriteWholeFile(target, "an older and longer file"));
    else if (before == u"link")
        QVERIFY(QFile::link(m_outside + QStringLiteral("/keep.txt"), target));

    QVERIFY(CopyFileReplacing(m_tree + QStringLiteral("/sub/deeper/c.txt"), target));

    QVERIFY(!QFileInfo(target).isSymLink());
    QCOMPARE(ReadWholeFile(target), QByteArray("c"));
    QCOMPARE(ReadWholeFile(m_outside + QStringLiteral("/keep.txt")), QByteArray("keep"));
    // A missing source fails and leaves the target alone.
    QVERIFY(!CopyFileReplacing(m_root->filePath(QStringLiteral("missing")), target));
    QCOMPARE(ReadWholeFile(target), QByteArray("c"));
    QCOMPARE(FolderEntries(m_root->path()),
             QStringList({QStringLiteral("outside"), QStringLiteral("target.txt"), QStringLiteral("tree")}));
}

QTEST_GUILESS_MAIN(TestRemoveTree)
#include "tst_removetree.moc"
