#include "support/fakedesktopshell.h"
#include "ui/online/newversion.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// A notice over an active main window, which owns it. The notice closes by itself only after the full countdown,
// unless the test asks for a quicker clock.
struct NoticeFixture
{
    FakeDesktopShell shell;
    std::unique_ptr<QWidget> mainWindow = std::make_unique<QWidget>();
    QPointer<TNewVer> notice;

    explicit NoticeFixture(const QString& downloadUrl = u"https://dl.example/tagscope-2.5.tar.gz"_s,
                           NoticeClock clock = {})
    {
        mainWindow->setWindowTitle(u"main"_s);
        mainWindow->resize(400, 300);
        mainWindow->show();
        mainWindow->activateWindow();
        if (!QTest::qWaitForWindowActive(mainWindow.get()))
            qWarning("the main window did not become active");
        notice = new TNewVer(u"Tagscope"_s, u"2.5"_s, downloadUrl, u"http://www.brindle.example/"_s, shell,
                             mainWindow.get(), clock);
    }

    bool shown() const { return notice && notice->isVisible(); }
    template <typename T> T* child(const char* name) const { return notice->findChild<T*>(QString::fromLatin1(name)); }
    QLabel* link() const { return child<QLabel>("Label2"); }
    QColor linkColor() const { return link()->palette().color(QPalette::WindowText); }
};

} // namespace

class TestNewVer final : public QObject
{
    Q_OBJECT

private slots:
    // A small borderless window at the top right of the primary screen, above the others, with no task bar button.
    void appearance()
    {
        NoticeFixture f;
        QTRY_VERIFY(f.shown());
        TNewVer* notice = f.notice;
        QCOMPARE(notice->objectName(), u"NewVer"_s);
        QVERIFY(notice->isWindow());
        QCOMPARE(notice->parentWidget(), f.mainWindow.get());
        QCOMPARE(notice->size(), QSize(320, 68));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(notice->frameGeometry().topLeft(), QPoint(screen.right() + 1 - 320 - 5, screen.top() + 5));
        const Qt::WindowFlags flags = notice->windowFlags();
        QCOMPARE(notice->windowType(), Qt::Tool);
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(notice->testAttribute(Qt::WA_ShowWithoutActivating));
        QCOMPARE(f.child<QLabel>("Label1")->text(), u"UPDATE AVAILABLE"_s);
        QVERIFY(f.child<QLabel>("Label1")->font().bold());
        QCOMPARE(f.link()->text(), u"Click to download Tagscope 2.5"_s);
        QVERIFY(f.link()->font().underline());
        QCOMPARE(f.link()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(f.child<QToolButton>("Button1")->size(), QSize(22, 22));
        // Not shown at once, but from the event loop, after the main window's own handler.
        NoticeFixture later;
        QVERIFY(!later.shown());
        QTRY_VERIFY(later.shown());
    }

    // The user goes on typing in the main window while the notice shows.
    void mainWindowKeepsTheFocus()
    {
        NoticeFixture f;
        QTRY_VERIFY(f.shown());
        // Whatever the platform made of the showing has arrived by now.
        QApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), f.mainWindow.get());
        QVERIFY(!f.notice->isActiveWindow());
    }

    // Eleven ticks of the countdown close the notice; it is hidden, not destroyed.
    void closesByItself()
    {
        NoticeFixture f;
        QTRY_VERIFY(f.shown());
        auto* countdown = f.child<QTimer>("TimerClose");
        QVERIFY(countdown->isActive());
        QCOMPARE(countdown->interval(), 1000);
        for (int tick = 1; tick <= 10; ++tick)
            f.notice->TimerCloseTimer();
        QVERIFY(countdown->isActive());
        f.notice->TimerCloseTimer();
        QVERIFY(!countdown->isActive());
        QTRY_VERIFY(!f.shown());
        QVERIFY(f.notice);

        NoticeFixture quick(QString(), NoticeClock{1, 10, 10, 10});
        QTRY_VERIFY(quick.shown());
        QTRY_VERIFY_WITH_TIMEOUT(!quick.notice->isVisible(), 5000);
        QVERIFY(quick.notice);
        QVERIFY(quick.shell.openedUrls.isEmpty());
    }

    // The link takes the menu highlight's colour while the mouse rests on it.
    void linkFollowsTheMouse()
    {
        NoticeFixture f(u"https://dl.example/t.tgz"_s, NoticeClock{1, 1000, 10, 10});
        QTRY_VERIFY(f.shown());
        const QColor highlight = f.notice->palette().color(QPalette::Highlight);
        const QColor text = f.notice->palette().color(QPalette::WindowText);
        QVERIFY(highlight != text);
        const auto moveMouse = [](const QPoint& to) {
            QCursor::setPos(to);
            QCOMPARE(QCursor::pos(), to);
        };
        moveMouse(f.link()->mapToGlobal(f.link()->rect().center()));
        QTRY_COMPARE(f.linkColor(), highlight);
        moveMouse(f.notice->mapToGlobal(QPoint(5, 5)));
        QTRY_COMPARE(f.linkColor(), text);
        moveMouse(f.link()->mapToGlobal(QPoint(0, 0)));
        QTRY_COMPARE(f.linkColor(), highlight);
        moveMouse(f.link()->mapToGlobal(QPoint(f.link()->width(), 0)));
        QTRY_COMPARE(f.linkColor(), text);
    }

    void link_data()
    {
        QTest::addColumn<QString>("downloadUrl");
        QTest::addColumn<QUrl>("opened");
        QTest::newRow("download address")
            << u"https://dl.example/tagscope-2.5.tar.gz"_s << QUrl(u"https://dl.example/tagscope-2.5.tar.gz"_s);
        QTest::newRow("no download address") << QString() << QUrl(u"http://www.brindle.example/"_s);
    }

    // A click on the link opens the download, or the maker's home page, and closes the notice.
    void link()
    {
        QFETCH(QString, downloadUrl);
        QFETCH(QUrl, opened);
        NoticeFixture f(downloadUrl);
        QTRY_VERIFY(f.shown());
        // The notice is closed whether or not the desktop could open the address.
        f.shell.openSucceeds = false;
        QTest::mouseClick(f.link(), Qt::LeftButton);
        QCOMPARE(f.shell.openedUrls, QList<QUrl>{opened});
        QVERIFY(!f.shown());
        QVERIFY(f.notice);
    }

    void closeButton()
    {
        NoticeFixture f;
        QTRY_VERIFY(f.shown());
        QTest::mouseClick(f.child<QToolButton>("Button1"), Qt::LeftButton);
        QVERIFY(!f.shown());
        QVERIFY(f.notice);
        QVERIFY(f.shell.openedUrls.isEmpty());
    }

    void drag_data()
    {
        QTest::addColumn<QString>("handle");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("title, left button") << u"Label1"_s << Qt::LeftButton << true;
        QTest::newRow("icon, middle button") << u"Image1"_s << Qt::MiddleButton << true;
        QTest::newRow("close button's panel") << u"Panel3"_s << Qt::LeftButton << true;
        QTest::newRow("edge of the window") << u"Panel1"_s << Qt::LeftButton << true;
        QTest::newRow("right button") << u"Label1"_s << Qt::RightButton << false;
    }

    // The notice has no title bar: it is dragged by its face, with any button but the right one.
    void drag()
    {
        QFETCH(QString, handle);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, moves);
        NoticeFixture f;
        QTRY_VERIFY(f.shown());
        auto* widget = f.notice->findChild<QWidget*>(handle);
        QVERIFY(widget);
        const QPoint start = f.notice->pos();
        const QPoint grip(widget->width() / 2, widget->height() - 2);
        QTest::mousePress(widget, button, {}, grip);
        QTest::mouseMove(widget, grip + QPoint(-30, 12));
        QTest::mouseRelease(widget, button, {}, grip + QPoint(-30, 12));
        QCOMPARE(f.notice->pos(), moves ? start + QPoint(-30, 12) : start);
        // The release ends the drag.
        QTest::mouseMove(widget, grip);
        QCOMPARE(f.notice->pos(), moves ? start + QPoint(-30, 12) : start);
        QVERIFY(f.shell.openedUrls.isEmpty());
    }
};

QTEST_MAIN(TestNewVer)
#include "tst_newver.moc"
