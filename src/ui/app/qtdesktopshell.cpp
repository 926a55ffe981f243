#include "ui/app/qtdesktopshell.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

bool QtDesktopShell::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

void QtDesktopShell::showItems(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    QStringList uris;
    for (const QString& path : paths)
        uris.append(QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded()));
    QDBusMessage call =
        QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                                       u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    call << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
    const QString firstFolder = QFileInfo(paths.constFirst()).absolutePath();
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [firstFolder](QDBusPendingCallWatcher* w) {
        // No file manager answered: show at least the folder.
        if (w->isError())
            QDesktopServices::openUrl(QUrl::fromLocalFile(firstFolder));
        w->deleteLater();
    });
}

void QtDesktopShell::beep()
{
    QApplication::beep();
}

void QtDesktopShell::setClipboard(QMimeData* data)
{
    QGuiApplication::clipboard()->setMimeData(data);
}

bool QtDesktopShell::startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}
