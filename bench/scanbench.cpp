// Runs the program's own folder scan (the scan thread, the filter, the records and their texts) over a folder with
// a fixed en_US locale and no window, and reports its time, its memory and, on request, the sort times.
//
// tagscope-bench-scan [--no-subfolders] [--no-size] [--case-sensitive] [--filter TEXT] [--print] [--sort] DIR
//
// --print writes every listed full path first, one per line, in list order. --sort then sorts by each column and
// prints each time. The peak resident size growth is read from VmHWM in /proc/self/status before and after. The last
// line is "files: N seconds: S".

#include "core/filelist/filelistmodel.h"
#include "core/filelist/filerecords.h"
#include "core/filelist/filesearcher.h"
#include "core/filelist/filesort.h"
#include "core/platform/filelimit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// VmHWM in bytes, or -1 where /proc is missing.
qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            const QByteArray kib = line.mid(6).trimmed().split(' ').value(0);
            return kib.toLongLong() * 1024;
        }
    }
    return -1;
}

int usage()
{
    std::fputs("usage: tagscope-bench-scan [--no-subfolders] [--no-size] [--case-sensitive] [--filter TEXT] [--print] "
               "[--sort] DIR\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RaiseOpenFileLimit();

    ScanSettings settings;
    settings.filterText = QStringLiteral("*");
    settings.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    bool print = false;
    bool sort = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--no-subfolders") == 0)
            settings.includeSubfolders = false;
        else if (std::strcmp(arg, "--no-size") == 0)
            settings.calculateSize = false;
        else if (std::strcmp(arg, "--case-sensitive") == 0)
            settings.caseSensitive = true;
        else if (std::strcmp(arg, "--filter") == 0 && i + 1 < argc)
            settings.filterText = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(arg, "--print") == 0)
            print = true;
        else if (std::strcmp(arg, "--sort") == 0)
            sort = true;
        else if (arg[0] == '-' || !settings.folder.isEmpty())
            return usage();
        else
            settings.folder = QFile::decodeName(arg);
    }
    if (settings.folder.isEmpty())
        return usage();

    const qint64 peakBefore = peakResidentBytes();
    FileRecords records;
    QElapsedTimer stopwatch;
    stopwatch.start();
    TFileSearcher searcher(records, settings, stopwatch);
    double seconds = 0;
    QObject::connect(&searcher, &TFileSearcher::scanFinished, &app, [&] {
        seconds = static_cast<double>(stopwatch.nsecsElapsed()) / 1e9;
        app.quit();
    });
    QObject::connect(&searcher, &TFileSearcher::scanFailed, &app, [&](const QString& error) {
        std::fprintf(stdout, "%s\n", error.toUtf8().constData());
        app.exit(1);
    });
    searcher.start();
    const int status = app.exec();
    searcher.wait();
    if (status != 0)
        return status;

    if (print) {
        const FileRecords::Reader list = records.read();
        std::string out;
        for (std::size_t i = 0; i < list.size(); ++i) {
            out += QFile::encodeName(list[i].FFullName()).toStdString();
            out += '\n';
            if (out.size() > (1 << 16)) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
    }

    if (sort) {
        for (int column = 0; column < FileColumnCount; ++column) {
            QElapsedTimer timer;
            timer.start();
            records.sort(column, false);
            std::printf("sort by %s: %.3f s\n", FileListModel::columnCaption(column).toUtf8().constData(),
                        static_cast<double>(timer.nsecsElapsed()) / 1e9);
        }
    }

    const std::size_t count = records.size();
    const qint64 peakAfter = peakResidentBytes();
    if (peakBefore >= 0 && peakAfter >= 0 && count > 0) {
        std::printf("peak resident growth: %lld bytes, %.1f bytes per listed file\n",
                    static_cast<long long>(peakAfter - peakBefore),
                    static_cast<double>(peakAfter - peakBefore) / static_cast<double>(count));
    }
    std::printf("files: %zu seconds: %.3f\n", count, seconds);
    return 0;
}
