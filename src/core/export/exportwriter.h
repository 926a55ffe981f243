#pragma once

#include "core/export/exportlines.h"

#include <QLocale>
#include <QString>

#include <atomic>
#include <functional>
#include <stop_token>
#include <vector>

class FileRecords;

// The files of the list at one moment, in the list's order, taken under its lock: an export reads these while the
// scan may go on appending to the list.
std::vector<ExportRecord> ExportSnapshot(const FileRecords& records);

// How an export ended.
struct ExportResult
{
    bool written = false; // the file is complete at its name
    bool stopped = false; // a stop request ended it; the file at the name is as it was before
    // A spreadsheet that could not be written: the reason, for the "WARNING" box. Text files raise their errors.
    QString spreadsheetFailure;
};

// Writes the export of records to fileName: TXT, CSV and HTML as UTF-8 with a byte order mark and CR LF after every
// line, a spreadsheet as XLSX when the name ends in ".xlsx" (any case) and as XLS otherwise. The file is written beside
// its name and renamed into place when complete, so that no half file is ever seen and the previous one stays until
// the new one is whole. rowsDone counts the rows written so far, for a progress bar. A text file that cannot be
// created raises TagscopeError "Cannot create file "<name>". <reason>". Blocks the calling thread.
ExportResult WriteExport(const QString& fileName, const ExportOptions& options, const std::vector<ExportRecord>& records,
                         const QLocale& locale, const QString& tempFolder, std::atomic<qint64>* rowsDone = nullptr,
                         std::stop_token stop = {});
