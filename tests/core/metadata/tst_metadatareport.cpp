#include "core/metadata/metadatareport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestMetadataReport : public QObject
{
    Q_OBJECT

private slots:
    void paneText_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("pane");

        QTest::newRow("LF lines") << QByteArray("A : 1\nB : 2\n") << QStringLiteral("A : 1\r\nB : 2\r\n");
        QTest::newRow("CR LF, CR and LF") << QByteArray("a\r\nb\rc\nd") << QStringLiteral("a\r\nb\r\nc\r\nd\r\n");
        QTest::newRow("last line without a break") << QByteArray("a") << QStringLiteral("a\r\n");
        QTest::newRow("empty lines kept") << QByteArray("a\n\n\nb\n") << QStringLiteral("a\r\n\r\n\r\nb\r\n");
        QTest::newRow("CR LF split across the end") << QByteArray("a\r") << QStringLiteral("a\r\n");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("only a break") << QByteArray("\n") << QStringLiteral("\r\n");
        QTest::newRow("UTF-8") << QByteArray("File Name : \xC3\x9C\xE6\x97\xA5.jpg\n")
                               << QString::fromUtf8("File Name : \xC3\x9C\xE6\x97\xA5.jpg\r\n");
        QTest::newRow("UTF-8 byte-order mark skipped")
            << QByteArray("\xEF\xBB\xBF\xC3\xA9\n") << QString::fromUtf8("\xC3\xA9\r\n");
        QTest::newRow("invalid UTF-8 keeps the rest")
            << QByteArray("Make : Ab\xE9\x01x\nModel : \xC3\xA9\n")
            << QString::fromUtf8("Make : Ab\xEF\xBF\xBD\x01x\r\nModel : \xC3\xA9\r\n");
        QTest::newRow("UTF-16 by its byte-order mark") << QByteArray("\xFF\xFE"
                                                                     "a\0:\0 \0\xE9\0\n\0",
                                                                     12)
                                                       << QString::fromUtf8("a: \xC3\xA9\r\n");
    }

    void paneText()
    {
        QFETCH(QByteArray, report);
        QFETCH(QString, pane);
        QCOMPARE(PaneText(report), pane);
    }

    void loadReport_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("produced");
        QTest::addColumn<QString>("pane");

        QTest::newRow("report") << true << QByteArray("A : 1\n") << true << QStringLiteral("A : 1\r\n");
        // An empty report is a report: the pane is emptied but the status does not say "Failed".
        QTest::newRow("empty report") << true << QByteArray() << true << QString();
        QTest::newRow("no report") << false << QByteArray() << false << QString();
    }

    void loadReport()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, contents);
        QFETCH(bool, produced);
        QFETCH(QString, pane);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString name = folder.filePath(QStringLiteral("brindlescope2.txt"));
        if (exists) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        const MetadataReport report = LoadMetadataReport(name);
        QCOMPARE(report.produced, produced);
        QCOMPARE(report.paneText, pane);
    }

    void aFolderIsNoReport()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(!LoadMetadataReport(folder.path()).produced);
    }
};

QTEST_GUILESS_MAIN(TestMetadataReport)
#include "tst_metadatareport.moc"
