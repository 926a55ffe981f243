#include "ui/online/aboutbox.h"

#include "core/app/appvalues.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/app/serviceaddress.h"
#include "ui/app/dialogcentring.h"
#include "ui/app/fonts.h"
#include "ui/app/pictures.h"
#include "ui/online/windowdrag.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QSize kClientSize(446, 374);
constexpr int kSlideStep = 5;     // pixels the panel moves on each tick of the slide
constexpr int kSlideInterval = 5; // milliseconds between two steps at 96 dots per inch
constexpr int kRainInterval = 50;

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace

TAboutBox::TAboutBox(const AppValues& values, DesktopShell& shell, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_values(values), m_shell(shell), m_dialogs(dialogs), m_rainFont(Tahoma(TRain::charHeight)),
      m_menuRunner([](QMenu* menu, const QPoint& globalPos) { menu->exec(globalPos); })
{
    setObjectName(u"AboutBox"_s);
    setWindowTitle(u"About %1"_s.arg(values.productName));
    setFont(QFont(u"Tahoma"_s));
    // The rain image is the whole background, painted in paintEvent.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setFixedSize(kClientSize);

    createControls();
    HighDPIImageYukle();

    CentreOnMainWindowScreen(this, parent);

    tmTimer = new QTimer(this);
    tmTimer->setObjectName(u"tmTimer"_s);
    tmTimer->setInterval(kRainInterval);
    connect(tmTimer, &QTimer::timeout, this, &TAboutBox::tmTimerTimer);
    TimerEgg = new QTimer(this);
    TimerEgg->setObjectName(u"TimerEgg"_s);
    TimerEgg->setInterval(kSlideInterval);
    connect(TimerEgg, &QTimer::timeout, this, &TAboutBox::TimerEggTimer);

    StartRain();
    tmTimer->start();
}

void TAboutBox::createControls()
{
    // Below Panel1, so that the panel's slide uncovers it.
    PanelEgg = new QFrame(this);
    PanelEgg->setObjectName(u"PanelEgg"_s);
    PanelEgg->resize(324, 220);
    PanelEgg->move((width() - PanelEgg->width()) / 2, (height() - PanelEgg->height()) / 2);
    PanelEgg->setFrameShape(QFrame::Panel);
    PanelEgg->setFrameShadow(QFrame::Sunken);
    PanelEgg->hide();
    ImageEgg = new QLabel(PanelEgg);
    ImageEgg->setObjectName(u"ImageEgg"_s);
    ImageEgg->setGeometry(PanelEgg->rect());
    ImageEgg->setAlignment(Qt::AlignCenter);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(u"Panel1"_s);
    Panel1->setGeometry(48, 42, 350, 291);
    Panel1->setAutoFillBackground(true);
    QPalette panelPalette = Panel1->palette();
    panelPalette.setColor(QPalette::Window, Qt::black);
    panelPalette.setColor(QPalette::WindowText, Qt::white);
    Panel1->setPalette(panelPalette);

    Image2 = new QLabel(Panel1);
    Image2->setObjectName(u"Image2"_s);
    Image2->setGeometry(3, 3, 344, 105);
    Image2->setAlignment(Qt::AlignCenter);

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(u"Bevel1"_s);
    Bevel1->setGeometry(9, 122, 34, 34);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    VirtualImage1 = new QLabel(Panel1);
    VirtualImage1->setObjectName(u"VirtualImage1"_s);
    VirtualImage1->setGeometry(10, 123, 32, 32);

    Label2 = new QLabel(m_values.productName + u' ' + m_values.versionText, Panel1);
    Label2->setObjectName(u"Label2"_s);
    Label2->setGeometry(49, 122, 290, 40);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setFont(Tahoma(16));

    // White text needs a dark face; the system's light button face would swallow it.
    QPalette buttonPalette = Panel1->palette();
    buttonPalette.setColor(QPalette::Button, QColor(48, 48, 48));
    buttonPalette.setColor(QPalette::ButtonText, Qt::white);
    BitBtn1 = new QPushButton(u"OK"_s, Panel1);
    BitBtn1->setObjectName(u"BitBtn1"_s);
    BitBtn1->setGeometry(49, 226, 122, 33);
    BitBtn1->setFont(Tahoma(16));
    BitBtn1->setPalette(buttonPalette);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(u"Info"_s, Panel1);
    BitBtn2->setObjectName(u"BitBtn2"_s);
    BitBtn2->setGeometry(177, 226, 122, 33);
    BitBtn2->setFont(Tahoma(16));
    BitBtn2->setPalette(buttonPalette);
    BitBtn2->setAutoDefault(false);
    BitBtn2->setIcon(Picture(u"arrow"_s));
    BitBtn2->setIconSize(QSize(16, 16));
    // A push button puts its icon before the text; right to left puts it after.
    BitBtn2->setLayoutDirection(Qt::RightToLeft);

    const QString host = m_values.serviceHost;
    Label5 = new QLabel(host, Panel1);
    Label5->setObjectName(u"Label5"_s);
    Label5->setGeometry(0, 266, Panel1->width(), 18);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setTextFormat(Qt::PlainText);
    QFont linkFont = Tahoma(13);
    linkFont.setUnderline(true);
    Label5->setFont(linkFont);
    setTextColor(Label5, QColor(0, 255, 0));
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->setToolTip(ServiceAddress(true, host, u"/"_s));
    // A program that contacts no host has no address to show or open.
    Label5->setVisible(!host.isEmpty());
    Label5->installEventFilter(this);

    PopupMenu1 = new QMenu(BitBtn2);
    PopupMenu1->setObjectName(u"PopupMenu1"_s);
    Credits1 = PopupMenu1->addAction(u"Acknowledgements..."_s);
    Credits1->setObjectName(u"Credits1"_s);
    Howtouninstall1 = PopupMenu1->addAction(u"How to uninstall..."_s);
    Howtouninstall1->setObjectName(u"Howtouninstall1"_s);
    LicensePrivacyPolicy1 = PopupMenu1->addAction(u"License..."_s);
    LicensePrivacyPolicy1->setObjectName(u"LicensePrivacyPolicy1"_s);
    Credits1->setEnabled(!host.isEmpty());
    Howtouninstall1->setEnabled(!host.isEmpty());

    connect(BitBtn1, &QPushButton::clicked, this, &TAboutBox::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TAboutBox::BitBtn2Click);
    connect(Credits1, &QAction::triggered, this, &TAboutBox::Credits1Click);
    connect(Howtouninstall1, &QAction::triggered, this, &TAboutBox::Howtouninstall1Click);
    connect(LicensePrivacyPolicy1, &QAction::triggered, this, &TAboutBox::LicensePrivacyPolicy1Click);

    VirtualImage1->installEventFilter(this);
    ImageEgg->installEventFilter(this);
    m_drag = new WindowDrag(this, {this, Panel1, Label2, Image2, VirtualImage1, ImageEgg});
}

void TAboutBox::HighDPIImageYukle()
{
    // At the window's own scale: without one, QIcon takes the highest scale of all screens.
    const qreal ratio = devicePixelRatioF();
    Image2->setPixmap(Picture(u"logo"_s).pixmap(QSize(344, 105), ratio));
    ImageEgg->setPixmap(Picture(u"cat"_s).pixmap(QSize(320, 214), ratio));
    VirtualImage1->setPixmap(Picture(u"tagscope"_s).pixmap(QSize(32, 32), ratio));
}

void TAboutBox::FormAfterMonitorDpiChanged()
{
    HighDPIImageYukle();
    StartRain();
}

void TAboutBox::setTickClock(PopupGuard::TickClock clock)
{
    m_popupGuard = PopupGuard(std::move(clock));
}

void TAboutBox::setMenuRunner(MenuRunner runner)
{
    m_menuRunner = std::move(runner);
}

void TAboutBox::BitBtn1Click()
{
    accept();
}

void TAboutBox::BitBtn2Click()
{
    PopupBelowButton(BitBtn2, PopupMenu1);
}

void TAboutBox::PopupBelowButton(QAbstractButton* button, QMenu* menu)
{
    if (!m_popupGuard.shouldOpen(button, menu))
        return;
    m_menuRunner(menu, button->mapToGlobal(QPoint(0, button->height())));
    m_popupGuard.closed(button, menu);
}

void TAboutBox::openMakerPage(bool https, const QString& path)
{
    // Whether the browser could be started is not reported: the user sees it either way.
    if (const QString address = ServiceAddress(https, m_values.serviceHost, path); !address.isEmpty())
        m_shell.openUrl(QUrl(address));
}

void TAboutBox::Label5Click()
{
    openMakerPage(true, u"/"_s);
}

void TAboutBox::Credits1Click()
{
    openMakerPage(true, u"/blog/credits-and-acknowledgements/"_s);
}

void TAboutBox::Howtouninstall1Click()
{
    openMakerPage(false, u"/blog/how-to-uninstall-brindle-software/"_s);
}

void TAboutBox::LicensePrivacyPolicy1Click()
{
    const QString path = QDir(m_values.programFolder).filePath(u"license.txt"_s);
    if (QFileInfo::exists(path))
        m_shell.openUrl(QUrl::fromLocalFile(path));
    else
        m_dialogs.showMessage(
            BuildMessageBox(u"File not found!"_s, DialogType::Error, {DialogButton::OK}, u"License"_s));
}

void TAboutBox::VirtualImage1DblClick()
{
    if (TimerEgg->isActive())
        return;
    PanelEgg->show();
    // The slide takes the same time on a screen of any resolution, where the window is wider in pixels.
    TimerEgg->setInterval(std::max(1, qRound(double(kSlideInterval) * 96 / logicalDpiX())));
    TimerEgg->start();
}

void TAboutBox::ImageEggDblClick()
{
    if (TimerEgg->isActive())
        return;
    PanelEgg->hide();
    Panel1->move((width() - Panel1->width()) / 2, Panel1->y());
}

void TAboutBox::TimerEggTimer()
{
    Panel1->move(Panel1->x() + kSlideStep, Panel1->y());
    if (width() < Panel1->x())
        TimerEgg->stop();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == VirtualImage1)
            VirtualImage1DblClick();
        else if (watched == ImageEgg)
            ImageEggDblClick();
    } else if (event->type() == QEvent::MouseButtonRelease && watched == Label5) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label5->rect().contains(mouse->position().toPoint()))
            Label5Click();
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::StartRain()
{
    m_rainPixelRatio = devicePixelRatioF();
    m_rainDpi = logicalDpiX();
    const QSize outer = frameGeometry().size();
    m_rain.Start(outer.width(), outer.height());
    SetupRain();
}

void TAboutBox::SetupRain()
{
    const qreal ratio = devicePixelRatioF();
    m_rainImage = QImage(size() * ratio, QImage::Format_RGB32);
    m_rainImage.setDevicePixelRatio(ratio);
    m_rainImage.fill(Qt::black);
    m_rain.SeedDrops();
    update();
}

void TAboutBox::tmTimerTimer()
{
    const std::vector<TRainDraw> draws = m_rain.StepRain();
    if (draws.empty())
        return;
    QPainter painter(&m_rainImage);
    painter.setFont(m_rainFont);
    QRegion changed;
    const QSize cell(TRain::charWidth, TRain::charHeight);
    const auto drawChar = [&](const QPoint& at, const QColor& color, QChar c) {
        const QRect rect(at, cell);
        painter.fillRect(rect, Qt::black);
        painter.setPen(color);
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, QString(c));
        changed += rect;
    };
    for (const TRainDraw& draw : draws) {
        painter.fillRect(draw.erase, Qt::black);
        changed += draw.erase;
        if (draw.hasTrail)
            drawChar(draw.trailPos, draw.trailColor, draw.c);
        drawChar(draw.headPos, draw.headColor, draw.c);
    }
    update(changed);
}

void TAboutBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), m_rainImage);
}

void TAboutBox::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    SetupRain();
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_watchingScreen || !windowHandle())
        return;
    m_watchingScreen = true;
    // The window's frame and its screen are known once the window exists: the pictures take the screen's scale, and
    // the rain, which has not fallen yet, is laid over the whole window.
    HighDPIImageYukle();
    if (m_rain.tickCounter() == 0 && frameGeometry().size() != QSize(m_rain.bitmapWidth(), m_rain.bitmapHeight()))
        StartRain();
    connect(windowHandle(), &QWindow::screenChanged, this, [this](QScreen* screen) {
        watchScreen(screen);
        if (devicePixelRatioF() != m_rainPixelRatio || logicalDpiX() != m_rainDpi)
            FormAfterMonitorDpiChanged();
    });
    watchScreen(windowHandle()->screen());
}

void TAboutBox::watchScreen(QScreen* screen)
{
    disconnect(m_dpiConnection);
    if (screen) {
        m_dpiConnection =
            connect(screen, &QScreen::logicalDotsPerInchChanged, this, [this] { FormAfterMonitorDpiChanged(); });
    }
}
