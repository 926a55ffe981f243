#include "core/export/exportwriter.h"

#include "core/base/errors.h"
#include "core/export/compoundfile.h"
#include "core/export/spreadsheet.h"
#include "core/filelist/filerecords.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

using Records = std::vector<ExportRecord>;

const QLocale kLocale(QLocale::English, QLocale::UnitedStates);

ExportRecord record(const QString& fullName, const QString& extension = {}, qint64 size = -1,
                    qint64 dateKey = kUnknownDateKey)
{
    const qsizetype slash = fullName.lastIndexOf(u'/');
    return {fullName.first(slash + 1), fullName.sliced(slash + 1), extension, dateKey, size};
}

// The two files of the examples: one with a size, one whose name holds a comma and whose size was not calculated.
Records twoFiles()
{
    return {record(u"/Photos/a.jpg"_s, u"JPG"_s, 2048), record(u"/Photos/Trip/b,c.png"_s, u"PNG"_s)};
}

Records treeFiles()
{
    return {record(u"/A/x.jpg"_s), record(u"/A/B/y.jpg"_s), record(u"/A/B/C/z.jpg"_s), record(u"/A/w.jpg"_s)};
}

// Options by their letters: N, E, D, S for the columns, h for headers, t for the tree layout.
ExportOptions options(ExportOutput output, const QString& letters, QChar separator = u',')
{
    ExportOptions o;
    o.output = output;
    o.headers = letters.contains(u'h');
    o.name = letters.contains(u'N');
    o.extension = letters.contains(u'E');
    o.date = letters.contains(u'D');
    o.size = letters.contains(u'S');
    o.treeview = letters.contains(u't');
    o.listSeparator = separator;
    o.title = u"BRINDLE - Tagscope"_s;
    return o;
}

// What a text export holds: the byte order mark, then every line followed by CR LF.
QByteArray textFile(const QStringList& lines)
{
    QByteArray bytes = "\xEF\xBB\xBF";
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

// Names holding what a delimited line could break at: the separators, double quotes, blanks, tabs and line breaks.
// level: how many levels of the tree layout the name lies below the first one.
struct AwkwardFile
{
    QString fullName;
    QString extension;
    qint64 size;
    int level;
};

const QList<AwkwardFile> kAwkwardFiles = {
    {u"/p/b,c.png"_s, u"PNG"_s, 2048, 0},         {u"/p/a;b.jpg"_s, u"JPG"_s, -1, 0},
    {u"/p/say \"hi\", ok.txt"_s, u"TXT"_s, 0, 0}, {u"/p/ blank .txt"_s, QString(), -1, 0},
    {u"/p/日本語.jpg"_s, u"JPG"_s, 1, 0},         {u"/p/q/two\r\nlines.jpg"_s, u"JPG"_s, 3, 1},
    {u"/p/line\nfeed\n"_s, QString(), 4, 0},      {u"/p/q/r/carriage\rreturn\r"_s, QString(), 5, 2},
    {u"/p/q/tab\there.t\tx"_s, u"T\tX"_s, 6, 1},  {u"/p/\"a\nb\";\t,.jpg"_s, u"JPG"_s, 7, 0},
    {u"/p/new\r\nfolder/x.jpg"_s, u"JPG"_s, 8, 1}};

// The awkward files, every other one with a date.
Records awkwardRecords(qint64 dateKey)
{
    Records records;
    for (qsizetype i = 0; i < kAwkwardFiles.size(); ++i) {
        const AwkwardFile& f = kAwkwardFiles.at(i);
        records.push_back(record(f.fullName, f.extension, f.size, i % 2 ? kUnknownDateKey : dateKey));
    }
    return records;
}

// The rows an export of the awkward files with all columns and headers holds, its names indented in the tree layout.
QList<QStringList> awkwardRows(qint64 dateKey, bool tree)
{
    FileDateTexts dates(kLocale);
    QList<QStringList> rows = {{u"Name"_s, u"Extension"_s, u"Date"_s, u"Size"_s}};
    for (qsizetype i = 0; i < kAwkwardFiles.size(); ++i) {
        const AwkwardFile& f = kAwkwardFiles.at(i);
        rows.append({QString(u' ').repeated(tree ? 4 * f.level : 0) + f.fullName, f.extension,
                     i % 2 ? QString() : dates.text(dateKey), QString::number(f.size)});
    }
    return rows;
}

QStringList htmlPage(const QStringList& body)
{
    return QStringList{u"<html>"_s,
                       u"<head>"_s,
                       u"<title>BRINDLE - Tagscope</title>"_s,
                       u"<style>table, th, td {border-collapse: collapse; border: 1px solid #000}</style>"_s,
                       u"</head>"_s,
                       u"<body>"_s} +
           body + QStringList{u"</body>"_s, u"</html>"_s};
}

// Reads an export back with Python's own readers (csv, openpyxl, xlrd).
QJsonObject readBack(const QString& kind, const QString& fileName, const QString& separator = {})
{
    QProcess python;
    QStringList arguments{QStringLiteral(TAGSCOPE_SOURCE_DIR "/tests/core/export/readexport.py"), kind, fileName};
    if (!separator.isEmpty())
        arguments.append(separator);
    // Debian's own Python, where scripts/setup installs the readers.
    python.start(u"/usr/bin/python3"_s, arguments);
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        qWarning().noquote() << "the reader failed (scripts/setup installs python3-openpyxl and python3-xlrd):"
                             << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QJsonArray rowsOf(const QList<QStringList>& rows)
{
    QJsonArray array;
    for (const QStringList& row : rows)
        array.append(QJsonArray::fromStringList(row));
    return array;
}

} // namespace

class TestExportWriter : public QObject
{
    Q_OBJECT

private slots:
    // Every test has a folder of its own.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void textOutputs_data()
    {
        QTest::addColumn<ExportOptions>("options");
        QTest::addColumn<Records>("records");
        QTest::addColumn<QStringList>("lines");

        const ExportOutput txt = ExportOutput::Txt;
        const ExportOutput csv = ExportOutput::Csv;
        const ExportOutput html = ExportOutput::Html;

        QTest::newRow("TXT") << options(txt, u"NESh"_s) << twoFiles()
                             << QStringList{u"Name\tExtension\tSize"_s, u"/Photos/a.jpg\tJPG\t2048"_s,
                                            u"/Photos/Trip/b,c.png\tPNG\t-1"_s};
        QTest::newRow("CSV, comma: the name with a comma is quoted")
            << options(csv, u"NESh"_s) << twoFiles()
            << QStringList{u"Name,Extension,Size"_s, u"/Photos/a.jpg,JPG,2048"_s, u"\"/Photos/Trip/b,c.png\",PNG,-1"_s};
        QTest::newRow("CSV, semicolon: nothing quoted")
            << options(csv, u"NESh"_s, u';') << twoFiles()
            << QStringList{u"Name;Extension;Size"_s, u"/Photos/a.jpg;JPG;2048"_s, u"/Photos/Trip/b,c.png;PNG;-1"_s};
        QTest::newRow("CSV, labels never quoted")
            << options(csv, u"Nh"_s, u'a') << Records{record(u"/b.jpg"_s)} << QStringList{u"Name"_s, u"/b.jpg"_s};
        QTest::newRow("CSV, quotes doubled") << options(csv, u"N"_s) << Records{record(u"/say \"hi\".jpg"_s)}
                                             << QStringList{u"\"/say \"\"hi\"\".jpg\""_s};
        QTest::newRow("TXT, every column: the labels in the columns' order")
            << options(txt, u"NEDSh"_s) << twoFiles()
            << QStringList{u"Name\tExtension\tDate\tSize"_s, u"/Photos/a.jpg\tJPG\t\t2048"_s,
                           u"/Photos/Trip/b,c.png\tPNG\t\t-1"_s};
        QTest::newRow("TXT, only Size: no leading separator")
            << options(txt, u"S"_s) << twoFiles() << QStringList{u"2048"_s, u"-1"_s};
        QTest::newRow("CSV, Extension and Size: no leading separator")
            << options(csv, u"ESh"_s) << twoFiles() << QStringList{u"Extension,Size"_s, u"JPG,2048"_s, u"PNG,-1"_s};
        QTest::newRow("TXT, no column") << options(txt, u"h"_s) << twoFiles()
                                        << QStringList{QString(), QString(), QString()};
        QTest::newRow("TXT, empty list: the header alone")
            << options(txt, u"NSh"_s) << Records{} << QStringList{u"Name\tSize"_s};
        QTest::newRow("CSV, empty list, no header: the byte order mark alone")
            << options(csv, u"N"_s) << Records{} << QStringList{};
        QTest::newRow("TXT, tree") << options(txt, u"Nt"_s) << treeFiles()
                                   << QStringList{u"/A/x.jpg"_s, u"    /A/B/y.jpg"_s, u"        /A/B/C/z.jpg"_s,
                                                  u"/A/w.jpg"_s};
        QTest::newRow("TXT, tree, header not indented")
            << options(txt, u"NEht"_s) << Records{record(u"/A/x.jpg"_s, u"JPG"_s), record(u"/A/B/y.jpg"_s, u"JPG"_s)}
            << QStringList{u"Name\tExtension"_s, u"/A/x.jpg\tJPG"_s, u"    /A/B/y.jpg\tJPG"_s};
        QTest::newRow("TXT, tree from the deepest path: none indented")
            << options(txt, u"Nt"_s)
            << Records{record(u"/A/B/C/z.jpg"_s), record(u"/A/x.jpg"_s), record(u"/A/B/C/q.jpg"_s)}
            << QStringList{u"/A/B/C/z.jpg"_s, u"/A/x.jpg"_s, u"/A/B/C/q.jpg"_s};
        QTest::newRow("TXT, tree without the Name column: nothing indented")
            << options(txt, u"Et"_s) << Records{record(u"/A/x.jpg"_s, u"JPG"_s), record(u"/A/B/y.jpg"_s, u"JPG"_s)}
            << QStringList{u"JPG"_s, u"JPG"_s};
        QTest::newRow("CSV, tree: indented, then quoted")
            << options(csv, u"Nt"_s) << Records{record(u"/A/x.jpg"_s), record(u"/A/B/b,c.png"_s)}
            << QStringList{u"/A/x.jpg"_s, u"\"    /A/B/b,c.png\""_s};

        const Records hostile = {record(u"/in/<img src=x onerror=alert(1)>.jpg"_s, u"JPG"_s),
                                 record(u"/in/Tom & \"Jerry\".txt"_s, u"<B>"_s, 5)};
        QTest::newRow("HTML") << options(html, u"NESh"_s) << twoFiles()
                              << htmlPage({u"<table>"_s, u"<tr><th>Name</th><th>Extension</th><th>Size</th></tr>"_s,
                                           u"<tr><td>/Photos/a.jpg</td><td>JPG</td><td>2048</td></tr>"_s,
                                           u"<tr><td>/Photos/Trip/b,c.png</td><td>PNG</td><td>-1</td></tr>"_s,
                                           u"</table>"_s});
        QTest::newRow("HTML, hostile names are text")
            << options(html, u"NES"_s) << hostile
            << htmlPage({u"<table>"_s,
                         u"<tr><td>/in/&lt;img src=x onerror=alert(1)&gt;.jpg</td><td>JPG</td><td>-1</td></tr>"_s,
                         u"<tr><td>/in/Tom &amp; &quot;Jerry&quot;.txt</td><td>&lt;B&gt;</td><td>5</td></tr>"_s,
                         u"</table>"_s});
        QTest::newRow("HTML, a double quote alone is escaped")
            << options(html, u"NE"_s) << Records{record(u"/in/5\" disk.jpg"_s, u"\""_s)}
            << htmlPage({u"<table>"_s, u"<tr><td>/in/5&quot; disk.jpg</td><td>&quot;</td></tr>"_s, u"</table>"_s});
        QTest::newRow("HTML, tree: the units stay markup")
            << options(html, u"Nt"_s)
            << Records{record(u"/A/x.jpg"_s), record(u"/A/B/y&z.jpg"_s), record(u"/A/B/C/z.jpg"_s)}
            << htmlPage({u"<table>"_s, u"<tr><td>/A/x.jpg</td></tr>"_s,
                         u"<tr><td>"_s + u"&nbsp;"_s.repeated(4) + u"/A/B/y&amp;z.jpg</td></tr>"_s,
                         u"<tr><td>"_s + u"&nbsp;"_s.repeated(8) + u"/A/B/C/z.jpg</td></tr>"_s, u"</table>"_s});
        QTest::newRow("HTML, no column: empty rows")
            << options(html, u"h"_s) << twoFiles()
            << htmlPage({u"<table>"_s, u"<tr></tr>"_s, u"<tr></tr>"_s, u"<tr></tr>"_s, u"</table>"_s});
        QTest::newRow("HTML, empty list: no table")
            << options(html, u"Nh"_s) << Records{} << htmlPage({u"<tr><th>Name</th></tr>"_s});
    }

    void textOutputs()
    {
        QFETCH(ExportOptions, options);
        QFETCH(Records, records);
        QFETCH(QStringList, lines);

        const QString fileName = path(u"list.out"_s);
        const ExportResult result = WriteExport(fileName, options, records, kLocale, dir());
        QVERIFY(result.written);
        QCOMPARE(ReadWholeFile(fileName), textFile(lines));
    }

    // The Date column shows the text the list shows; a date that could not be read is empty.
    void dateColumn()
    {
        const qint64 key = QDateTime(QDate(2024, 2, 29), QTime(13, 5)).toSecsSinceEpoch();
        const Records records = {record(u"/a.jpg"_s, u"JPG"_s, 1, key), record(u"/b.jpg"_s, u"JPG"_s, 1)};
        const QString fileName = path(u"dates.txt"_s);
        QVERIFY(WriteExport(fileName, options(ExportOutput::Txt, u"ND"_s), records, kLocale, dir()).written);
        FileDateTexts dates(kLocale);
        QCOMPARE(ReadWholeFile(fileName), textFile({u"/a.jpg\t"_s + dates.text(key), u"/b.jpg\t"_s}));
        QVERIFY(dates.text(key).contains(u"29"_s));
    }

    void csvReadBack_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("tree");
        QTest::newRow("comma") << u","_s << false;
        QTest::newRow("semicolon") << u";"_s << false;
        QTest::newRow("comma, tree") << u","_s << true;
        QTest::newRow("semicolon, tree") << u";"_s << true;
    }

    // Python's csv module reads back exactly the column texts, whatever the names hold: one record per file, also
    // for a name with a line break.
    void csvReadBack()
    {
        QFETCH(QString, separator);
        QFETCH(bool, tree);
        const qint64 key = QDateTime(QDate(2024, 2, 29), QTime(13, 5)).toSecsSinceEpoch();
        const QString fileName = path(u"list.csv"_s);
        const ExportOptions o = options(ExportOutput::Csv, tree ? u"NEDSht"_s : u"NEDSh"_s, separator.at(0));
        QVERIFY(WriteExport(fileName, o, awkwardRecords(key), kLocale, dir()).written);
        QCOMPARE(readBack(u"csv"_s, fileName, separator).value(u"rows"_s).toArray(), rowsOf(awkwardRows(key, tree)));
    }

    void txtReadBack_data()
    {
        QTest::addColumn<bool>("tree");
        QTest::newRow("plain") << false;
        QTest::newRow("tree") << true;
    }

    // A TXT file is one line per file, split at CR LF, and one field per column, split at tabs: a tab, line feed or
    // carriage return of a text is written as its control picture.
    void txtReadBack()
    {
        QFETCH(bool, tree);
        const qint64 key = QDateTime(QDate(2024, 2, 29), QTime(13, 5)).toSecsSinceEpoch();
        const QString fileName = path(u"list.txt"_s);
        QVERIFY(WriteExport(fileName, options(ExportOutput::Txt, tree ? u"NEDSht"_s : u"NEDSh"_s), awkwardRecords(key),
                            kLocale, dir())
                    .written);
        const QByteArray bytes = ReadWholeFile(fileName);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF") && bytes.endsWith("\r\n"));
        QStringList lines = QString::fromUtf8(bytes.sliced(3, bytes.size() - 5)).split(u"\r\n"_s);
        QList<QStringList> rows;
        for (const QString& line : lines)
            rows.append(line.split(u'\t'));
        QList<QStringList> expected = awkwardRows(key, tree);
        for (QStringList& row : expected) {
            for (QString& field : row)
                field.replace(u'\t', u'\u2409').replace(u'\n', u'\u240A').replace(u'\r', u'\u240D');
        }
        QCOMPARE(rows, expected);
    }

    void spreadsheets_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::newRow(".xlsx") << u"list.xlsx"_s << u"zip"_s;
        QTest::newRow(".XLSX in capitals") << u"list.XLSX"_s << u"zip"_s;
        QTest::newRow(".xls") << u"list.xls"_s << u"compound"_s;
        QTest::newRow("any other name") << u"list.xlsx.bak"_s << u"compound"_s;
    }

    // The cells hold the fields as text, in their places, and the columns of the last line are 40 wide.
    void spreadsheets()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        const Records records = {record(u"/p/a.jpg"_s, u"JPG"_s, 2048), record(u"/p/b,c \"q\".png"_s, u"PNG"_s),
                                 record(u"/p/日本語 ünï.jpg"_s, QString(), 7), record(u"/p/two\nlines\t.jpg"_s, {}, 8)};
        const QString fileName = path(name);
        const ExportResult result =
            WriteExport(fileName, options(ExportOutput::Spreadsheet, u"NSh"_s), records, kLocale, dir());
        QCOMPARE(result.spreadsheetFailure, QString());
        QVERIFY(result.written);

        const QJsonObject sheet = readBack(kind == u"zip"_s ? u"xlsx"_s : u"xls"_s, fileName);
        QCOMPARE(sheet.value(u"kind"_s).toString(), kind);
        const QList<QStringList> expected = {{u"Name"_s, u"Size"_s},
                                             {u"/p/a.jpg"_s, u"2048"_s},
                                             {u"/p/b,c \"q\".png"_s, u"-1"_s},
                                             {u"/p/日本語 ünï.jpg"_s, u"7"_s},
                                             {u"/p/two\nlines\t.jpg"_s, u"8"_s}};
        QCOMPARE(sheet.value(u"rows"_s).toArray(), rowsOf(expected));
        QCOMPARE(sheet.value(u"formats"_s).toArray(), QJsonArray{u"@"_s});
        QCOMPARE(sheet.value(u"widths"_s).toObject(), (QJsonObject{{u"1"_s, 40}, {u"2"_s, 40}}));
        // Nothing of the work stays in the private folder.
        QCOMPARE(FolderEntries(dir()), QStringList{name});
    }

    void spreadsheetReadBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tree");
        QTest::newRow("XLS") << u"list.xls"_s << false;
        QTest::newRow("XLS, tree") << u"list.xls"_s << true;
        QTest::newRow("XLSX") << u"list.xlsx"_s << false;
        QTest::newRow("XLSX, tree") << u"list.xlsx"_s << true;
    }

    // The cells hold exactly the column texts, as the CSV fields hold them before quoting, whatever the names hold:
    // the separators, quotes, blanks, tabs and line breaks, and the blanks of the tree layout.
    void spreadsheetReadBack()
    {
        QFETCH(QString, name);
        QFETCH(bool, tree);
        const qint64 key = QDateTime(QDate(2024, 2, 29), QTime(13, 5)).toSecsSinceEpoch();
        const QString fileName = path(name);
        const ExportOptions o = options(ExportOutput::Spreadsheet, tree ? u"NEDSht"_s : u"NEDSh"_s);
        const ExportResult result = WriteExport(fileName, o, awkwardRecords(key), kLocale, dir());
        QCOMPARE(result.spreadsheetFailure, QString());
        const QJsonObject sheet = readBack(IsXlsxName(name) ? u"xlsx"_s : u"xls"_s, fileName);
        QCOMPARE(sheet.value(u"rows"_s).toArray(), rowsOf(awkwardRows(key, tree)));
    }

    // One column whose last text is empty: that row still has its one (empty) cell, so the column still gets its
    // width, unlike an export of no columns.
    void oneEmptyColumnLast_data() { spreadsheets_data(); }

    void oneEmptyColumnLast()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        const QString fileName = path(name);
        const Records records = {record(u"/x/a.jpg"_s, u"JPG"_s), record(u"/x/"_s)};
        QVERIFY(WriteExport(fileName, options(ExportOutput::Spreadsheet, u"Eh"_s), records, kLocale, dir()).written);
        const QJsonObject sheet = readBack(kind == u"zip"_s ? u"xlsx"_s : u"xls"_s, fileName);
        QCOMPARE(sheet.value(u"rows"_s).toArray(), rowsOf({{u"Extension"_s}, {u"JPG"_s}, {}}));
        QCOMPARE(sheet.value(u"widths"_s).toObject(), (QJsonObject{{u"1"_s, 40}}));
    }

    // With no column every line is empty: no cell, no width, and the workbook is still saved.
    void emptySpreadsheets_data() { spreadsheets_data(); }

    void emptySpreadsheets()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        const QString fileName = path(name);
        QVERIFY(WriteExport(fileName, options(ExportOutput::Spreadsheet, u"h"_s), twoFiles(), kLocale, dir()).written);
        const QJsonObject sheet = readBack(kind == u"zip"_s ? u"xlsx"_s : u"xls"_s, fileName);
        QCOMPARE(sheet.value(u"kind"_s).toString(), kind);
        QCOMPARE(sheet.value(u"rows"_s).toArray(), QJsonArray());
        QCOMPARE(sheet.value(u"widths"_s).toObject(), QJsonObject());
    }

    // An XLS workbook of the most rows it holds, with names long and short, Latin-1 and not, so that strings run on
    // over record boundaries and the compound file needs more than the header's FAT sectors.
    void xlsAtItsLimit()
    {
        Records records;
        const int count = kXlsMaxRows - 1; // the header takes the first row
        records.reserve(count);
        for (int i = 0; i < count; ++i) {
            const QString folder = i % 3 == 0 ? u"/photos/ä/"_s : (i % 3 == 1 ? u"/写真/"_s : u"/x/"_s);
            records.push_back(
                record(folder + QString(u'n').repeated(i % 97) + QString::number(i) + u".jpg"_s, u"JPG"_s, i));
        }
        const QString fileName = path(u"limit.xls"_s);
        const ExportResult result =
            WriteExport(fileName, options(ExportOutput::Spreadsheet, u"NEh"_s), records, kLocale, dir());
        QCOMPARE(result.spreadsheetFailure, QString());
        const QJsonArray rows = readBack(u"xls"_s, fileName).value(u"rows"_s).toArray();
        QCOMPARE(rows.size(), kXlsMaxRows);
        for (const int i : {0, 1, 2, 96, 1000, 40000, count - 1}) {
            const QJsonArray expected{records[std::size_t(i)].fullName(), u"JPG"_s};
            QCOMPARE(rows.at(i + 1).toArray(), expected);
        }
    }

    // One row more than XLS holds: the reason, suggesting XLSX, and the file that was there stays as it was.
    void xlsTooLong()
    {
        const Records records(kXlsMaxRows, record(u"/a.jpg"_s));
        const QString fileName = path(u"long.xls"_s);
        QVERIFY(WriteWholeFile(fileName, "before"));
        const ExportResult result =
            WriteExport(fileName, options(ExportOutput::Spreadsheet, u"Nh"_s), records, kLocale, dir());
        QVERIFY(!result.written);
        QVERIFY2(result.spreadsheetFailure.contains(u"65536"_s) && result.spreadsheetFailure.contains(u".xlsx"_s),
                 qPrintable(result.spreadsheetFailure));
        QCOMPARE(ReadWholeFile(fileName), QByteArray("before"));
        // Without the header the same list fits.
        QVERIFY(WriteExport(fileName, options(ExportOutput::Spreadsheet, u"N"_s), records, kLocale, dir()).written);
    }

    // The XLS writer itself takes 65,536 rows and refuses the next: its row numbers have 16 bits, so one more row
    // would land on the first.
    void xlsWriterRowLimit_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("the last row that fits") << kXlsMaxRows;
        QTest::newRow("one row more is refused") << kXlsMaxRows + 1;
    }

    void xlsWriterRowLimit()
    {
        QFETCH(int, rows);
        const QString fileName = path(u"rows.xls"_s);
        const std::unique_ptr<SpreadsheetWriter> writer = CreateXlsWriter(fileName);
        try {
            for (int r = 0; r < kXlsMaxRows; ++r)
                writer->addRow({QString::number(r)});
        } catch (const TagscopeError& error) {
            QFAIL(qPrintable(error.message()));
        }
        if (rows > kXlsMaxRows) {
            try {
                writer->addRow({u"one too many"_s});
                QFAIL("the XLS writer took a row past its limit");
            } catch (const TagscopeError& error) {
                QVERIFY2(error.message().contains(u"65536"_s) && error.message().contains(fileName),
                         qPrintable(error.message()));
            }
        }
        writer->finish();
        const QJsonArray read = readBack(u"xls"_s, fileName).value(u"rows"_s).toArray();
        QCOMPARE(read.size(), kXlsMaxRows);
        QCOMPARE(read.first().toArray(), QJsonArray{u"0"_s});
        QCOMPARE(read.last().toArray(), QJsonArray{QString::number(kXlsMaxRows - 1)});
    }

    // A cell's text has a 16-bit length in an XLS workbook: the longest that fits is written whole, also when its
    // characters run on over many records; one character more is refused rather than cut to its low bits.
    void xlsWriterTextLength_data()
    {
        QTest::addColumn<QChar>("character");
        QTest::addColumn<int>("length");
        QTest::newRow("Latin-1, the longest that fits") << QChar(u'\u00E4') << 65535;
        QTest::newRow("beyond Latin-1, the longest that fits") << QChar(u'\u5B57') << 65535;
        QTest::newRow("one character more is refused") << QChar(u'\u00E4') << 65536;
    }

    void xlsWriterTextLength()
    {
        QFETCH(QChar, character);
        QFETCH(int, length);
        const QString fileName = path(u"text.xls"_s);
        const QString text = QString(length, character);
        const std::unique_ptr<SpreadsheetWriter> writer = CreateXlsWriter(fileName);
        writer->addRow({u"before"_s, text, u"after"_s});
        if (length > 65535) {
            try {
                writer->finish();
                QFAIL("the XLS writer took a text longer than its length field");
            } catch (const TagscopeError& error) {
                QVERIFY2(error.message().contains(fileName) && error.message().contains(u"65536"_s) &&
                             error.message().contains(u"65535"_s),
                         qPrintable(error.message()));
            }
            QVERIFY(!QFile::exists(fileName));
            return;
        }
        writer->finish();
        QCOMPARE(readBack(u"xls"_s, fileName).value(u"rows"_s).toArray(), rowsOf({{u"before"_s, text, u"after"_s}}));
    }

    // A compound file names its stream in at most 31 characters: a longer name is refused before anything is written,
    // not cut short.
    void compoundFileStreamName_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("the longest name that fits") << 31;
        QTest::newRow("one character more is refused") << 32;
    }

    void compoundFileStreamName()
    {
        QFETCH(int, length);
        const QString name = QString(length, u'w');
        QBuffer out;
        QVERIFY(out.open(QIODevice::WriteOnly));
        try {
            QVERIFY(WriteCompoundFile(out, name, {QByteArray("data")}));
            QVERIFY2(length <= 31, "a name longer than its field was taken");
            // The directory follows the header and the stream's 4,096 bytes; its second entry is the stream's.
            const QByteArray entry = out.data().mid(512 + 4096 + 128, 128);
            QCOMPARE(entry.first(2 * length), QByteArray(reinterpret_cast<const char*>(name.utf16()), 2 * length));
            QCOMPARE(entry.mid(64, 2), QByteArray("\x40\x00", 2)); // 32 units with the terminating zero, in bytes
        } catch (const TagscopeError& error) {
            QVERIFY2(length > 31, qPrintable(error.message()));
            QVERIFY2(error.message().contains(name), qPrintable(error.message()));
            QCOMPARE(out.data(), QByteArray());
        }
    }

    void cannotCreate_data()
    {
        QTest::addColumn<ExportOutput>("output");
        QTest::addColumn<QString>("name");
        QTest::newRow("TXT") << ExportOutput::Txt << u"list.txt"_s;
        QTest::newRow("CSV") << ExportOutput::Csv << u"list.csv"_s;
        QTest::newRow("HTML") << ExportOutput::Html << u"list.html"_s;
        QTest::newRow("XLSX") << ExportOutput::Spreadsheet << u"list.xlsx"_s;
        QTest::newRow("XLS") << ExportOutput::Spreadsheet << u"list.xls"_s;
    }

    // A folder that is missing or read-only: a text file raises the error the general report shows, a spreadsheet
    // gives its reason; nothing is left behind either way.
    void cannotCreate()
    {
        QFETCH(ExportOutput, output);
        QFETCH(QString, name);
        const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner |
                              QFile::ExeGroup | QFile::ExeOther;
        const auto writable = readable | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        const QString locked = path(u"locked"_s);
        const QString work = path(u"work"_s); // the private folder, where a workbook is made
        QVERIFY(QDir().mkdir(locked) && QDir().mkdir(work));
        QVERIFY(QFile::setPermissions(locked, readable) && QFile::setPermissions(work, writable) &&
                QFile::setPermissions(dir(), readable));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        // Root writes into any folder; the test then runs as an unprivileged user.
        UnprivilegedScope unprivileged;
        if (!unprivileged.ok())
            QSKIP("running as root, and the user \"nobody\" cannot be taken on");
        if (!QFileInfo(work).isWritable())
            QSKIP("the unprivileged user cannot reach the temporary folder");

        for (const QString& folder : {locked, path(u"missing"_s)}) {
            const QString fileName = folder + u'/' + name;
            QString message;
            try {
                const ExportResult result = WriteExport(fileName, options(output, u"Nh"_s), twoFiles(), kLocale, work);
                QVERIFY(!result.written);
                message = result.spreadsheetFailure;
            } catch (const TagscopeError& error) {
                QVERIFY(output != ExportOutput::Spreadsheet);
                message = error.message();
                QVERIFY2(message.startsWith(u"Cannot create file \"%1\". "_s.arg(fileName)), qPrintable(message));
            }
            // The reason follows the name.
            QVERIFY2(message.size() > fileName.size() + 25 && message.contains(fileName), qPrintable(message));
            QVERIFY(!QFile::exists(fileName));
        }
        QCOMPARE(FolderEntries(locked), QStringList());
        QCOMPARE(FolderEntries(work), QStringList());
    }

    // A folder the user may not write takes no temporary file: a file there that the user may write is replaced with
    // the whole new export, written in place; a new file there is refused.
    void readOnlyFolder_data() { cannotCreate_data(); }

    void readOnlyFolder()
    {
        QFETCH(ExportOutput, output);
        QFETCH(QString, name);
        const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner |
                              QFile::ExeGroup | QFile::ExeOther;
        const auto writable = readable | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        const QString locked = path(u"locked"_s);
        const QString work = path(u"work"_s); // the private folder, where a workbook is made
        QVERIFY(QDir().mkdir(locked) && QDir().mkdir(work));
        const QString fileName = locked + u'/' + name;
        // Longer than any of the exports, so that a file not cut to the new length shows.
        QVERIFY(WriteWholeFile(fileName, QByteArray(64 * 1024, 'x')));
        QVERIFY(QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                    QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
        QVERIFY(QFile::setPermissions(locked, readable) && QFile::setPermissions(work, writable) &&
                QFile::setPermissions(dir(), readable));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        const QString newName = locked + u"/new-"_s + name;
        {
            // Root writes into any folder; the test then runs as an unprivileged user.
            UnprivilegedScope unprivileged;
            if (!unprivileged.ok())
                QSKIP("running as root, and the user \"nobody\" cannot be taken on");
            if (!QFileInfo(work).isWritable())
                QSKIP("the unprivileged user cannot reach the temporary folder");

            ExportResult result;
            try {
                result = WriteExport(fileName, options(output, u"NSh"_s), twoFiles(), kLocale, work);
            } catch (const TagscopeError& error) {
                QFAIL(qPrintable(error.message()));
            }
            QCOMPARE(result.spreadsheetFailure, QString());
            QVERIFY(result.written);

            try {
                const ExportResult refused = WriteExport(newName, options(output, u"NSh"_s), twoFiles(), kLocale, work);
                QVERIFY(!refused.written);
                QVERIFY2(refused.spreadsheetFailure.contains(newName), qPrintable(refused.spreadsheetFailure));
            } catch (const TagscopeError& error) {
                QVERIFY(output != ExportOutput::Spreadsheet);
                QVERIFY2(error.message().startsWith(u"Cannot create file \"%1\". "_s.arg(newName)),
                         qPrintable(error.message()));
            }
        }
        QCOMPARE(FolderEntries(locked), QStringList{name});
        QCOMPARE(FolderEntries(work), QStringList());

        const QByteArray bytes = ReadWholeFile(fileName);
        QVERIFY(!bytes.contains(QByteArray(16, 'x')));
        if (output == ExportOutput::Spreadsheet) {
            const QJsonObject sheet = readBack(IsXlsxName(name) ? u"xlsx"_s : u"xls"_s, fileName);
            QCOMPARE(sheet.value(u"rows"_s).toArray(), rowsOf({{u"Name"_s, u"Size"_s},
                                                               {u"/Photos/a.jpg"_s, u"2048"_s},
                                                               {u"/Photos/Trip/b,c.png"_s, u"-1"_s}}));
        } else {
            // The same export where it could be written as usual.
            const QTemporaryDir elsewhere;
            const QString reference = elsewhere.filePath(name);
            QVERIFY(WriteExport(reference, options(output, u"NSh"_s), twoFiles(), kLocale, elsewhere.path()).written);
            QCOMPARE(bytes, ReadWholeFile(reference));
        }
    }

    // A stop ends the export and leaves the file at the name as it was, for every output.
    void stopKeepsThePreviousFile_data() { cannotCreate_data(); }

    void stopKeepsThePreviousFile()
    {
        QFETCH(ExportOutput, output);
        QFETCH(QString, name);
        const QString fileName = path(name);
        QVERIFY(WriteWholeFile(fileName, "the previous export"));
        const Records records(5000, record(u"/a.jpg"_s));
        std::stop_source stop;
        stop.request_stop();
        std::atomic<qint64> rows = -1;
        const ExportResult result =
            WriteExport(fileName, options(output, u"N"_s), records, kLocale, dir(), &rows, stop.get_token());
        QVERIFY(result.stopped);
        QVERIFY(!result.written);
        QCOMPARE(ReadWholeFile(fileName), QByteArray("the previous export"));
        QCOMPARE(FolderEntries(dir()), QStringList{name});
    }

    // A complete export replaces the previous file and counts every row.
    void replacesThePreviousFile_data() { cannotCreate_data(); }

    void replacesThePreviousFile()
    {
        QFETCH(ExportOutput, output);
        QFETCH(QString, name);
        const QString fileName = path(name);
        QVERIFY(WriteWholeFile(fileName, "the previous export"));
        const Records records(3000, record(u"/a.jpg"_s));
        std::atomic<qint64> rows = -1;
        QVERIFY(WriteExport(fileName, options(output, u"N"_s), records, kLocale, dir(), &rows).written);
        QCOMPARE(rows.load(), qint64(records.size()));
        QVERIFY(ReadWholeFile(fileName).size() > 3000);
        QCOMPARE(FolderEntries(dir()), QStringList{name});
    }

    // The snapshot is the list at one moment, in its order, while a scan goes on appending; the export then writes
    // that moment's rows.
    void snapshotDuringAppends()
    {
        FileRecords list;
        constexpr int kBatches = 400;
        constexpr int kPerBatch = 50;
        std::jthread scan([&] {
            for (int b = 0; b < kBatches; ++b) {
                std::vector<TMyRecord> batch;
                for (int i = 0; i < kPerBatch; ++i) {
                    TMyRecord r;
                    r.FFolder = u"/scan/"_s;
                    r.FName = QString::number(b * kPerBatch + i) + u".jpg"_s;
                    r.FExtension = u"JPG"_s;
                    r.FSize = b * kPerBatch + i;
                    batch.push_back(std::move(r));
                }
                list.append(batch);
            }
        });
        const QString fileName = path(u"during.csv"_s);
        std::size_t last = 0;
        for (int round = 0; round < 50 || last < std::size_t(kBatches * kPerBatch); ++round) {
            const ExportRows snapshot = ExportSnapshot(list);
            QVERIFY(snapshot.size() >= last);
            QCOMPARE(snapshot.size() % kPerBatch, 0u);
            last = snapshot.size();
            for (std::size_t i = 0; i < snapshot.size(); i += 997)
                QCOMPARE(snapshot[i].size, qint64(i));
            QVERIFY(WriteExport(fileName, options(ExportOutput::Csv, u"NS"_s), snapshot, kLocale, dir()).written);
            const QByteArray bytes = ReadWholeFile(fileName);
            QCOMPARE(bytes.count("\r\n"), qsizetype(snapshot.size()));
            if (round > 100000)
                QFAIL("the scan never ended");
        }
        scan.join();
        QCOMPARE(last, std::size_t(kBatches * kPerBatch));
    }

private:
    QString dir() const { return m_dir->path(); }
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestExportWriter)
#include "tst_exportwriter.moc"
