#pragma once

#include <QObject>
#include <QPoint>

#include <initializer_list>

class QWidget;

// Moves a window without a title bar (or one that wants to be moved by its face) when the user drags one of its
// handles: a press with any button but the right one starts the drag, each move moves the window by the distance the
// mouse went, the release ends it. The right button is left to context menus.
class WindowDrag final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowDrag)

public:
    // The window itself may be one of the handles.
    WindowDrag(QWidget* window, std::initializer_list<QWidget*> handles);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    bool m_dragging = false;
    QPoint m_last; // the mouse's global position at the last press or move
};
