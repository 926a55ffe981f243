#include "core/export/exportlines.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestExportLines : public QObject
{
    Q_OBJECT

private slots:
    void quoteCsvField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("field");

        QTest::newRow("plain") << u"/Photos/a.jpg"_s << QChar(u',') << u"/Photos/a.jpg"_s;
        QTest::newRow("empty") << QString() << QChar(u',') << QString();
        QTest::newRow("separator") << u"/Trip/b,c.png"_s << QChar(u',') << u"\"/Trip/b,c.png\""_s;
        QTest::newRow("other separator") << u"/Trip/b,c.png"_s << QChar(u';') << u"/Trip/b,c.png"_s;
        QTest::newRow("separator and quotes") << u"a;\"b\""_s << QChar(u';') << u"\"a;\"\"b\"\"\""_s;
        QTest::newRow("quotes alone") << u"say \"hi\".txt"_s << QChar(u',') << u"\"say \"\"hi\"\".txt\""_s;
        QTest::newRow("blanks and tab stay bare") << u" a\tb c "_s << QChar(u',') << u" a\tb c "_s;
        QTest::newRow("CR LF") << u"a\r\nb"_s << QChar(u',') << u"\"a\r\nb\""_s;
        QTest::newRow("LF alone") << u"a\n"_s << QChar(u';') << u"\"a\n\""_s;
        QTest::newRow("CR alone, with quotes") << u"\r\"x\""_s << QChar(u',') << u"\"\r\"\"x\"\"\""_s;
    }

    void quoteCsvField()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(QString, field);
        QCOMPARE(QuoteCsvField(text, separator), field);
    }

    void treeLayout_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("baseline");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("indented");

        QTest::newRow("at the baseline") << u"/A/x.jpg"_s << u" "_s << 2 << 2 << u"/A/x.jpg"_s;
        QTest::newRow("one level deeper") << u"/A/B/y.jpg"_s << u" "_s << 2 << 3 << u"    /A/B/y.jpg"_s;
        QTest::newRow("two levels, HTML unit")
            << u"/A/B/C/z.jpg"_s << u"&nbsp;"_s << 2 << 4 << u"&nbsp;"_s.repeated(8) + u"/A/B/C/z.jpg"_s;
        QTest::newRow("shallower than the baseline") << u"/A/w.jpg"_s << u" "_s << 4 << 2 << u"/A/w.jpg"_s;
        QTest::newRow("network share counts its two leading separators")
            << u"//server/share/f.txt"_s << u" "_s << 4 << 4 << u"//server/share/f.txt"_s;
        QTest::newRow("backslash is an ordinary character here")
            << u"/A/b\\c.jpg"_s << u" "_s << 1 << 2 << u"    /A/b\\c.jpg"_s;
        QTest::newRow("no separator at all") << u"x.jpg"_s << u" "_s << 0 << 0 << u"x.jpg"_s;
    }

    void treeLayout()
    {
        QFETCH(QString, path);
        QFETCH(QString, unit);
        QFETCH(int, baseline);
        QFETCH(int, depth);
        QFETCH(QString, indented);
        QCOMPARE(KacTaneSlashVar(path), depth);
        QCOMPARE(TreeviewYap(path, unit, baseline), indented);
    }

    // A spreadsheet row has one cell per checked column, even when its text is empty (a row of one empty cell, whose
    // CSV line is as empty as a line of no columns, still fills its column), and the cells hold the texts unquoted.
    void spreadsheetCells_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QStringList>("cells");

        QTest::newRow("one empty column")
            << u"E"_s << QString() << QString() << QStringList{u"Extension"_s} << QStringList{QString()};
        QTest::newRow("no column") << QString() << u"a.jpg"_s << u"jpg"_s << QStringList{} << QStringList{};
        QTest::newRow("one column") << u"N"_s << u"a.jpg"_s << u"jpg"_s << QStringList{u"Name"_s}
                                    << QStringList{u"/x/a.jpg"_s};
        QTest::newRow("two empty columns")
            << u"ED"_s << QString() << QString() << QStringList{u"Extension"_s, u"Date"_s}
            << QStringList{QString(), QString()};
        QTest::newRow("a lone double quote")
            << u"E"_s << QString() << u"\""_s << QStringList{u"Extension"_s} << QStringList{u"\""_s};
        QTest::newRow("separators and quotes stay as they are")
            << u"NES"_s << u"b,c \"q\";d.png"_s << u"P,G"_s << QStringList{u"Name"_s, u"Extension"_s, u"Size"_s}
            << QStringList{u"/x/b,c \"q\";d.png"_s, u"P,G"_s, u"-1"_s};
    }

    void spreadsheetCells()
    {
        QFETCH(QString, columns);
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QStringList, header);
        QFETCH(QStringList, cells);
        ExportOptions options;
        options.output = ExportOutput::Spreadsheet;
        options.name = columns.contains(u'N');
        options.extension = columns.contains(u'E');
        options.date = columns.contains(u'D');
        options.size = columns.contains(u'S');
        ExportLineBuilder builder(options, QLocale(QLocale::English, QLocale::UnitedStates));
        const ExportRecord record{u"/x/"_s, name, extension, kUnknownDateKey, -1};
        QCOMPARE(builder.headerCells(), header);
        QCOMPARE(builder.rowCells(record), cells);
    }

    void htmlEscaped()
    {
        QCOMPARE(HtmlEscaped(u"<img src=x onerror=alert(1)>&\"'.jpg"_s),
                 u"&lt;img src=x onerror=alert(1)&gt;&amp;&quot;'.jpg"_s);
        QCOMPARE(HtmlEscaped(u"&amp;"_s), u"&amp;amp;"_s);
    }
};

QTEST_GUILESS_MAIN(TestExportLines)
#include "tst_exportlines.moc"
