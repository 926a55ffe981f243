#include "core/filelist/filerecords.h"
#include "support/ui/appformfixture.h"
#include "ui/app/folderchoice.h"
#include "ui/filelist/filelistcommands.h"
#include "ui/filelist/fileselection.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTest>

#include <utility>

#include <dirent.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The names of a folder in the order its listing returns them.
QStringList listingOrder(const QString& folder)
{
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != u"."_s && name != u".."_s)
            names.append(name);
    }
    closedir(dir);
    return names;
}

// The files below folder in the order a depth-first walk in listing order meets them.
QStringList walkOrder(const QString& folder)
{
    QStringList paths;
    for (const QString& name : listingOrder(folder)) {
        const QString path = folder + u'/' + name;
        if (QFileInfo(path).isDir())
            paths += walkOrder(path);
        else
            paths.append(path);
    }
    return paths;
}

// A window whose folder is set through the folder dialog, as a user would.
struct ScanFixture : AppFormFixture
{
    QTemporaryDir tree;

    ScanFixture() { start(); }

    void chooseFolder(const QString& folder)
    {
        dialogs.chooseNextFolder(folder);
        child<QPushButton>("BitBtn1")->click();
    }
    QPushButton* button() const { return child<QPushButton>("Button1"); }
    QTableView* list() const { return child<QTableView>("ListView1"); }
    QAbstractItemModel* model() const { return list()->model(); }
    QString cell(int row, int column) const { return model()->index(row, column).data().toString(); }
    QStringList column0() const
    {
        QStringList texts;
        for (int row = 0; row < model()->rowCount(); ++row)
            texts.append(cell(row, 0));
        return texts;
    }
    void scanAndWait()
    {
        button()->click();
        QCOMPARE(button()->text(), u"STOP"_s);
        QTRY_COMPARE_WITH_TIMEOUT(button()->text(), u"Start"_s, 20000);
    }
    void makeFiles(const QStringList& relativePaths)
    {
        for (const QString& path : relativePaths)
            QVERIFY(WriteFileMakingFolders(tree.filePath(path), path.toUtf8()));
    }
    // 40 nested folders of 50 files: deep enough that the walk still runs when a stop follows the start at once.
    static constexpr int kDeepFiles = 40 * 50;
    void makeDeepTree()
    {
        QString deep = tree.path();
        for (int level = 0; level < 40; ++level) {
            deep += u"/level"_s + QString::number(level);
            for (int i = 0; i < 50; ++i)
                QVERIFY(WriteFileMakingFolders(deep + u"/f"_s + QString::number(i) + u".txt"_s, "x"));
        }
    }
    QList<QWidget*> scanControls() const
    {
        return {child<QLineEdit>("EditFile"),  child<QCheckBox>("CheckBox1"),    child<QCheckBox>("CheckBox3"),
                child<QCheckBox>("CheckBox4"), child<QCheckBox>("CheckBoxFile"), child<QPushButton>("BitBtn1")};
    }
};

} // namespace

class TestScanWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changeFolder()
    {
        ScanFixture f;
        const QString before = f.label();
        f.dialogs.chooseNextFolder(std::nullopt);
        f.child<QPushButton>("BitBtn1")->click();
        QCOMPARE(f.label(), before);
        QCOMPARE(f.dialogs.folderRequests.size(), 1);
        QCOMPARE(f.dialogs.folderRequests[0].title, u"Select folder:"_s);
        QCOMPARE(f.dialogs.folderRequests[0].okText, u"Select"_s);
        QCOMPARE(f.dialogs.folderRequests[0].startFolder, f.commands<FileListCommands>().folder().SelectedFolder());

        f.chooseFolder(f.tree.path() + u'/');
        QCOMPARE(f.label(), f.tree.path());
        QCOMPARE(f.child<QLabel>("LabelDirectory")->toolTip(), f.tree.path());
        QCOMPARE(f.commands<FileListCommands>().folder().SelectedFolder(), f.tree.path() + u'/');
        QVERIFY(
            ReadWholeFile(f.settingsPath()).contains("LastFolderInput=" + QFile::encodeName(f.tree.path()) + "\r\n"));
    }

    void scanListsTheTreeInWalkOrder()
    {
        ScanFixture f;
        f.makeFiles({u"a.txt"_s, u"sub/b.JPG"_s, u"sub/deeper/c.md"_s, u"z.jpeg"_s, u".hidden"_s, u"other/d"_s});
        f.chooseFolder(f.tree.path());
        f.scanAndWait();
        QCOMPARE(f.column0(), walkOrder(f.tree.path()));
        QVERIFY(QRegularExpression(u"^Finished \\(Elapsed Time: \\d+\\.\\d{3} s\\)$"_s).match(f.status(0)).hasMatch());
        QCOMPARE(f.status(1), u"6 items"_s);
        QCOMPARE(f.button()->text(), u"Start"_s);
        for (QWidget* control : f.scanControls())
            QVERIFY(control->isEnabled());
        QCOMPARE(f.shell.beeps, 1);
        const int row = int(f.column0().indexOf(f.tree.filePath(u"sub/b.JPG"_s)));
        QCOMPARE(f.cell(row, 1), u"JPG"_s);
        QCOMPARE(f.cell(row, 3), u"9"_s);
    }

    void switchesShapeTheScan()
    {
        ScanFixture f;
        f.makeFiles({u"a.txt"_s, u"sub/b.txt"_s, u"c.jpg"_s});
        f.chooseFolder(f.tree.path());
        f.child<QCheckBox>("CheckBox3")->setChecked(false);
        f.child<QCheckBox>("CheckBox1")->setChecked(false);
        f.child<QLineEdit>("EditFile")->setText(u"*.TXT"_s);
        f.scanAndWait();
        QCOMPARE(f.column0(), QStringList{f.tree.filePath(u"a.txt"_s)});
        QCOMPARE(f.cell(0, 3), u"-"_s);
        QCOMPARE(f.status(1), u"1 item"_s);
    }

    void emptyFilter_data()
    {
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QString>("filterAfter");
        QTest::addColumn<int>("rows");
        QTest::newRow("wildcards") << false << u"*"_s << 2;
        QTest::newRow("case-sensitive") << true << QString() << 0;
    }
    void emptyFilter()
    {
        QFETCH(bool, caseSensitive);
        QFETCH(QString, filterAfter);
        QFETCH(int, rows);
        ScanFixture f;
        f.makeFiles({u"a.txt"_s, u"b.txt"_s});
        f.chooseFolder(f.tree.path());
        f.child<QCheckBox>("CheckBoxFile")->setChecked(caseSensitive);
        f.child<QLineEdit>("EditFile")->clear();
        f.scanAndWait();
        QCOMPARE(f.child<QLineEdit>("EditFile")->text(), filterAfter);
        QCOMPARE(f.model()->rowCount(), rows);
        QVERIFY(ReadWholeFile(f.settingsPath()).contains("FileMask=" + filterAfter.toUtf8() + "\r\n"));
    }

    void missingFolder()
    {
        ScanFixture f;
        const QString gone = f.tree.filePath(u"gone"_s);
        QVERIFY(QDir().mkpath(gone));
        f.chooseFolder(gone);
        QVERIFY(QDir(gone).removeRecursively());
        const QString statusBefore = f.status(0);
        f.button()->click();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages[0].text, u"Directory not found!\r\r"_s + gone);
        QCOMPARE(f.dialogs.messages[0].caption, u"Warning"_s);
        QCOMPARE(f.dialogs.messages[0].type, DialogType::Warning);
        QCOMPARE(f.button()->text(), u"Scan Files"_s);
        QCOMPARE(f.status(0), statusBefore);
    }

    void invalidMaskEndsTheScanAndGivesTheWindowBack()
    {
        ScanFixture f;
        f.makeFiles({u"a.txt"_s});
        f.chooseFolder(f.tree.path());
        f.child<QLineEdit>("EditFile")->setText(u"[abc"_s);
        f.button()->click();
        QTRY_COMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages[0].text, u"'[abc' is an invalid mask at (5)"_s);
        QCOMPARE(f.dialogs.messages[0].caption, u"ERROR"_s);
        QCOMPARE(f.dialogs.messages[0].type, DialogType::Error);
        QCOMPARE(f.button()->text(), u"Start"_s);
        for (QWidget* control : f.scanControls())
            QVERIFY(control->isEnabled());
        QCOMPARE(f.shell.beeps, 0);
        QCOMPARE(f.status(1), u"0 item"_s);
    }

    void stopDuringADeepScan()
    {
        ScanFixture f;
        f.makeDeepTree();
        f.chooseFolder(f.tree.path());
        f.button()->click();
        QCOMPARE(f.button()->text(), u"STOP"_s);
        for (QWidget* control : f.scanControls())
            QVERIFY(!control->isEnabled());
        f.button()->click();
        QTRY_COMPARE(f.button()->text(), u"Start"_s);
        QVERIFY(QRegularExpression(u"^Interrupted by user \\(Elapsed Time: \\d+\\.\\d{3} s\\)$"_s)
                    .match(f.status(0))
                    .hasMatch());
        const int rows = f.model()->rowCount();
        QVERIFY(rows < ScanFixture::kDeepFiles);
        QCOMPARE(f.status(1), QString::number(rows) + (rows < 2 ? u" item"_s : u" items"_s));
        QCOMPARE(f.records().size(), std::size_t(rows));
        for (QWidget* control : f.scanControls())
            QVERIFY(control->isEnabled());
    }

    void closingDuringAScanStopsIt()
    {
        ScanFixture f;
        f.makeDeepTree();
        f.chooseFolder(f.tree.path());
        f.button()->click();
        QVERIFY(f.commands<FileListCommands>().isScanning());
        f.form->close(); // stops the walk and waits for it; its reports are dropped
        const std::size_t rows = f.records().size();
        QVERIFY(rows < ScanFixture::kDeepFiles);
        QCoreApplication::processEvents();
        QCOMPARE(f.records().size(), rows); // nothing walks any more
        QCOMPARE(f.shell.beeps, 0);         // the end of a scan beeps, not the closing of the window
        QVERIFY(f.dialogs.messages.isEmpty());
        f.form.reset();
    }

    void closeWaitingWhenAScanStarts()
    {
        ScanFixture f;
        f.makeDeepTree();
        f.chooseFolder(f.tree.path());
        QMetaObject::invokeMethod(f.form.get(), &QWidget::close, Qt::QueuedConnection);
        f.button()->click();
        QCoreApplication::processEvents(); // the close runs now, with the walk under way
        QVERIFY(f.form->isHidden());
        const std::size_t rows = f.records().size();
        QVERIFY(rows < ScanFixture::kDeepFiles);
        QCoreApplication::processEvents();
        QCOMPARE(f.records().size(), rows);
        f.form.reset();
    }

    // The arrow of the sorted column takes room from its caption; every caption still shows whole.
    void sortedCaptionsShowWhole()
    {
        ScanFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QHeaderView* header = f.list()->horizontalHeader();
        for (int column = 0; column < header->count(); ++column) {
            // Twice: one way and the other.
            for (int click = 0; click < 2; ++click) {
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                  QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
                QCOMPARE(header->sortIndicatorSection(), column);
                QStyleOptionHeader option;
                option.initFrom(header);
                option.state |= QStyle::State_Horizontal;
                option.rect = QRect(0, 0, header->sectionSize(column), header->height());
                option.section = column;
                option.text = f.model()->headerData(column, Qt::Horizontal).toString();
                option.sortIndicator = header->sortIndicatorOrder() == Qt::AscendingOrder
                                           ? QStyleOptionHeader::SortUp
                                           : QStyleOptionHeader::SortDown;
                const QRect label = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
                QVERIFY2(header->fontMetrics().horizontalAdvance(option.text) <= label.width(),
                         qPrintable(option.text + u" in "_s + QString::number(label.width()) + u" pixels"_s));
            }
        }
    }

    void headerClicksSort()
    {
        ScanFixture f;
        f.makeFiles({u"b.txt"_s, u"a.jpg"_s, u"c.txt"_s});
        QVERIFY(WriteFileMakingFolders(f.tree.filePath(u"a.jpg"_s), QByteArray(10, 'x')));
        f.chooseFolder(f.tree.path());
        f.scanAndWait();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QHeaderView* header = f.list()->horizontalHeader();
        const auto clickHeader = [&](int column) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
        };
        f.listSelection().select(f.model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        f.listSelection().select(f.model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

        // The header shows what the list is sorted by: nothing after a scan.
        const auto indicator = [header] {
            return header->isSortIndicatorShown() && header->sortIndicatorSection() >= 0
                       ? std::pair(header->sortIndicatorSection(), header->sortIndicatorOrder())
                       : std::pair(-1, Qt::AscendingOrder);
        };
        QCOMPARE(indicator(), std::pair(-1, Qt::AscendingOrder));

        clickHeader(0); // the first click on "Filename" sorts descending
        QCOMPARE(f.column0(),
                 (QStringList{f.tree.filePath(u"c.txt"_s), f.tree.filePath(u"b.txt"_s), f.tree.filePath(u"a.jpg"_s)}));
        QCOMPARE(indicator(), std::pair(0, Qt::DescendingOrder));
        clickHeader(0);
        QCOMPARE(f.column0(),
                 (QStringList{f.tree.filePath(u"a.jpg"_s), f.tree.filePath(u"b.txt"_s), f.tree.filePath(u"c.txt"_s)}));
        QCOMPARE(indicator(), std::pair(0, Qt::AscendingOrder));
        clickHeader(3); // another column sorts ascending
        QCOMPARE(f.cell(2, 0), f.tree.filePath(u"a.jpg"_s));
        QCOMPARE(f.commands<FileListCommands>().sortState().SortedColumn, 3);
        QVERIFY(!f.commands<FileListCommands>().sortState().Descending);
        QCOMPARE(indicator(), std::pair(3, Qt::AscendingOrder));

        // The selected positions stay selected, whatever they show now.
        QCOMPARE(f.listSelection().rows().rows(), (std::vector<int>{0, 1}));

        // A new scan goes back to column 0 but keeps the direction.
        clickHeader(3);
        QVERIFY(f.commands<FileListCommands>().sortState().Descending);
        QCOMPARE(indicator(), std::pair(3, Qt::DescendingOrder));
        f.scanAndWait();
        QCOMPARE(f.commands<FileListCommands>().sortState().SortedColumn, 0);
        QVERIFY(f.commands<FileListCommands>().sortState().Descending);
        QCOMPARE(indicator(), std::pair(-1, Qt::AscendingOrder));
    }

    // Enter in the filter box and F5 start a scan, and F5 starts one again; neither stops a scan.
    void keyboardStartsAScan()
    {
        ScanFixture f;
        f.makeFiles({u"a.txt"_s});
        f.chooseFolder(f.tree.path());
        f.form->show();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        auto* edit = f.child<QLineEdit>("EditFile");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(f.button()->text(), u"STOP"_s);
        QTest::keyClick(f.list(), Qt::Key_F5); // under way: nothing
        QCOMPARE(f.button()->text(), u"STOP"_s);
        QTRY_COMPARE_WITH_TIMEOUT(f.button()->text(), u"Start"_s, 20000);
        QCOMPARE(f.shell.beeps, 1);
        QTest::keyClick(f.list(), Qt::Key_F5);
        QCOMPARE(f.button()->text(), u"STOP"_s);
        QTRY_COMPARE_WITH_TIMEOUT(f.button()->text(), u"Start"_s, 20000);
        QCOMPARE(f.shell.beeps, 2);
    }

    // The rows: a long path shows its file's name (shortened in the middle) with the whole path as tool tip, and
    // the date column is wide enough for the locale's longest date text. While a scan runs, the second panel
    // tells how many files it has found.
    void rowsAndRunningCount()
    {
        ScanFixture f;
        f.makeDeepTree();
        const QString late = f.tree.filePath(u"late.txt"_s);
        QVERIFY(WriteWholeFile(late, "x"));
        QFile file(late);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 28), QTime(22, 58)), QFileDevice::FileModificationTime));
        file.close();
        f.chooseFolder(f.tree.path());
        QStringList counts;
        connect(f.model(), &QAbstractItemModel::rowsInserted, this, [&] {
            if (f.button()->text() == u"STOP"_s)
                counts.append(f.status(1));
        });
        f.scanAndWait();
        QVERIFY(!counts.isEmpty());
        static const QRegularExpression found(u"^[0-9][0-9,]* files? found$"_s);
        for (const QString& count : counts)
            QVERIFY2(found.match(count).hasMatch(), qPrintable(count));
        QCOMPARE(f.status(1),
                 QStringLiteral("%1 items")
                     .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(ScanFixture::kDeepFiles + 1)));

        QCOMPARE(f.list()->textElideMode(), Qt::ElideMiddle);
        const int row = int(f.column0().indexOf(late));
        QCOMPARE(f.model()->index(row, 0).data(Qt::ToolTipRole).toString(), late);
        const QString date = f.cell(row, 2);
        QCOMPARE(date, u"12/28/26 10:58 PM"_s);
        QVERIFY(f.list()->columnWidth(2) > f.list()->fontMetrics().horizontalAdvance(date));
    }
};

QTEST_MAIN(TestScanWindow)
#include "tst_scanwindow.moc"
