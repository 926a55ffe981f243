#include "core/metadata/metadataexport.h"

#include "core/base/errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contentsOf(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestMetadataExport : public QObject
{
    Q_OBJECT

private slots:
    void quoteMetadataField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("quoted");

        QTest::newRow("plain") << QStringLiteral("a.jpg") << QChar(u',') << QStringLiteral("a.jpg");
        QTest::newRow("empty") << QString() << QChar(u',') << QString();
        QTest::newRow("separator") << QStringLiteral("red, blue") << QChar(u',') << QStringLiteral("\"red, blue\"");
        QTest::newRow("other separator") << QStringLiteral("red, blue") << QChar(u';') << QStringLiteral("red, blue");
        QTest::newRow("double quotes") << QStringLiteral("say \"hi\"") << QChar(u',')
                                       << QStringLiteral("\"say \"\"hi\"\"\"");
        QTest::newRow("LF") << QStringLiteral("a\nb") << QChar(u';') << QStringLiteral("\"a\nb\"");
        QTest::newRow("CR") << QStringLiteral("a\rb") << QChar(u';') << QStringLiteral("\"a\rb\"");
    }

    void quoteMetadataField()
    {
        QFETCH(QString, field);
        QFETCH(QChar, separator);
        QFETCH(QString, quoted);
        QCOMPARE(QuoteMetadataField(field, separator), quoted);
    }

    void csvRows_data()
    {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("name and value trimmed") << QStringLiteral("File Name      : a.jpg\r\n") << QChar(u',')
                                                << QStringList{QStringLiteral("File Name,a.jpg")};
        QTest::newRow("first colon only") << QStringLiteral("Modify Date : 2020:01:02 10:11:12\r\n") << QChar(u',')
                                          << QStringList{QStringLiteral("Modify Date,2020:01:02 10:11:12")};
        QTest::newRow("value with the separator") << QStringLiteral("Colors : red, blue\r\n") << QChar(u',')
                                                  << QStringList{QStringLiteral("Colors,\"red, blue\"")};
        QTest::newRow("value with double quotes") << QStringLiteral("Title : a \"b\"\r\n") << QChar(u',')
                                                  << QStringList{QStringLiteral("Title,\"a \"\"b\"\"\"")};
        QTest::newRow("no colon, empty line")
            << QStringLiteral("----\r\n\r\n") << QChar(u',') << QStringList{QStringLiteral(","), QStringLiteral(",")};
        QTest::newRow("no final line break") << QStringLiteral("A : 1\r\nB : 2") << QChar(u',')
                                             << QStringList{QStringLiteral("A,1"), QStringLiteral("B,2")};
        QTest::newRow("semicolon: comma unquoted") << QStringLiteral("Colors : red, blue\r\n") << QChar(u';')
                                                   << QStringList{QStringLiteral("Colors;red, blue")};
        QTest::newRow("semicolon: semicolon quoted") << QStringLiteral("Colors : red; blue\r\n") << QChar(u';')
                                                     << QStringList{QStringLiteral("Colors;\"red; blue\"")};
        QTest::newRow("control characters trimmed, no-break space kept")
            << QString::fromUtf8("\tKey\x01 :\xC2\xA0v \x1F\r\n") << QChar(u',')
            << QStringList{QString::fromUtf8("Key,\xC2\xA0v")};
        QTest::newRow("colon first") << QStringLiteral(": v\r\n") << QChar(u',') << QStringList{QStringLiteral(",v")};
    }

    void csvRows()
    {
        QFETCH(QString, pane);
        QFETCH(QChar, separator);
        QFETCH(QStringList, rows);
        QCOMPARE(MetadataCsvRows(pane, separator), rows);
    }

    void txtLinesAreThePaneLines()
    {
        QCOMPARE(MetadataTxtLines(QStringLiteral("A : 1\r\n\r\nB:2\rC\nD")),
                 (QStringList{QStringLiteral("A : 1"), QString(), QStringLiteral("B:2"), QStringLiteral("C"),
                              QStringLiteral("D")}));
    }

    void writesUtf8WithCrLfAndNoBom()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString name = folder.filePath(QStringLiteral("meta.csv"));
        {
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older and much longer file that must be replaced entirely");
        }
        WriteMetadataLines(name, MetadataCsvRows(QString::fromUtf8("Name : \xC3\xA9\r\nB : 2"), u','));
        QCOMPARE(contentsOf(name), QByteArray("Name,\xC3\xA9\r\nB,2\r\n"));
    }

    void writeFailureRaisesAndLeavesNoFile()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString name = folder.filePath(QStringLiteral("gone/meta.txt"));
        try {
            WriteMetadataLines(name, {QStringLiteral("A : 1")});
            QFAIL("writing into a missing folder succeeded");
        } catch (const TagscopeError& error) {
            QVERIFY2(error.message().contains(QDir::toNativeSeparators(name)), qPrintable(error.message()));
        }
        QVERIFY(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMetadataExport)
#include "tst_metadataexport.moc"
