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

    void splitDelimited_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QStringList>("fields");

        QTest::newRow("empty line has no fields") << QString() << QChar(u',') << QStringList{};
        QTest::newRow("one field") << u"Name"_s << QChar(u',') << QStringList{u"Name"_s};
        QTest::newRow("three fields") << u"/a.jpg,JPG,2048"_s << QChar(u',')
                                      << QStringList{u"/a.jpg"_s, u"JPG"_s, u"2048"_s};
        QTest::newRow("quoted field with the separator")
            << u"\"/Trip/b,c.png\",PNG,-1"_s << QChar(u',') << QStringList{u"/Trip/b,c.png"_s, u"PNG"_s, u"-1"_s};
        QTest::newRow("doubled quotes") << u"\"say \"\"hi\"\"\";x"_s << QChar(u';')
                                        << QStringList{u"say \"hi\""_s, u"x"_s};
        QTest::newRow("separator at the end adds an empty field")
            << u"/a.jpg,"_s << QChar(u',') << QStringList{u"/a.jpg"_s, QString()};
        QTest::newRow("empty field in the middle")
            << u"a,,b"_s << QChar(u',') << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("blanks are ordinary") << u" a , b "_s << QChar(u',') << QStringList{u" a "_s, u" b "_s};
        QTest::newRow("the other separator is text") << u"a,b;c"_s << QChar(u';') << QStringList{u"a,b"_s, u"c"_s};
        QTest::newRow("quoted empty field") << u"\"\",x"_s << QChar(u',') << QStringList{QString(), u"x"_s};
        QTest::newRow("unclosed quote runs to the end") << u"\"a,b"_s << QChar(u',') << QStringList{u"a,b"_s};
    }

    void splitDelimited()
    {
        QFETCH(QString, line);
        QFETCH(QChar, separator);
        QFETCH(QStringList, fields);
        QCOMPARE(SplitDelimited(line, separator), fields);
    }

    // Every line the export builds splits back into exactly its column texts.
    void splitUndoesTheLineBuilding()
    {
        const QStringList names = {u"/plain.jpg"_s,        u"/b,c.png"_s,     u"/b;c.png"_s, u"/\"q\".jpg"_s,
                                   u"/a,\"b\";c.jpg"_s,    u"/ blank .jpg"_s, u"/\".jpg"_s,  u"/,"_s,
                                   u"/two\r\nlines.jpg"_s, u"/\n"_s,          u"/\r"_s};
        for (const QChar separator : {QChar(u','), QChar(u';')}) {
            ExportOptions options;
            options.output = ExportOutput::Csv;
            options.listSeparator = separator;
            options.extension = true;
            options.size = true;
            ExportLineBuilder builder(options, QLocale(QLocale::English, QLocale::UnitedStates));
            for (const QString& name : names) {
                const ExportRecord record{u"/x"_s, name, u"A\"B,C;"_s, kUnknownDateKey, 7};
                const QStringList fields = builder.rowCells(record);
                QCOMPARE(SplitDelimited(builder.line(record), separator), fields);
            }
        }
    }

    // A line of one empty field is as empty as a line of no fields; the cells still hold the one field. The first row
    // is the fuzz input fuzz/corpus/splitdelimited/extension-only-empty.
    void cellsOfBuiltLines_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("cells");

        QTest::newRow("one empty column") << u"E"_s << QString() << QString() << QStringList{QString()};
        QTest::newRow("no column") << QString() << u"a.jpg"_s << u"jpg"_s << QStringList{};
        QTest::newRow("one column") << u"N"_s << u"a.jpg"_s << u"jpg"_s << QStringList{u"/x/a.jpg"_s};
        QTest::newRow("two empty columns") << u"ED"_s << QString() << QString() << QStringList{QString(), QString()};
        QTest::newRow("a lone double quote") << u"E"_s << QString() << u"\""_s << QStringList{u"\""_s};
    }

    void cellsOfBuiltLines()
    {
        QFETCH(QString, columns);
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QStringList, cells);
        ExportOptions options;
        options.output = ExportOutput::Csv;
        options.name = columns.contains(u'N');
        options.extension = columns.contains(u'E');
        options.date = columns.contains(u'D');
        ExportLineBuilder builder(options, QLocale(QLocale::English, QLocale::UnitedStates));
        const ExportRecord record{u"/x/"_s, name, extension, kUnknownDateKey, -1};
        QCOMPARE(builder.rowCells(record), cells);
        QCOMPARE(builder.cells(builder.line(record)), cells);
        QCOMPARE(builder.cells(builder.header()).size(), cells.size());
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
