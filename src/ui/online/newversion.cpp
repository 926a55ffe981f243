#include "ui/online/newversion.h"

#include "core/app/desktopshell.h"
#include "ui/app/fonts.h"
#include "ui/app/pictures.h"
#include "ui/app/windowmanagerhints.h"
#include "ui/online/windowdrag.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QSize kClientSize(320, 68);
constexpr int kScreenMargin = 5; // from the primary screen's top and right edges
constexpr int kCountdown = 11;   // ticks of TimerClose until the notice closes by itself

} // namespace

TNewVer::TNewVer(const QString& productName, const QString& offeredVersion, const QString& downloadUrl,
                 const QString& homePage, DesktopShell& shell, QWidget* mainWindow, NoticeClock clock)
    // A tool window stays a window of its own although the main window owns it. It never takes the focus: the window
    // manager is told so, and a click on it does not make it the active window.
    : QWidget(mainWindow, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_shell(shell), m_mainWindow(mainWindow), m_downloadUrl(downloadUrl), m_homePage(homePage), m_clock(clock)
{
    setObjectName(u"NewVer"_s);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(QFont(u"Tahoma"_s));
    setFixedSize(kClientSize);
    createControls(productName, offeredVersion);
    placeOnPrimaryScreen();

    m_animation = new QPropertyAnimation(this, "windowOpacity", this);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(u"TimerStart"_s);
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(m_clock.startDelay);
    connect(TimerStart, &QTimer::timeout, this, &TNewVer::TimerStartTimer);
    TimerClose = new QTimer(this);
    TimerClose->setObjectName(u"TimerClose"_s);
    TimerClose->setInterval(m_clock.closeTick);
    connect(TimerClose, &QTimer::timeout, this, &TNewVer::TimerCloseTimer);
    TimerLink = new QTimer(this);
    TimerLink->setObjectName(u"TimerLink"_s);
    TimerLink->setInterval(m_clock.linkPoll);
    connect(TimerLink, &QTimer::timeout, this, &TNewVer::TimerLinkTimer);

    // Shown from the event loop, once the main window that made the notice has done with its own handler.
    TimerStart->start();
}

void TNewVer::createControls(const QString& productName, const QString& offeredVersion)
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(u"Panel1"_s);
    Panel1->setGeometry(rect());
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(u"Image1"_s);
    Image1->setFixedSize(60, 60);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(Picture(u"tagscope"_s).pixmap(QSize(48, 48)));

    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(u"Panel2"_s);
    Label1 = new QLabel(u"UPDATE AVAILABLE"_s, Panel2);
    Label1->setObjectName(u"Label1"_s);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont titleFont = Tahoma(13);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    Label2 = new QLabel(u"Click to download "_s + productName + u' ' + offeredVersion, Panel2);
    Label2->setObjectName(u"Label2"_s);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setWordWrap(true);
    QFont linkFont = Tahoma(13);
    linkFont.setUnderline(true);
    Label2->setFont(linkFont);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);
    auto* middle = new QVBoxLayout(Panel2);
    middle->setContentsMargins(2, 2, 2, 2);
    middle->setSpacing(0);
    middle->addWidget(Label1);
    middle->addWidget(Label2, 1);

    Panel3 = new QFrame(Panel1);
    Panel3->setObjectName(u"Panel3"_s);
    Panel3->setFixedWidth(22);
    Button1 = new QToolButton(Panel3);
    Button1->setObjectName(u"Button1"_s);
    Button1->setFixedSize(22, 22);
    Button1->setIcon(Picture(u"close"_s));
    Button1->setIconSize(QSize(22, 22));
    Button1->setAutoRaise(true);
    Button1->setCursor(Qt::PointingHandCursor);
    Button1->setFocusPolicy(Qt::NoFocus);
    auto* right = new QVBoxLayout(Panel3);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(Button1);
    right->addStretch();

    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    row->addWidget(Image1, 0, Qt::AlignVCenter);
    row->addWidget(Panel2, 1);
    row->addWidget(Panel3);

    connect(Button1, &QToolButton::clicked, this, &TNewVer::Button1Click);
    m_drag = new WindowDrag(this, {this, Panel1, Panel3, Image1, Label1});
}

void TNewVer::placeOnPrimaryScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.x() + area.width() - width() - kScreenMargin, area.y() + kScreenMargin);
}

void TNewVer::animate(qreal from, qreal to, std::function<void()> done)
{
    m_animation->stop();
    disconnect(m_animation, &QPropertyAnimation::finished, this, nullptr);
    m_animation->setDuration(m_clock.animation);
    m_animation->setStartValue(from);
    m_animation->setEndValue(to);
    connect(m_animation, &QPropertyAnimation::finished, this, std::move(done));
    m_animation->start();
}

void TNewVer::TimerStartTimer()
{
    setWindowOpacity(0);
    // No button in the taskbar; the window manager reads that when the window is shown.
    KeepOutOfTaskbar(this);
    show();
    animate(0, 1, [] {});
    // Showing a window can still take the focus on some window managers: the user was working in the main window.
    if (m_mainWindow)
        m_mainWindow->activateWindow();
    m_secondsLeft = kCountdown;
    TimerClose->start();
    TimerLink->start();
}

void TNewVer::TimerCloseTimer()
{
    if (--m_secondsLeft > 0)
        return;
    TimerClose->stop();
    animate(windowOpacity(), 0, [this] { close(); });
}

void TNewVer::TimerLinkTimer()
{
    const QRect link(Label2->mapToGlobal(QPoint(0, 0)), Label2->size());
    const QColor color = palette().color(link.contains(QCursor::pos()) ? QPalette::Highlight : QPalette::WindowText);
    QPalette labelPalette = Label2->palette();
    if (labelPalette.color(QPalette::WindowText) == color)
        return;
    labelPalette.setColor(QPalette::WindowText, color);
    Label2->setPalette(labelPalette);
}

void TNewVer::Label2Click()
{
    const QString url = m_downloadUrl.isEmpty() ? m_homePage : m_downloadUrl;
    if (!url.isEmpty())
        m_shell.openUrl(QUrl(url));
    close();
}

void TNewVer::Button1Click()
{
    close();
}

bool TNewVer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label2->rect().contains(mouse->position().toPoint()))
            Label2Click();
    }
    return QWidget::eventFilter(watched, event);
}

void TNewVer::closeEvent(QCloseEvent* event)
{
    TimerStart->stop();
    TimerClose->stop();
    TimerLink->stop();
    m_animation->stop();
    QWidget::closeEvent(event);
    // Hidden, the notice is whole again should anything show it.
    setWindowOpacity(1);
}
