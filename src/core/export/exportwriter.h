#pragma once

#include "core/export/exportlines.h"

#include <QHash>
#include <QLocale>
#include <QString>

#include <atomic>
#include <functional>
#include <stop_token>
#include <vector>

class FileRecords;

// The files of an export, in order. The texts are shared with the list, and a folder or an extension is kept once for
// all the files that have it, so that a snapshot of a million files costs about half of what their records cost.
class ExportRows final
{
public:
    ExportRows() = default;
    // The given files, in their order; a list of records stands for its rows wherever rows are asked for.
    ExportRows(const std::vector<ExportRecord>& records);

    std::size_t size() const { return m_names.size(); }
    bool empty() const { return m_names.empty(); }
    ExportRecord operator[](std::size_t i) const;

    void reserve(std::size_t count);
    void append(const QString& folder, const QString& name, const QString& extension, qint64 dateKey, qint64 size);

private:
    // Texts kept once each: the same text (the same shared string) gets the same index.
    class TextTable final
    {
    public:
        quint32 indexOf(const QString& text);
        const QString& at(quint32 index) const { return m_texts[index]; }

    private:
        std::vector<QString> m_texts;
        QHash<const void*, quint32> m_byData; // keyed by the text's shared characters
        const void* m_lastData = nullptr;
        quint32 m_lastIndex = 0;
    };

    TextTable m_folders;
    TextTable m_extensions;
    std::vector<QString> m_names;
    std::vector<quint32> m_folderOf;
    std::vector<quint32> m_extensionOf;
    std::vector<qint64> m_dateKeys;
    std::vector<qint64> m_sizes;
};

// The files of the list at one moment, in the list's order, taken under its lock: an export reads these while the
// scan may go on appending to the list.
ExportRows ExportSnapshot(const FileRecords& records);

// How an export ended.
struct ExportResult
{
    bool written = false; // the file is complete at its name
    bool stopped = false; // a stop request ended it; the file at the name is as it was before (unless written in place)
    // A spreadsheet that could not be written: the reason, for the "WARNING" box. Text files raise their errors.
    QString spreadsheetFailure;
};

// Writes the export of records to fileName: TXT, CSV and HTML as UTF-8 with a byte order mark and CR LF after every
// line, a spreadsheet as XLSX when the name ends in ".xlsx" (any case) and as XLS otherwise. The file is written beside
// its name and renamed into place when complete, so that no half file is ever seen and the previous one stays until
// the new one is whole; only in a folder that refuses that temporary file is an existing file (one that may be
// written) written in place instead. rowsDone counts the rows written so far, for a progress bar. A text file that
// cannot be created raises TagscopeError "Cannot create file "<name>". <reason>". Blocks the calling thread.
ExportResult WriteExport(const QString& fileName, const ExportOptions& options, const ExportRows& records,
                         const QLocale& locale, const QString& tempFolder, std::atomic<qint64>* rowsDone = nullptr,
                         std::stop_token stop = {});
