#pragma once

#include "ui/app/appactions.h"
#include "ui/export/exportactions.h"
#include "ui/filelist/filelistactions.h"
#include "ui/fileops/fileopsactions.h"
#include "ui/metadata/metadataactions.h"
#include "ui/online/onlineactions.h"

class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QTableView;

// The main menu and the two context menus of the main window, with their names, captions, shortcuts and pictures,
// handed out as one struct of actions per subsystem. Every item starts disabled; the command class of its subsystem
// enables it when it binds it.
struct MainMenus
{
    AppActions app;
    FileListActions fileList;
    MetadataActions metadata;
    ExportActions exporting;
    FileOpsActions fileOps;
    OnlineActions online;

    QMenu* PopupMenu1; // the file list's context menu
    QMenu* FileNames1; // its "File Names" submenu
    QMenu* PopupMenu2; // the metadata pane's context menu
};

// Makes the menus of window; PopupMenu1 opens on a right click in list, PopupMenu2 in pane.
MainMenus CreateMainMenus(QMainWindow& window, QTableView& list, QPlainTextEdit& pane);
