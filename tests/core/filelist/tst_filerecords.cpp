#include "core/filelist/filerecords.h"
#include "core/filelist/filesort.h"

#include <QHash>
#include <QTest>

#include <algorithm>
#include <random>

namespace {

// A list of texts written as plain literals.
QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

TMyRecord record(const QString& fullName, qint64 size = 0, qint64 dateKey = 0, const QString& extension = {})
{
    const qsizetype cut = fullName.lastIndexOf(u'/') + 1;
    TMyRecord r;
    r.FFolder = fullName.first(cut);
    r.FName = fullName.sliced(cut);
    r.FSize = size;
    r.FDateKey = dateKey;
    r.FExtension = extension;
    return r;
}

QStringList fullNames(const FileRecords& records)
{
    QStringList names;
    const FileRecords::Reader list = records.read();
    for (std::size_t i = 0; i < list.size(); ++i)
        names.append(list[i].FFullName());
    return names;
}

void fill(FileRecords& records, const QStringList& names)
{
    std::vector<TMyRecord> batch;
    for (const QString& name : names)
        batch.push_back(record(name));
    records.append(batch);
}

QStringList numberedNames(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("/f/%1").arg(i, 5, 10, QLatin1Char('0')));
    return names;
}

} // namespace

class TestFileRecords : public QObject
{
    Q_OBJECT

private slots:
    void sortState_data();
    void sortState();
    void textComparison_data();
    void textComparison();
    void fullNameComparison_data();
    void fullNameComparison();
    void sortByColumn_data();
    void sortByColumn();
    void filenameSortOrder_data();
    void filenameSortOrder();
    void sortMatchesComparison_data();
    void sortMatchesComparison();
    void removal_data();
    void removal();
    void removeWithPath();
    void rename();
    void appendListener();
};

void TestFileRecords::sortState_data()
{
    QTest::addColumn<int>("startColumn");
    QTest::addColumn<bool>("startDescending");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");

    QTest::newRow("first click on Filename") << 0 << false << QList<int>{0} << 0 << true;
    QTest::newRow("second click on Filename") << 0 << false << QList<int>{0, 0} << 0 << false;
    QTest::newRow("first click on Extension") << 0 << false << QList<int>{1} << 1 << false;
    QTest::newRow("second click on Size") << 0 << false << QList<int>{3, 3} << 3 << true;
    QTest::newRow("other column after descending") << 0 << false << QList<int>{3, 3, 2} << 2 << false;
    QTest::newRow("after a scan, descending kept") << 2 << true << QList<int>{0} << 0 << false;
}

void TestFileRecords::sortState()
{
    QFETCH(int, startColumn);
    QFETCH(bool, startDescending);
    QFETCH(QList<int>, clicks);
    QFETCH(int, column);
    QFETCH(bool, descending);

    SortState state;
    state.SortedColumn = startColumn;
    state.Descending = startDescending;
    if (startColumn != 0)
        state.scanStarted();
    for (const int c : clicks)
        state.ListView1ColumnClick(c);
    QCOMPARE(state.SortedColumn, column);
    QCOMPARE(state.Descending, descending);
}

void TestFileRecords::textComparison_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("sign");

    QTest::newRow("upper before lower") << "B"
                                        << "a" << -1;
    QTest::newRow("prefix first") << "abc"
                                  << "abcd" << -1;
    QTest::newRow("equal") << "JPG"
                           << "JPG" << 0;
    QTest::newRow("empty first") << ""
                                 << "A" << -1;
    QTest::newRow("no locale rules") << "é"
                                     << "z" << 1;
    // By code units, a surrogate pair (U+1F600) sorts before U+FF01, unlike by code points.
    QTest::newRow("code units, not code points")
        << QString::fromUtf8("\U0001F600") << QString::fromUtf8("\uFF01") << -1;
}

void TestFileRecords::textComparison()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, sign);
    QCOMPARE(std::clamp(CompareTexts(a, b), -1, 1), sign);
    QCOMPARE(std::clamp(CompareTexts(b, a), -1, 1), -sign);
}

void TestFileRecords::fullNameComparison_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");

    QTest::newRow("same folder") << "/d/b.txt"
                                 << "/d/a.txt";
    QTest::newRow("sibling folders") << "/d/x/a"
                                     << "/d/y/a";
    QTest::newRow("file before subfolder contents") << "/d/b"
                                                    << "/d/a/z";
    QTest::newRow("dot sorts before separator") << "/d/sub.txt"
                                                << "/d/sub/a";
    QTest::newRow("name shorter than subfolder") << "/d/su"
                                                 << "/d/sub/a";
    QTest::newRow("dash before separator") << "/d/sub-1/a"
                                           << "/d/sub/a";
    QTest::newRow("equal") << "/d/a"
                           << "/d/a";
}

void TestFileRecords::fullNameComparison()
{
    // Comparing folder and name in parts must give what comparing the joined texts gives.
    QFETCH(QString, a);
    QFETCH(QString, b);
    const TMyRecord ra = record(a);
    const TMyRecord rb = record(b);
    const int expected = std::clamp(CompareTexts(a, b), -1, 1);
    QCOMPARE(std::clamp(CompareFullNames(ra, rb), -1, 1), expected);
    QCOMPARE(std::clamp(CompareFullNames(rb, ra), -1, 1), -expected);
}

void TestFileRecords::sortByColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QStringList>("order");

    // The records: name, size, date key, extension.
    // /d/b.TXT   size 10  date 2001  "TXT"
    // /d/A.jpg   size -1  date 1999  "JPG"
    // /d/c       size 0   unknown    ""
    // /d/a/z.md  size 5   date 2000  "MD"
    QTest::newRow("filename ascending") << 0 << false << strings({"/d/A.jpg", "/d/a/z.md", "/d/b.TXT", "/d/c"});
    QTest::newRow("filename descending") << 0 << true << strings({"/d/c", "/d/b.TXT", "/d/a/z.md", "/d/A.jpg"});
    QTest::newRow("extension, empty first") << 1 << false << strings({"/d/c", "/d/A.jpg", "/d/a/z.md", "/d/b.TXT"});
    QTest::newRow("date, unknown first") << 2 << false << strings({"/d/c", "/d/A.jpg", "/d/a/z.md", "/d/b.TXT"});
    QTest::newRow("date descending") << 2 << true << strings({"/d/b.TXT", "/d/a/z.md", "/d/A.jpg", "/d/c"});
    QTest::newRow("size, not calculated first") << 3 << false << strings({"/d/A.jpg", "/d/c", "/d/a/z.md", "/d/b.TXT"});
    QTest::newRow("size descending") << 3 << true << strings({"/d/b.TXT", "/d/a/z.md", "/d/c", "/d/A.jpg"});
    QTest::newRow("no such column") << 4 << false << strings({"/d/b.TXT", "/d/A.jpg", "/d/c", "/d/a/z.md"});
}

void TestFileRecords::sortByColumn()
{
    QFETCH(int, column);
    QFETCH(bool, descending);
    QFETCH(QStringList, order);

    constexpr qint64 y1999 = 946684740;
    constexpr qint64 y2000 = 960000000;
    constexpr qint64 y2001 = 978307200;
    FileRecords records;
    std::vector<TMyRecord> batch{record(QStringLiteral("/d/b.TXT"), 10, y2001, QStringLiteral("TXT")),
                                 record(QStringLiteral("/d/A.jpg"), -1, y1999, QStringLiteral("JPG")),
                                 record(QStringLiteral("/d/c"), 0, kUnknownDateKey, QString()),
                                 record(QStringLiteral("/d/a/z.md"), 5, y2000, QStringLiteral("MD"))};
    records.append(batch);
    records.sort(column, descending);
    QCOMPARE(fullNames(records), order);
}

void TestFileRecords::filenameSortOrder_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QStringList>("ascending");

    // A name comes before every longer name it begins, in one folder (which share the folder's text) and across
    // folders; upper case comes before lower case.
    QTest::newRow("names beginning one another") << strings({"/d/abc.txt", "/d/ab", "/d/abc", "/d/a", "/d/B"})
                                                 << strings({"/d/B", "/d/a", "/d/ab", "/d/abc", "/d/abc.txt"});
    QTest::newRow("a name and a folder of that name")
        << strings({"/d/ab/x", "/d/abc", "/d/ab", "/d/ab.x"}) << strings({"/d/ab", "/d/ab.x", "/d/ab/x", "/d/abc"});
    QTest::newRow("folders beginning one another")
        << strings({"/d/photos2/a", "/d/photos/b", "/d/photos/a", "/d/photo"})
        << strings({"/d/photo", "/d/photos/a", "/d/photos/b", "/d/photos2/a"});
}

void TestFileRecords::filenameSortOrder()
{
    QFETCH(QStringList, paths);
    QFETCH(QStringList, ascending);
    FileRecords records;
    std::vector<TMyRecord> batch;
    QHash<QString, QString> folderTexts; // the records of a folder share its text, as in a scan
    for (const QString& path : paths) {
        TMyRecord r = record(path);
        r.FFolder = folderTexts.value(r.FFolder, r.FFolder);
        folderTexts.insert(r.FFolder, r.FFolder);
        batch.push_back(std::move(r));
    }
    records.append(batch);
    records.sort(FilenameColumn, false);
    QCOMPARE(fullNames(records), ascending);
    records.sort(FilenameColumn, true);
    std::reverse(ascending.begin(), ascending.end());
    QCOMPARE(fullNames(records), ascending);
}

void TestFileRecords::sortMatchesComparison_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");
    for (int column = 0; column < FileColumnCount; ++column) {
        QTest::addRow("column %d ascending", column) << column << false;
        QTest::addRow("column %d descending", column) << column << true;
    }
}

void TestFileRecords::sortMatchesComparison()
{
    // A list spanning several chunks, with many equal keys: after sorting, every neighbour pair is in order, and no
    // record is lost or doubled. The folders hold one another and differ late, and the names are as long as the
    // part that sorting looks at first, and shorter and longer.
    QFETCH(int, column);
    QFETCH(bool, descending);
    std::mt19937 random(7);
    const QStringList extensions = strings({"", "JPG", "jpg", "TXT", "GZ"});
    const QStringList folders = strings({"/r/", "/r/0/", "/r/0/0/", "/r/0-/", "/r/01/", "/r/1/", "/r/10/"});
    FileRecords records;
    std::vector<TMyRecord> batch;
    const int count = static_cast<int>(RecordArray::kChunkSize) * 2 + 123;
    for (int i = 0; i < count; ++i) {
        const QString& folder = folders[static_cast<int>(random() % 7)];
        const qsizetype nameLength = 1 + static_cast<qsizetype>(random() % 4);
        const QString name = QStringLiteral("n%1").arg(random() % 500).left(nameLength);
        TMyRecord r = record(folder + name, static_cast<qint64>(random() % 50) - 1,
                             static_cast<qint64>(random() % 100) * 60, extensions[static_cast<int>(random() % 5)]);
        r.FFolder = folder; // the records of a folder share its text, as in a scan
        r.FImageIndex = i;  // identifies the record
        batch.push_back(std::move(r));
    }
    records.append(batch);
    records.sort(column, descending);

    const FileRecords::Reader list = records.read();
    QCOMPARE(list.size(), std::size_t(count));
    std::vector<bool> seen(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < list.size(); ++i) {
        QVERIFY(!seen[static_cast<std::size_t>(list[i].FImageIndex)]);
        seen[static_cast<std::size_t>(list[i].FImageIndex)] = true;
        if (i > 0) {
            const int c = CompareRecords(column, list[i - 1], list[i]);
            QVERIFY2(descending ? c >= 0 : c <= 0, qPrintable(QStringLiteral("out of order at %1").arg(i)));
        }
    }
}

void TestFileRecords::removal_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("remove");

    const int chunk = static_cast<int>(RecordArray::kChunkSize);
    QTest::newRow("first") << 5 << QList<int>{0};
    QTest::newRow("last") << 5 << QList<int>{4};
    QTest::newRow("unordered with duplicate and beyond the end") << 6 << QList<int>{4, 1, 4, 99};
    QTest::newRow("all") << 3 << QList<int>{2, 0, 1};
    QTest::newRow("across chunks") << chunk + 10 << QList<int>{1, chunk - 1, chunk, chunk + 9};
    QTest::newRow("empties the last chunk") << chunk + 2 << QList<int>{chunk, chunk + 1};
}

void TestFileRecords::removal()
{
    QFETCH(int, count);
    QFETCH(QList<int>, remove);

    const QStringList names = numberedNames(count);
    FileRecords records;
    fill(records, names);
    std::vector<std::size_t> indices;
    for (const int i : remove)
        indices.push_back(static_cast<std::size_t>(i));
    QStringList expected;
    for (int i = 0; i < count; ++i) {
        if (!remove.contains(i))
            expected.append(names[i]);
    }
    QCOMPARE(records.removeRecords(indices), std::size_t(count - expected.size()));
    QCOMPARE(fullNames(records), expected);

    // The list still grows after a removal.
    fill(records, {QStringLiteral("/g/new")});
    expected.append(QStringLiteral("/g/new"));
    QCOMPARE(fullNames(records), expected);

    // One at a time.
    records.RemoveRecordAt(0);
    records.RemoveRecordAt(99999);
    expected.removeFirst();
    QCOMPARE(fullNames(records), expected);
}

void TestFileRecords::removeWithPath()
{
    FileRecords records;
    fill(records, strings({"/d/a", "/d/b", "/d/a", "/d/A", "/d/a/x", "/e/a"}));
    const std::vector<std::size_t> removed = records.RemoveRecordsWithPath(QStringLiteral("/d/a"));
    QCOMPARE(removed, (std::vector<std::size_t>{0, 2}));
    QCOMPARE(fullNames(records), (strings({"/d/b", "/d/A", "/d/a/x", "/e/a"})));
    QVERIFY(records.RemoveRecordsWithPath(QStringLiteral("/d/")).empty());
}

void TestFileRecords::rename()
{
    FileRecords records;
    std::vector<TMyRecord> batch{record(QStringLiteral("/d/old.txt"), 3, 60, QStringLiteral("TXT")),
                                 record(QStringLiteral("/d/other"))};
    batch[0].FDateKey = 60;
    batch[1].FFolder = batch[0].FFolder; // as a scan shares it
    records.append(batch);
    QVERIFY(records.renameRecord(0, QStringLiteral("/d/new.jpg")));
    const TMyRecord r = records.at(0);
    QCOMPARE(r.FName, QStringLiteral("new.jpg"));
    QCOMPARE(r.FFullName(), QStringLiteral("/d/new.jpg"));
    // The folder text stays shared with the other files of the folder.
    QVERIFY(r.FFolder.isSharedWith(records.at(1).FFolder));
    // The Extension column follows the new name; the date and size stay.
    QCOMPARE(r.FExtension, QStringLiteral("JPG"));
    QCOMPARE(r.FDateKey, qint64(60));
    QCOMPARE(r.FSize, qint64(3));
    QVERIFY(records.renameRecord(1, QStringLiteral("/d/.profile")));
    QCOMPARE(records.at(1).FExtension, QStringLiteral("PROFILE"));
    QVERIFY(records.renameRecord(1, QStringLiteral("/d/README")));
    QCOMPARE(records.at(1).FExtension, QString());
    QVERIFY(!records.renameRecord(2, QStringLiteral("/d/x")));
}

void TestFileRecords::appendListener()
{
    FileRecords records;
    int calls = 0;
    records.setAppendListener([&] { ++calls; });
    std::vector<TMyRecord> empty;
    records.append(empty);
    QCOMPARE(calls, 0);
    fill(records, strings({"/a", "/b"}));
    QCOMPARE(calls, 1);
    records.setAppendListener(nullptr);
    fill(records, strings({"/c"}));
    QCOMPARE(calls, 1);
    QCOMPARE(records.size(), std::size_t(3));
}

QTEST_GUILESS_MAIN(TestFileRecords)
#include "tst_filerecords.moc"
