#include "core/metadata/metadataexport.h"

#include "core/base/errors.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

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

    void readOnlyFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");

        const QString pane = QStringLiteral("File Name : a.jpg\r\nColors : red, blue");
        QTest::newRow("TXT") << QStringLiteral("meta.txt") << MetadataTxtLines(pane)
                             << QByteArray("File Name : a.jpg\r\nColors : red, blue\r\n");
        QTest::newRow("CSV") << QStringLiteral("meta.csv") << MetadataCsvRows(pane, u',')
                             << QByteArray("File Name,a.jpg\r\nColors,\"red, blue\"\r\n");
    }

    // A folder the user may not write takes no temporary file: a file there that the user may write is replaced in
    // place, cut to its new length; a new file there is refused.
    void readOnlyFolder()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString locked = folder.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(locked));
        const QString fileName = locked + u'/' + name;
        QVERIFY(WriteWholeFile(fileName, QByteArray(4096, 'x')));
        const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto writable = readable | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        const auto enterable = readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(fileName, writable));
        QVERIFY(QFile::setPermissions(locked, enterable) && QFile::setPermissions(folder.path(), enterable));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        const QString newName = locked + QStringLiteral("/new-") + name;
        {
            // Root writes into any folder; the test then runs as an unprivileged user.
            UnprivilegedScope unprivileged;
            if (!unprivileged.ok())
                QSKIP("running as root, and the user \"nobody\" cannot be taken on");

            try {
                WriteMetadataLines(fileName, lines);
            } catch (const TagscopeError& error) {
                QFAIL(qPrintable(error.message()));
            }
            try {
                WriteMetadataLines(newName, lines);
                QFAIL("a new file was written in a read-only folder");
            } catch (const TagscopeError& error) {
                QVERIFY2(error.message().contains(QDir::toNativeSeparators(newName)), qPrintable(error.message()));
            }
        }
        QCOMPARE(contentsOf(fileName), bytes);
        QCOMPARE(FolderEntries(locked), QStringList{name});
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
