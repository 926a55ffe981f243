#include "ui/app/dialogcentring.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

void centre(QWidget* dialog, const QWidget* mainWindow)
{
    const QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame(QPoint(), dialog->frameGeometry().size());
    frame.moveCenter(area.center());
    dialog->move(std::max(frame.left(), area.left()), std::max(frame.top(), area.top()));
}

// Centres the dialog again when it first shows, then goes.
class FirstShowCentring final : public QObject
{
    Q_DISABLE_COPY_MOVE(FirstShowCentring)

public:
    FirstShowCentring(QWidget* dialog, QWidget* mainWindow) : QObject(dialog), m_dialog(dialog), m_mainWindow(mainWindow)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_dialog && event->type() == QEvent::Show) {
            centre(m_dialog, m_mainWindow);
            m_dialog->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_dialog;
    QPointer<QWidget> m_mainWindow;
};

} // namespace

void CentreOnMainWindowScreen(QWidget* dialog, QWidget* mainWindow)
{
    centre(dialog, mainWindow);
    new FirstShowCentring(dialog, mainWindow);
}
