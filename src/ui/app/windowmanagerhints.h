#pragma once

class QWidget;

// Asks the window manager to leave a top-level window out of the taskbar and the pager. On X11 these are the
// _NET_WM_STATE entries _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER, for which Qt has no flag (Qt::Tool
// only makes a utility window, which taskbars may still list). Call it while the window is hidden: a window manager
// reads the state when it maps the window and drops it when the window is withdrawn. Elsewhere it does nothing.
void KeepOutOfTaskbar(QWidget* window);
