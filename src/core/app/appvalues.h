#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

// What the main window needs to know about the running program, so tests can start it from a folder of their own.
struct AppStartup
{
    QString programPath;          // the executable whose version data names the company and the product
    QString programFolder;        // the folder of the executable, without trailing separator
    QString configHome;           // the per-user configuration folder ($XDG_CONFIG_HOME)
    QString stateHome;            // where the window's layout is kept ($XDG_STATE_HOME); empty: nowhere
    QLocale locale;               // the user's locale settings
    QString serviceHost;          // host of the maker's web service; empty: never contact any host
    bool checkForUpdates = true;  // false: the update check never starts
    int checkTimeoutSeconds = 10; // of each attempt of the update check
};

// The values the main window works out while it is created, which every subsystem reads.
struct AppValues
{
    QString programPath;        // the running executable
    QString programFolder;      // its folder, without trailing separator
    QString serviceHost;        // host of the maker's web service; empty: never contact any host
    QString companyName;        // "CompanyName" of the version data
    QString productName;        // "ProductName" of the version data
    QString applicationName;    // "company - product", also the main window's caption
    QString versionText;        // major and minor number of the file version, "%d.%d"
    QLocale locale;             // the user's locale settings, taken at start
    QChar listSeparator = u','; // the field separator of CSV and spreadsheet output
    QString dataFolder;         // DataFolder, the folder of settings.ini, with a trailing separator
    QString settingsPath;       // settings.ini in DataFolder
};

// What is known of the program before its version data is read: its path and folder, the service host, the locale.
AppValues StartValues(const AppStartup& startup);

// Every value of the program's start: the start values, then the company and product names and the version text of
// the executable's version data, the application name, the list separator, DataFolder and the settings file. Throws
// TagscopeError when the executable has no version data; the caller then goes on with StartValues.
AppValues WorkOutAppValues(const AppStartup& startup);

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
