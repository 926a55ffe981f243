#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>

// What one metadata request gives the pane.
struct MetadataReport
{
    bool produced = false; // ExifTool wrote a report file; when false the status says "Failed"
    QString paneText;      // the report's lines, each followed by CR LF
    QString failure;       // when none was produced: what ExifTool said about the file, if anything
};

// What ExifTool said about a file it could not report on: the lines of its console text that begin with "Error" or
// "Warning", each followed by CR LF.
QString ExifToolComplaint(const QString& consoleText);
Q_DECLARE_METATYPE(MetadataReport)

// The report's bytes as text: UTF-8 (a leading byte-order mark skipped); bytes that are not valid UTF-8 are read by
// their byte-order mark when they have one (UTF-16, UTF-32), else as UTF-8 with replacement characters, since the
// system's 8-bit code page is UTF-8.
QString DecodeReport(const QByteArray& bytes);

// The pane's text for a report: its lines, each followed by CR LF.
QString PaneText(const QByteArray& reportBytes);

// Reads the report file ExifTool wrote. Not produced when there is no such file or it cannot be read.
MetadataReport LoadMetadataReport(const QString& reportFile);
