#include "core/export/exportwriter.h"

#include "core/base/errors.h"
#include "core/export/spreadsheet.h"
#include "core/filelist/filerecords.h"

#include <QDir>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// How often the progress count is brought up to date and a stop request is looked at.
constexpr std::size_t kRowsPerStep = 1024;
// The text gathered before it is encoded and handed to the file, in UTF-16 code units.
constexpr qsizetype kChunkChars = 32 * 1024;

ExportResult Written()
{
    ExportResult result;
    result.written = true;
    return result;
}

ExportResult Stopped()
{
    ExportResult result;
    result.stopped = true;
    return result;
}

ExportResult SpreadsheetFailed(const QString& reason)
{
    ExportResult result;
    result.spreadsheetFailure = reason;
    return result;
}

QString nativeName(const QString& fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// Lines of text into a file that appears under its name only when complete: UTF-8 with a byte order mark, CR LF after
// every line. In a folder that refuses the temporary file beside the name, an existing file that may be written is
// written in place instead: the user confirmed replacing it, and a read-only folder must not keep them from that.
class TextFile final
{
public:
    explicit TextFile(const QString& fileName) : m_file(fileName)
    {
        m_file.setDirectWriteFallback(true);
        if (!m_file.open(QIODevice::WriteOnly))
            throw TagscopeError(u"Cannot create file \"%1\". %2"_s.arg(nativeName(fileName), m_file.errorString()));
        m_chunk.reserve(kChunkChars + 4096);
        write("\xEF\xBB\xBF");
    }

    void line(const QString& text)
    {
        m_chunk += text;
        m_chunk += u"\r\n"_s;
        if (m_chunk.size() >= kChunkChars)
            flush();
    }

    void commit()
    {
        flush();
        if (!m_file.commit())
            fail();
    }

    // Leaves whatever was at the name as it was, unless the file is being written in place.
    void cancel() { m_file.cancelWriting(); }

private:
    void flush()
    {
        write(m_chunk.toUtf8());
        m_chunk.clear();
    }

    void write(const QByteArray& bytes)
    {
        if (m_file.write(bytes) != bytes.size())
            fail();
    }

    [[noreturn]] void fail()
    {
        const QString reason = m_file.errorString();
        m_file.cancelWriting();
        throw TagscopeError(u"Cannot write file \"%1\". %2"_s.arg(nativeName(m_file.fileName()), reason));
    }

    QSaveFile m_file;
    QString m_chunk;
};

// Walks the records for one output, keeping the progress count and answering whether to go on.
class RowLoop final
{
public:
    RowLoop(std::atomic<qint64>* rowsDone, std::stop_token stop) : m_rowsDone(rowsDone), m_stop(std::move(stop)) {}

    // Whether row i may be written; false once a stop was asked for.
    bool next(std::size_t i)
    {
        if (i % kRowsPerStep != 0)
            return true;
        if (m_rowsDone)
            m_rowsDone->store(qint64(i), std::memory_order_relaxed);
        return !m_stop.stop_requested();
    }

    void done(std::size_t rows)
    {
        if (m_rowsDone)
            m_rowsDone->store(qint64(rows), std::memory_order_relaxed);
    }

private:
    std::atomic<qint64>* m_rowsDone;
    std::stop_token m_stop;
};

ExportResult writeText(const QString& fileName, const ExportOptions& options, const ExportRows& records,
                       ExportLineBuilder& builder, RowLoop& loop)
{
    const bool html = options.output == ExportOutput::Html;
    TextFile file(fileName);
    if (html) {
        file.line(u"<html>"_s);
        file.line(u"<head>"_s);
        file.line(u"<title>"_s + HtmlEscaped(options.title) + u"</title>"_s);
        file.line(u"<style>table, th, td {border-collapse: collapse; border: 1px solid #000}</style>"_s);
        file.line(u"</head>"_s);
        file.line(u"<body>"_s);
        if (!records.empty())
            file.line(u"<table>"_s);
    }
    if (options.headers)
        file.line(builder.header());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!loop.next(i)) {
            file.cancel();
            return Stopped();
        }
        file.line(builder.line(records[i]));
    }
    if (html) {
        if (!records.empty())
            file.line(u"</table>"_s);
        file.line(u"</body>"_s);
        file.line(u"</html>"_s);
    }
    file.commit();
    loop.done(records.size());
    return Written();
}

ExportResult writeSpreadsheet(const QString& fileName, const ExportOptions& options, const ExportRows& records,
                              ExportLineBuilder& builder, const QString& tempFolder, RowLoop& loop)
{
    const bool xlsx = IsXlsxName(fileName);
    const std::size_t rows = records.size() + (options.headers ? 1 : 0);
    if (!xlsx && rows > std::size_t(kXlsMaxRows)) {
        return SpreadsheetFailed(
            u"An XLS workbook holds at most %1 rows, and this list needs %2. Save it under a name ending in "
            u"\".xlsx\" to get an XLSX workbook, which holds them all."_s.arg(kXlsMaxRows)
                .arg(qulonglong(rows)));
    }
    try {
        const std::unique_ptr<SpreadsheetWriter> writer =
            xlsx ? CreateXlsxWriter(fileName, tempFolder) : CreateXlsWriter(fileName);
        // The columns of the last row get their width: with no row at all, none does.
        qsizetype lastCells = 0;
        const auto addRow = [&](const QStringList& cells) {
            writer->addRow(cells);
            lastCells = cells.size();
        };
        if (options.headers)
            addRow(builder.headerCells());
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (!loop.next(i))
                return Stopped();
            addRow(builder.rowCells(records[i]));
        }
        writer->setColumnWidth(int(lastCells), 40);
        writer->finish();
    } catch (const TagscopeError& error) {
        return SpreadsheetFailed(error.message());
    }
    loop.done(records.size());
    return Written();
}

} // namespace

quint32 ExportRows::TextTable::indexOf(const QString& text)
{
    // Files of one folder mostly follow each other, so the last text is looked at first.
    const void* data = text.constData();
    if (data == m_lastData && !m_texts.empty())
        return m_lastIndex;
    auto it = m_byData.constFind(data);
    if (it == m_byData.constEnd()) {
        it = m_byData.insert(data, quint32(m_texts.size()));
        m_texts.push_back(text); // holds the characters, so the key stays theirs
    }
    m_lastData = data;
    m_lastIndex = *it;
    return *it;
}

ExportRows::ExportRows(const std::vector<ExportRecord>& records)
{
    reserve(records.size());
    for (const ExportRecord& r : records)
        append(r.folder, r.name, r.extension, r.dateKey, r.size);
}

void ExportRows::reserve(std::size_t count)
{
    m_names.reserve(count);
    m_folderOf.reserve(count);
    m_extensionOf.reserve(count);
    m_dateKeys.reserve(count);
    m_sizes.reserve(count);
}

void ExportRows::append(const QString& folder, const QString& name, const QString& extension, qint64 dateKey,
                        qint64 size)
{
    m_names.push_back(name);
    m_folderOf.push_back(m_folders.indexOf(folder));
    m_extensionOf.push_back(m_extensions.indexOf(extension));
    m_dateKeys.push_back(dateKey);
    m_sizes.push_back(size);
}

ExportRecord ExportRows::operator[](std::size_t i) const
{
    return {m_folders.at(m_folderOf[i]), m_names[i], m_extensions.at(m_extensionOf[i]), m_dateKeys[i], m_sizes[i]};
}

ExportRows ExportSnapshot(const FileRecords& records)
{
    const FileRecords::Reader list = records.read();
    ExportRows snapshot;
    snapshot.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TMyRecord& record = list[i];
        snapshot.append(record.FFolder, record.FName, record.FExtension, record.FDateKey, record.FSize);
    }
    return snapshot;
}

ExportResult WriteExport(const QString& fileName, const ExportOptions& options, const ExportRows& records,
                         const QLocale& locale, const QString& tempFolder, std::atomic<qint64>* rowsDone,
                         std::stop_token stop)
{
    ExportLineBuilder builder(options, locale);
    RowLoop loop(rowsDone, std::move(stop));
    if (options.output == ExportOutput::Spreadsheet)
        return writeSpreadsheet(fileName, options, records, builder, tempFolder, loop);
    return writeText(fileName, options, records, builder, loop);
}
