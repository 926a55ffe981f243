#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class DesktopShell;
class QFrame;
class QLabel;
class QPropertyAnimation;
class QTimer;
class QToolButton;
class WindowDrag;

// The update notice's timing in milliseconds; tests shorten it.
struct NoticeClock
{
    int startDelay = 1;   // from creation to showing
    int closeTick = 1000; // one step of the countdown to closing by itself
    int linkPoll = 100;   // how often the link follows the mouse
    int animation = 100;  // length of the opening and closing animations
};

// "UPDATE AVAILABLE": a small notice at the top right of the primary screen that offers the download of a newer
// version. It shows itself shortly after it is created, without taking the focus from the main window and without a
// button in the task bar, and closes by itself after about eleven seconds. Closing only hides it: the notice is made
// once per run and stays until the program ends.
class TNewVer final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TNewVer)

public:
    // The main window owns the notice, which stays a window of its own. The link opens downloadUrl, or homePage when
    // there is no download address.
    TNewVer(const QString& productName, const QString& offeredVersion, const QString& downloadUrl,
            const QString& homePage, DesktopShell& shell, QWidget* mainWindow, NoticeClock clock = {});

    void TimerStartTimer();
    void TimerCloseTimer();
    void TimerLinkTimer();
    void Label2Click();
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls(const QString& productName, const QString& offeredVersion);
    void placeOnPrimaryScreen();
    // Runs the opacity animation from one end to the other, then calls done.
    void animate(qreal from, qreal to, std::function<void()> done);

    DesktopShell& m_shell;
    QWidget* m_mainWindow;
    QString m_downloadUrl;
    QString m_homePage;
    NoticeClock m_clock;

    QFrame* Panel1;
    QLabel* Image1;
    QFrame* Panel2;
    QLabel* Label1;
    QLabel* Label2;
    QFrame* Panel3;
    QToolButton* Button1;
    QTimer* TimerStart;
    QTimer* TimerClose;
    QTimer* TimerLink;
    QPropertyAnimation* m_animation;
    WindowDrag* m_drag;
    int m_secondsLeft = 11; // countdown of TimerClose
};
