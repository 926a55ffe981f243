#include "core/base/filenames.h"
#include "core/export/exportwriter.h"
#include "core/filelist/filerecords.h"
#include "core/platform/removetree.h"
#include "support/taggedfiles.h"
#include "support/ui/appformfixture.h"
#include "ui/filelist/fileselection.h"
#include "ui/fileops/renamefileform.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The files of the fixture, by the bytes of their names below its folder, with what each holds (a JPEG with a
// camera's tags for ".jpg", else the text given).
struct NamedFile
{
    QByteArray name;
    QByteArray content;
};
const QList<NamedFile> kFiles{
    {"a.txt", "plain"},
    {"caf\xC3\xA9.txt", "UTF-8"},
    {"caf\xE9.jpg", {}},
    {"\xEF\xBF\xBD.txt", "a replacement character"},
    {"\xFF\xFE.txt", "two bytes"},
    {"old\xE9/in\xA0side.txt", "a folder of Latin-1"},
};

bool exists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

QByteArray contentOf(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<missing>";
    QByteArray bytes(4096, '\0');
    const ssize_t got = ::read(fd, bytes.data(), std::size_t(bytes.size()));
    ::close(fd);
    return bytes.first(std::max<ssize_t>(got, 0));
}

QByteArrayList entriesOf(const QByteArray& folder)
{
    QByteArrayList names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
                names.append(QByteArray(entry->d_name));
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray run(const QString& program, const QStringList& arguments, const QString& folder,
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

// A window that has scanned a folder of files whose names are partly not UTF-8.
struct ForeignNamesFixture : AppFormFixture
{
    QTemporaryDir tree;
    QTemporaryDir dataHome; // $XDG_DATA_HOME, the home of the trash
    QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");

    ForeignNamesFixture() { qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path())); }
    ~ForeignNamesFixture()
    {
        qputenv("XDG_DATA_HOME", savedDataHome);
        // QTemporaryDir cannot remove names that are not UTF-8.
        RemoveFolderTree(tree.path());
        RemoveFolderTree(dataHome.path());
    }

    QByteArray root() const { return QFile::encodeName(tree.path()) + '/'; }
    // The path as the program holds it.
    QString held(const QByteArray& name) const { return DecodeFileName(root() + name); }
    QTableView* list() const { return child<QTableView>("ListView1"); }
    QAbstractItemModel* model() const { return list()->model(); }

    // Makes the files and lists them, sorted by name; false (after a failed check) when that fails.
    bool listFiles()
    {
        for (const NamedFile& file : kFiles) {
            if (file.name.contains('/') &&
                ::mkdir((root() + file.name.first(file.name.indexOf('/'))).constData(), 0755) != 0) {
                QTest::qFail("cannot make a folder", __FILE__, __LINE__);
                return false;
            }
            // Made under a name Qt can write, then given its own.
            const QString made = tree.filePath(u"making"_s);
            const QString whyNot =
                file.content.isEmpty() ? MakeTaggedJpeg(made) : (WriteWholeFile(made, file.content) ? QString() : made);
            if (!whyNot.isEmpty() || ::rename((root() + "making").constData(), (root() + file.name).constData()) != 0) {
                QTest::qFail(qPrintable(u"cannot make "_s + whyNot), __FILE__, __LINE__);
                return false;
            }
        }
        start().show();
        dialogs.chooseNextFolder(tree.path());
        child<QPushButton>("BitBtn1")->click();
        child<QPushButton>("Button1")->click();
        if (!QTest::qWaitFor([this] { return child<QPushButton>("Button1")->text() == u"Start"_s; }, 20000) ||
            model()->rowCount() != kFiles.size()) {
            QTest::qFail("the scan did not list the files", __FILE__, __LINE__);
            return false;
        }
        model()->sort(0, Qt::AscendingOrder);
        return true;
    }
    QStringList column0() const
    {
        QStringList texts;
        for (int row = 0; row < model()->rowCount(); ++row)
            texts.append(model()->index(row, 0).data().toString());
        return texts;
    }
    int rowOf(const QByteArray& name) const
    {
        const FileRecords::Reader records = this->records().read();
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (records[i].FFullName() == held(name))
                return int(i);
        }
        return -1;
    }
    void selectRow(int row) const { listSelection().setRows(RowSelection::ofRows({row})); }
};

// The list, by the bytes of its names, in the order the sort by name gives: the held texts compared unit by unit,
// where a byte that is not UTF-8 stands as U+DC80 to U+DCFF.
const QByteArrayList kSorted{"a.txt",        "caf\xC3\xA9.txt", "caf\xE9.jpg", "old\xE9/in\xA0side.txt",
                             "\xFF\xFE.txt", "\xEF\xBF\xBD.txt"};
// The same names as the list shows them.
const QStringList kShown{
    u"a.txt"_s,     u"café.txt"_s, u"caf\uFFFD.jpg"_s, u"old\uFFFD/in\uFFFDside.txt"_s, u"\uFFFD\uFFFD.txt"_s,
    u"\uFFFD.txt"_s};

} // namespace

class TestForeignNames : public QObject
{
    Q_OBJECT

private slots:
    // Names that are not UTF-8 are listed, shown with U+FFFD for each such byte, sorted, exported as shown, and moved
    // to the trash under their own bytes, so that the trash can put them back.
    void listedSortedExportedAndTrashed()
    {
        ForeignNamesFixture f;
        QVERIFY(f.listFiles());
        // Nothing was left out.
        QVERIFY2(QRegularExpression(u"^Finished \\(Elapsed Time: \\d+\\.\\d{3} s\\)$"_s).match(f.status(0)).hasMatch(),
                 qPrintable(f.status(0)));
        QStringList shown;
        for (const QString& name : kShown)
            shown.append(f.tree.path() + u'/' + name);
        QCOMPARE(f.column0(), shown);
        QCOMPARE(f.model()->index(2, 1).data().toString(), u"JPG"_s);
        for (int row = 0; row < kSorted.size(); ++row)
            QCOMPARE(EncodeFileName(f.records().at(std::size_t(row)).FFullName()), f.root() + kSorted[row]);

        QTemporaryDir out;
        ExportOptions options;
        options.headers = false;
        options.output = ExportOutput::Txt;
        const QString exported = out.filePath(u"list.txt"_s);
        QVERIFY(WriteExport(exported, options, ExportSnapshot(f.records()), QLocale::c(), out.path()).written);
        QCOMPARE(ReadWholeFile(exported), "\xEF\xBB\xBF" + shown.join(u"\r\n"_s).toUtf8() + "\r\n");

        f.listSelection().setRows(RowSelection::all(f.model()->rowCount()));
        f.dialogs.answerNextMessage(ModalResult::Yes);
        f.action("SendtoRecycleBin1")->trigger();
        QCOMPARE(f.status(0), u"6 items moved to the Trash"_s);
        QCOMPARE(f.model()->rowCount(), 0);
        for (const NamedFile& file : kFiles)
            QVERIFY2(!exists(f.root() + file.name), file.name.constData());

        // Each information file gives back the item's own bytes.
        const QByteArray info = QFile::encodeName(f.dataHome.path()) + "/Trash/info/";
        QByteArrayList recorded;
        for (const QByteArray& name : entriesOf(info)) {
            const QByteArray text = contentOf(info + name);
            const qsizetype start = text.indexOf("\nPath=") + 6;
            recorded.append(QByteArray::fromPercentEncoding(text.mid(start, text.indexOf('\n', start) - start)));
        }
        std::sort(recorded.begin(), recorded.end());
        QByteArrayList expected;
        for (const NamedFile& file : kFiles)
            expected.append(f.root() + file.name);
        std::sort(expected.begin(), expected.end());
        QCOMPARE(recorded, expected);

        // trash-cli lists every item and puts each back. It reads Path as UTF-8 with replacement characters, so an
        // item whose name is not UTF-8 comes back under the name the list showed.
        const QByteArray listed = run(u"trash-list"_s, {}, f.tree.path());
        QCOMPARE(listed.count('\n'), kFiles.size());
        for (qsizetype i = 0; i < kFiles.size(); ++i)
            run(u"trash-restore"_s, {f.tree.path()}, f.tree.path(), "0\n");
        QVERIFY(entriesOf(QFile::encodeName(f.dataHome.path()) + "/Trash/files").isEmpty());
        for (const NamedFile& file : kFiles) {
            const QByteArray back = f.root() + ShownFileName(DecodeFileName(file.name)).toUtf8();
            QVERIFY2(exists(back), back.constData());
            if (!file.content.isEmpty())
                QCOMPARE(contentOf(back), file.content);
        }
    }

    // Every command reaches the file by its bytes: the report, the copy without metadata, open, show, the clipboard,
    // rename and delete.
    void commandsActOnTheBytes()
    {
        ForeignNamesFixture f;
        QVERIFY(f.listFiles());
        const QByteArray photo = "caf\xE9.jpg";
        const QByteArray photoBytes = contentOf(f.root() + photo);
        f.selectRow(f.rowOf(photo));
        QTRY_VERIFY_WITH_TIMEOUT(f.status(0) != u"Processing..."_s, 30000);
        QCOMPARE(f.status(0), QString());
        QCOMPARE(f.status(1), f.tree.path() + u"/caf\uFFFD.jpg"_s);
        const QString report = f.child<QPlainTextEdit>("RichEdit1")->toPlainText();
        QVERIFY2(report.contains(u"Canon EOS DIGITAL REBEL"_s), qPrintable(report));

        QTemporaryDir out;
        const QString copy = out.filePath(u"clean.jpg"_s);
        f.dialogs.chooseNextSaveFile(copy);
        f.action("SaveAs1")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy) && f.status(0).isEmpty(), 30000);
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(ReadWholeFile(copy).startsWith("\xFF\xD8"));
        QCOMPARE(contentOf(f.root() + photo), photoBytes);

        // What the desktop and the clipboard get names the bytes.
        const QByteArray uri = "file://" + (f.root() + photo).toPercentEncoding("/");
        f.action("Open1")->trigger();
        QTRY_COMPARE(f.shell.openedUrls.size(), 1);
        QCOMPARE(f.shell.openedUrls.constFirst().toEncoded(), uri);
        f.action("OpenwithExplorer1")->trigger();
        QCOMPARE(f.shell.shownItems.size(), 1);
        QCOMPARE(LocalFileUrl(f.shell.shownItems.constFirst().constFirst()).toEncoded(), uri);
        f.action("Copytoclipboard1")->trigger();
        QCOMPARE(f.shell.clipboard->urls().constFirst().toEncoded(), uri);
        QCOMPARE(f.shell.clipboard->data(u"x-special/gnome-copied-files"_s), "copy\n" + uri);
        f.action("CopytoClipboardIncludePaths1")->trigger();
        QCOMPARE(f.shell.clipboard->text(), f.tree.path() + u"/caf\uFFFD.jpg\r\n"_s);

        // Rename: the window shows the name as the list does, and the file that moves is the one of those bytes.
        f.selectRow(f.rowOf("\xFF\xFE.txt"));
        f.action("Rename1")->trigger();
        QPointer<TFormRenameFile> window = f.form->findChildren<TFormRenameFile*>().constLast();
        QCOMPARE(window->edit()->text(), u"\uFFFD\uFFFD.txt"_s);
        window->edit()->setText(u"renamed.txt"_s);
        window->findChild<QPushButton*>(u"Button1"_s)->click();
        QTRY_VERIFY(!window);
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(!exists(f.root() + "\xFF\xFE.txt"));
        QCOMPARE(contentOf(f.root() + "renamed.txt"), QByteArray("two bytes"));
        QVERIFY(f.column0().contains(f.tree.path() + u"/renamed.txt"_s));

        // Delete, also in a folder whose name is not UTF-8; the real U+FFFD file beside the others stays.
        f.listSelection().setRows(RowSelection::ofRows({f.rowOf(photo), f.rowOf("old\xE9/in\xA0side.txt")}));
        f.dialogs.answerNextMessage(ModalResult::Yes);
        f.action("DeleteFile1")->trigger();
        QCOMPARE(f.status(0), u"2 items deleted"_s);
        QVERIFY(!exists(f.root() + photo));
        QVERIFY(!exists(f.root() + "old\xE9/in\xA0side.txt"));
        QCOMPARE(contentOf(f.root() + "\xEF\xBF\xBD.txt"), QByteArray("a replacement character"));
        QCOMPARE(f.model()->rowCount(), kFiles.size() - 2);
    }
};

QTEST_MAIN(TestForeignNames)
#include "tst_foreignnames.moc"
