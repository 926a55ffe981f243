#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// ExifTool reads an argument file one argument per line and filters each line: it strips leading white space and
// the line end, drops empty lines and lines starting with "#", and rewrites "-TAG = value". A line starting with
// "#[CSTR]" escapes that filter and is read with C escapes instead. These functions write every argument so that
// ExifTool gets it back exactly, whatever characters a file name holds.

// The five arguments of a metadata report: "-charset", "UTF8", "-w!", the report file as a -w! pattern followed by
// "%0f" (which expands to nothing; "%c" when the file's folder holds a line feed), and the file to report on.
QStringList ReportArguments(const QString& reportFile, const QString& path);

// path as a pattern of ExifTool's -w and -o options, which expand "%" codes in two passes: first %d %f %e and the
// like, then the copy numbers %c and %C. Neither pass knows "%%", so every "%" becomes "%%c", which the second pass
// reads as "%" and a copy number that is empty while the file does not exist yet, and every "%" of that becomes
// "%%0f", which the first pass reads as "%" and a file name cut to no characters. The file must not exist.
QString EscapeExifToolPattern(const QString& path);

// The line, without its line end, that ExifTool reads back as argument: the argument itself when the filter leaves
// it alone, else a "#[CSTR]" line. Empty when no line can carry it: ExifTool 12.57 turns every "$" and "@" of a
// "#[CSTR]" line into "\$" and "\@", so an argument that needs escaping and holds either has no line form.
std::optional<QString> ArgumentLine(const QString& argument);

// The argument file: the UTF-8 byte-order mark, then one line per argument, each ended by CR LF.
// Empty when some argument has no line form.
std::optional<QByteArray> ArgumentFileContents(const QStringList& arguments);

// The same lines, each ended by LF, for the standard input of "exiftool -stay_open True -@ -", followed by
// "-execute<executeNumber>", which runs them and makes ExifTool answer "{ready<executeNumber>}".
// Empty when some argument has no line form.
std::optional<QByteArray> StayOpenCommand(const QStringList& arguments, int executeNumber);

// Creates fileName (which must not exist yet, so a planted link is never followed) holding contents.
// False when it cannot be created or written completely.
bool WriteNewFile(const QString& fileName, const QByteArray& contents);
