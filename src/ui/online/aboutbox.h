#pragma once

#include "core/online/popupguard.h"
#include "core/online/rain.h"

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QMetaObject>
#include <QString>
#include <QTimer>

#include <functional>

class DesktopShell;
class Dialogs;
class QAbstractButton;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QScreen;
class WindowDrag;
struct AppValues;

// "About": the product's name and version on a black panel, with a character rain falling in the margin around it,
// links to the maker's pages under "Info", and the licence. Shown modally by its caller. A double click on the
// program icon slides the panel away and shows a picture behind it; a double click on the picture brings it back.
// The box has no title bar worth aiming at, so it is dragged by its face.
class TAboutBox final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAboutBox)

public:
    // Shows a menu at a point on the screen and returns once it has closed.
    using MenuRunner = std::function<void(QMenu* menu, const QPoint& globalPos)>;

    TAboutBox(const AppValues& values, DesktopShell& shell, Dialogs& dialogs, QWidget* parent = nullptr);

    // The clock of the rule that lets the Info button close its own menu; tests set one they can wind.
    void setTickClock(PopupGuard::TickClock clock);
    // Replaces the menu's modal exec, which a test cannot answer.
    void setMenuRunner(MenuRunner runner);
    const TRain& rain() const { return m_rain; }
    // The font the rain's characters are drawn in.
    const QFont& rainFont() const { return m_rainFont; }

    void BitBtn1Click();
    void BitBtn2Click();
    // Opens menu below button, unless this click is the one that closed it a moment ago.
    void PopupBelowButton(QAbstractButton* button, QMenu* menu);
    void Label5Click();
    void Credits1Click();
    void Howtouninstall1Click();
    void LicensePrivacyPolicy1Click();
    void VirtualImage1DblClick();
    void ImageEggDblClick();
    // One step of the panel's slide.
    void TimerEggTimer();
    // One step of the rain.
    void tmTimerTimer();
    // Loads the pictures at the window's present scale ("Yukle": load).
    void HighDPIImageYukle();
    // After the window has come to a screen of another scale, or its screen's scale has changed: the pictures and
    // the rain anew at the new scale.
    void FormAfterMonitorDpiChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    // Starts the rain from scratch: the grid from the window's present outer size, tick 0.
    void StartRain();
    // Clears the picture and seeds the drops again, on the grid recorded at the start.
    void SetupRain();
    void watchScreen(QScreen* screen);
    // Opens path on the maker's web service, if the program contacts one.
    void openMakerPage(bool https, const QString& path);

    const AppValues& m_values;
    DesktopShell& m_shell;
    Dialogs& m_dialogs;

    QFrame* Panel1;
    QLabel* Image2;
    QFrame* Bevel1;
    QLabel* VirtualImage1;
    QLabel* Label2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QLabel* Label5;
    QFrame* PanelEgg;
    QLabel* ImageEgg;
    QMenu* PopupMenu1;
    QAction* Credits1;
    QAction* Howtouninstall1;
    QAction* LicensePrivacyPolicy1;
    QTimer* tmTimer;
    QTimer* TimerEgg;
    WindowDrag* m_drag;

    TRain m_rain;
    QImage m_rainImage; // the window's background: black, with the rain drawn into it tick by tick
    QFont m_rainFont;
    // The screen's resolution the rain was started for; a change starts it again.
    qreal m_rainPixelRatio = 0;
    int m_rainDpi = 0;
    QMetaObject::Connection m_dpiConnection;
    bool m_watchingScreen = false;

    PopupGuard m_popupGuard;
    MenuRunner m_menuRunner;
};
