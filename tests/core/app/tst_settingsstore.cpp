#include "core/app/settingsstore.h"
#include "core/base/errors.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    static QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes)
    {
        const QString path = dir.filePath(u"settings.ini"_s);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the fixture");
        return path;
    }
    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void readsTheFileFormat_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("value");

        QTest::newRow("bom and crlf") << QByteArray("\xEF\xBB\xBF[Settings]\r\nFileMask=*.jpg\r\n\r\n") << u"Settings"_s
                                      << u"FileMask"_s << true << u"*.jpg"_s;
        QTest::newRow("no bom, lf") << QByteArray("[Settings]\nFileMask=*.png\n") << u"Settings"_s << u"FileMask"_s
                                    << true << u"*.png"_s;
        QTest::newRow("cr only") << QByteArray("[Settings]\rA=1\rFileMask=x\r") << u"Settings"_s << u"FileMask"_s
                                 << true << u"x"_s;
        QTest::newRow("names without regard to case")
            << QByteArray("[settings]\r\nfilemask=*.txt\r\n") << u"Settings"_s << u"FileMask"_s << true << u"*.txt"_s;
        QTest::newRow("key and value trimmed") << QByteArray("[Settings]\r\n \t FileMask  =  a b \t\r\n")
                                               << u"Settings"_s << u"FileMask"_s << true << u"a b"_s;
        QTest::newRow("section name trimmed")
            << QByteArray("[ Settings ]\r\nK=v\r\n") << u"Settings"_s << u"K"_s << true << u"v"_s;
        QTest::newRow("split at first equals")
            << QByteArray("[Settings]\r\nK=a=b\r\n") << u"Settings"_s << u"K"_s << true << u"a=b"_s;
        QTest::newRow("present but empty")
            << QByteArray("[Settings]\r\nFileMask=\r\n") << u"Settings"_s << u"FileMask"_s << true << QString();
        QTest::newRow("key without equals")
            << QByteArray("[Settings]\r\nLonely\r\n") << u"Settings"_s << u"Lonely"_s << true << QString();
        QTest::newRow("comment skipped") << QByteArray("[Settings]\r\n;FileMask=*.c\r\n") << u"Settings"_s
                                         << u";FileMask"_s << false << QString();
        QTest::newRow("lines before first section skipped")
            << QByteArray("FileMask=early\r\n[Settings]\r\n") << u"Settings"_s << u"FileMask"_s << false << QString();
        QTest::newRow("second occurrence of a section skipped")
            << QByteArray("[Settings]\r\nA=1\r\n[Other]\r\nB=2\r\n[SETTINGS]\r\nFileMask=late\r\n") << u"Settings"_s
            << u"FileMask"_s << false << QString();
        QTest::newRow("first of a repeated key wins")
            << QByteArray("[Settings]\r\nK=first\r\nk=second\r\n") << u"Settings"_s << u"K"_s << true << u"first"_s;
        QTest::newRow("value kept exactly") << QByteArray("[Settings]\r\nK=\xC3\xA9t\xC3\xA9 Ok\r\n") << u"Settings"_s
                                            << u"K"_s << true << u"\u00E9t\u00E9 Ok"_s;
    }
    void readsTheFileFormat()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(bool, exists);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const SettingsStore store(writeFile(dir, file));
        QCOMPARE(store.ValueExists(section, key), exists);
        QCOMPARE(store.ReadString(section, key, u"default"_s), exists ? value : u"default"_s);
    }

    void unreadableFileIsDeleted_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("single-byte code page") << QByteArray("[Settings]\r\nLastFolderInput=C:\\Caf\xE9\r\n");
        QTest::newRow("truncated sequence") << QByteArray("\xEF\xBB\xBF[Settings]\r\nK=\xE2\x82\r\n");
        QTest::newRow("overlong encoding") << QByteArray("[Settings]\r\nK=\xC0\xAF\r\n");
    }
    void unreadableFileIsDeleted()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = writeFile(dir, file);
        const SettingsStore store(path);
        QVERIFY(!QFile::exists(path));
        QVERIFY(!store.ValueExists(u"Settings"_s, u"K"_s));
        QVERIFY(!store.ValueExists(u"Settings"_s, u"LastFolderInput"_s));
    }

    void writesTheWholeFile()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, "; a comment\r\n[Settings]\r\nZeta=1\r\nalpha=2\r\n\r\n[Other]\r\nX=y\r\n");
        SettingsStore store(path);
        store.WriteString(u"settings"_s, u"ALPHA"_s, u"3"_s);
        store.WriteString(u"Settings"_s, u"New"_s, u"\u00FC"_s);
        store.WriteString(u"Third"_s, u"K"_s, QString());
        // A second name of the old file keeps the old bytes: the file is replaced by a new one, never rewritten in
        // place, so that a crash while writing cannot leave half a file.
        const QString oldFile = dir.filePath(u"old.ini"_s);
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(oldFile).constData()), 0);
        const QByteArray oldBytes = readFile(path);
        store.UpdateFile();
        QCOMPARE(readFile(oldFile), oldBytes);
        QVERIFY(QFile::remove(oldFile));
        // Keys keep the order and spelling they were read with; new keys and sections come last.
        QCOMPARE(readFile(path), QByteArray("\xEF\xBB\xBF[Settings]\r\nZeta=1\r\nalpha=3\r\nNew=\xC3\xBC\r\n\r\n"
                                            "[Other]\r\nX=y\r\n\r\n[Third]\r\nK=\r\n\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.ini"_s});
    }

    void valueWithALineBreakIsNotStored_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("LF") << u"/tmp/a\n[Evil]\nFileMask=x"_s;
        QTest::newRow("CR") << u"/tmp/a\r[Evil]"_s;
    }

    // A folder may be named with a line break; storing it would cut the file into other lines and sections.
    void valueWithALineBreakIsNotStored()
    {
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = writeFile(dir, "[Settings]\r\nLastFolderInput=/old\r\nFileMask=*\r\n");
        SettingsStore store(path);
        store.WriteString(u"Settings"_s, u"LastFolderInput"_s, value);
        store.WriteString(u"Settings"_s, u"New"_s, value);
        store.UpdateFile();
        QCOMPARE(readFile(path), QByteArray("\xEF\xBB\xBF[Settings]\r\nLastFolderInput=/old\r\nFileMask=*\r\n\r\n"));
    }

    void firstWriteOfAnEmptyStore()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"settings.ini"_s);
        SettingsStore store(path);
        store.WriteString(u"Settings"_s, u"FileMask"_s, u"*"_s);
        store.UpdateFile();
        QCOMPARE(readFile(path), QByteArray("\xEF\xBB\xBF[Settings]\r\nFileMask=*\r\n\r\n"));
    }

    void failedWriteRaisesAndKeepsTheValue()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(u"missing-folder/settings.ini"_s));
        store.WriteString(u"Settings"_s, u"FileMask"_s, u"*.x"_s);
        QVERIFY_THROWS_EXCEPTION(TagscopeError, store.UpdateFile());
        QCOMPARE(store.ReadString(u"Settings"_s, u"FileMask"_s, QString()), u"*.x"_s);
    }

    // A folder the user may not write: the write fails, and the file there keeps its bytes.
    void readOnlyFolderKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, "[Settings]\r\nFileMask=*\r\n");
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
        const auto restore = qScopeGuard(
            [&] { QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup));
        UnprivilegedScope unprivileged;
        if (!unprivileged.ok())
            QSKIP("running as root, and the user \"nobody\" cannot be taken on");
        SettingsStore store(path);
        if (store.ReadString(u"Settings"_s, u"FileMask"_s, QString()) != u"*"_s)
            QSKIP("the unprivileged user cannot reach the temporary folder");
        store.WriteString(u"Settings"_s, u"FileMask"_s, u"*.x"_s);
        QVERIFY_THROWS_EXCEPTION(TagscopeError, store.UpdateFile());
        QCOMPARE(readFile(path), QByteArray("[Settings]\r\nFileMask=*\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
