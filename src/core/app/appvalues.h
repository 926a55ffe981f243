#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

// The title of the application, the caption of the general error report.
QString ApplicationTitle();

// The field separator of CSV and spreadsheet output: ";" where the decimal separator is ",", otherwise ",".
QChar ListSeparatorOf(const QLocale& locale);

// The address of the online help: http://host/help/<product name in lower case, blanks as "-">/. Empty when the
// program was built without a service host.
QString HelpAddress(const QString& serviceHost, const QString& productName);

// "company - product": the application name, also the main window's caption.
QString ApplicationName(const QString& companyName, const QString& productName);

enum class DropKind
{
    Folder,  // an existing folder: shown as it is
    File,    // an existing file: its folder is shown
    Invalid, // neither: "Not a valid file: " is reported
};

struct DropTarget
{
    DropKind kind;
    QString folder; // the folder to show, for Folder and File
};

// What a path dropped onto the window selects. The folder of a file keeps no trailing separator, except the root.
DropTarget ResolveDroppedPath(const QString& path);
