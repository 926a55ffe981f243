#include "core/filelist/filelistmodel.h"
#include "core/filelist/filerecords.h"
#include "core/filelist/filesearcher.h"
#include "core/filelist/filesort.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

TMyRecord record(const QString& folder, const QString& name, qint64 size = 0)
{
    TMyRecord r;
    r.FFolder = folder;
    r.FName = name;
    r.FExtension = ExtensionText(name);
    r.FDateKey = 1773065100; // 3/9/26 2:05 PM in UTC
    r.FSize = size;
    return r;
}

void append(FileRecords& records, std::initializer_list<const char*> names, const QString& folder = u"/d/"_s)
{
    std::vector<TMyRecord> batch;
    for (const char* name : names)
        batch.push_back(record(folder, QString::fromUtf8(name)));
    records.append(batch);
}

QStringList column0(const FileListModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, 0).data().toString());
    return texts;
}

} // namespace

class TestFileListModel : public QObject
{
    Q_OBJECT

private slots:
    void headers();
    void dateTexts();
    void cellTexts_data();
    void cellTexts();
    void rowsAnnouncedInBatches();
    void sortKeepsSelectedRows();
    void removal();
    void scatteredRemoval();
    void removeWithPathAndRename();
    void iconsCachedByType();
    void fixedPictures();
    void modelDuringScan();
};

void TestFileListModel::headers()
{
    FileRecords records;
    FileListModel model(records, kUs);
    const QStringList captions{
        model.headerData(0, Qt::Horizontal).toString(), model.headerData(1, Qt::Horizontal).toString(),
        model.headerData(2, Qt::Horizontal).toString(), model.headerData(3, Qt::Horizontal).toString()};
    QCOMPARE(captions, (QStringList{u"Filename"_s, u"Extension"_s, u"Date Modified"_s, u"Size (bytes)"_s}));
    QCOMPARE(model.columnCount(), 4);
    const QList<int> widths{FileListModel::columnWidth(0), FileListModel::columnWidth(1), FileListModel::columnWidth(2),
                            FileListModel::columnWidth(3)};
    QCOMPARE(widths, (QList<int>{300, 80, 175, 140}));
    QCOMPARE(FileListModel::columnAlignment(0), Qt::Alignment(Qt::AlignLeft));
    QCOMPARE(FileListModel::columnAlignment(3), Qt::Alignment(Qt::AlignHCenter));
}

void TestFileListModel::cellTexts_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("sizeText");

    QTest::newRow("not calculated") << qint64(-1) << kUs << "-";
    QTest::newRow("empty file") << qint64(0) << kUs << "0";
    QTest::newRow("grouped") << qint64(1048576) << kUs << "1,048,576";
    QTest::newRow("grouped, German") << qint64(1048576) << QLocale(QLocale::German, QLocale::Germany) << "1.048.576";
}

void TestFileListModel::cellTexts()
{
    QFETCH(qint64, size);
    QFETCH(QLocale, locale);
    QFETCH(QString, sizeText);
    FileRecords records;
    std::vector<TMyRecord> batch{record(u"/photos/"_s, u"ARCHIVE.TAR.GZ"_s, size)};
    records.append(batch);
    FileListModel model(records, locale);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data().toString(), u"/photos/ARCHIVE.TAR.GZ"_s);
    QCOMPARE(model.index(0, 1).data().toString(), u"GZ"_s);
    QCOMPARE(model.index(0, 3).data().toString(), sizeText);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);
}

void TestFileListModel::rowsAnnouncedInBatches()
{
    FileRecords records;
    FileListModel model(records, kUs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    // Batches appended by another thread are announced together, on this thread, once the events run.
    std::thread worker([&] {
        append(records, {"a", "b"});
        std::vector<TMyRecord> none;
        records.append(none);
        append(records, {"c"});
        append(records, {"d", "e", "f"});
    });
    worker.join();
    QCOMPARE(model.rowCount(), 0);
    QTRY_COMPARE(model.rowCount(), 6);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 5);

    // Nothing appended, nothing announced; the item count counts every complete record.
    QCoreApplication::processEvents();
    QCOMPARE(inserted.count(), 1);
    append(records, {"g"});
    QCOMPARE(model.KacItemVarGuncelle(), u"7 items"_s);
    QCOMPARE(model.rowCount(), 7);
    QCoreApplication::processEvents();
    QCOMPARE(inserted.count(), 2);

    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(records.size(), std::size_t(0));
    QCOMPARE(model.KacItemVarGuncelle(), u"0 item"_s);
}

void TestFileListModel::sortKeepsSelectedRows()
{
    FileRecords records;
    append(records, {"c", "a", "d", "b"});
    FileListModel model(records, kUs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QItemSelectionModel selection(&model);
    selection.select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);

    SortState state;
    state.ListView1ColumnClick(FilenameColumn); // the first click on "Filename" sorts descending
    model.sort(state.SortedColumn, state.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    QCOMPARE(column0(model), (QStringList{u"/d/d"_s, u"/d/c"_s, u"/d/b"_s, u"/d/a"_s}));
    QCOMPARE(layout.count(), 1);
    const QModelIndexList selected = selection.selectedRows();
    QCOMPARE(selected.size(), 2);
    QCOMPARE(std::min(selected[0].row(), selected[1].row()), 0);
    QCOMPARE(std::max(selected[0].row(), selected[1].row()), 1);
}

void TestFileListModel::removal()
{
    FileRecords records;
    append(records, {"r0", "r1", "r2", "r3", "r4"});
    FileListModel model(records, kUs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    model.removeRecords({0, 3, 2, 7, -1});
    QCOMPARE(column0(model), (QStringList{u"/d/r1"_s, u"/d/r4"_s}));
    QCOMPARE(removed.count(), 2); // rows 2 to 3, then row 0
    QCOMPARE(removed.at(0).at(1).toInt(), 2);
    QCOMPARE(removed.at(0).at(2).toInt(), 3);
    QCOMPARE(removed.at(1).at(1).toInt(), 0);

    model.RemoveRecordAt(5);
    QCOMPARE(model.rowCount(), 2);
    model.RemoveRecordAt(1);
    QCOMPARE(column0(model), (QStringList{u"/d/r1"_s}));
    QCOMPARE(model.KacItemVarGuncelle(), u"1 item"_s);
}

// Many scattered rows go in one pass, announced as one reset; the rest keep their order.
void TestFileListModel::scatteredRemoval()
{
    FileRecords records;
    std::vector<TMyRecord> batch;
    for (int i = 0; i < 200; ++i) {
        TMyRecord r;
        r.FFolder = u"/d/"_s;
        r.FName = QString::number(i);
        batch.push_back(std::move(r));
    }
    records.append(batch);
    FileListModel model(records, kUs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    std::vector<int> every3rd;
    QStringList kept;
    for (int i = 0; i < 200; ++i) {
        if (i % 3 == 0)
            every3rd.push_back(i);
        else
            kept.append(u"/d/"_s + QString::number(i));
    }
    model.removeRecords(every3rd);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(column0(model), kept);

    // By paths, in one pass too: the first 40 still listed, a path twice, one not listed at all.
    QStringList paths = kept.first(40);
    paths << kept.at(0) << u"/d/none"_s;
    model.RemoveRecordsWithPaths(paths);
    QCOMPARE(column0(model), kept.sliced(40));
    QCOMPARE(records.size(), std::size_t(kept.size() - 40));
}

void TestFileListModel::removeWithPathAndRename()
{
    FileRecords records;
    append(records, {"x", "y", "x"});
    FileListModel model(records, kUs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    model.RemoveRecordsWithPath(u"/d/x"_s);
    QCOMPARE(column0(model), (QStringList{u"/d/y"_s}));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.renameRecord(0, u"/d/renamed.txt"_s));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(0, 0));
    QCOMPARE(model.index(0, 0).data().toString(), u"/d/renamed.txt"_s);
    // The extension text follows the new name.
    QCOMPARE(model.index(0, 1).data().toString(), u"TXT"_s);
    QVERIFY(!model.renameRecord(1, u"/d/z"_s));
}

void TestFileListModel::dateTexts()
{
    qputenv("TZ", "UTC");
    tzset();
    FileRecords records;
    std::vector<TMyRecord> batch{record(u"/d/"_s, u"a.txt"_s), record(u"/d/"_s, u"b.txt"_s),
                                 record(u"/d/"_s, u"c.txt"_s)};
    batch[1].FDateKey = kUnknownDateKey;
    batch[2].FDateKey = 946684800; // 2000-01-01 00:00 UTC
    records.append(batch);
    FileListModel model(records, kUs);
    // The text is made from the kept time when the row is drawn, in the locale the list is shown with.
    QCOMPARE(model.index(0, DateColumn).data().toString(), u"3/9/26 2:05 PM"_s);
    QCOMPARE(model.index(1, DateColumn).data().toString(), QString());
    QCOMPARE(model.index(2, DateColumn).data().toString(), u"1/1/00 12:00 AM"_s);
    FileListModel german(records, QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(german.index(0, DateColumn).data().toString(), u"09.03.26 14:05"_s);
}

void TestFileListModel::iconsCachedByType()
{
    FileRecords records;
    std::vector<TMyRecord> batch;
    for (int i = 0; i < 500; ++i) {
        batch.push_back(record(u"/d/"_s, QStringLiteral("p%1.png").arg(i)));
        batch.push_back(record(u"/d/"_s, QStringLiteral("t%1.txt").arg(i)));
    }
    records.append(batch);
    FileListModel model(records, kUs);

    // Off: the blank document, and nothing is looked up.
    model.index(0, 0).data(Qt::DecorationRole);
    QCOMPARE(records.at(0).FImageIndex, -1);

    model.setShowIcons(true);
    for (int row = 0; row < model.rowCount(); ++row)
        QVERIFY(model.index(row, 0).data(Qt::DecorationRole).canConvert<QIcon>());
    QCOMPARE(model.icons().count(), 4); // the two fixed pictures and one per type
    const qint32 png = records.at(0).FImageIndex;
    const qint32 txt = records.at(1).FImageIndex;
    QVERIFY(png >= 2 && txt >= 2 && png != txt);
    QCOMPARE(records.at(998).FImageIndex, png);
    QCOMPARE(records.at(999).FImageIndex, txt);
    QVERIFY(model.index(0, 1).data(Qt::DecorationRole).isNull());

    model.ImageListSifirla();
    QCOMPARE(model.icons().count(), 2);
    // After the reset the text file is drawn first and takes index 2, which the PNG file held before: an index from
    // before the reset must be looked up again, not trusted.
    model.index(1, 0).data(Qt::DecorationRole);
    model.index(0, 0).data(Qt::DecorationRole);
    QCOMPARE(records.at(1).FImageIndex, 2);
    QCOMPARE(records.at(0).FImageIndex, 3);
}

void TestFileListModel::fixedPictures()
{
    // Pictures told apart by their size: the folder 1 px, the blank document 2 px, a file type 3 px (PNG pictures
    // only; the others have none).
    class Pictures final : public FilePictureProvider
    {
    public:
        QIcon folderPicture() const override { return sized(1); }
        QIcon blankPicture() const override { return sized(2); }
        QIcon typePicture(const QMimeType& type) const override
        {
            return type.name() == u"image/png"_s ? sized(3) : QIcon();
        }

    private:
        static QIcon sized(int pixels)
        {
            QPixmap picture(pixels, pixels);
            picture.fill(Qt::darkYellow);
            return QIcon(picture);
        }
    } pictures;
    const auto width = [](const QIcon& icon) { return icon.availableSizes().value(0).width(); };

    FileIcons icons(&pictures);
    QCOMPARE(icons.count(), 2);
    QCOMPARE(width(icons.icon(FileIcons::kFolderIndex)), 1);
    QCOMPARE(width(icons.icon(FileIcons::kBlankIndex)), 2);
    QCOMPARE(width(icons.icon(icons.indexFor(u"a.png"_s))), 3);
    // A type without a picture of its own shows the blank document.
    QCOMPARE(width(icons.icon(icons.indexFor(u"a.txt"_s))), 2);
    QCOMPARE(icons.count(), 4);
}

void TestFileListModel::modelDuringScan()
{
    QTemporaryDir dir;
    for (int i = 0; i < 1500; ++i) {
        const QString path = dir.filePath(QStringLiteral("s%1/f%2").arg(i % 15).arg(i));
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    FileRecords records;
    FileListModel model(records, kUs);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    // Every row announced must show a complete record of a file that exists.
    bool announcedIncomplete = false;
    connect(&model, &QAbstractItemModel::rowsInserted, this, [&](const QModelIndex&, int first, int last) {
        for (int row = first; row <= last; ++row)
            announcedIncomplete |= !QFileInfo(records.at(std::size_t(row)).FFullName()).isFile();
    });

    ScanSettings settings;
    settings.folder = dir.path();
    settings.filterText = u"*"_s;
    settings.locale = kUs;
    QElapsedTimer stopwatch;
    stopwatch.start();
    TFileSearcher searcher(records, settings, stopwatch);
    QSignalSpy finished(&searcher, &TFileSearcher::scanFinished);
    model.setShowIcons(true);
    searcher.start();
    // Rows are drawn and sorted while the scan appends.
    const QDeadlineTimer deadline(60000);
    while (finished.count() == 0) {
        QVERIFY(!deadline.hasExpired());
        finished.wait(5);
        if (model.rowCount() > 0)
            model.index(model.rowCount() - 1, 0).data(Qt::DecorationRole);
        model.sort(SizeColumn, Qt::DescendingOrder);
    }
    QVERIFY(searcher.wait(60000));
    QCOMPARE(model.KacItemVarGuncelle(), u"1,500 items"_s);
    QCOMPARE(model.rowCount(), 1500);
    QVERIFY(!announcedIncomplete);
}

QTEST_MAIN(TestFileListModel)
#include "tst_filelistmodel.moc"
