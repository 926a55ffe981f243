// Writes the export of a file list through the program's own export code, with no window, and reports its time and
// its memory.
//
// tagscope-bench-export [--rows N | --scan DIR] [--format txt|csv|html|xls|xlsx] [--columns name,extension,date,size]
//                       [--no-header] [--tree] [--separator C] OUT
//
// The list is either N made-up files (default 1,000,000, in folders of a realistic depth) or the files of a scan of
// DIR as the window lists them (subfolders on, sizes on, filter "*", the en_US locale, in list order). The time counts
// what pressing Save costs after the save dialog: the snapshot of the list and the writing of the file. The peak
// resident size growth over the list itself is read from VmHWM in /proc/self/status. The last line is
// "rows: N seconds: S bytes: B".

#include "core/export/exportwriter.h"
#include "core/filelist/filerecords.h"
#include "core/filelist/filesearcher.h"
#include "core/platform/filelimit.h"
#include "core/platform/privatetemp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

qint64 peakResidentBytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

int usage()
{
    std::fputs("usage: tagscope-bench-export [--rows N | --scan DIR] [--format txt|csv|html|xls|xlsx]\n"
               "                             [--columns name,extension,date,size] [--no-header] [--tree]\n"
               "                             [--separator C] OUT\n",
               stderr);
    return 2;
}

// count files in folders two to seven levels below a home folder, a hundred to a folder, as a photo collection is.
void makeRecords(FileRecords& records, qint64 count)
{
    static const QStringList kExtensions = {u"JPG"_s, u"CR2"_s, u"PNG"_s, u"MP4"_s, u"HEIC"_s, u"PDF"_s};
    std::vector<TMyRecord> batch;
    QString folder;
    QString extensionText;
    for (qint64 i = 0; i < count; ++i) {
        if (i % 100 == 0) {
            const qint64 f = i / 100;
            folder = u"/home/someone/Pictures/"_s;
            for (qint64 level = 0, depth = 1 + f % 6; level < depth; ++level)
                folder += u"Folder %1-%2/"_s.arg(level).arg((f >> level) % 37);
        }
        const QString& extension = kExtensions.at(i % kExtensions.size());
        TMyRecord r;
        r.FFolder = folder;
        r.FName = u"IMG_%1.%2"_s.arg(i, 7, 10, QChar(u'0')).arg(extension.toLower());
        r.FExtension = extension;
        r.FSize = 1000 + (i * 7919) % 9000000;
        r.FDateKey = 1500000000 + i * 61 / 60 * 60;
        batch.push_back(std::move(r));
        if (batch.size() == 4096)
            records.append(batch);
    }
    records.append(batch);
}

bool scan(FileRecords& records, const QString& folder)
{
    ScanSettings settings;
    settings.folder = folder;
    settings.filterText = u"*"_s;
    settings.includeSubfolders = true;
    settings.calculateSize = true;
    settings.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QElapsedTimer stopwatch;
    stopwatch.start();
    TFileSearcher searcher(records, settings, stopwatch);
    bool ok = true;
    QObject::connect(&searcher, &TFileSearcher::scanFinished, qApp, [] { QCoreApplication::quit(); });
    QObject::connect(&searcher, &TFileSearcher::scanFailed, qApp, [&](const QString& error) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        ok = false;
        QCoreApplication::quit();
    });
    searcher.start();
    QCoreApplication::exec();
    searcher.wait();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RaiseOpenFileLimit();

    qint64 rows = 1000000;
    QString scanFolder;
    QString format = u"csv"_s;
    QString output;
    ExportOptions options;
    options.name = options.extension = options.date = options.size = true;
    options.title = u"BRINDLE - Tagscope"_s;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--rows") == 0 && hasValue) {
            rows = QByteArray(argv[++i]).toLongLong();
        } else if (std::strcmp(arg, "--scan") == 0 && hasValue) {
            scanFolder = QFile::decodeName(argv[++i]);
        } else if (std::strcmp(arg, "--format") == 0 && hasValue) {
            format = QString::fromLatin1(argv[++i]);
        } else if (std::strcmp(arg, "--columns") == 0 && hasValue) {
            const QStringList columns = QString::fromLatin1(argv[++i]).split(u',', Qt::SkipEmptyParts);
            options.name = columns.contains(u"name"_s);
            options.extension = columns.contains(u"extension"_s);
            options.date = columns.contains(u"date"_s);
            options.size = columns.contains(u"size"_s);
        } else if (std::strcmp(arg, "--no-header") == 0) {
            options.headers = false;
        } else if (std::strcmp(arg, "--tree") == 0) {
            options.treeview = true;
        } else if (std::strcmp(arg, "--separator") == 0 && hasValue) {
            const QString separator = QString::fromLocal8Bit(argv[++i]);
            if (separator.size() != 1)
                return usage();
            options.listSeparator = separator.at(0);
        } else if (arg[0] == '-' || !output.isEmpty()) {
            return usage();
        } else {
            output = QFile::decodeName(arg);
        }
    }
    if (output.isEmpty() || rows < 0)
        return usage();
    if (format == u"txt"_s)
        options.output = ExportOutput::Txt;
    else if (format == u"csv"_s)
        options.output = ExportOutput::Csv;
    else if (format == u"html"_s)
        options.output = ExportOutput::Html;
    else if (format == u"xls"_s || format == u"xlsx"_s)
        options.output = ExportOutput::Spreadsheet;
    else
        return usage();
    options.treeview = options.treeview && options.name;

    FileRecords records;
    if (!scanFolder.isEmpty()) {
        if (!scan(records, scanFolder))
            return 1;
    } else {
        makeRecords(records, rows);
    }

    const qint64 peakBefore = peakResidentBytes();
    QElapsedTimer timer;
    timer.start();
    const ExportRows snapshot = ExportSnapshot(records);
    const double snapshotSeconds = double(timer.nsecsElapsed()) / 1e9;
    const qint64 peakSnapshot = peakResidentBytes();
    ExportResult result;
    try {
        result = WriteExport(output, options, snapshot, QLocale(QLocale::English, QLocale::UnitedStates),
                             GetTempDirectory());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const qint64 peakAfter = peakResidentBytes();
    if (!result.written) {
        std::fprintf(stderr, "not written: %s\n", result.spreadsheetFailure.toUtf8().constData());
        return 1;
    }
    std::printf("snapshot: %.3f s, %.1f MB\n", snapshotSeconds, double(peakSnapshot - peakBefore) / 1e6);
    if (peakBefore >= 0 && peakAfter >= 0)
        std::printf("peak resident growth: %.1f MB\n", double(peakAfter - peakBefore) / 1e6);
    std::printf("rows: %zu seconds: %.3f bytes: %lld\n", snapshot.size(), seconds,
                static_cast<long long>(QFileInfo(output).size()));
    return 0;
}
