#include "core/app/windowplacement.h"

#include <algorithm>

QRect FitOntoScreens(const QRect& window, const QList<QRect>& screens, const QRect& primary)
{
    for (const QRect& screen : screens) {
        if (screen.contains(window))
            return window;
    }
    // The screen that shows most of the window, else the primary one.
    QRect target = primary;
    qint64 shownMost = 0;
    for (const QRect& screen : screens) {
        const QRect shown = screen.intersected(window);
        const qint64 area = qint64(shown.width()) * shown.height();
        if (area > shownMost) {
            shownMost = area;
            target = screen;
        }
    }
    QRect fitted(window.topLeft(), window.size().boundedTo(target.size()));
    if (!fitted.intersects(target)) {
        fitted.moveCenter(target.center());
        return fitted;
    }
    fitted.moveLeft(std::clamp(fitted.left(), target.left(), target.right() - fitted.width() + 1));
    fitted.moveTop(std::clamp(fitted.top(), target.top(), target.bottom() - fitted.height() + 1));
    return fitted;
}
