// Shows the metadata report of each file in turn through the program's own metadata path, with no window: the
// resident ExifTool, or with --one-shot one ExifTool run per report. Each report is timed from writing its arguments
// to having the pane's text.
//
// tagscope-bench-metadata [--one-shot] [--dump DIR] [--exiftool PROGRAM] [--behind SLOWFILE] FILE...
// tagscope-bench-metadata [--exiftool PROGRAM] --save-as SOURCE TARGET
//
// --dump writes each pane text to DIR/<file name>.txt. The first report, which includes starting ExifTool and
// loading its modules, is printed on its own as "first_ms: T"; the last line, "reports: N p50_ms: A p95_ms: B
// max_ms: C", covers the N reports after it (or the only one when there is one file).
//
// --behind requests SLOWFILE first and, once ExifTool is busy with it, the files one after the other as a user who
// moved on would; the statistics then include the first of them.
//
// --save-as runs the program's own "Save As..." path as if the user had chosen TARGET and agreed to replace it when it
// exists, and prints one line: "saved", "saved with warning: <the tags that remain>", "refused: <reason>" or
// "failed: <reason>" (the last two exit with 1).

#include "core/metadata/copywithoutmetadata.h"
#include "core/metadata/exiftoolsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tagscope-bench-metadata [--one-shot] [--dump DIR] [--exiftool PROGRAM] "
                         "[--behind SLOWFILE] FILE...\n"
                         "       tagscope-bench-metadata [--exiftool PROGRAM] --save-as SOURCE TARGET\n");
    return 2;
}

int saveAs(const QString& program, const QString& source, const QString& target, const QString& work,
           const QString& temp)
{
    CopyWithoutMetadataRequest request;
    request.source = source;
    request.target = target;
    request.replaceConfirmed = QFileInfo::exists(target);
    request.exifToolProgram = program;
    request.workingFolder = work;
    request.tempFolder = temp;
    const CopyWithoutMetadataResult result = CopyWithoutMetadata(request);
    if (result.refused) {
        std::printf("refused: the copy cannot replace the original file\n");
        return 1;
    }
    if (!result.moved) {
        const QString reason = result.errorReported ? result.output.trimmed() : result.moveError;
        std::printf("failed: %s\n", qPrintable(QString(reason).replace(u'\n', u' ')));
        return 1;
    }
    if (!result.remainingTags.isEmpty())
        std::printf("saved with warning: %s\n", qPrintable(result.remainingTags.join(u", ")));
    else
        std::printf("saved\n");
    return 0;
}

// Nearest-rank percentile of sorted values.
double percentile(const std::vector<double>& sorted, double fraction)
{
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    bool oneShot = false;
    QString dumpFolder;
    QString program = QStringLiteral("exiftool");
    QString behind;
    QStringList saveAsFiles;
    QStringList files;
    while (!arguments.isEmpty()) {
        const QString argument = arguments.takeFirst();
        if (argument == u"--save-as" && arguments.size() >= 2) {
            saveAsFiles = {arguments.takeFirst(), arguments.takeFirst()};
        } else if (argument == u"--behind" && !arguments.isEmpty()) {
            behind = QFileInfo(arguments.takeFirst()).absoluteFilePath();
        } else if (argument == u"--one-shot") {
            oneShot = true;
        } else if (argument == u"--dump" && !arguments.isEmpty()) {
            dumpFolder = arguments.takeFirst();
        } else if (argument == u"--exiftool" && !arguments.isEmpty()) {
            program = arguments.takeFirst();
        } else if (argument.startsWith(u"--")) {
            return usage();
        } else {
            files.append(QFileInfo(argument).absoluteFilePath());
        }
    }
    if (files.isEmpty() == saveAsFiles.isEmpty())
        return usage();
    if (!dumpFolder.isEmpty() && !QDir().mkpath(dumpFolder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dumpFolder));
        return 1;
    }

    // Not named after the program: a starting Tagscope removes lock-less "tagscope-*" folders from the temporary
    // folder.
    QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/metadata-bench-temp-XXXXXX"));
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/metadata-bench-work-XXXXXX"));
    if (!temp.isValid() || !work.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    if (!saveAsFiles.isEmpty())
        return saveAs(program, saveAsFiles[0], saveAsFiles[1], work.path(), temp.path());
    ExifToolSession session(temp.path());
    session.setResidentAllowed(!oneShot);
    session.start(program, work.path());
    if (!behind.isEmpty()) {
        session.requestReport(behind);
        // Long enough for ExifTool to be at work on it, as it is when a user clicks on past a slow file.
        QEventLoop busy;
        QTimer::singleShot(500, &busy, &QEventLoop::quit);
        busy.exec();
    }

    std::vector<double> times;
    int failed = 0;
    for (const QString& file : files) {
        QEventLoop loop;
        MetadataReport report;
        int id = 0;
        QObject::connect(&session, &ExifToolSession::reportReady, &loop,
                         [&](int answered, const MetadataReport& answer) {
                             if (answered != id)
                                 return;
                             report = answer;
                             loop.quit();
                         });
        QElapsedTimer clock;
        clock.start();
        id = session.requestReport(file);
        loop.exec();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);

        if (!report.produced) {
            ++failed;
            std::fprintf(stderr, "no report: %s\n", qPrintable(file));
            continue;
        }
        if (!dumpFolder.isEmpty()) {
            QFile dump(QDir(dumpFolder).filePath(QFileInfo(file).fileName() + QStringLiteral(".txt")));
            if (!dump.open(QIODevice::WriteOnly) || dump.write(report.paneText.toUtf8()) < 0) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(dump.fileName()));
                return 1;
            }
        }
    }

    std::printf("mode: %s failed: %d\n", oneShot ? "one-shot" : "resident", failed);
    std::printf("first_ms: %.2f\n", times.front());
    // Behind a slow file the first report is one of those measured: it shows what moving on from the slow file costs.
    const bool skipFirst = times.size() > 1 && behind.isEmpty();
    std::vector<double> measured(skipFirst ? times.begin() + 1 : times.begin(), times.end());
    std::sort(measured.begin(), measured.end());
    std::printf("reports: %zu p50_ms: %.2f p95_ms: %.2f max_ms: %.2f\n", measured.size(), percentile(measured, 0.5),
                percentile(measured, 0.95), measured.back());
    return failed == 0 ? 0 : 1;
}
