#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// field as one CSV field: when it holds the separator, a double quote, a LF or a CR, its double quotes are doubled
// and it is enclosed in double quotes; otherwise it is unchanged.
QString QuoteMetadataField(const QString& field, QChar separator);

// The lines "Save Metadata as TXT..." writes: the pane's lines, unchanged.
QStringList MetadataTxtLines(const QString& paneText);

// The rows "Save Metadata as CSV..." writes, one per pane line: the text before the line's first ":" and the text
// after it, each trimmed of characters of code 32 or less, quoted and joined by the separator. A line without ":"
// gives a row holding only the separator.
QStringList MetadataCsvRows(const QString& paneText, QChar separator);

// Writes the lines to fileName as UTF-8 without byte-order mark, each followed by CR LF, replacing an existing
// file only once everything is written; in a folder that refuses the temporary file beside it, an existing file that
// may be written is written in place. Throws TagscopeError when the file cannot be written.
void WriteMetadataLines(const QString& fileName, const QStringList& lines);
