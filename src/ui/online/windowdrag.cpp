#include "ui/online/windowdrag.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

WindowDrag::WindowDrag(QWidget* window, std::initializer_list<QWidget*> handles) : QObject(window), m_window(window)
{
    for (QWidget* handle : handles)
        handle->installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event)
{
    // A handled event is taken, so that it does not reach the handle's parent, which may be a handle too.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            break;
        m_dragging = true;
        m_last = mouse->globalPosition().toPoint();
        return true;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            const QPoint now = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            m_window->move(m_window->pos() + (now - m_last));
            m_last = now;
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging) {
            m_dragging = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
