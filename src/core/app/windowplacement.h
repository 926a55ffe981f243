#pragma once

#include <QList>
#include <QRect>

// Where a window goes so that it can be seen whole. A window that lies inside the available area of one of the
// screens stays where it is. Otherwise it goes onto the screen that shows most of it, or onto the primary screen when
// none shows any (another monitor was unplugged): it is shrunk to that screen's area where it is larger (the scaling
// grew), and moved in just far enough when it overlapped the screen, or centred on it when it did not.
QRect FitOntoScreens(const QRect& window, const QList<QRect>& screens, const QRect& primary);
