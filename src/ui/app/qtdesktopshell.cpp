#include "ui/app/qtdesktopshell.h"

#include "core/base/filenames.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include <algorithm>

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
        uris.append(QString::fromLatin1(LocalFileUrl(path).toEncoded()));
    QDBusMessage call =
        QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                                       u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    call << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
    const QString& first = paths.constFirst();
    const QString firstFolder = first.left(std::max<qsizetype>(first.lastIndexOf(u'/'), 1));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [firstFolder](QDBusPendingCallWatcher* w) {
        // No file manager answered: show at least the folder.
        if (w->isError())
            QDesktopServices::openUrl(LocalFileUrl(firstFolder));
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
