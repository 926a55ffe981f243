#pragma once

#include "core/base/filenames.h"
#include "core/filelist/filetexts.h"

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// What "Save File List..." writes.
enum class ExportOutput
{
    Html,
    Txt,
    Csv,
    Spreadsheet, // XLS or XLSX, by the file's name
};

// The choices of the export dialog.
struct ExportOptions
{
    bool headers = true;
    bool name = true; // the columns, always in this order
    bool extension = false;
    bool date = false;
    bool size = false;
    bool treeview = false; // indent the names as a folder tree (only with the Name column)
    ExportOutput output = ExportOutput::Html;
    QChar listSeparator = u','; // the separator of CSV lines
    QString title;              // the application name, the title of an HTML page
};

// One exported file, as the list holds it at the moment of Save.
struct ExportRecord
{
    QString folder; // with its trailing separator; the texts are shared with the list's record
    QString name;
    QString extension;
    qint64 dateKey = kUnknownDateKey;
    qint64 size = -1;

    // The Name column: the list's first-column text, the full path as it is shown.
    QString fullName() const { return ShownFileName(folder + name); }
};

// One CSV field: a text holding the separator, a double quote, a carriage return or a line feed gets its double quotes
// doubled and is enclosed in double quotes, as RFC 4180 has it, so that a line break in a name stays inside its
// record; any other text stays as it is (blanks and tabs do not cause quoting).
QString QuoteCsvField(const QString& text, QChar separator);

// The depth of a path (the name means "how many slashes are there"): how many separators it holds, wherever they
// stand.
int KacTaneSlashVar(QStringView dosyaadi);

// The path preceded by four units (bosluk) per level it lies deeper than the baseline (the name means "make the
// tree view"); unchanged when it lies no deeper.
QString TreeviewYap(const QString& dosyaadi, const QString& bosluk, int KacTaneSlashGozardiEt);

// text with "&", "<", ">" and '"' written as HTML entities, so that a file name shows as text and runs nothing.
QString HtmlEscaped(QStringView text);

// Builds the lines of one export, the header line and one line per file, for the output's kind; or for a spreadsheet
// the cells of those rows. The tree layout's baseline is fixed at the first file whose name is written, so a builder
// serves one press of Save.
class ExportLineBuilder final
{
public:
    ExportLineBuilder(const ExportOptions& options, const QLocale& locale);

    // The header line (TXT, CSV: the labels joined by the separator, never quoted), or for HTML the header row.
    QString header() const;
    // The file's line (TXT: texts joined by TAB, a tab or line break in them shown as its control picture; CSV: quoted
    // fields joined by the separator), or for HTML its table row.
    QString line(const ExportRecord& record);
    // The cells of the header row of a spreadsheet: the labels of the checked columns.
    QStringList headerCells() const;
    // The texts of the file's checked columns with the tree layout applied, neither quoted nor joined: the cells of
    // its spreadsheet row, one per column even when the text is empty. (For HTML the name comes escaped, with the
    // tree layout's entities.)
    QStringList rowCells(const ExportRecord& record);

    QChar separator() const { return m_separator; }

private:
    QString joined(const QStringList& texts, bool quote) const;

    const ExportOptions m_options;
    QLocale m_locale;
    FileDateTexts m_dates;
    QChar m_separator;
    QString m_unit; // one unit of the tree layout
    std::optional<int> m_baseline;
};
