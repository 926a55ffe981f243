#include "support/testfiles.h"
#include "zipfixture.h"

#include "core/base/errors.h"
#include "core/metadata/deployment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <thread>

namespace {

const QString PackageSource = QStringLiteral(TAGSCOPE_BUILD_DIR "/exiftool");

// What a program prints for -ver; empty when it does not run.
QByteArray versionOf(const QString& program)
{
    QProcess process;
    process.start(program, {QStringLiteral("-ver")});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput().trimmed();
}

const QStringList PackageFiles = {QStringLiteral("exiftool"), QStringLiteral("exiftool_files.zip")};

// How many files a folder holds, at any depth.
qsizetype filesBelow(const QString& folder)
{
    qsizetype count = 0;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext(); it.next())
        ++count;
    return count;
}

} // namespace

class TestDeployment : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void firstStart();
    void localeThatIsNotInstalled();
    void secondStartRebuilds();
    void dataFolderIsProgramFolder();
    void staleExifToolFolderIsReplaced();
    void incompletePackage_data();
    void incompletePackage();
    void badArchive_data();
    void badArchive();
    void removeAtExit();
    void twoCopiesDeployAtOnce();
    void relativeFoldersStageNothing_data();
    void relativeFoldersStageNothing();

private:
    ExifToolDeployment deploy(const QStringList& searchPaths = {});
    void verifyDeployed(const ExifToolDeployment& result);

    QByteArray m_systemVersion;
    std::unique_ptr<QTemporaryDir> m_root;
    DeploymentFolders m_folders;
    QList<bool> m_busy;   // the busy pointer's ons and offs
    QStringList m_chosen; // ExifToolFolder as announced
};

void TestDeployment::initTestCase()
{
    QVERIFY2(QFileInfo(PackageSource + QStringLiteral("/exiftool")).isExecutable(), "build exiftool_package first");
    QVERIFY(QFileInfo::exists(PackageSource + QStringLiteral("/exiftool_files.zip")));
    m_systemVersion = versionOf(QStringLiteral("exiftool"));
    QVERIFY(!m_systemVersion.isEmpty());
}

void TestDeployment::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // Blanks, quotes and a command substitution in every folder: none may reach a shell.
    m_folders.programFolder = m_root->filePath(QStringLiteral("program folder"));
    m_folders.dataFolder = m_root->filePath(QStringLiteral("data 'folder'"));
    m_folders.tempFolder = m_root->filePath(QStringLiteral("temp $(touch pwned)/"));
    m_folders.searchPaths.clear();
    for (const QString& folder : {m_folders.programFolder, m_folders.dataFolder, m_folders.tempFolder})
        QVERIFY(QDir().mkpath(folder));
    const QString package = PackageFolder(m_folders.programFolder);
    QVERIFY(QDir().mkpath(package));
    for (const QString& name : PackageFiles)
        QVERIFY(QFile::copy(PackageSource + u'/' + name, package + name));
    m_busy.clear();
    m_chosen.clear();
}

ExifToolDeployment TestDeployment::deploy(const QStringList& searchPaths)
{
    m_folders.searchPaths = searchPaths;
    DeploymentCallbacks callbacks;
    callbacks.busyChanged = [this](bool busy) { m_busy.append(busy); };
    callbacks.folderChosen = [this](const QString& folder) { m_chosen.append(folder); };
    return DeployExifTool(m_folders, callbacks);
}

void TestDeployment::verifyDeployed(const ExifToolDeployment& result)
{
    const QString expected = m_folders.tempFolder + QStringLiteral("brindlescope/");
    QCOMPARE(result.exifToolFolder, expected);
    QVERIFY(result.complete);
    QVERIFY(result.ready());
    QCOMPARE(result.statusText(), u"Ready");
    QCOMPARE(m_chosen, QStringList{expected});
    QCOMPARE(FolderEntries(expected), QStringList({QStringLiteral("exiftool"), QStringLiteral("exiftool_files")}));
    QVERIFY(QFileInfo::exists(expected + QStringLiteral("exiftool_files/lib/Image/ExifTool.pm")));
    const QString program = ExifToolProgram(result.exifToolFolder);
    QCOMPARE(program, expected + QStringLiteral("exiftool"));
    QCOMPARE(versionOf(program), m_systemVersion);
    QVERIFY(!QFileInfo::exists(QStringLiteral("pwned")));
}

void TestDeployment::firstStart()
{
    const ExifToolDeployment result = deploy();

    verifyDeployed(result);
    QCOMPARE(m_busy, QList<bool>({true, false}));
    QCOMPARE(FolderEntries(StagingFolder(m_folders.dataFolder)), PackageFiles);
    QCOMPARE(FolderEntries(PackageFolder(m_folders.programFolder)), PackageFiles);
}

void TestDeployment::localeThatIsNotInstalled()
{
    // Perl warns about such a locale before everything it writes; ExifTool still runs and must be found ready.
    const bool wasSet = qEnvironmentVariableIsSet("LC_ALL");
    const QByteArray before = qgetenv("LC_ALL");
    qputenv("LC_ALL", "xx_YY.UTF-8");
    const auto restore = qScopeGuard([&] {
        if (wasSet)
            qputenv("LC_ALL", before);
        else
            qunsetenv("LC_ALL");
    });
    verifyDeployed(deploy());
}

void TestDeployment::secondStartRebuilds()
{
    const ExifToolDeployment first = deploy();
    QVERIFY(first.complete);
    QVERIFY(WriteWholeFile(first.exifToolFolder + QStringLiteral("exiftool_files/from-the-first-run"), "x"));
    m_busy.clear();
    m_chosen.clear();

    const ExifToolDeployment second = deploy();

    verifyDeployed(second);
    // The archive is unpacked again, since the first start moved the unpacked folder away.
    QCOMPARE(m_busy, QList<bool>({true, false}));
    QVERIFY(!QFileInfo::exists(second.exifToolFolder + QStringLiteral("exiftool_files/from-the-first-run")));
    QCOMPARE(FolderEntries(StagingFolder(m_folders.dataFolder)), PackageFiles);
}

void TestDeployment::dataFolderIsProgramFolder()
{
    m_folders.dataFolder = m_folders.programFolder;

    const ExifToolDeployment result = deploy();

    verifyDeployed(result);
    QCOMPARE(FolderEntries(PackageFolder(m_folders.programFolder)), PackageFiles);
    QCOMPARE(ReadWholeFile(PackageFolder(m_folders.programFolder) + QStringLiteral("exiftool_files.zip")),
             ReadWholeFile(PackageSource + QStringLiteral("/exiftool_files.zip")));
}

void TestDeployment::staleExifToolFolderIsReplaced()
{
    const QString stale = ExifToolFolderIn(m_folders.tempFolder);
    const QString outside = m_root->filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(stale + QStringLiteral("exiftool_files/old/deeper")));
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(WriteWholeFile(stale + QStringLiteral("extra.txt"), "left over"));
    QVERIFY(WriteWholeFile(stale + QStringLiteral("exiftool_files/old/deeper/file"), "left over"));
    QVERIFY(WriteWholeFile(outside + QStringLiteral("/keep.txt"), "not part of the ExifTool folder"));
    QVERIFY(QFile::link(outside, stale + QStringLiteral("link-out")));

    verifyDeployed(deploy());
    QCOMPARE(ReadWholeFile(outside + QStringLiteral("/keep.txt")), QByteArray("not part of the ExifTool folder"));
}

void TestDeployment::incompletePackage_data()
{
    QTest::addColumn<bool>("withLauncher");
    QTest::addColumn<bool>("withArchive");
    QTest::addColumn<QString>("pathExifTool"); // the script of the "exiftool" on the search path; empty: none there
    QTest::addColumn<bool>("ready");

    const QString answers = QStringLiteral("#!/bin/sh\necho 12.57\n");
    // A package without its archive has failed, even though a system ExifTool could run.
    QTest::newRow("no archive") << true << false << answers << false;
    QTest::newRow("archive without launcher") << false << true << answers << false;
    QTest::newRow("no package, ExifTool on PATH") << false << false << answers << true;
    QTest::newRow("no package, an ExifTool on PATH that does not run")
        << false << false << QStringLiteral("#!/bin/sh\nexit 1\n") << false;
    QTest::newRow("no package, nothing on PATH") << false << false << QString() << false;
}

void TestDeployment::incompletePackage()
{
    QFETCH(bool, withLauncher);
    QFETCH(bool, withArchive);
    QFETCH(QString, pathExifTool);
    QFETCH(bool, ready);
    const bool exiftoolOnPath = !pathExifTool.isEmpty();

    const QString package = PackageFolder(m_folders.programFolder);
    if (!withLauncher)
        QVERIFY(QFile::remove(package + QStringLiteral("exiftool")));
    if (!withArchive)
        QVERIFY(QFile::remove(package + QStringLiteral("exiftool_files.zip")));
    const QString bin = m_root->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString pathProgram = bin + QStringLiteral("/exiftool");
    if (exiftoolOnPath) {
        QVERIFY(WriteScript(pathProgram, pathExifTool.toUtf8()));
    }

    const ExifToolDeployment result = deploy({bin});

    QCOMPARE(result.exifToolFolder, QString());
    QVERIFY(!result.complete);
    QCOMPARE(result.ready(), ready);
    QCOMPARE(result.statusText(), ready ? u"Ready" : u"Initialization Failed!");
    QCOMPARE(m_chosen, QStringList());
    QCOMPARE(m_busy, QList<bool>({true, false}));
    QCOMPARE(FolderEntries(m_folders.tempFolder), QStringList());
    QCOMPARE(ExifToolProgram(result.exifToolFolder, {bin}), exiftoolOnPath ? pathProgram : QString());
    // The program the commands run: ExifTool from the search path only when no package ships.
    QCOMPARE(result.program, !withLauncher && !withArchive && exiftoolOnPath ? pathProgram : QString());
    RemoveExifToolFolder(result.exifToolFolder);
    QVERIFY(QFileInfo::exists(m_folders.tempFolder));
}

void TestDeployment::badArchive_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("truncated") << QStringLiteral("truncated");
    QTest::newRow("damaged member after good ones") << QStringLiteral("damaged member");
    QTest::newRow("member outside the staging folder") << QStringLiteral("hostile");
}

void TestDeployment::badArchive()
{
    QFETCH(QString, kind);

    const QString archive = PackageFolder(m_folders.programFolder) + QStringLiteral("exiftool_files.zip");
    if (kind == u"truncated") {
        QByteArray bytes = ReadWholeFile(archive);
        QVERIFY(WriteWholeFile(archive, bytes.left(bytes.size() / 2)));
    } else if (kind == u"damaged member") {
        const QByteArray payload = QByteArray("PAYLOAD-").repeated(64);
        QVERIFY(WriteZipFixture(archive, {{"exiftool_files/exiftool.pl", "print 1;\n"},
                                          {"exiftool_files/lib/Broken.pm", payload, ZipFixtureMember::File, false}}));
        QByteArray bytes = ReadWholeFile(archive);
        const qsizetype at = bytes.indexOf(payload);
        QVERIFY(at > 0);
        bytes[at + 100] = 'X';
        QVERIFY(WriteWholeFile(archive, bytes));
    } else {
        QVERIFY(WriteZipFixture(archive, {{"exiftool_files/exiftool.pl", "print 1;\n"},
                                          {"../../escaped.txt", "outside the staging folder"}}));
    }
    const QString staging = StagingFolder(m_folders.dataFolder);

    QString error;
    try {
        deploy();
    } catch (const TagscopeError& e) {
        error = e.message();
    }

    QVERIFY2(error.contains(staging + QStringLiteral("exiftool_files.zip")), qPrintable(error));
    QCOMPARE(m_busy, QList<bool>({true, false}));
    QCOMPARE(m_chosen, QStringList());
    // Nothing half unpacked stays to pass for complete at the next start, and nothing went anywhere else.
    QCOMPARE(FolderEntries(staging), PackageFiles);
    QCOMPARE(FolderEntries(m_folders.tempFolder), QStringList());
    QVERIFY(!QFileInfo::exists(m_root->filePath(QStringLiteral("escaped.txt"))));
}

void TestDeployment::removeAtExit()
{
    const ExifToolDeployment result = deploy();
    QVERIFY(result.complete);

    RemoveExifToolFolder(result.exifToolFolder);

    QVERIFY(!QFileInfo::exists(result.exifToolFolder));
    QVERIFY(QFileInfo::exists(m_folders.tempFolder));
    QCOMPARE(ExifToolProgram(result.exifToolFolder, {m_root->path()}), QString());
}

void TestDeployment::relativeFoldersStageNothing_data()
{
    QTest::addColumn<QString>("dataFolder");
    QTest::addColumn<QString>("tempFolder");
    QTest::newRow("no data folder") << QString() << QStringLiteral("<temp>");
    QTest::newRow("relative data folder") << QStringLiteral("data") << QStringLiteral("<temp>");
    QTest::newRow("no temporary folder") << QStringLiteral("<data>") << QString();
}

void TestDeployment::relativeFoldersStageNothing()
{
    QFETCH(QString, dataFolder);
    QFETCH(QString, tempFolder);
    // An empty folder must not become "/exiftool/" or "./exiftool/": the deployment runs where nothing may be
    // written, here the current folder of the test.
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_root->path()));
    const auto back = qScopeGuard([&] { QDir::setCurrent(cwd); });
    const bool rootStagingBefore = QFileInfo::exists(QStringLiteral("/exiftool"));
    const QStringList before = FolderEntries(m_root->path());
    m_folders.dataFolder = dataFolder == u"<data>" ? m_folders.dataFolder : dataFolder;
    m_folders.tempFolder = tempFolder == u"<temp>" ? m_folders.tempFolder : tempFolder;

    const ExifToolDeployment result = deploy();

    QVERIFY(!result.complete);
    QVERIFY(result.exifToolFolder.isEmpty());
    QCOMPARE(FolderEntries(m_root->path()), before);
    QCOMPARE(QFileInfo::exists(QStringLiteral("/exiftool")), rootStagingBefore);
}

void TestDeployment::twoCopiesDeployAtOnce()
{
    // Two copies started from one writable program folder share it as their staging folder: neither may take the
    // other's half-unpacked files, and both must end with a whole ExifTool.
    const qsizetype wholeFiles = filesBelow(deploy().exifToolFolder);
    QVERIFY(wholeFiles > 100);
    for (int round = 0; round < 5; ++round) {
        DeploymentFolders first = m_folders;
        first.dataFolder = m_folders.programFolder;
        first.tempFolder = m_root->filePath(QStringLiteral("first %1/").arg(round));
        DeploymentFolders second = first;
        second.tempFolder = m_root->filePath(QStringLiteral("second %1/").arg(round));
        QVERIFY(QDir().mkpath(first.tempFolder) && QDir().mkpath(second.tempFolder));

        ExifToolDeployment results[2];
        std::exception_ptr errors[2];
        {
            std::jthread other([&] {
                try {
                    results[1] = DeployExifTool(second);
                } catch (...) {
                    errors[1] = std::current_exception();
                }
            });
            try {
                results[0] = DeployExifTool(first);
            } catch (...) {
                errors[0] = std::current_exception();
            }
        }
        const qsizetype expected = wholeFiles;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!errors[i]);
            QVERIFY(results[i].ready());
            QCOMPARE(versionOf(results[i].program), m_systemVersion);
            QCOMPARE(filesBelow(results[i].exifToolFolder), expected);
        }
        QCOMPARE(FolderEntries(PackageFolder(m_folders.programFolder)), PackageFiles);
    }
}

QTEST_GUILESS_MAIN(TestDeployment)
#include "tst_deployment.moc"
