#include "core/metadata/copywithoutmetadata.h"
#include "core/platform/movefile.h"
#include "support/taggedfiles.h"
#include "support/testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

const QString exifTool = QStringLiteral("exiftool");
const QString tempName = QStringLiteral("brindlescope.tmp");

QByteArray contentsOf(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& name, const QByteArray& contents)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// ExifTool's tags of a file, one "Group:Tag" per line.
QString tagsOf(const QString& file)
{
    QProcess process;
    process.start(exifTool, {QStringLiteral("-G1"), QStringLiteral("-s"), QStringLiteral("-a"), file});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool hasCameraMetadata(const QString& file)
{
    const QString tags = tagsOf(file);
    return tags.contains(QStringLiteral("[IFD0]")) && tags.contains(QStringLiteral("Model"));
}

dev_t deviceOf(const QString& path)
{
    struct stat status
    {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_dev : 0;
}

struct Folders
{
    QTemporaryDir source;
    QTemporaryDir target;
    QTemporaryDir temp;
    QTemporaryDir work;
    bool valid() const { return source.isValid() && target.isValid() && temp.isValid() && work.isValid(); }
};

CopyWithoutMetadataRequest requestFor(const Folders& folders, const QString& source, const QString& target,
                                      bool confirmed)
{
    CopyWithoutMetadataRequest request;
    request.source = source;
    request.target = target;
    request.replaceConfirmed = confirmed;
    request.exifToolProgram = exifTool;
    request.workingFolder = folders.work.path();
    request.tempFolder = folders.temp.path();
    return request;
}

} // namespace

class TestCopyWithoutMetadata : public QObject
{
    Q_OBJECT

    QTemporaryDir m_pictures;

    // A camera picture, made once for all the tests.
    QString sample(const QString& name) const { return m_pictures.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_pictures.isValid());
        QVERIFY_MADE(MakeTaggedJpeg(sample(QStringLiteral("Canon.jpg"))));
    }

    void savesToAnotherFolder_data()
    {
        QTest::addColumn<QString>("sourceName");
        QTest::addColumn<QString>("targetName");

        QTest::newRow("plain") << QStringLiteral("photo.jpg") << QStringLiteral("clean.jpg");
        QTest::newRow("outside ASCII") << QString::fromUtf8("\xC3\x9C\xE6\x97\xA5.jpg")
                                       << QString::fromUtf8("\xC2\xA9 clean.jpg");
        QTest::newRow("command substitution") << QStringLiteral("$(touch pwned).jpg") << QStringLiteral("`x`.jpg");
        QTest::newRow("quote and semicolon") << QStringLiteral("a\";touch pwned;\".jpg") << QStringLiteral("b;c.jpg");
        QTest::newRow("option-like") << QStringLiteral("-o") << QStringLiteral("-all=");
        QTest::newRow("line break") << QStringLiteral("x\n-w!\ny.jpg") << QStringLiteral("z\n.jpg");
        QTest::newRow("percent codes") << QStringLiteral("%d%f.jpg") << QStringLiteral("%e.jpg");
    }

    void savesToAnotherFolder()
    {
        QFETCH(QString, sourceName);
        QFETCH(QString, targetName);
        Folders folders;
        QVERIFY(folders.valid());
        const QString source = folders.source.filePath(sourceName);
        const QString target = folders.target.filePath(targetName);
        QVERIFY(QFile::copy(sample(QStringLiteral("Canon.jpg")), source));
        const QByteArray original = contentsOf(source);

        // A relative source works as well: the working folder of ExifTool is elsewhere.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folders.source.path());
        const CopyWithoutMetadataResult result = CopyWithoutMetadata(requestFor(folders, sourceName, target, false));
        QDir::setCurrent(previous);

        QVERIFY2(result.moved, qPrintable(result.moveError + result.output));
        QVERIFY(!result.errorReported);
        QVERIFY(result.moveError.isEmpty());
        QVERIFY(hasCameraMetadata(source));
        QVERIFY(!hasCameraMetadata(target));
        QCOMPARE(contentsOf(source), original);
        QCOMPARE(entriesOf(folders.source.path()), QStringList{sourceName});
        QCOMPARE(entriesOf(folders.target.path()), QStringList{targetName});
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
        QCOMPARE(entriesOf(folders.work.path()), QStringList());
    }

    void exifToolError()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString source = folders.source.filePath(QStringLiteral("gone.jpg"));
        const QString target = folders.target.filePath(QStringLiteral("clean.jpg"));
        const CopyWithoutMetadataResult result = CopyWithoutMetadata(requestFor(folders, source, target, false));

        QVERIFY(result.errorReported);
        QVERIFY2(result.output.startsWith(QStringLiteral("Error: Error opening file - ") + source + u'\n'),
                 qPrintable(result.output));
        // The whole output, the summary lines after the error included.
        QVERIFY2(result.output.contains(QStringLiteral("1 files weren't updated due to errors\n")),
                 qPrintable(result.output));
        QVERIFY(!result.moved);
        QVERIFY(!result.moveError.isEmpty());
        QCOMPARE(entriesOf(folders.target.path()), QStringList());
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    void existingTarget_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<bool>("targetIsSource");
        QTest::addColumn<bool>("otherFileSystem");

        QTest::newRow("confirmed") << true << false << false;
        QTest::newRow("not confirmed") << false << false << false;
        QTest::newRow("the source itself, confirmed") << true << true << false;
        QTest::newRow("the source itself, not confirmed") << false << true << false;
        QTest::newRow("other file system, confirmed") << true << false << true;
        QTest::newRow("other file system, not confirmed") << false << false << true;
    }

    // An existing target is replaced whole only after the user confirmed it; otherwise it keeps every byte.
    void existingTarget()
    {
        QFETCH(bool, confirmed);
        QFETCH(bool, targetIsSource);
        QFETCH(bool, otherFileSystem);
        Folders folders;
        QVERIFY(folders.valid());
        QTemporaryDir shm(QStringLiteral("/dev/shm/tst_copywithoutmetadata-XXXXXX"));
        QString targetFolder = folders.target.path();
        if (otherFileSystem) {
            if (!shm.isValid() || deviceOf(shm.path()) == deviceOf(folders.temp.path()))
                QSKIP("no second file system to move to");
            targetFolder = shm.path();
        }
        if (targetIsSource)
            targetFolder = folders.source.path();
        const QString source = folders.source.filePath(QStringLiteral("photo.jpg"));
        QVERIFY(QFile::copy(sample(QStringLiteral("Canon.jpg")), source));
        const QString target = targetIsSource ? source : targetFolder + QStringLiteral("/photo.jpg");
        if (!targetIsSource)
            QVERIFY(writeFile(target, "the user's older file"));
        const QByteArray before = contentsOf(target);

        const CopyWithoutMetadataResult result = CopyWithoutMetadata(requestFor(folders, source, target, confirmed));

        QVERIFY(!result.errorReported);
        QCOMPARE(result.moved, confirmed);
        QCOMPARE(result.moveError.isEmpty(), confirmed);
        if (confirmed) {
            QVERIFY(!hasCameraMetadata(target));
            QVERIFY(tagsOf(target).contains(QStringLiteral("JPEG")));
        } else {
            QCOMPARE(contentsOf(target), before);
            QVERIFY2(result.moveError.contains(target), qPrintable(result.moveError));
        }
        if (!targetIsSource)
            QVERIFY(hasCameraMetadata(source));
        QCOMPARE(entriesOf(targetFolder), QStringList{QStringLiteral("photo.jpg")});
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    void movesToAnotherFileSystem()
    {
        Folders folders;
        QVERIFY(folders.valid());
        QTemporaryDir shm(QStringLiteral("/dev/shm/tst_copywithoutmetadata-XXXXXX"));
        if (!shm.isValid() || deviceOf(shm.path()) == deviceOf(folders.temp.path()))
            QSKIP("no second file system to move to");
        const QString source = folders.source.filePath(QStringLiteral("photo.jpg"));
        QVERIFY(QFile::copy(sample(QStringLiteral("Canon.jpg")), source));
        const QString target = shm.filePath(QStringLiteral("clean.jpg"));

        const CopyWithoutMetadataResult result = CopyWithoutMetadata(requestFor(folders, source, target, false));

        QVERIFY2(result.moved, qPrintable(result.moveError));
        QVERIFY(!hasCameraMetadata(target));
        QCOMPARE(entriesOf(shm.path()), QStringList{QStringLiteral("clean.jpg")});
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
        // The copy gets the mode of a file ExifTool creates, not that of a private temporary file.
        const QString reference = folders.work.filePath(QStringLiteral("reference"));
        QVERIFY(writeFile(reference, "x"));
        QCOMPARE(QFileInfo(target).permissions(), QFileInfo(reference).permissions());
    }

    // Closing the window during a long copy between file systems stops it: nothing is left at the target, and the
    // file to move stays where it was.
    void stoppedMoveToAnotherFileSystemLeavesNothing()
    {
        Folders folders;
        QVERIFY(folders.valid());
        QTemporaryDir shm(QStringLiteral("/dev/shm/tst_copywithoutmetadata-XXXXXX"));
        if (!shm.isValid() || deviceOf(shm.path()) == deviceOf(folders.temp.path()))
            QSKIP("no second file system to move to");
        const QString from = folders.temp.filePath(tempName);
        QVERIFY(writeFile(from, QByteArray(256 * 1024, 'x')));
        std::stop_source stopping;
        stopping.request_stop();
        for (const bool replace : {false, true}) {
            QVERIFY(
                !MoveFileTo(from, shm.filePath(QStringLiteral("clean.jpg")), replace, stopping.get_token()).isEmpty());
            QCOMPARE(entriesOf(shm.path()), QStringList());
            QCOMPARE(contentsOf(from), QByteArray(256 * 1024, 'x'));
        }
    }

    void percentInTheTemporaryFolder()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString temp = folders.temp.filePath(QStringLiteral("t%d%f%c%%"));
        QVERIFY(QDir().mkpath(temp));
        const QString target = folders.target.filePath(QStringLiteral("clean.jpg"));
        CopyWithoutMetadataRequest request = requestFor(folders, sample(QStringLiteral("Canon.jpg")), target, false);
        request.tempFolder = temp;
        const CopyWithoutMetadataResult result = CopyWithoutMetadata(request);
        QVERIFY2(result.moved, qPrintable(result.moveError + result.output));
        QVERIFY(!hasCameraMetadata(target));
        QCOMPARE(entriesOf(temp), QStringList());
        QCOMPARE(entriesOf(folders.temp.path()), QStringList{QStringLiteral("t%d%f%c%%")});
    }

    void stalePlainTemporaryFileIsReplaced()
    {
        Folders folders;
        QVERIFY(folders.valid());
        QVERIFY(writeFile(folders.temp.filePath(tempName), "left over by an earlier run"));
        QVERIFY(QDir(folders.temp.path()).mkpath(QStringLiteral("brindlescope (2).tmp")));
        const QString target = folders.target.filePath(QStringLiteral("clean.jpg"));
        const CopyWithoutMetadataResult result =
            CopyWithoutMetadata(requestFor(folders, sample(QStringLiteral("Canon.jpg")), target, false));
        QVERIFY2(result.moved, qPrintable(result.moveError + result.output));
        QVERIFY(!hasCameraMetadata(target));
        QCOMPARE(entriesOf(folders.temp.path()), QStringList{QStringLiteral("brindlescope (2).tmp")});
    }

    // A run given up at the time limit may have left half a file: it must never become the target.
    void unfinishedRunSavesNothing()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString script = folders.work.filePath(QStringLiteral("exiftool"));
        QVERIFY(WriteScript(script, "#!/bin/sh\nprintf 'half a file' > \"$3\"\nexec sleep 60\n"));
        const QString target = folders.target.filePath(QStringLiteral("clean.jpg"));
        CopyWithoutMetadataRequest request = requestFor(folders, sample(QStringLiteral("Canon.jpg")), target, true);
        request.exifToolProgram = script;
        request.timeLimit = 500ms;

        const CopyWithoutMetadataResult result = CopyWithoutMetadata(request);

        QVERIFY(!result.moved);
        QVERIFY(!result.moveError.isEmpty());
        QCOMPARE(entriesOf(folders.target.path()), QStringList());
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    // Copying a large file takes longer: its run is not given up at the limit meant for a small one.
    void largeSourceGetsMoreTime()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString script = folders.work.filePath(QStringLiteral("exiftool"));
        QVERIFY(WriteScript(script, "#!/bin/sh\nsleep 1\ncp \"$4\" \"$3\"\n"));
        const QString source = folders.work.filePath(QStringLiteral("video.mp4"));
        QFile large(source);
        QVERIFY(large.open(QIODevice::WriteOnly));
        QVERIFY(large.resize(4 * CopyWithoutMetadataRequest::kBytesPerExtraSecond)); // sparse: four seconds more
        large.close();
        const QString target = folders.target.filePath(QStringLiteral("video.mp4"));
        CopyWithoutMetadataRequest request = requestFor(folders, source, target, false);
        request.exifToolProgram = script;
        request.timeLimit = 300ms;

        const CopyWithoutMetadataResult result = CopyWithoutMetadata(request);

        QVERIFY2(result.moved, qPrintable(result.moveError));
        QCOMPARE(QFileInfo(target).size(), 4 * CopyWithoutMetadataRequest::kBytesPerExtraSecond);
    }

    void exifToolCannotStart()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString target = folders.target.filePath(QStringLiteral("clean.jpg"));
        CopyWithoutMetadataRequest request = requestFor(folders, sample(QStringLiteral("Canon.jpg")), target, false);
        request.exifToolProgram = QStringLiteral("/nonexistent/exiftool");
        const CopyWithoutMetadataResult result = CopyWithoutMetadata(request);
        QVERIFY(!result.moved);
        QVERIFY(!result.errorReported);
        QVERIFY(!result.moveError.isEmpty());
        QCOMPARE(result.output, QString());
        QCOMPARE(entriesOf(folders.target.path()), QStringList());
    }

    void moveIntoAMissingFolderFails()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString from = folders.temp.filePath(QStringLiteral("file"));
        QVERIFY(writeFile(from, "data"));
        QVERIFY(!MoveFileTo(from, folders.target.filePath(QStringLiteral("missing/file")), true).isEmpty());
        QVERIFY(!MoveFileTo(from, folders.target.filePath(QStringLiteral("missing/file")), false).isEmpty());
        QCOMPARE(contentsOf(from), QByteArray("data"));
    }
};

QTEST_GUILESS_MAIN(TestCopyWithoutMetadata)
#include "tst_copywithoutmetadata.moc"
