#include "support/testfiles.h"
#include "zipfixture.h"

#include "core/base/errors.h"
#include "core/metadata/zipextract.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// Runs the extraction and returns the error's text; empty when it succeeded.
QString extractError(const QString& archive, const QString& folder)
{
    try {
        ExtractZipArchive(archive, folder);
    } catch (const TagscopeError& error) {
        return error.message();
    }
    return {};
}

} // namespace

class TestZipExtract : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void extractsMembers();
    void refusesHostileArchive_data();
    void refusesHostileArchive();
    void refusesMemberUnderLinkedFolder();
    void replacesLinkedFileWithoutWritingThrough();
    void reportsDamagedArchive_data();
    void reportsDamagedArchive();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_archive; // root/archive.zip
    QString m_target;  // root/target, empty
    QString m_outside; // root/outside, empty: nothing may ever land here
};

void TestZipExtract::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_archive = m_root->filePath(QStringLiteral("archive.zip"));
    m_target = m_root->filePath(QStringLiteral("target"));
    m_outside = m_root->filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(m_target));
    QVERIFY(QDir().mkpath(m_outside));
}

void TestZipExtract::extractsMembers()
{
    const QByteArray big = QByteArray("deflate me ").repeated(20000);
    QVERIFY(WriteZipFixture(m_archive, {
                                           {"stored.txt", "stored bytes", ZipFixtureMember::File, false},
                                           {"deflated.txt", big, ZipFixtureMember::File, true},
                                           {"a/b/nested.txt", "no folder entries before me"},
                                           {"empty/", {}, ZipFixtureMember::Folder},
                                           {"tool.pl", "#!/usr/bin/perl\n", ZipFixtureMember::File, true, 0755},
                                           {"./dot/./x.txt", "x"},
                                           {"setuid", "s", ZipFixtureMember::File, true, 04755},
                                           {"setgid", "g", ZipFixtureMember::File, true, 02755},
                                           {"sticky", "t", ZipFixtureMember::File, true, 01777},
                                       }));
    QVERIFY(WriteWholeFile(m_target + QStringLiteral("/stored.txt"), "an older, longer file of the same name"));

    ExtractZipArchive(m_archive, m_target);

    QCOMPARE(ReadWholeFile(m_target + QStringLiteral("/stored.txt")), QByteArray("stored bytes"));
    QCOMPARE(ReadWholeFile(m_target + QStringLiteral("/deflated.txt")), big);
    QCOMPARE(ReadWholeFile(m_target + QStringLiteral("/a/b/nested.txt")), QByteArray("no folder entries before me"));
    QVERIFY(QFileInfo(m_target + QStringLiteral("/empty")).isDir());
    QVERIFY(QFileInfo(m_target + QStringLiteral("/tool.pl")).isExecutable());
    QVERIFY(!QFileInfo(m_target + QStringLiteral("/stored.txt")).isExecutable());
    QCOMPARE(ReadWholeFile(m_target + QStringLiteral("/dot/x.txt")), QByteArray("x"));
    // A member never gets the setuid, setgid or sticky bit its archive asks for, only its permissions.
    for (const char* name : {"setuid", "setgid", "sticky"}) {
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(m_target + u'/' + QLatin1StringView(name)).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07000, mode_t(0));
        QVERIFY(st.st_mode & S_IXUSR);
    }
    // No temporary file is left beside the members.
    QCOMPARE(FolderEntries(m_target),
             QStringList({QStringLiteral("a"), QStringLiteral("deflated.txt"), QStringLiteral("dot"),
                          QStringLiteral("empty"), QStringLiteral("setgid"), QStringLiteral("setuid"),
                          QStringLiteral("sticky"), QStringLiteral("stored.txt"), QStringLiteral("tool.pl")}));
}

void TestZipExtract::refusesHostileArchive_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");

    // %O stands for the absolute path of the folder outside the target.
    QTest::newRow("parent") << QByteArray("../outside/evil") << int(ZipFixtureMember::File);
    QTest::newRow("parent inside a path") << QByteArray("a/../../outside/evil") << int(ZipFixtureMember::File);
    QTest::newRow("parent folder") << QByteArray("../outside/evil/") << int(ZipFixtureMember::Folder);
    QTest::newRow("absolute") << QByteArray("%O/evil") << int(ZipFixtureMember::File);
    QTest::newRow("backslash") << QByteArray("..\\outside\\evil") << int(ZipFixtureMember::File);
    QTest::newRow("drive letter") << QByteArray("C:evil") << int(ZipFixtureMember::File);
    QTest::newRow("symbolic link") << QByteArray("evil") << int(ZipFixtureMember::Symlink);
}

void TestZipExtract::refusesHostileArchive()
{
    QFETCH(QByteArray, name);
    QFETCH(int, kind);
    name.replace("%O", QFile::encodeName(m_outside));

    // The harmless member comes first: the archive is refused as a whole, before anything is written.
    QVERIFY(WriteZipFixture(m_archive, {
                                           {"harmless.txt", "fine"},
                                           {name, QFile::encodeName(m_outside), ZipFixtureMember::Kind(kind)},
                                           {"evil/through-link.txt", "written through the link"},
                                       }));

    const QString error = extractError(m_archive, m_target);
    QVERIFY2(error.contains(m_archive), qPrintable(error));
    QVERIFY2(error.contains(QString::fromUtf8(name)), qPrintable(error));
    QCOMPARE(FolderEntries(m_target), QStringList());
    QCOMPARE(FolderEntries(m_outside), QStringList());
    QCOMPARE(FolderEntries(m_root->path()),
             QStringList({QStringLiteral("archive.zip"), QStringLiteral("outside"), QStringLiteral("target")}));
}

void TestZipExtract::refusesMemberUnderLinkedFolder()
{
    QVERIFY(QFile::link(m_outside, m_target + QStringLiteral("/sub")));
    QVERIFY(WriteZipFixture(m_archive, {{"sub/evil.txt", "written through the link"}}));

    const QString error = extractError(m_archive, m_target);
    QVERIFY2(error.contains(m_archive) && error.contains(QStringLiteral("sub/evil.txt")), qPrintable(error));
    QCOMPARE(FolderEntries(m_outside), QStringList());
    QVERIFY(QFileInfo(m_target + QStringLiteral("/sub")).isSymLink());
}

void TestZipExtract::replacesLinkedFileWithoutWritingThrough()
{
    const QString outsideFile = m_outside + QStringLiteral("/victim.txt");
    QVERIFY(WriteWholeFile(outsideFile, "must stay"));
    QVERIFY(QFile::link(outsideFile, m_target + QStringLiteral("/member.txt")));
    QVERIFY(WriteZipFixture(m_archive, {{"member.txt", "from the archive"}}));

    ExtractZipArchive(m_archive, m_target);

    QCOMPARE(ReadWholeFile(outsideFile), QByteArray("must stay"));
    const QFileInfo member(m_target + QStringLiteral("/member.txt"));
    QVERIFY(!member.isSymLink());
    QCOMPARE(ReadWholeFile(member.filePath()), QByteArray("from the archive"));
}

void TestZipExtract::reportsDamagedArchive_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("member"); // named in the message when the damage lies in a member

    QTest::newRow("truncated") << QStringLiteral("truncate") << QString();
    QTest::newRow("bad CRC") << QStringLiteral("flip") << QStringLiteral("payload.txt");
    QTest::newRow("not an archive") << QStringLiteral("text") << QString();
    QTest::newRow("missing") << QStringLiteral("remove") << QString();
}

void TestZipExtract::reportsDamagedArchive()
{
    QFETCH(QString, damage);
    QFETCH(QString, member);

    const QByteArray payload = QByteArray("PAYLOAD-").repeated(64);
    QVERIFY(WriteZipFixture(m_archive, {{"first.txt", "first", ZipFixtureMember::File, false},
                                        {"payload.txt", payload, ZipFixtureMember::File, false}}));
    QByteArray bytes = ReadWholeFile(m_archive);
    if (damage == u"truncate") {
        bytes.truncate(bytes.size() / 2);
    } else if (damage == u"flip") {
        // Stored, so the member's bytes lie in the file as they are; the CRC no longer matches.
        const qsizetype at = bytes.indexOf(payload);
        QVERIFY(at > 0);
        bytes[at + 100] = 'X';
    } else if (damage == u"text") {
        bytes = "just some text, no archive at all\n";
    }
    if (damage == u"remove")
        QVERIFY(QFile::remove(m_archive));
    else
        QVERIFY(WriteWholeFile(m_archive, bytes));

    const QString error = extractError(m_archive, m_target);
    QVERIFY2(error.contains(m_archive), qPrintable(error));
    QVERIFY2(error.contains(member), qPrintable(error));
    QCOMPARE(QFileInfo::exists(m_target + QStringLiteral("/payload.txt")), false);
}

QTEST_GUILESS_MAIN(TestZipExtract)
#include "tst_zipextract.moc"
