#pragma once

class QAction;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QTableView;

// The main menu and the two context menus of the main window, with their names, captions, shortcuts and pictures.
// Every item starts disabled; the command class of its subsystem enables it when it binds it.
struct MainMenus
{
    // "&File"
    QAction* ExporttoFile1;
    QAction* SaveMetadataasTXT1;
    QAction* SaveMetadataasCSV1;
    QAction* Exit1;
    // "&Select"
    QAction* SelectAll1;
    QAction* Selectnone1;
    QAction* InvertSelection1;
    QAction* Find1;
    // "&Settings"
    QAction* ResettoDefaults1;
    // "&Help"
    QAction* Help2;
    QAction* UpdateNotifications1;
    QAction* SendFeedback1;
    QAction* About1;

    // The context menu of the file list.
    QMenu* PopupMenu1;
    QAction* Open1;
    QAction* Rename1;
    QAction* SaveAs1;
    QAction* OpenwithExplorer1;
    QAction* Copytoclipboard1;
    QMenu* FileNames1;
    QAction* CopytoClipboard2;
    QAction* CopytoClipboardIncludePaths1;
    QAction* SelectAll2;
    QAction* SelectNone2;
    QAction* InvertSelection2;
    QAction* DeletefromList1;
    QAction* SendtoRecycleBin1;
    QAction* DeleteFile1;

    // The context menu of the metadata pane.
    QMenu* PopupMenu2;
    QAction* Cut1;
    QAction* Copy1;
    QAction* Paste1;
    QAction* Delete1;
    QAction* SelectAll3;
};

// Makes the menus of window; PopupMenu1 opens on a right click in list, PopupMenu2 in pane.
MainMenus CreateMainMenus(QMainWindow& window, QTableView& list, QPlainTextEdit& pane);
