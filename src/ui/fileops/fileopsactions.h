#pragma once

class QAction;

// The items of the commands on the listed files and the selection: the Select menu and most of the list's context
// menu.
struct FileOpsActions
{
    // The Select menu.
    QAction* SelectAll1;
    QAction* Selectnone1;
    QAction* InvertSelection1;
    QAction* Find1;
    // The list's context menu.
    QAction* Open1;
    QAction* Rename1;
    QAction* OpenwithExplorer1;
    QAction* Copytoclipboard1;
    QAction* CopytoClipboard2;
    QAction* CopytoClipboardIncludePaths1;
    QAction* SelectAll2;
    QAction* SelectNone2;
    QAction* InvertSelection2;
    QAction* DeletefromList1;
    QAction* SendtoRecycleBin1;
    QAction* DeleteFile1;
};
