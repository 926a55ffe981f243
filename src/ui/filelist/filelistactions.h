#pragma once

class QAction;

// The file list's window-wide keys.
struct FileListActions
{
    QAction* ScanShortcut; // F5: "Scan Files", anywhere in the window
};
