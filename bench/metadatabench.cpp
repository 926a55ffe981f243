// Shows the metadata report of each file in turn through the program's own metadata path, with no window: the
// resident ExifTool, or with --one-shot one ExifTool run per report. Each report is timed from writing its arguments
// to having the pane's text.
//
// tagscope-bench-metadata [--one-shot] [--dump DIR] [--exiftool PROGRAM] FILE...
//
// --dump writes each pane text to DIR/<file name>.txt. The first report, which includes starting ExifTool and
// loading its modules, is printed on its own as "first_ms: T"; the last line, "reports: N p50_ms: A p95_ms: B
// max_ms: C", covers the N reports after it (or the only one when there is one file).

#include "core/metadata/exiftoolsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tagscope-bench-metadata [--one-shot] [--dump DIR] [--exiftool PROGRAM] FILE...\n");
    return 2;
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
    QStringList files;
    while (!arguments.isEmpty()) {
        const QString argument = arguments.takeFirst();
        if (argument == u"--one-shot") {
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
    if (files.isEmpty())
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
    ExifToolSession session(temp.path());
    session.setResidentAllowed(!oneShot);
    session.start(program, work.path());

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
    std::vector<double> measured(times.size() > 1 ? times.begin() + 1 : times.begin(), times.end());
    std::sort(measured.begin(), measured.end());
    std::printf("reports: %zu p50_ms: %.2f p95_ms: %.2f max_ms: %.2f\n", measured.size(), percentile(measured, 0.5),
                percentile(measured, 0.95), measured.back());
    return failed == 0 ? 0 : 1;
}
