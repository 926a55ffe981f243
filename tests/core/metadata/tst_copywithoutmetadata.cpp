#include "core/metadata/copywithoutmetadata.h"
#include "core/metadata/metadatacheck.h"
#include "core/platform/movefile.h"
#include "support/taggedfiles.h"
#include "support/testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonObject>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString exifTool = QStringLiteral("exiftool");
const QString tempName = QStringLiteral("brindlescope.tmp");

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

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

    void targetThatIsTheSourceIsRefused_data()
    {
        QTest::addColumn<QString>("how"); // how the target names the source
        QTest::newRow("its own name") << QStringLiteral("name");
        QTest::newRow("a link to it") << QStringLiteral("link");
        QTest::newRow("a second hard link") << QStringLiteral("hard link");
        // The dialog chose a file to replace in another folder, and while ExifTool ran that folder became a link to
        // the source's folder.
        QTest::newRow("a folder made a link meanwhile") << QStringLiteral("folder swapped");
    }

    // Two keystrokes in the save dialog (Enter, then Yes) would otherwise replace the original with its stripped
    // copy and destroy its metadata for good.
    void targetThatIsTheSourceIsRefused()
    {
        QFETCH(QString, how);
        Folders folders;
        QVERIFY(folders.valid());
        const QString source = folders.source.filePath(QStringLiteral("photo.jpg"));
        QVERIFY(QFile::copy(sample(QStringLiteral("Canon.jpg")), source));
        const QByteArray original = contentsOf(source);
        QString target = source;
        if (how == u"link") {
            target = folders.target.filePath(QStringLiteral("link.jpg"));
            QVERIFY(QFile::link(source, target));
        } else if (how == u"hard link") {
            target = folders.target.filePath(QStringLiteral("second.jpg"));
            QCOMPARE(::link(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()), 0);
        }
        CopyWithoutMetadataRequest request = requestFor(folders, source, target, true);
        const bool swapped = how == u"folder swapped";
        if (swapped) {
            const QString folder = folders.target.filePath(QStringLiteral("sub"));
            target = folder + QStringLiteral("/photo.jpg");
            QVERIFY(WriteFileMakingFolders(target, "the file the user agreed to replace"));
            request.target = target;
            // Only the run that strips the file swaps the folder; the check of the copy afterwards finds nothing.
            request.exifToolProgram = folders.work.filePath(QStringLiteral("exiftool"));
            QVERIFY(WriteScript(request.exifToolProgram,
                                "#!/bin/sh\n[ \"$1\" = -all= ] || exit 0\nprintf stripped > \"$3\"\nrm -r '" +
                                    QFile::encodeName(folder) + "'\nln -s '" +
                                    QFile::encodeName(folders.source.path()) + "' '" + QFile::encodeName(folder) +
                                    "'\n"));
        }

        const CopyWithoutMetadataResult result = CopyWithoutMetadata(request);

        QVERIFY(result.refused);
        QVERIFY(!result.moved);
        if (!swapped)
            QVERIFY(result.output.isEmpty()); // ExifTool did not even run
        QCOMPARE(contentsOf(source), original);
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    void strippedCopyHoldsNoneOfTheValues_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("PDF with an Info dictionary and XMP")
            << QStringLiteral("paper.pdf")
            << QStringList{QStringLiteral("Secret Title"), QStringLiteral("Jane Secret"),
                           QStringLiteral("Xmp Creator")};
        QTest::newRow("JPEG with EXIF, XMP, IPTC and a comment")
            << QStringLiteral("photo.jpg")
            << QStringList{QStringLiteral("ExifArtistSecret"), QStringLiteral("XmpCreatorSecret"),
                           QStringLiteral("IptcKeywordSecret"), QStringLiteral("JpegCommentSecret")};
        QTest::newRow("PNG with text chunks")
            << QStringLiteral("drawing.png")
            << QStringList{QStringLiteral("PngAuthorSecret"), QStringLiteral("PngCommentSecret")};
    }

    // None of the values of the source's metadata can be found in the copy's bytes, and ExifTool finds no metadata
    // in it. A PDF keeps no earlier revision that would bring the old metadata back.
    void strippedCopyHoldsNoneOfTheValues()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, values);
        Folders folders;
        QVERIFY(folders.valid());
        const QString source = folders.source.filePath(name);
        if (name.endsWith(u".pdf"))
            QVERIFY_MADE(MakePdfWithMetadata(source, values[0], values[1], values[2]));
        else if (name.endsWith(u".jpg"))
            QVERIFY_MADE(MakeTaggedJpeg(source, {u"-EXIF:Artist="_s + values[0], u"-XMP-dc:Creator="_s + values[1],
                                                 u"-IPTC:Keywords="_s + values[2], u"-Comment="_s + values[3]}));
        else
            QVERIFY_MADE(MakeTaggedPng(source, {u"-PNG:Author="_s + values[0], u"-PNG:Comment="_s + values[1]}));
        for (const QString& value : values)
            QVERIFY2(contentsOf(source).contains(value.toUtf8()), qPrintable(value)); // the fixture holds them

        const QString target = folders.target.filePath(name);
        const CopyWithoutMetadataResult result = CopyWithoutMetadata(requestFor(folders, source, target, false));

        QVERIFY2(result.moved, qPrintable(result.moveError));
        QCOMPARE(result.remainingTags, QStringList());
        const QByteArray copy = contentsOf(target);
        for (const QString& value : values)
            QVERIFY2(!copy.contains(value.toUtf8()), qPrintable(value));
        if (name.endsWith(u".pdf")) {
            // ExifTool takes back its own updates of a PDF; nothing of the kind is left to take back.
            const QString restored = folders.work.filePath(QStringLiteral("restored.pdf"));
            QProcess restore;
            restore.start(exifTool, {QStringLiteral("-PDF-update:all="), QStringLiteral("-o"), restored, target});
            QVERIFY(restore.waitForFinished(60000));
            QVERIFY(!QFile::exists(restored));
        }
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
    }

    void metadataTags_data()
    {
        QTest::addColumn<QJsonObject>("tags");     // one file's tags as "exiftool -j -G0" lists them
        QTest::addColumn<QStringList>("writable"); // what ExifTool can write in the file's container group
        QTest::addColumn<QStringList>("metadata");

        QTest::newRow("a clean JPEG") << QJsonObject{{u"SourceFile"_s, u"a.jpg"_s},
                                                     {u"ExifTool:ExifToolVersion"_s, 12.57},
                                                     {u"File:FileName"_s, u"a.jpg"_s},
                                                     {u"File:FileType"_s, u"JPEG"_s},
                                                     {u"File:ImageWidth"_s, 16},
                                                     {u"Composite:ImageSize"_s, u"16x16"_s}}
                                      << QStringList() << QStringList();
        QTest::newRow("a JPEG with metadata left")
            << QJsonObject{{u"File:FileType"_s, u"JPEG"_s},
                           {u"EXIF:Make"_s, u"Canon"_s},
                           {u"XMP:Creator"_s, u"me"_s},
                           {u"IPTC:Keywords"_s, u"k"_s}}
            << QStringList() << strings({"EXIF:Make", "IPTC:Keywords", "XMP:Creator"});
        QTest::newRow("a PDF: its pages are no metadata, its title is")
            << QJsonObject{{u"File:FileType"_s, u"PDF"_s},
                           {u"PDF:PDFVersion"_s, u"1.4"_s},
                           {u"PDF:PageCount"_s, 1},
                           {u"PDF:Title"_s, u"t"_s},
                           {u"IPTC:Keywords"_s, u"an embedded picture's"_s}}
            << strings({"Author", "Title"}) << strings({"IPTC:Keywords", "PDF:Title"});
        QTest::newRow("a PNG's image header") << QJsonObject{{u"File:FileType"_s, u"PNG"_s},
                                                             {u"PNG:ImageWidth"_s, 16},
                                                             {u"PNG:BitDepth"_s, 8},
                                                             {u"PNG:BackgroundColor"_s, 0},
                                                             {u"PNG:Comment"_s, u"c"_s}}
                                              << strings({"Comment", "Gamma"}) << strings({"PNG:Comment"});
        QTest::newRow("a TIFF keeps its image structure, not its camera")
            << QJsonObject{{u"File:FileType"_s, u"TIFF"_s},
                           {u"EXIF:ImageWidth"_s, 160},
                           {u"EXIF:StripOffsets"_s, 364},
                           {u"EXIF:Make"_s, u"Canon"_s}}
            << strings({"ImageWidth", "StripOffsets", "Make"}) << strings({"EXIF:Make"});
        QTest::newRow("a movie's dates are metadata, its length is not")
            << QJsonObject{{u"File:FileType"_s, u"MOV"_s},
                           {u"QuickTime:Duration"_s, 4.97},
                           {u"QuickTime:CreateDate"_s, u"2005"_s}}
            << strings({"CreateDate"}) << strings({"QuickTime:CreateDate"});
    }

    void metadataTags()
    {
        QFETCH(QJsonObject, tags);
        QFETCH(QStringList, writable);
        QFETCH(QStringList, metadata);
        QCOMPARE(MetadataTags(tags, writable), metadata);
    }

    // Read with the real ExifTool, a tagged picture lists its tags and not those of its image header; a file ExifTool
    // cannot read says why.
    void remainingMetadataOfRealFiles()
    {
        QTemporaryDir folder;
        const QString tagged = folder.filePath(QStringLiteral("tagged.png"));
        QVERIFY_MADE(MakeTaggedPng(tagged, {u"-PNG:Author=Someone"_s, u"-XMP-dc:Title=A title"_s}));
        const QStringList found = RemainingMetadata(exifTool, tagged, folder.path());
        QVERIFY2(found.contains(u"PNG:Author"_s) && found.contains(u"XMP:Title"_s), qPrintable(found.join(u' ')));
        QVERIFY(!found.contains(u"PNG:ImageWidth"_s));
        const QStringList missing = RemainingMetadata(exifTool, folder.filePath(u"missing.png"_s), folder.path());
        QCOMPARE(missing.size(), 1);
        QVERIFY2(missing[0].startsWith(u"ExifTool: Error"_s), qPrintable(missing[0]));
    }

    void pdfWithoutQpdfIsNotSaved()
    {
        Folders folders;
        QVERIFY(folders.valid());
        const QString source = folders.source.filePath(QStringLiteral("paper.pdf"));
        QVERIFY_MADE(MakePdfWithMetadata(source, QStringLiteral("T"), QStringLiteral("A"), QStringLiteral("C")));
        const QString target = folders.target.filePath(QStringLiteral("paper.pdf"));
        CopyWithoutMetadataRequest request = requestFor(folders, source, target, false);
        request.qpdfProgram = folders.work.filePath(QStringLiteral("no-qpdf-here"));

        const CopyWithoutMetadataResult result = CopyWithoutMetadata(request);

        QVERIFY(!result.moved);
        QVERIFY2(result.moveError.contains(QStringLiteral("qpdf")), qPrintable(result.moveError));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(entriesOf(folders.temp.path()), QStringList());
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
        QTest::addColumn<bool>("otherFileSystem");

        QTest::newRow("confirmed") << true << false;
        QTest::newRow("not confirmed") << false << false;
        QTest::newRow("other file system, confirmed") << true << true;
        QTest::newRow("other file system, not confirmed") << false << true;
    }

    // An existing target (another file than the source) is replaced whole only after the user confirmed it;
    // otherwise it keeps every byte.
    void existingTarget()
    {
        QFETCH(bool, confirmed);
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
        const QString source = folders.source.filePath(QStringLiteral("photo.jpg"));
        QVERIFY(QFile::copy(sample(QStringLiteral("Canon.jpg")), source));
        const QString target = targetFolder + QStringLiteral("/photo.jpg");
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
