#pragma once

class QAction;

// The item that opens the export dialog.
struct ExportActions
{
    QAction* ExporttoFile1; // "Save File List...", File menu
};
