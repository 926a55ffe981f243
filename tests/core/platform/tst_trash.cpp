#include "core/platform/trash.h"

#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The folder trash-cli and the program take as $XDG_DATA_HOME.
struct DataHome
{
    QTemporaryDir dir;
    QByteArray saved = qgetenv("XDG_DATA_HOME");
    bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");

    DataHome() { qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path())); }
    ~DataHome()
    {
        if (wasSet)
            qputenv("XDG_DATA_HOME", saved);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    QString trash() const { return dir.filePath(u"Trash"_s); }
};

// Runs a trash-cli program in folder with input on its standard input; its standard output.
QByteArray trashCli(const QString& program, const QStringList& arguments, const QString& folder,
                    const QByteArray& input = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return "<" + program.toUtf8() + " did not start>";
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return "<" + program.toUtf8() + " did not end>";
    return process.readAllStandardOutput() + process.readAllStandardError();
}

// The device of path, or -1.
qint64 deviceOf(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_dev) : -1;
}

} // namespace

class TestTrash : public QObject
{
    Q_OBJECT

private slots:
    void trashedItemsAreListedAndRestored_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QByteArray>("recordedName"); // the name as the information file's Path holds it

        QTest::newRow("plain") << u"plain.txt"_s << false << QByteArray("plain.txt");
        QTest::newRow("percent sign and letters") << u"100%41.jpg"_s << false << QByteArray("100%2541.jpg");
        QTest::newRow("line break") << u"new\nline.txt"_s << false << QByteArray("new%0Aline.txt");
        QTest::newRow("blanks and other letters")
            << u"Ünï cødé 日本.png"_s << false << QByteArray("%C3%9Cn%C3%AF%20c%C3%B8d%C3%A9%20%E6%97%A5%E6%9C%AC.png");
        QTest::newRow("a folder") << u"album"_s << true << QByteArray("album");
    }

    // Each item goes to the home trash with its information file; trash-cli lists it under its own path and puts it
    // back where it was, with its content.
    void trashedItemsAreListedAndRestored()
    {
        QFETCH(QString, name);
        QFETCH(bool, folder);
        QFETCH(QByteArray, recordedName);
        DataHome home;
        QTemporaryDir place;
        const QString path = place.filePath(name);
        if (folder) {
            QVERIFY(WriteFileMakingFolders(path + u"/inner/one.jpg"_s, "one"));
            QVERIFY(WriteWholeFile(path + u"/two.jpg"_s, "two"));
        } else {
            QVERIFY(WriteWholeFile(path, "content"));
        }

        QCOMPARE(MoveToTrash(path), QString());
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(FolderEntries(home.trash() + u"/files"_s), QStringList{name});
        const QByteArray info = ReadWholeFile(home.trash() + u"/info/"_s + name + u".trashinfo"_s);
        const QByteArray encodedFolder = QFile::encodeName(place.path()).toPercentEncoding("/");
        QVERIFY2(info.startsWith("[Trash Info]\nPath=" + encodedFolder + "/" + recordedName + "\nDeletionDate="),
                 info.constData());

        const QByteArray listed = trashCli(u"trash-list"_s, {}, place.path());
        QVERIFY2(listed.contains(" " + QFile::encodeName(path)), listed.constData());

        trashCli(u"trash-restore"_s, {place.path()}, place.path(), "0\n");
        if (folder) {
            QCOMPARE(ReadWholeFile(path + u"/inner/one.jpg"_s), QByteArray("one"));
            QCOMPARE(ReadWholeFile(path + u"/two.jpg"_s), QByteArray("two"));
        } else {
            QCOMPARE(ReadWholeFile(path), QByteArray("content"));
        }
        QCOMPARE(FolderEntries(home.trash() + u"/files"_s), QStringList());
        QCOMPARE(FolderEntries(home.trash() + u"/info"_s), QStringList());
    }

    // Items of the same name get names of their own in the trash, and each is put back where it came from.
    void sameNameTwice()
    {
        DataHome home;
        QTemporaryDir place;
        const QString first = place.filePath(u"a/photo.jpg"_s);
        const QString second = place.filePath(u"b/photo.jpg"_s);
        QVERIFY(WriteFileMakingFolders(first, "first"));
        QVERIFY(WriteFileMakingFolders(second, "second"));
        QCOMPARE(MoveToTrash(first), QString());
        QCOMPARE(MoveToTrash(second), QString());
        QCOMPARE(FolderEntries(home.trash() + u"/files"_s), (QStringList{u"photo.2.jpg"_s, u"photo.jpg"_s}));
        QCOMPARE(FolderEntries(home.trash() + u"/info"_s),
                 (QStringList{u"photo.2.jpg.trashinfo"_s, u"photo.jpg.trashinfo"_s}));

        trashCli(u"trash-restore"_s, {place.filePath(u"b"_s)}, place.filePath(u"b"_s), "0\n");
        QCOMPARE(ReadWholeFile(second), QByteArray("second"));
        QVERIFY(!QFileInfo::exists(first));
    }

    void leftoverInTheTrashSurvives_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("folder"); // the leftover and the trashed item are folders, the leftover an empty one
        QTest::newRow("a file") << u"photo.jpg"_s << false;
        QTest::newRow("an empty folder") << u"album"_s << true;
    }

    // Something in "files" without its information file (left by a crash, or by another program) keeps its name:
    // the item trashed next under that name takes another one and replaces nothing.
    void leftoverInTheTrashSurvives()
    {
        QFETCH(QString, name);
        QFETCH(bool, folder);
        DataHome home;
        QTemporaryDir place;
        const QString leftover = home.trash() + u"/files/"_s + name;
        QVERIFY(QDir().mkpath(home.trash() + u"/info"_s));
        if (folder)
            QVERIFY(QDir().mkpath(leftover));
        else
            QVERIFY(WriteFileMakingFolders(leftover, "left over"));
        const QString path = place.filePath(name);
        QVERIFY(folder ? WriteFileMakingFolders(path + u"/inside.jpg"_s, "inside") : WriteWholeFile(path, "new"));

        QCOMPARE(MoveToTrash(path), QString());
        const QString second = folder ? name + u".2"_s : u"photo.2.jpg"_s;
        QStringList both{name, second};
        both.sort();
        QCOMPARE(FolderEntries(home.trash() + u"/files"_s), both);
        QCOMPARE(FolderEntries(home.trash() + u"/info"_s), QStringList{second + u".trashinfo"_s});
        if (folder) {
            QCOMPARE(FolderEntries(leftover), QStringList());
            QCOMPARE(ReadWholeFile(home.trash() + u"/files/"_s + second + u"/inside.jpg"_s), QByteArray("inside"));
        } else {
            QCOMPARE(ReadWholeFile(leftover), QByteArray("left over"));
            QCOMPARE(ReadWholeFile(home.trash() + u"/files/"_s + second), QByteArray("new"));
        }
    }

    // A link is moved as the link; what it points at stays.
    void linkIsMovedItself()
    {
        DataHome home;
        QTemporaryDir place;
        QVERIFY(WriteFileMakingFolders(place.filePath(u"target/keep.txt"_s), "keep"));
        QVERIFY(QFile::link(place.filePath(u"target"_s), place.filePath(u"alias"_s)));
        QCOMPARE(MoveToTrash(place.filePath(u"alias"_s)), QString());
        QVERIFY(QFileInfo(home.trash() + u"/files/alias"_s).isSymLink());
        QCOMPARE(ReadWholeFile(place.filePath(u"target/keep.txt"_s)), QByteArray("keep"));
    }

    void missingItem()
    {
        DataHome home;
        QTemporaryDir place;
        QVERIFY(!MoveToTrash(place.filePath(u"missing.jpg"_s)).isEmpty());
        QCOMPARE(FolderEntries(home.trash() + u"/info"_s), QStringList());
    }

    // An item on another file system goes to the trash at the top of that mount, with a path relative to it.
    void otherFileSystem()
    {
        DataHome home;
        const QString mount = u"/dev/shm"_s;
        if (deviceOf(mount) < 0 || deviceOf(mount) == deviceOf(home.dir.path()) || !QFileInfo(mount).isWritable())
            QSKIP("no writable file system other than the temporary folder's at /dev/shm");
        QTemporaryDir place(mount + u"/tst_trash-XXXXXX"_s);
        QVERIFY(place.isValid());
        const QString path = place.filePath(u"far.txt"_s);
        QVERIFY(WriteWholeFile(path, "far"));
        const QString ownTrash = mount + u"/.Trash-"_s + QString::number(::getuid());
        const bool hadTrash = QFileInfo::exists(ownTrash);
        const auto cleanUp = qScopeGuard([&] {
            if (!hadTrash)
                QDir(ownTrash).removeRecursively();
        });

        QCOMPARE(MoveToTrash(path), QString());
        QVERIFY(!QFileInfo::exists(path));
        const QString infoName = ownTrash + u"/info/far.txt.trashinfo"_s;
        if (QFileInfo::exists(mount + u"/.Trash"_s))
            QSKIP("a shared .Trash at the top of /dev/shm is in use");
        const QByteArray info = ReadWholeFile(infoName);
        const QByteArray relative = QFile::encodeName(place.path()).sliced(mount.size() + 1).toPercentEncoding("/");
        QVERIFY2(info.startsWith("[Trash Info]\nPath=" + relative + "/far.txt\n"), info.constData());
        QCOMPARE(QFileInfo(ownTrash).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
        QVERIFY(QFileInfo::exists(ownTrash + u"/files/far.txt"_s));
        QFile::remove(ownTrash + u"/files/far.txt"_s);
        QFile::remove(infoName);
    }
};

QTEST_GUILESS_MAIN(TestTrash)
#include "tst_trash.moc"
