#include "core/base/errors.h"
#include "core/filelist/filerecords.h"
#include "core/fileops/fileops.h"
#include "core/platform/clipboarddata.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

using Ranges = std::vector<RowRange>;
Q_DECLARE_METATYPE(Ranges)

namespace {

void append(FileRecords& records, const QStringList& paths)
{
    std::vector<TMyRecord> batch;
    for (const QString& path : paths) {
        TMyRecord r;
        const qsizetype cut = path.lastIndexOf(u'/') + 1;
        r.FFolder = path.first(cut);
        r.FName = path.sliced(cut);
        batch.push_back(std::move(r));
    }
    records.append(batch);
}

} // namespace

class TestFileOps : public QObject
{
    Q_OBJECT

private slots:
    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Ranges>("rows");
        QTest::newRow("JPG in any case") << u"JPG"_s << Ranges{{0, 1}, {3, 3}};
        QTest::newRow("only A to Z are folded") << u"é"_s << Ranges{{4, 4}};
        QTest::newRow("capital É is not é") << u"É"_s << Ranges{{2, 2}};
        QTest::newRow("across the folder's end") << u"photos/b"_s << Ranges{{1, 1}};
        QTest::newRow("in the folder") << u"/PHOTOS/"_s << Ranges{{0, 1}};
        QTest::newRow("empty text matches nothing") << QString() << Ranges{};
        QTest::newRow("no match") << u"zzz"_s << Ranges{};
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(Ranges, rows);
        FileRecords records;
        append(records, {u"/home/Photos/a.jpg"_s, u"/home/Photos/B.JPG"_s, u"/home/x/É.png"_s, u"/home/x/c.Jpg"_s,
                         u"/home/x/é.txt"_s});
        QCOMPARE(FindMatchingRows(records, 5, text), rows);
        // Rows the list does not show yet are left alone.
        QCOMPARE(FindMatchingRows(records, 1, u"jpg"_s), (Ranges{{0, 0}}));
    }

    void stemLength_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("stem");
        QTest::newRow("last dot") << u"photo.2021.jpg"_s << 10;
        QTest::newRow("no dot: the whole name") << u"README"_s << 6;
        QTest::newRow("leading dot: nothing") << u".profile"_s << 0;
        QTest::newRow("trailing dot") << u"a."_s << 1;
    }

    void stemLength()
    {
        QFETCH(QString, name);
        QFETCH(int, stem);
        QCOMPARE(StemLength(name), qsizetype(stem));
    }

    void renameProblem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("ordinary") << u"new name.jpg"_s << false;
        QTest::newRow("hidden") << u".hidden"_s << false;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("dot") << u"."_s << true;
        QTest::newRow("dot dot") << u".."_s << true;
        QTest::newRow("separator") << u"a/b.jpg"_s << true;
        QTest::newRow("NUL") << u"a"_s + QChar(0) + u"b"_s << true;
    }

    void renameProblem()
    {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        QCOMPARE(!RenameProblem(name).isEmpty(), refused);
    }

    void outcomeTexts()
    {
        QCOMPARE(RemovalOutcomeText(true, 3, 0), u"3 items moved to the Trash"_s);
        QCOMPARE(RemovalOutcomeText(true, 1, 2), u"1 item moved to the Trash, 2 could not be moved"_s);
        QCOMPARE(RemovalOutcomeText(false, 0, 1), u"0 items deleted, 1 could not be deleted"_s);
        QCOMPARE(ErrorRaisedText(TagscopeError(u"disk gone"_s)),
                 u"TagscopeError error raised, with message : disk gone"_s);
        QCOMPARE(ErrorRaisedText(std::runtime_error("x")), u"std::runtime_error error raised, with message : x"_s);
    }

    // A file in a folder its user may not write can be neither deleted nor moved to the trash; the reason is given
    // and the file stays.
    void fileThatCannotGo()
    {
        QTemporaryDir root;
        QTemporaryDir dataHome;
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                          QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        const auto shut = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                          QFile::ExeOther;
        const QString locked = root.filePath(u"locked"_s);
        QVERIFY(QDir().mkdir(locked));
        const QString file = locked + u"/stays.jpg"_s;
        QVERIFY(WriteWholeFile(file, "s"));
        QVERIFY(QFile::setPermissions(root.path(), open) && QFile::setPermissions(dataHome.path(), open) &&
                QFile::setPermissions(locked, shut));
        const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_DATA_HOME", savedDataHome);
            QFile::setPermissions(locked, open);
        });
        UnprivilegedScope unprivileged;
        if (!unprivileged.ok())
            QSKIP("running as root, and the user \"nobody\" cannot be taken on");
        if (!QFileInfo(file).isReadable())
            QSKIP("the unprivileged user cannot reach the temporary folder");

        QString reason;
        QVERIFY(!DeleteFileAt(file, &reason));
        QVERIFY(!reason.isEmpty());
        reason.clear();
        QVERIFY(!SendToRecycleBin(file, &reason));
        QVERIFY(!reason.isEmpty());
        QVERIFY(QFileInfo::exists(file));
        QCOMPARE(FolderEntries(dataHome.filePath(u"Trash/info"_s)), QStringList());
    }

    // The files on the clipboard: encoded URIs, and the list file managers paste, without a final line break.
    void clipboardData()
    {
        const std::unique_ptr<QMimeData> files(FilesClipboardData({u"/a b/c#1.txt"_s, u"/x/ü.jpg"_s}));
        QCOMPARE(files->data(u"text/uri-list"_s), QByteArray("file:///a%20b/c%231.txt\r\nfile:///x/%C3%BC.jpg\r\n"));
        QCOMPARE(files->data(u"x-special/gnome-copied-files"_s),
                 QByteArray("copy\nfile:///a%20b/c%231.txt\nfile:///x/%C3%BC.jpg"));
        const std::unique_ptr<QMimeData> lines(LinesClipboardData({u"/a b/1.txt"_s, u"/2"_s, u"/3"_s}));
        QCOMPARE(lines->text(), u"/a b/1.txt\r\n/2\r\n/3\r\n"_s);
    }
};

QTEST_GUILESS_MAIN(TestFileOps)
#include "tst_fileops.moc"
