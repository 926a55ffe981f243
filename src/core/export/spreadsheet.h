#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// A workbook of one sheet whose cells are all text (number format "@"), filled row by row. It is written apart from
// its file name and moved there, replacing what was there, by finish(), so that a failure or a stop leaves the name
// as it was; only in a folder that refuses the file beside the name is an existing workbook written in place. Every
// failure raises TagscopeError with the reason.
class SpreadsheetWriter
{
public:
    virtual ~SpreadsheetWriter() = default;

    virtual void addRow(const QStringList& cells) = 0;
    // The width, in characters, of the first count columns.
    virtual void setColumnWidth(int count, int width) = 0;
    // Completes the file under its name.
    virtual void finish() = 0;
};

// The rows an Excel 97-2003 workbook can hold.
inline constexpr int kXlsMaxRows = 65536;

// Office Open XML (.xlsx), streamed row by row (libxlsxwriter's constant-memory mode), so that a million rows never
// sit in memory. The workbook and libxlsxwriter's own temporary files are made in tempFolder, the program's private
// folder.
std::unique_ptr<SpreadsheetWriter> CreateXlsxWriter(const QString& fileName, const QString& tempFolder);

// Excel 97-2003 (.xls): a BIFF8 workbook stream in a compound file, at most kXlsMaxRows rows.
std::unique_ptr<SpreadsheetWriter> CreateXlsWriter(const QString& fileName);

// Whether the name asks for Office Open XML: it ends in ".xlsx", in any case.
bool IsXlsxName(const QString& fileName);
