#include "core/metadata/argumentfile.h"
#include "support/taggedfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString exifTool = QStringLiteral("exiftool");

// What ExifTool makes of the arguments: each is echoed on a line of its own.
QByteArray echoedBy(const QStringList& programArguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(exifTool, programArguments);
    if (!process.waitForStarted(30000))
        return "<no start>";
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return "<no end>";
    return process.readAllStandardOutput();
}

} // namespace

class TestArgumentFile : public QObject
{
    Q_OBJECT

private slots:
    void argumentLine_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("line");

        QTest::newRow("plain path") << QStringLiteral("/tmp/a b.jpg") << QStringLiteral("/tmp/a b.jpg");
        QTest::newRow("shell characters stay plain") << QStringLiteral("/tmp/$(touch x) `y`; \"q\" @a %d.jpg")
                                                     << QStringLiteral("/tmp/$(touch x) `y`; \"q\" @a %d.jpg");
        QTest::newRow("outside ASCII") << QString::fromUtf8("/tmp/\xC3\x9C\xC3\xAF \xE6\x97\xA5.jpg")
                                       << QString::fromUtf8("/tmp/\xC3\x9C\xC3\xAF \xE6\x97\xA5.jpg");
        QTest::newRow("CR inside stays plain") << QStringLiteral("/tmp/a\rb") << QStringLiteral("/tmp/a\rb");
        QTest::newRow("line break then option")
            << QStringLiteral("/tmp/x\n-w!\ny.jpg") << QStringLiteral("#[CSTR]/tmp/x\\n-w!\\ny.jpg");
        QTest::newRow("leading blank") << QStringLiteral(" a.jpg") << QStringLiteral("#[CSTR] a.jpg");
        QTest::newRow("leading tab") << QStringLiteral("\ta.jpg") << QStringLiteral("#[CSTR]\ta.jpg");
        QTest::newRow("leading #") << QStringLiteral("#a.jpg") << QStringLiteral("#[CSTR]#a.jpg");
        QTest::newRow("trailing CR") << QStringLiteral("/tmp/a\r") << QStringLiteral("#[CSTR]/tmp/a\\r");
        QTest::newRow("backslashes escaped")
            << QStringLiteral("/tmp/\\n\n\\") << QStringLiteral("#[CSTR]/tmp/\\\\n\\n\\\\");
        QTest::newRow("double quotes escaped")
            << QStringLiteral("/tmp/\"q\"\n") << QStringLiteral("#[CSTR]/tmp/\\\"q\\\"\\n");
        QTest::newRow("option with blanks around =")
            << QStringLiteral("-Comment = x") << QStringLiteral("#[CSTR]-Comment = x");
        QTest::newRow("option with =") << QStringLiteral("-Comment=x") << QStringLiteral("-Comment=x");
        QTest::newRow("empty") << QString() << QStringLiteral("#[CSTR]");
    }

    void argumentLine()
    {
        QFETCH(QString, argument);
        QFETCH(QString, line);
        QCOMPARE(ArgumentLine(argument), std::optional<QString>(line));
    }

    void argumentsWithoutALineForm_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("line break and $") << QStringLiteral("/tmp/x\n$HOME.jpg");
        QTest::newRow("line break and @") << QStringLiteral("/tmp/x\n@y.jpg");
        QTest::newRow("leading blank and $") << QStringLiteral(" $a");
    }

    void argumentsWithoutALineForm()
    {
        QFETCH(QString, argument);
        QCOMPARE(ArgumentLine(argument), std::nullopt);
        QCOMPARE(ArgumentFileContents({QStringLiteral("-echo"), argument}), std::nullopt);
        QCOMPARE(StayOpenCommand({QStringLiteral("-echo"), argument}, 1), std::nullopt);
    }

    // ExifTool itself reads every line back as the argument it stands for, from a file and from a resident
    // process's standard input.
    void exifToolReadsTheArgumentBack_data() { argumentLine_data(); }

    void exifToolReadsTheArgumentBack()
    {
        QFETCH(QString, argument);
        const QStringList arguments{QStringLiteral("-echo"), argument};
        const QByteArray expected = argument.toUtf8() + '\n';

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString argumentFile = folder.filePath(QStringLiteral("args.txt"));
        QVERIFY(WriteNewFile(argumentFile, ArgumentFileContents(arguments).value()));
        QCOMPARE(echoedBy({QStringLiteral("-@"), argumentFile}), expected);

        const QByteArray input = StayOpenCommand(arguments, 7).value() + "-stay_open\nFalse\n";
        QCOMPARE(
            echoedBy({QStringLiteral("-stay_open"), QStringLiteral("True"), QStringLiteral("-@"), QStringLiteral("-")},
                     input),
            expected + "{ready7}\n");
    }

    void reportArgumentFile()
    {
        const QStringList arguments =
            ReportArguments(QStringLiteral("/run/t/brindlescope2.txt"), QStringLiteral("/p/a%f.jpg"));
        QCOMPARE(arguments, (QStringList{QStringLiteral("-charset"), QStringLiteral("UTF8"), QStringLiteral("-w!"),
                                         QStringLiteral("/run/t/brindlescope2.txt%0f"), QStringLiteral("/p/a%f.jpg")}));
        QCOMPARE(ArgumentFileContents(arguments).value(),
                 QByteArray("\xEF\xBB\xBF-charset\r\nUTF8\r\n-w!\r\n/run/t/brindlescope2.txt%0f\r\n/p/a%f.jpg\r\n"));
        QCOMPARE(StayOpenCommand(arguments, 12).value(),
                 QByteArray("-charset\nUTF8\n-w!\n/run/t/brindlescope2.txt%0f\n/p/a%f.jpg\n-execute12\n"));
    }

    void exifToolWritesWhereThePatternSays_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::newRow("no percent") << QStringLiteral("plain");
        QTest::newRow("file name codes") << QStringLiteral("t%d%f%e%0f");
        QTest::newRow("doubled percent") << QStringLiteral("a%%b");
        QTest::newRow("copy numbers") << QStringLiteral("%c%5c%.3c%-C%+2luc");
        QTest::newRow("trailing percent") << QStringLiteral("z%");
    }

    // The report of -w! and the copy of -o land at exactly the path given, whatever "%" it holds.
    void exifToolWritesWhereThePatternSays()
    {
        QFETCH(QString, folderName);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QDir folder(root.filePath(folderName));
        QVERIFY(folder.mkpath(QStringLiteral(".")));
        QTemporaryDir pictures;
        const QString source = pictures.filePath(QStringLiteral("Canon.jpg"));
        QVERIFY_MADE(MakeTaggedJpeg(source));
        const QString report = folder.filePath(QStringLiteral("brindlescope2.txt"));
        const QString copy = folder.filePath(QStringLiteral("brindlescope.tmp"));

        QProcess exifToolRun;
        exifToolRun.start(exifTool, ReportArguments(report, source));
        QVERIFY(exifToolRun.waitForFinished(60000));
        exifToolRun.start(exifTool,
                          {QStringLiteral("-all="), QStringLiteral("-o"), EscapeExifToolPattern(copy), source});
        QVERIFY(exifToolRun.waitForFinished(60000));

        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral("brindlescope.tmp"), QStringLiteral("brindlescope2.txt")}));
        QCOMPARE(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{folderName});
    }

    void writeNewFileNeverReplaces()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString name = folder.filePath(QStringLiteral("brindlescope1.txt"));
        QVERIFY(WriteNewFile(name, "first"));
        QVERIFY(!WriteNewFile(name, "second"));
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("first"));
        // A planted link is not followed either.
        const QString link = folder.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("elsewhere.txt")), link));
        QVERIFY(!WriteNewFile(link, "x"));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("elsewhere.txt"))));
    }
};

QTEST_GUILESS_MAIN(TestArgumentFile)
#include "tst_argumentfile.moc"
