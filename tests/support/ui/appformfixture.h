#pragma once

#include "support/fakedesktopshell.h"
#include "support/fakedialogs.h"
#include "support/testfiles.h"
#include "ui/app/appform.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class FileListSelection;
class QAction;

// A main window started from a program folder and a configuration folder of its own, answered through the fakes.
struct AppFormFixture
{
    AppFormFixture();
    ~AppFormFixture();

    QTemporaryDir program;
    QTemporaryDir config;
    QTemporaryDir state;
    FakeDialogs dialogs;
    FakeDesktopShell shell;
    std::unique_ptr<TAppForm> form;
    // The window's online side: the service it would ask, and whether its update check starts at all (not unless a
    // test starts a server of its own and asks for it).
    QString serviceHost = QStringLiteral("www.brindle.example");
    bool checkForUpdates = false;
    int checkTimeoutSeconds = 10;

    QString settingsPath() const;
    // Where the window keeps its layout.
    QString layoutPath() const;
    // Creates the window; programFolder defaults to the fixture's own program folder. Unless told otherwise, waits
    // until ExifTool's deployment has ended.
    enum class Deployment
    {
        Wait,
        DoNotWait
    };
    TAppForm& start(const QString& programFolder = QString(), Deployment deployment = Deployment::Wait);
    // What start() gives the window.
    AppStartup startupFor(const QString& programFolder = QString()) const;
    // Puts the ExifTool package of this build beside the fixture's program.
    bool installExifToolPackage();

    template <typename T> T* child(const char* name) const { return form->findChild<T*>(QString::fromLatin1(name)); }
    // A command class of the window, which it keeps as a child of its own.
    template <typename T> T& commands() const { return *form->findChild<T*>(QString(), Qt::FindDirectChildrenOnly); }
    // The listed files, as the list's model shows them.
    FileRecords& records() const;
    QAction* action(const char* name) const;
    // The selection of the file list.
    FileListSelection& listSelection() const;
    QString label() const;
    QString status(int panel) const { return form->statusText(panel); }
};
