#include "core/metadata/consolerunner.h"
#include "core/platform/privatetemp.h"
#include "support/taggedfiles.h"
#include "support/ui/appformfixture.h"
#include "ui/filelist/fileselection.h"
#include "ui/metadata/metadatacommands.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QTableView>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// Makes the named file in folder: a camera JPEG, a PNG with a text chunk, or a text file, by its extension.
QString makeFile(const QString& folder, const QString& name)
{
    const QString path = folder + u'/' + name;
    if (name.endsWith(u".png"_s))
        return MakeTaggedPng(path);
    if (name.endsWith(u".jpg"_s))
        return MakeTaggedJpeg(path, CameraTags(name == u"Nikon.jpg"_s ? u"NIKON D70"_s : u"Canon EOS DIGITAL REBEL"_s));
    return WriteWholeFile(path, "plain text\n") ? QString() : u"cannot write "_s + path;
}

// A window that has listed a few files with metadata, made in a folder of the test.
struct MetadataFixture : AppFormFixture
{
    QTemporaryDir tree;

    // Makes the files, starts the window and scans their folder; false (after a failed check) when that fails.
    bool listFiles(const QStringList& names = {u"Canon.jpg"_s, u"Nikon.jpg"_s, u"PNG.png"_s})
    {
        for (const QString& name : names) {
            const QString whyNot = makeFile(tree.path(), name);
            if (!whyNot.isEmpty()) {
                QTest::qFail(qPrintable(whyNot), __FILE__, __LINE__);
                return false;
            }
        }
        start().show();
        dialogs.chooseNextFolder(tree.path());
        child<QPushButton>("BitBtn1")->click();
        child<QPushButton>("Button1")->click();
        if (!QTest::qWaitFor([this] { return child<QPushButton>("Button1")->text() == u"Start"_s; }, 20000) ||
            list()->model()->rowCount() != names.size()) {
            QTest::qFail("the scan did not list the files", __FILE__, __LINE__);
            return false;
        }
        return true;
    }
    QTableView* list() const { return child<QTableView>("ListView1"); }
    QPlainTextEdit* pane() const { return child<QPlainTextEdit>("RichEdit1"); }
    int rowOf(const QString& name) const
    {
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            if (list()->model()->index(row, 0).data().toString().endsWith(u'/' + name))
                return row;
        return -1;
    }
    void select(const QList<int>& rows)
    {
        QItemSelection selection;
        for (int row : rows)
            selection.select(list()->model()->index(row, 0), list()->model()->index(row, 3));
        list()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    // Selects rows and waits for the pane to show the report of the first of them.
    void selectAndWait(const QList<int>& rows)
    {
        select(rows);
        QTRY_VERIFY_WITH_TIMEOUT(status(0) != u"Processing..."_s, 30000);
    }
};

// The lines of a report without the one that reading the file itself may change.
QStringList stableLines(const QString& report)
{
    QStringList lines = report.split(u'\n');
    lines.removeIf([](const QString& line) { return line.startsWith(u"File Access Date/Time"_s); });
    return lines;
}

// What ExifTool writes for the file with the window's own arguments, as the pane shows it.
QStringList directReport(const QString& file)
{
    QTemporaryDir out;
    const QString report = out.filePath(u"report.txt"_s);
    RunConsoleCommand(u"exiftool"_s, {u"-charset"_s, u"UTF8"_s, u"-w!"_s, report + u"%0f"_s, file}, out.path());
    return stableLines(QString::fromUtf8(ReadWholeFile(report)));
}

} // namespace

class TestMetadataWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void selectingShowsTheReport()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        QWidget* panel = f.child<QWidget>("Panel1");
        QVERIFY(panel->isHidden());
        const int canon = f.rowOf(u"Canon.jpg"_s);
        const int png = f.rowOf(u"PNG.png"_s);
        f.selectAndWait({canon});
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->width(), f.form->centralWidget()->width() / 2);
        QCOMPARE(stableLines(f.pane()->toPlainText()), directReport(f.tree.filePath(u"Canon.jpg"_s)));
        QCOMPARE(f.status(0), QString());
        QCOMPARE(f.status(1), f.tree.filePath(u"Canon.jpg"_s));

        // With several rows selected the report is the one of the lowest row; a later report keeps the width.
        const int width = panel->width();
        f.selectAndWait({std::max(canon, png), std::min(canon, png)});
        const QString first = std::min(canon, png) == canon ? u"Canon.jpg"_s : u"PNG.png"_s;
        QCOMPARE(stableLines(f.pane()->toPlainText()), directReport(f.tree.filePath(first)));
        QCOMPARE(panel->width(), width);

        // Nothing selected any more: the pane keeps its report.
        const QString shown = f.pane()->toPlainText();
        f.listSelection().clearRows();
        QCOMPARE(f.pane()->toPlainText(), shown);
        QCOMPARE(f.status(0), QString());

        // A resize gives the pane half the width again, undoing a width set with the splitter.
        auto* splitter = f.child<QSplitter>("Splitter1");
        splitter->setSizes({600, 200});
        QCOMPARE(panel->width(), 200);
        f.form->resize(901, f.form->height());
        QTRY_COMPARE(f.form->centralWidget()->width(), 901);
        QCOMPARE(splitter->sizes().at(1), 450);
        QCOMPARE(panel->width(), 450);
    }

    // The pane, the status bar and the save commands always refer to the file that is selected.
    void paneFollowsTheSelectedFile()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        f.selectAndWait({0});
        const QString first = f.list()->model()->index(0, 0).data().toString();
        QCOMPARE(f.status(1), first);

        // Another row: the old report does not stand beside it while the new one is made.
        f.select({1});
        QCOMPARE(f.pane()->toPlainText(), QString());
        QCOMPARE(f.status(0), u"Processing..."_s);
        QTRY_VERIFY_WITH_TIMEOUT(f.status(0) != u"Processing..."_s, 30000);

        // A sort keeps the selected position, which now shows another file: the pane follows that file.
        f.selectAndWait({0});
        auto* header = f.list()->horizontalHeader();
        header->sectionClicked(0); // the first click on "Filename" sorts descending
        const QString nowFirst = f.list()->model()->index(0, 0).data().toString();
        QVERIFY(nowFirst != first);
        QCOMPARE(f.status(1), nowFirst);
        QTRY_VERIFY_WITH_TIMEOUT(f.status(0) != u"Processing..."_s, 30000);
        QVERIFY2(
            f.pane()->toPlainText().contains(u"File Name                       : "_s + QFileInfo(nowFirst).fileName()),
            qPrintable(f.pane()->toPlainText().left(200)));

        // A new scan: no report of a file that may no longer be listed.
        f.child<QPushButton>("Button1")->click();
        QCOMPARE(f.pane()->toPlainText(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(f.child<QPushButton>("Button1")->text(), u"Start"_s, 20000);
        QCoreApplication::processEvents();
        QCOMPARE(f.pane()->toPlainText(), QString());
    }

    void vanishedFileFails()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        const int row = f.rowOf(u"Nikon.jpg"_s);
        f.selectAndWait({f.rowOf(u"Canon.jpg"_s)});
        QVERIFY(QFile::remove(f.tree.filePath(u"Nikon.jpg"_s)));
        f.selectAndWait({row});
        QCOMPARE(f.status(0), u"Failed"_s);
        // The pane says why, in ExifTool's words.
        QCOMPARE(f.pane()->toPlainText(), u"Error: File not found - "_s + f.tree.filePath(u"Nikon.jpg"_s) + u'\n');
        // That is no metadata to save.
        f.action("SaveMetadataasTXT1")->trigger();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages[0].text, u"No metadata found!"_s);
    }

    void saveMetadataChecks_data()
    {
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing selected") << false << u"No file selected!"_s;
        QTest::newRow("empty pane") << true << u"No metadata found!"_s;
    }
    void saveMetadataChecks()
    {
        QFETCH(bool, select);
        QFETCH(QString, message);
        MetadataFixture f;
        QVERIFY(f.listFiles());
        if (select) {
            f.selectAndWait({0});
            f.pane()->clear();
        }
        for (const char* item : {"SaveMetadataasTXT1", "SaveMetadataasCSV1"}) {
            f.dialogs.messages.clear();
            f.action(item)->trigger();
            QCOMPARE(f.dialogs.messages.size(), 1);
            QCOMPARE(f.dialogs.messages[0].text, message);
            QCOMPARE(f.dialogs.messages[0].caption, u"Warning"_s);
            QCOMPARE(f.dialogs.messages[0].type, DialogType::Warning);
        }
        QVERIFY(f.dialogs.saveRequests.isEmpty());
    }

    void saveMetadataAsTxtAndCsv()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        f.selectAndWait({0});
        f.pane()->setPlainText(
            u"File Name    : a.jpg\nModify Date : 2020:01:02 10:11:12\nColors : red, \"blue\"\n----"_s);
        QTemporaryDir out;

        f.dialogs.chooseNextSaveFile(out.filePath(u"report.txt"_s));
        f.action("SaveMetadataasTXT1")->trigger();
        QCOMPARE(f.dialogs.saveRequests.last().title, u"Save Metadata as TXT"_s);
        QCOMPARE(f.dialogs.saveRequests.last().filter, u"TXT File (*.txt)|*.txt|Any File (*.*)|*.*"_s);
        QCOMPARE(f.dialogs.saveRequests.last().defaultExtension, u"txt"_s);
        QCOMPARE(ReadWholeFile(out.filePath(u"report.txt"_s)),
                 QByteArray("File Name    : a.jpg\r\nModify Date : 2020:01:02 10:11:12\r\nColors : red, \"blue\"\r\n"
                            "----\r\n"));

        f.dialogs.chooseNextSaveFile(out.filePath(u"report.csv"_s));
        f.action("SaveMetadataasCSV1")->trigger();
        QCOMPARE(f.dialogs.saveRequests.last().title, u"Save Metadata as CSV"_s);
        QCOMPARE(f.dialogs.saveRequests.last().filter, u"CSV File (*.csv)|*.csv|Any File (*.*)|*.*"_s);
        QCOMPARE(f.dialogs.saveRequests.last().defaultExtension, u"csv"_s);
        QCOMPARE(
            ReadWholeFile(out.filePath(u"report.csv"_s)),
            QByteArray("File Name,a.jpg\r\nModify Date,2020:01:02 10:11:12\r\nColors,\"red, \"\"blue\"\"\"\r\n,\r\n"));

        // The pane's text is saved as it stands: a no-break space stays one, a line separator splits no line.
        f.pane()->setPlainText(u"Title : a\u00A0b\u2028c"_s);
        f.dialogs.chooseNextSaveFile(out.filePath(u"report.txt"_s));
        f.action("SaveMetadataasTXT1")->trigger();
        QCOMPARE(ReadWholeFile(out.filePath(u"report.txt"_s)), QByteArray("Title : a\xC2\xA0"
                                                                          "b\xE2\x80\xA8"
                                                                          "c\r\n"));

        // Cancelled: nothing written.
        f.dialogs.chooseNextSaveFile(std::nullopt);
        f.action("SaveMetadataasCSV1")->trigger();
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);
    }

    // Accepting what the save dialogs propose, in every order of the commands, writes each report beside the photo
    // and never onto the photo or the copy without metadata. One window goes through all the orders, as a user would.
    void reportsNeverReplaceTheFileOrItsCopy()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        const QString photo = f.tree.filePath(u"Canon.jpg"_s);
        const QByteArray original = ReadWholeFile(photo);
        f.selectAndWait({f.rowOf(u"Canon.jpg"_s)});
        const QString report = f.pane()->toPlainText();

        QStringList order{u"csv"_s, u"saveas"_s, u"txt"_s};
        for (const QString& saveAs : {u"cancelled"_s, u"saved"_s}) {
            std::sort(order.begin(), order.end());
            do {
                QStringList steps = order;
                steps.replace(steps.indexOf(u"saveas"_s), saveAs);
                const QByteArray name = steps.join(u", "_s).toUtf8();
                QFile::remove(photo + u".txt"_s);
                QFile::remove(photo + u".csv"_s);
                QTemporaryDir out;
                const QString copy = out.filePath(u"clean.jpg"_s);
                QByteArray copyBytes;
                for (const QString& step : steps) {
                    if (step == u"cancelled"_s) {
                        f.dialogs.chooseNextSaveFile(std::nullopt);
                        f.action("SaveAs1")->trigger();
                    } else if (step == u"saved"_s) {
                        f.dialogs.chooseNextSaveFile(copy);
                        f.action("SaveAs1")->trigger();
                        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy) && f.status(0).isEmpty(), 30000);
                        copyBytes = ReadWholeFile(copy);
                        QVERIFY2(copyBytes.startsWith("\xFF\xD8"), name.constData());
                    } else {
                        // Enter in the dialog, and Enter again should it ask to replace a file.
                        f.dialogs.acceptNextProposal();
                        f.action(step == u"txt"_s ? "SaveMetadataasTXT1" : "SaveMetadataasCSV1")->trigger();
                        QCOMPARE(f.dialogs.saveRequests.last().proposedName, photo + u'.' + step);
                        const QByteArray written = ReadWholeFile(photo + u'.' + step);
                        QVERIFY2(step == u"txt"_s ? written.startsWith(report.section(u'\n', 0, 0).toUtf8())
                                                  : written.startsWith("ExifTool Version Number,"),
                                 name.constData());
                    }
                    QVERIFY2(ReadWholeFile(photo) == original, name.constData());
                    if (!copyBytes.isEmpty())
                        QVERIFY2(ReadWholeFile(copy) == copyBytes, name.constData());
                }
            } while (std::next_permutation(order.begin(), order.end()));
        }
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // A chosen name that would replace the reported file (also through a link), the copy without metadata just saved
    // or another listed file is refused; the dialog never proposes one.
    void reportRefusesFilesItMustNotReplace()
    {
        MetadataFixture f;
        // A listed file holds the name the TXT report would get: the dialog proposes the next free one.
        QVERIFY(f.listFiles({u"Canon.jpg"_s, u"Nikon.jpg"_s, u"Canon.jpg.txt"_s}));
        QVERIFY(QFile::link(f.tree.filePath(u"Canon.jpg"_s), f.tree.filePath(u"link.jpg"_s)));
        QTemporaryDir out;
        const QString copy = out.filePath(u"clean.jpg"_s);
        f.selectAndWait({f.rowOf(u"Canon.jpg"_s)});
        f.dialogs.chooseNextSaveFile(copy);
        f.action("SaveAs1")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy) && f.status(0).isEmpty(), 30000);

        // The target, and what the refusal says.
        const QList<std::pair<QString, QString>> refused{
            {f.tree.filePath(u"Canon.jpg"_s), u"the file it describes"_s},
            {f.tree.filePath(u"link.jpg"_s), u"the file it describes"_s},
            {copy, u"the copy without metadata"_s},
            {f.tree.filePath(u"Nikon.jpg"_s), u"a file of the list"_s},
            {f.tree.filePath(u"Canon.jpg.txt"_s), u"a file of the list"_s},
        };
        for (const auto& [path, refusal] : refused) {
            const QByteArray before = ReadWholeFile(path);
            for (const char* command : {"SaveMetadataasTXT1", "SaveMetadataasCSV1"}) {
                f.dialogs.messages.clear();
                f.dialogs.chooseNextSaveFile(path);
                f.action(command)->trigger();
                QCOMPARE(f.dialogs.messages.size(), 1);
                QCOMPARE(f.dialogs.messages[0].caption, u"Warning"_s);
                QVERIFY2(f.dialogs.messages[0].text.contains(refusal), qPrintable(f.dialogs.messages[0].text));
                QCOMPARE(ReadWholeFile(path), before);
            }
        }
        QCOMPARE(f.dialogs.saveRequests[1].proposedName, f.tree.filePath(u"Canon.jpg (2).txt"_s));
        QCOMPARE(f.dialogs.saveRequests[2].proposedName, f.tree.filePath(u"Canon.jpg.csv"_s));
    }

    void paneContextMenu()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        f.pane()->setPlainText(u"File Name : a.jpg"_s);
        f.action("SelectAll3")->trigger();
        f.action("Copy1")->trigger();
        f.action("Delete1")->trigger();
        QCOMPARE(f.pane()->toPlainText(), QString());
        f.action("Paste1")->trigger();
        QCOMPARE(f.pane()->toPlainText(), u"File Name : a.jpg"_s);
        f.action("SelectAll3")->trigger();
        f.action("Cut1")->trigger();
        QCOMPARE(f.pane()->toPlainText(), QString());
    }

    void saveAsWithoutMetadata()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        const int row = f.rowOf(u"Canon.jpg"_s);
        f.select({row});
        QTemporaryDir out;
        const QString target = out.filePath(u"clean.jpg"_s);
        const QByteArray original = ReadWholeFile(f.tree.filePath(u"Canon.jpg"_s));

        f.dialogs.chooseNextSaveFile(target);
        f.action("SaveAs1")->trigger();
        QCOMPARE(f.dialogs.saveRequests.last().proposedName, f.tree.filePath(u"Canon.jpg"_s));
        QCOMPARE(f.dialogs.saveRequests.last().title, u"Save a Copy without Metadata"_s);
        QCOMPARE(f.dialogs.saveRequests.last().filter, u"Any File (*.*)|*.*"_s);
        QCOMPARE(f.status(1), target);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(target) && f.status(0).isEmpty(), 30000);
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(!directReport(target).join(u'\n').contains(u"Canon"_s));
        QVERIFY(directReport(f.tree.filePath(u"Canon.jpg"_s)).join(u'\n').contains(u"Canon"_s));
        QCOMPARE(ReadWholeFile(f.tree.filePath(u"Canon.jpg"_s)), original);

        // Cancelled: nothing runs and the status bar stays.
        const QString statusBefore = f.status(1);
        f.dialogs.chooseNextSaveFile(std::nullopt);
        f.action("SaveAs1")->trigger();
        QCOMPARE(f.status(1), statusBefore);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{u"clean.jpg"_s});
    }

    void saveAsReplacesAConfirmedFile()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        f.select({f.rowOf(u"Nikon.jpg"_s)});
        QTemporaryDir out;
        const QString target = out.filePath(u"existing.jpg"_s);
        QVERIFY(WriteFileMakingFolders(target, "the old file"));
        f.dialogs.chooseNextSaveFile(target); // the dialog asked, and the user agreed to replace it
        f.action("SaveAs1")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(ReadWholeFile(target) != "the old file" && f.status(0).isEmpty(), 30000);
        QVERIFY(ReadWholeFile(target).startsWith("\xFF\xD8")); // a JPEG now
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"existing.jpg"_s});
    }

    // The dialog proposes the file's own name: Enter and Yes must not replace the original with its stripped copy.
    void saveAsNeverReplacesTheOriginal()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        const QString source = f.tree.filePath(u"Canon.jpg"_s);
        f.select({f.rowOf(u"Canon.jpg"_s)});
        const QByteArray original = ReadWholeFile(source);
        f.dialogs.chooseNextSaveFile(source); // the user agreed to replace it
        f.action("SaveAs1")->trigger();
        QCOMPARE(f.dialogs.saveRequests.last().proposedName, source);
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.messages.size(), 1, 30000);
        QCOMPARE(f.dialogs.messages[0].caption, u"Warning"_s);
        QVERIFY2(f.dialogs.messages[0].text.contains(u"cannot replace the original"_s),
                 qPrintable(f.dialogs.messages[0].text));
        QCOMPARE(ReadWholeFile(source), original);
    }

    void saveAsKeepsAFileTheUserWasNotAskedAbout()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        f.select({f.rowOf(u"Nikon.jpg"_s)});
        QTemporaryDir out;
        const QString target = out.filePath(u"appeared.jpg"_s);
        QVERIFY(WriteWholeFile(target, "made by someone else after the dialog closed"));
        f.dialogs.chooseNextSaveFile(target, false);
        f.action("SaveAs1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.messages.size(), 1, 30000);
        QCOMPARE(f.dialogs.messages[0].caption, u"Error"_s);
        QVERIFY(f.dialogs.messages[0].text.contains(target));
        QCOMPARE(ReadWholeFile(target), QByteArray("made by someone else after the dialog closed"));
    }

    void deploysThePackageAndRemovesItAtExit()
    {
        AppFormFixture f;
        QVERIFY(f.installExifToolPackage());
        f.start();
        QCOMPARE(f.status(0), u"Ready"_s);
        const QString folder = f.commands<MetadataCommands>().exifToolFolder();
        QVERIFY(folder.endsWith(u"/brindlescope/"_s));
        QVERIFY(QFileInfo(folder + u"exiftool"_s).isExecutable());
        QVERIFY(QFileInfo(folder + u"exiftool_files"_s).isDir());
        // The staging folder is the package folder here: it keeps exactly what ships.
        QCOMPARE(QDir(f.program.filePath(u"exiftool"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{u"exiftool"_s, u"exiftool_files.zip"_s}));
        f.form->close();
        QVERIFY(!QFileInfo::exists(folder));
    }

    // The window closes at once while the deployment waits for another copy of the program to let go of the staging
    // folder (it would wait 30 seconds): the deployment gives up, and the private folder keeps nothing of ExifTool.
    void closingDuringTheDeploymentWaitEndsAtOnce()
    {
        AppFormFixture f;
        QVERIFY(f.installExifToolPackage());
        const QByteArray staging = QFile::encodeName(f.program.filePath(u"exiftool"_s));
        const int lock = ::open(staging.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX) == 0);
        const auto release = qScopeGuard([&] { ::close(lock); });

        f.start(QString(), AppFormFixture::Deployment::DoNotWait).show();
        QTRY_COMPARE(f.status(0), u"Initializing..."_s);
        QElapsedTimer closing;
        closing.start();
        f.form->close();
        // Far below the wait for the lock: the close did not sit it out.
        QVERIFY2(closing.elapsed() < 10000, qPrintable(QString::number(closing.elapsed())));
        QVERIFY(!QFileInfo::exists(GetTempDirectory() + u"brindlescope"_s));
        QCOMPARE(FolderEntries(f.program.filePath(u"exiftool"_s)),
                 (QStringList{u"exiftool"_s, u"exiftool_files.zip"_s}));
    }

    // A file chosen while ExifTool is still being made ready is reported once it is.
    void selectionDuringDeploymentIsReportedWhenReady()
    {
        AppFormFixture f;
        QVERIFY(f.installExifToolPackage());
        QTemporaryDir tree;
        QVERIFY_MADE(makeFile(tree.path(), u"Canon.jpg"_s));
        // As long as another copy of the program holds the staging folder, the deployment waits for it.
        const QByteArray staging = QFile::encodeName(f.program.filePath(u"exiftool"_s));
        int lock = ::open(staging.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX) == 0);
        const auto release = qScopeGuard([&] {
            if (lock >= 0)
                ::close(lock);
        });

        f.start(QString(), AppFormFixture::Deployment::DoNotWait).show();
        f.dialogs.chooseNextFolder(tree.path());
        f.child<QPushButton>("BitBtn1")->click();
        f.child<QPushButton>("Button1")->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.child<QPushButton>("Button1")->text(), u"Start"_s, 20000);
        auto* list = f.child<QTableView>("ListView1");
        list->selectRow(0);
        QVERIFY(!f.commands<MetadataCommands>().isExifToolDeployed());
        QCOMPARE(f.status(0), u"Processing..."_s);

        ::close(std::exchange(lock, -1));
        QTRY_VERIFY_WITH_TIMEOUT(f.commands<MetadataCommands>().isExifToolDeployed(), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(f.status(0), QString(), 30000);
        QCOMPARE(stableLines(f.child<QPlainTextEdit>("RichEdit1")->toPlainText()),
                 directReport(tree.filePath(u"Canon.jpg"_s)));
    }

    void saveAsReportsExifToolsError()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles({u"Text1.txt"_s}));
        f.select({0});
        QTemporaryDir out;
        f.dialogs.chooseNextSaveFile(out.filePath(u"copy.txt"_s));
        f.action("SaveAs1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.messages.size(), 1, 30000);
        QCOMPARE(f.dialogs.messages[0].caption, u"ERROR"_s);
        QVERIFY(f.dialogs.messages[0].text.startsWith(u"Error"_s));
        QVERIFY(!QFile::exists(out.filePath(u"copy.txt"_s)));
    }

    void saveAsNothingSelectedBeeps()
    {
        MetadataFixture f;
        QVERIFY(f.listFiles());
        const int beeps = f.shell.beeps;
        f.action("SaveAs1")->trigger();
        QCOMPARE(f.shell.beeps, beeps + 1);
        QVERIFY(f.dialogs.saveRequests.isEmpty());
    }
};

QTEST_MAIN(TestMetadataWindow)
#include "tst_metadatawindow.moc"
