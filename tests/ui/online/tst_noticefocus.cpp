// The update notice on a real X display under a window manager: what it asks of the window manager, and that clicking
// or dragging it with the mouse leaves the main window active, so that typing still goes there.

#include "support/fakedesktopshell.h"
#include "ui/online/newversion.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs an X client to its end, the event loop turning meanwhile, and gives back what it printed.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000))
        return u"<%1 did not end>"_s.arg(program);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Real input through the X server, as from the user's mouse and keyboard.
void xdotool(const QStringList& arguments)
{
    run(u"xdotool"_s, arguments);
}

QString point(int coordinate)
{
    return QString::number(coordinate);
}

// The window the window manager holds active.
WId activeWindow()
{
    return run(u"xdotool"_s, {u"getactivewindow"_s}).trimmed().toULongLong();
}

// Counts the key presses that reach each window, whichever widget takes them.
class KeyWatch final : public QObject
{
public:
    QList<QWidget*> windows;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType())
            windows.append(static_cast<QWidget*>(watched)->window());
        return QObject::eventFilter(watched, event);
    }
};

// A main window with a text box that has the keyboard focus, and over it the notice, which stays for the test.
struct NoticeFixture
{
    FakeDesktopShell shell;
    std::unique_ptr<QWidget> mainWindow = std::make_unique<QWidget>();
    QLineEdit* edit = new QLineEdit(mainWindow.get());
    QPointer<TNewVer> notice;

    NoticeFixture()
    {
        mainWindow->setWindowTitle(u"main"_s);
        (new QVBoxLayout(mainWindow.get()))->addWidget(edit);
        mainWindow->setGeometry(100, 300, 400, 200);
        mainWindow->show();
        mainWindow->activateWindow();
        if (!QTest::qWaitForWindowActive(mainWindow.get()))
            qWarning("the main window did not become active");
        edit->setFocus();
        notice = new TNewVer(u"Tagscope"_s, u"2.5"_s, u"https://dl.example/t.tgz"_s, u"http://www.brindle.example/"_s,
                             shell, mainWindow.get(), NoticeClock{1, 600000, 100, 10});
        if (!QTest::qWaitFor([this] { return notice->isVisible() && notice->windowOpacity() == 1; }, 5000))
            qWarning("the notice was not shown");
        if (!QTest::qWaitForWindowExposed(notice.data()))
            qWarning("the notice was not exposed");
    }
};

} // namespace

class TestNoticeFocus final : public QObject
{
    Q_OBJECT

private slots:
    // The window manager is told that the notice takes no input and has no place in the taskbar or the pager.
    void windowManagerHints()
    {
        NoticeFixture f;
        const QString properties =
            run(u"xprop"_s, {u"-id"_s, QString::number(f.notice->winId()), u"WM_HINTS"_s, u"_NET_WM_STATE"_s});
        QVERIFY2(properties.contains(u"Client accepts input or input focus: False"_s), qPrintable(properties));
        QVERIFY2(properties.contains(u"_NET_WM_STATE_SKIP_TASKBAR"_s), qPrintable(properties));
        QVERIFY2(properties.contains(u"_NET_WM_STATE_SKIP_PAGER"_s), qPrintable(properties));
        QVERIFY2(properties.contains(u"_NET_WM_STATE_ABOVE"_s), qPrintable(properties));
        // Still at the top right of the screen, and the main window is still the active one.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(f.notice->frameGeometry().topLeft(), QPoint(screen.right() + 1 - 320 - 5, screen.top() + 5));
        QCOMPARE(activeWindow(), f.mainWindow->winId());
        QCOMPARE(QApplication::activeWindow(), f.mainWindow.get());
    }

    void mouse_data()
    {
        QTest::addColumn<QString>("handle");
        QTest::addColumn<QPoint>("drag"); // how far the mouse goes with the button held
        QTest::newRow("click on the title") << u"Label1"_s << QPoint();
        QTest::newRow("click on the icon") << u"Image1"_s << QPoint();
        QTest::newRow("drag by the title") << u"Label1"_s << QPoint(-150, 80);
        QTest::newRow("drag by the icon") << u"Image1"_s << QPoint(-60, 200);
    }

    // After a click or a drag on the notice the main window is still active, and what the user types goes there.
    void mouse()
    {
        QFETCH(QString, handle);
        QFETCH(QPoint, drag);
        NoticeFixture f;
        auto* widget = f.notice->findChild<QWidget*>(handle);
        QVERIFY(widget);
        const QPoint start = f.notice->pos();
        const QPoint grip = widget->mapToGlobal(widget->rect().center());

        xdotool({u"mousemove"_s, u"--sync"_s, point(grip.x()), point(grip.y())});
        xdotool({u"mousedown"_s, u"1"_s});
        // In steps, as a hand moves a mouse.
        for (int step = 1; step <= 4 && !drag.isNull(); ++step) {
            const QPoint at = grip + drag * step / 4;
            xdotool({u"mousemove"_s, u"--sync"_s, point(at.x()), point(at.y())});
        }
        xdotool({u"mouseup"_s, u"1"_s});
        QTRY_COMPARE(f.notice->pos(), start + drag);
        QVERIFY(f.notice->isVisible());

        // Typing after the mouse is done: the keys come after the mouse's events, and so after whatever the window
        // manager and the toolkit made of those.
        KeyWatch keys;
        qApp->installEventFilter(&keys);
        xdotool({u"type"_s, u"--delay"_s, u"20"_s, u"ok"_s});
        QTRY_VERIFY(keys.windows.size() >= 2);
        qApp->removeEventFilter(&keys);
        QVERIFY2(keys.windows.count(f.mainWindow.get()) == keys.windows.size(), "keys went to another window");
        QTRY_COMPARE(f.edit->text(), u"ok"_s);
        QCOMPARE(QApplication::activeWindow(), f.mainWindow.get());
        QCOMPARE(activeWindow(), f.mainWindow->winId());
        QVERIFY(f.shell.openedUrls.isEmpty());
    }
};

QTEST_MAIN(TestNoticeFocus)
#include "tst_noticefocus.moc"
