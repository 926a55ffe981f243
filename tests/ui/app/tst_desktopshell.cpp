#include "ui/app/qtdesktopshell.h"

#include "core/base/filenames.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDesktopServices>
#include <QTest>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

// A file manager that only notes what it was asked to show, and answers with an error when told to.
class FakeFileManager final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> shown;
    bool fails = false;

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString& startupId)
    {
        Q_UNUSED(startupId)
        shown.append(uris);
        if (fails)
            sendErrorReply(QDBusError::Failed, u"cannot show them"_s);
    }
};

// Takes the URLs the desktop would open.
class OpenedUrls final : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

// Runs on a private session bus of its own (dbus-run-session).
class TestDesktopShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QFAIL("no session bus; the test runs under dbus-run-session");
    }

    // The file manager is asked over D-Bus, with encoded URIs: "#" and blanks never cut a name short.
    void showItemsAsksTheFileManager()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"filemanager"_s);
        FakeFileManager manager;
        QVERIFY(
            bus.registerObject(u"/org/freedesktop/FileManager1"_s, &manager, QDBusConnection::ExportScriptableSlots));
        QVERIFY(bus.registerService(u"org.freedesktop.FileManager1"_s));
        const auto unregister = qScopeGuard([&] {
            bus.unregisterService(u"org.freedesktop.FileManager1"_s);
            QDBusConnection::disconnectFromBus(u"filemanager"_s);
        });
        OpenedUrls opened;
        QDesktopServices::setUrlHandler(u"file"_s, &opened, "open");

        QtDesktopShell shell;
        shell.showItems({u"/tmp/photos/a b#1.jpg"_s, DecodeFileName("/tmp/caf\xE9/\xFF.jpg")});
        QTRY_COMPARE(manager.shown.size(), 1);
        QCOMPARE(manager.shown.constFirst(),
                 (QStringList{u"file:///tmp/photos/a%20b%231.jpg"_s, u"file:///tmp/caf%E9/%FF.jpg"_s}));

        // A file manager that fails makes the folder open. The replies come in the order of the calls, so once the
        // failed call's folder has opened, a wrong opening after the first call would have come before it.
        manager.fails = true;
        shell.showItems({DecodeFileName("/tmp/caf\xE9/x.jpg")});
        QTRY_COMPARE(opened.urls.size(), 1);
        QCOMPARE(opened.urls.constFirst().toEncoded(), QByteArray("file:///tmp/caf%E9"));
        QCOMPARE(manager.shown.size(), 2);
        QDesktopServices::unsetUrlHandler(u"file"_s);
    }

    // Without a file manager on the bus, the folder of the item opens.
    void withoutFileManagerTheFolderOpens()
    {
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(u"org.freedesktop.FileManager1"_s));
        OpenedUrls opened;
        QDesktopServices::setUrlHandler(u"file"_s, &opened, "open");
        QtDesktopShell shell;
        shell.showItems({u"/tmp/photos/a b#1.jpg"_s});
        QTRY_COMPARE_WITH_TIMEOUT(opened.urls.size(), 1, 30000);
        QCOMPARE(opened.urls.constFirst(), QUrl::fromLocalFile(u"/tmp/photos"_s));
        QDesktopServices::unsetUrlHandler(u"file"_s);
    }
};

QTEST_MAIN(TestDesktopShell)
#include "tst_desktopshell.moc"
