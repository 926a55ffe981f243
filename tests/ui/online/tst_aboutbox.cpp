#include "core/app/appvalues.h"
#include "support/fakedesktopshell.h"
#include "support/fakedialogs.h"
#include "ui/online/aboutbox.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// An about box shown over nothing, as its caller shows it but without the modal loop. The Info menu is not run but
// recorded, and the clock of its rule only moves when the test winds it.
struct AboutFixture
{
    QTemporaryDir program;
    AppValues values;
    FakeDesktopShell shell;
    FakeDialogs dialogs;
    std::unique_ptr<TAboutBox> box;
    quint32 now = 70000;
    QList<QPoint> menuShownAt;

    explicit AboutFixture(const QString& serviceHost = u"www.brindle.example"_s, bool recordMenu = true)
    {
        values.productName = u"Tagscope"_s;
        values.versionText = u"1.4"_s;
        values.serviceHost = serviceHost;
        values.programFolder = program.path();
        box = std::make_unique<TAboutBox>(values, shell, dialogs);
        box->setTickClock([this] { return now; });
        if (recordMenu)
            box->setMenuRunner([this](QMenu* menu, const QPoint& at) {
                QCOMPARE(menu, child<QMenu>("PopupMenu1"));
                menuShownAt.append(at);
            });
        box->show();
        if (!QTest::qWaitForWindowExposed(box.get()))
            qWarning("the about box was not shown");
    }

    template <typename T> T* child(const char* name) const { return box->findChild<T*>(QString::fromLatin1(name)); }
    QFrame* panel() const { return child<QFrame>("Panel1"); }
    QTimer* slide() const { return child<QTimer>("TimerEgg"); }
};

// What a user's double click sends.
void doubleClick(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
    QTest::mouseDClick(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

// Whether the rain has drawn a visible character in the area: a pixel that is not black and is mostly green.
bool rainIn(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qGreen(pixel) > 40 && qRed(pixel) <= qGreen(pixel) && qBlue(pixel) <= qGreen(pixel))
                return true;
        }
    return false;
}

} // namespace

class TestAboutBox final : public QObject
{
    Q_OBJECT

private slots:
    void appearance()
    {
        AboutFixture f;
        TAboutBox* box = f.box.get();
        QCOMPARE(box->objectName(), u"AboutBox"_s);
        QCOMPARE(box->windowTitle(), u"About Tagscope"_s);
        QCOMPARE(box->windowType(), Qt::Tool);
        QVERIFY(box->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!box->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!box->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(box->size(), QSize(446, 374));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QCOMPARE(box->frameGeometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());
        QCOMPARE(f.panel()->geometry(), QRect(48, 42, 350, 291));
        QCOMPARE(f.child<QLabel>("Label2")->text(), u"Tagscope 1.4"_s);
        QCOMPARE(f.child<QLabel>("Label2")->font().pixelSize(), 16);
        QCOMPARE(f.child<QLabel>("VirtualImage1")->geometry(), QRect(10, 123, 32, 32));
        QCOMPARE(f.child<QPushButton>("BitBtn1")->text(), u"OK"_s);
        QCOMPARE(f.child<QPushButton>("BitBtn2")->text(), u"Info"_s);
        auto* address = f.child<QLabel>("Label5");
        QVERIFY(address->isVisible());
        QCOMPARE(address->text(), u"www.brindle.example"_s);
        QCOMPARE(address->toolTip(), u"https://www.brindle.example/"_s);
        QCOMPARE(address->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(address->width(), f.panel()->width());
        auto* egg = f.child<QFrame>("PanelEgg");
        QVERIFY(!egg->isVisible());
        QCOMPARE(egg->geometry(), QRect(61, 77, 324, 220));
        QStringList items;
        for (const QAction* action : f.child<QMenu>("PopupMenu1")->actions())
            items.append(action->objectName() + u'=' + action->text());
        QCOMPARE(items, (QStringList{u"Credits1=Acknowledgements..."_s, u"Howtouninstall1=How to uninstall..."_s,
                                     u"LicensePrivacyPolicy1=License..."_s}));
    }

    // The rain falls from the start on a grid over the whole window, in the margin around the panel.
    void rain()
    {
        AboutFixture f;
        const QSize outer = f.box->frameGeometry().size();
        QCOMPARE(f.box->rain().matrixWidth(), outer.width() / 8);
        QCOMPARE(f.box->rain().matrixHeight(), outer.height() / 12);
        QCOMPARE(f.box->rain().dropCount(), 2 * (outer.width() / 8));
        // Characters as high as the cells they fall through.
        QCOMPARE(f.box->rainFont().pixelSize(), 12);
        QVERIFY(f.child<QTimer>("tmTimer")->isActive());
        QCOMPARE(f.child<QTimer>("tmTimer")->interval(), 50);
        QTRY_VERIFY(f.box->rain().tickCounter() > 0);
        QTRY_VERIFY(rainIn(f.box->grab().toImage(), QRect(0, 0, 48, 374)));

        // A new size seeds the drops again over the grid of the start.
        const int ticks = f.box->rain().tickCounter();
        f.box->setFixedSize(600, 480);
        QCOMPARE(f.box->rain().matrixWidth(), outer.width() / 8);
        QCOMPARE(f.box->rain().dropCount(), 2 * (outer.width() / 8));
        QVERIFY(f.box->rain().tickCounter() >= ticks);
    }

    // Moved to a screen of another scale, the box loads its pictures again at that scale and starts the rain again.
    void followsTheScreensScale()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens.at(0)->devicePixelRatio(), 1.0);
        QCOMPARE(screens.at(1)->devicePixelRatio(), 2.0);
        AboutFixture f;
        const auto pictures = [&f] {
            QStringList scales;
            for (const char* name : {"Image2", "ImageEgg", "VirtualImage1"}) {
                const QPixmap picture = f.child<QLabel>(name)->pixmap();
                scales.append(u"%1 %2x%3 at %4"_s.arg(QString::fromLatin1(name))
                                  .arg(picture.width())
                                  .arg(picture.height())
                                  .arg(picture.devicePixelRatio()));
            }
            return scales;
        };
        const auto expected = [](qreal ratio) {
            const auto at = [ratio](const char* name, QSize size) {
                size *= ratio;
                return u"%1 %2x%3 at %4"_s.arg(QString::fromLatin1(name))
                    .arg(size.width())
                    .arg(size.height())
                    .arg(ratio);
            };
            return QStringList{at("Image2", QSize(344, 105)), at("ImageEgg", QSize(320, 214)),
                               at("VirtualImage1", QSize(32, 32))};
        };
        QCOMPARE(f.box->screen(), screens.at(0));
        QCOMPARE(pictures(), expected(1));

        // Over and back again.
        for (QScreen* screen : {screens.at(1), screens.at(0)}) {
            QTRY_VERIFY(f.box->rain().tickCounter() >= 10);
            const int ticks = f.box->rain().tickCounter();
            QRect frame = f.box->frameGeometry();
            frame.moveCenter(screen->geometry().center());
            f.box->move(frame.topLeft());
            QTRY_COMPARE(f.box->screen(), screen);
            QCOMPARE(f.box->devicePixelRatioF(), screen->devicePixelRatio());
            QCOMPARE(pictures(), expected(screen->devicePixelRatio()));
            QVERIFY2(f.box->rain().tickCounter() < ticks, qPrintable(QString::number(f.box->rain().tickCounter())));
            QTRY_VERIFY(rainIn(f.box->grab().toImage(), QRect(0, 0, 48, 374)));
        }
    }

    // Info opens its menu below the button; the click that closes the open menu does not open it again.
    void infoMenu()
    {
        AboutFixture f;
        auto* info = f.child<QPushButton>("BitBtn2");
        const QPoint below = info->mapToGlobal(QPoint(0, info->height()));
        QTest::mouseClick(info, Qt::LeftButton);
        QCOMPARE(f.menuShownAt, QList<QPoint>{below});
        f.now += 99;
        QTest::mouseClick(info, Qt::LeftButton);
        QCOMPARE(f.menuShownAt.size(), 1);
        // That click is used up; the next one opens the menu however soon it comes.
        f.now += 1;
        QTest::mouseClick(info, Qt::LeftButton);
        QCOMPARE(f.menuShownAt.size(), 2);
        f.now += 100;
        QTest::mouseClick(info, Qt::LeftButton);
        QCOMPARE(f.menuShownAt.size(), 3);
    }

    // Without a replacement the menu runs modally, at the same place, until it is closed.
    void infoMenuRunsModally()
    {
        AboutFixture f(u"www.brindle.example"_s, false);
        auto* info = f.child<QPushButton>("BitBtn2");
        QWidget* shown = nullptr;
        QTimer::singleShot(0, f.box.get(), [&shown] {
            shown = QApplication::activePopupWidget();
            if (shown)
                shown->close();
        });
        QTest::mouseClick(info, Qt::LeftButton);
        QCOMPARE(shown, f.child<QMenu>("PopupMenu1"));
        QCOMPARE(shown->pos(), info->mapToGlobal(QPoint(0, info->height())));
    }

    // A double click on the icon slides the panel away to the right and uncovers the picture; a double click on the
    // picture puts the panel back.
    void egg()
    {
        AboutFixture f;
        auto* icon = f.child<QLabel>("VirtualImage1");
        auto* egg = f.child<QFrame>("PanelEgg");
        auto* picture = f.child<QLabel>("ImageEgg");
        QCOMPARE(picture->geometry(), egg->rect());
        QVERIFY(!picture->pixmap().isNull());
        doubleClick(icon);
        QVERIFY(egg->isVisible());
        QVERIFY(f.slide()->isActive());
        // The test's screen has the usual 96 dots per inch, where a step takes 5 ms.
        QCOMPARE(f.box->logicalDpiX(), 96);
        QCOMPARE(f.slide()->interval(), 5);
        QCOMPARE(f.panel()->pos(), QPoint(48, 42));
        f.box->TimerEggTimer();
        QCOMPARE(f.panel()->pos(), QPoint(53, 42));
        f.box->TimerEggTimer();
        QCOMPARE(f.panel()->pos(), QPoint(58, 42));

        // During the slide neither double click does anything.
        doubleClick(icon);
        doubleClick(picture);
        QVERIFY(egg->isVisible());
        QCOMPARE(f.panel()->pos(), QPoint(58, 42));

        // The slide stops once the panel's left edge has passed the window's right edge.
        QTRY_VERIFY(!f.slide()->isActive());
        QCOMPARE(f.panel()->pos(), QPoint(448, 42));

        doubleClick(picture);
        QVERIFY(!egg->isVisible());
        QCOMPARE(f.panel()->pos(), QPoint(48, 42));
    }

    void licence_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("present") << true;
        QTest::newRow("missing") << false;
    }

    // The licence beside the program opens in the desktop's viewer; without it a box says so.
    void licence()
    {
        QFETCH(bool, present);
        AboutFixture f;
        const QString path = f.program.filePath(u"license.txt"_s);
        if (present) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("licence\n");
        }
        f.child<QAction>("LicensePrivacyPolicy1")->trigger();
        if (present) {
            QCOMPARE(f.shell.openedUrls, QList<QUrl>{QUrl::fromLocalFile(path)});
            QVERIFY(f.dialogs.messages.isEmpty());
        } else {
            QVERIFY(f.shell.openedUrls.isEmpty());
            QCOMPARE(f.dialogs.messages.size(), 1);
            const MessageBoxContent& box = f.dialogs.messages.constFirst();
            QCOMPARE(box.text, u"File not found!"_s);
            QCOMPARE(box.caption, u"License"_s);
            QCOMPARE(box.type, DialogType::Error);
            QCOMPARE(box.buttons.size(), 1);
            QCOMPARE(box.buttons.constFirst().button, DialogButton::OK);
        }
        QVERIFY(f.box->isVisible());
    }

    void links_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QUrl>("opened");
        QTest::newRow("address") << u"Label5"_s << QUrl(u"https://www.brindle.example/"_s);
        QTest::newRow("acknowledgements")
            << u"Credits1"_s << QUrl(u"https://www.brindle.example/blog/credits-and-acknowledgements/"_s);
        QTest::newRow("how to uninstall")
            << u"Howtouninstall1"_s << QUrl(u"http://www.brindle.example/blog/how-to-uninstall-brindle-software/"_s);
    }

    // The maker's pages open in the browser; that the browser could not be started is not reported.
    void links()
    {
        QFETCH(QString, control);
        QFETCH(QUrl, opened);
        AboutFixture f;
        f.shell.openSucceeds = false;
        if (auto* label = f.box->findChild<QLabel*>(control))
            QTest::mouseClick(label, Qt::LeftButton);
        else
            f.box->findChild<QAction*>(control)->trigger();
        QCOMPARE(f.shell.openedUrls, QList<QUrl>{opened});
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(f.box->isVisible());
    }

    // A program built to contact no host shows no address and opens none; the licence still opens.
    void withoutServiceHost()
    {
        AboutFixture f{QString()};
        auto* address = f.child<QLabel>("Label5");
        QVERIFY(!address->isVisible());
        QTest::mouseClick(address, Qt::LeftButton);
        f.box->Label5Click();
        f.box->Credits1Click();
        f.box->Howtouninstall1Click();
        QVERIFY(!f.child<QAction>("Credits1")->isEnabled());
        QVERIFY(!f.child<QAction>("Howtouninstall1")->isEnabled());
        QVERIFY(f.shell.openedUrls.isEmpty());
        QVERIFY(f.child<QAction>("LicensePrivacyPolicy1")->isEnabled());
    }

    void closing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << u"BitBtn1"_s << false << int(QDialog::Accepted);
        QTest::newRow("Escape on OK") << u"BitBtn1"_s << true << int(QDialog::Rejected);
        QTest::newRow("Escape on Info") << u"BitBtn2"_s << true << int(QDialog::Rejected);
    }

    void closing()
    {
        QFETCH(QString, button);
        QFETCH(bool, escape);
        QFETCH(int, result);
        AboutFixture f;
        auto* widget = f.box->findChild<QPushButton*>(button);
        f.box->setResult(-1);
        if (escape) {
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_Escape);
        } else {
            QTest::mouseClick(widget, Qt::LeftButton);
        }
        QVERIFY(!f.box->isVisible());
        QCOMPARE(f.box->result(), result);
        QVERIFY(f.menuShownAt.isEmpty());
    }

    void drag_data()
    {
        QTest::addColumn<QString>("handle");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("margin") << u"AboutBox"_s << Qt::LeftButton << true;
        QTest::newRow("panel") << u"Panel1"_s << Qt::LeftButton << true;
        QTest::newRow("name and version") << u"Label2"_s << Qt::LeftButton << true;
        QTest::newRow("logo, middle button") << u"Image2"_s << Qt::MiddleButton << true;
        QTest::newRow("icon") << u"VirtualImage1"_s << Qt::LeftButton << true;
        QTest::newRow("right button") << u"Panel1"_s << Qt::RightButton << false;
    }

    // The box is dragged by its face with any button but the right one.
    void drag()
    {
        QFETCH(QString, handle);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, moves);
        AboutFixture f;
        QWidget* widget = handle == f.box->objectName() ? f.box.get() : f.box->findChild<QWidget*>(handle);
        QVERIFY(widget);
        const QPoint start = f.box->pos();
        const QPoint grip(5, 5);
        QTest::mousePress(widget, button, {}, grip);
        QTest::mouseMove(widget, grip + QPoint(25, -15));
        QTest::mouseRelease(widget, button, {}, grip + QPoint(25, -15));
        const QPoint expected = moves ? start + QPoint(25, -15) : start;
        QCOMPARE(f.box->pos(), expected);
        QTest::mouseMove(widget, grip);
        QCOMPARE(f.box->pos(), expected);
        QVERIFY(f.menuShownAt.isEmpty());
        QVERIFY(!f.slide()->isActive());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
