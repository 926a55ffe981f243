#include "core/platform/instancelock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Whether a tool could take the lock exclusively now, that is, whether no copy holds it.
bool exclusiveLockIsFree(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

} // namespace

class TestInstanceLock : public QObject
{
    Q_OBJECT

private slots:
    void heldSharedForTheLifeOfEachCopy();
    void unusableFolderDoesNotStopTheProgram();
};

void TestInstanceLock::heldSharedForTheLifeOfEachCopy()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("BRINDLE_Tagscope"));
    {
        const InstanceLock first(folder.path());
        QVERIFY(first.isHeld());
        QCOMPARE(first.path(), path);
        QVERIFY(!exclusiveLockIsFree(path));
        {
            // A second copy starts normally.
            const InstanceLock second(folder.path());
            QVERIFY(second.isHeld());
        }
        QVERIFY(!exclusiveLockIsFree(path));
    }
    QVERIFY(exclusiveLockIsFree(path));
}

void TestInstanceLock::unusableFolderDoesNotStopTheProgram()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const InstanceLock lock(folder.filePath(QStringLiteral("missing")));
    QVERIFY(!lock.isHeld());
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
