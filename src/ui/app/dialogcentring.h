#pragma once

class QWidget;

// Centres a dialog on the screen that shows mainWindow (the primary screen when there is none), within that screen's
// available area: the whole window, its frame included, so that it is centred once the window manager has framed it.
// It is placed now and once more when it first shows, since only then is its frame known. A dialog larger than the
// area keeps its top left corner inside it, so that its title bar can be reached.
void CentreOnMainWindowScreen(QWidget* dialog, QWidget* mainWindow);
