#pragma once

#include <QString>
#include <QStringList>

class QMimeData;
class QUrl;

// Every desktop service goes through this interface, so tests can record what would have been opened.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;

    // Opens a document, folder or web address with the desktop's associated program, without waiting for it.
    virtual bool openUrl(const QUrl& url) = 0;
    // Shows the files, selected, in the file manager.
    virtual void showItems(const QStringList& paths) = 0;
    virtual void beep() = 0;
    // Puts data on the clipboard, which takes ownership of it.
    virtual void setClipboard(QMimeData* data) = 0;
    // Starts a program with arguments, never through a shell, and does not wait for it.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};
