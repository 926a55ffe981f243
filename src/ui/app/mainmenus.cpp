#include "ui/app/mainmenus.h"

#include "ui/app/pictures.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {},
                 const QString& picture = {})
{
    auto* action = new QAction(caption, menu);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    if (!picture.isEmpty())
        action->setIcon(Picture(picture));
    action->setEnabled(false);
    menu->addAction(action);
    return action;
}

void addSeparator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

// A submenu whose items are all disabled is disabled itself, and follows its items as they are enabled.
void disableWhenEmpty(QMenu* submenu)
{
    const auto update = [submenu] {
        const QList<QAction*> items = submenu->actions();
        submenu->menuAction()->setEnabled(
            std::any_of(items.cbegin(), items.cend(), [](const QAction* item) { return item->isEnabled(); }));
    };
    for (QAction* item : submenu->actions())
        QObject::connect(item, &QAction::changed, submenu, update);
    update();
}

// Opens menu on a right click in view, where the click was.
void attachContextMenu(QMenu* menu, QAbstractScrollArea& view)
{
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&view, &QWidget::customContextMenuRequested, menu,
                     [menu, &view](const QPoint& at) { menu->popup(view.viewport()->mapToGlobal(at)); });
}

} // namespace

MainMenus CreateMainMenus(QMainWindow& window, QTableView& list, QPlainTextEdit& pane)
{
    MainMenus m{};
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(u"MainMenu1"_s);

    QMenu* file = bar->addMenu(u"&File"_s);
    m.exporting.ExporttoFile1 = addItem(file, "ExporttoFile1", u"Save File List..."_s);
    m.metadata.SaveMetadataasTXT1 = addItem(file, "SaveMetadataasTXT1", u"Save Metadata as TXT..."_s);
    m.metadata.SaveMetadataasCSV1 = addItem(file, "SaveMetadataasCSV1", u"Save Metadata as CSV..."_s);
    addSeparator(file, "N1");
    m.app.Exit1 = addItem(file, "Exit1", u"E&xit"_s, QKeySequence(Qt::ALT | Qt::Key_F4), u"exit"_s);
    // Alt+F4 is the window manager's on most desktops; Ctrl+Q is what Linux programs quit with.
    m.app.Exit1->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_Q)});

    QMenu* select = bar->addMenu(u"&Select"_s);
    m.fileOps.SelectAll1 = addItem(select, "SelectAll1", u"Select All"_s);
    m.fileOps.Selectnone1 = addItem(select, "Selectnone1", u"Select None"_s);
    m.fileOps.InvertSelection1 = addItem(select, "InvertSelection1", u"Invert Selection"_s, {}, u"reverse"_s);
    addSeparator(select, "N4");
    m.fileOps.Find1 = addItem(select, "Find1", u"Find..."_s, QKeySequence(Qt::CTRL | Qt::Key_F));

    // "&Select" has S; Alt+S must not open two menus in turn, one Enter from "Reset to Defaults...".
    QMenu* settings = bar->addMenu(u"Se&ttings"_s);
    m.app.ResettoDefaults1 = addItem(settings, "ResettoDefaults1", u"Reset to Defaults..."_s);

    QMenu* help = bar->addMenu(u"&Help"_s);
    m.app.Help2 = addItem(help, "Help2", u"Online Help"_s, QKeySequence(Qt::Key_F1), u"help"_s);
    addSeparator(help, "N6");
    m.online.UpdateNotifications1 = addItem(help, "UpdateNotifications1", u"Update Notifications"_s);
    m.online.UpdateNotifications1->setCheckable(true);
    m.online.UpdateNotifications1->setChecked(true);
    addSeparator(help, "UpdateNotificationsBar");
    m.online.SendFeedback1 = addItem(help, "SendFeedback1", u"Send &Feedback..."_s, {}, u"feedback"_s);
    m.online.About1 = addItem(help, "About1", u"&About..."_s, {}, u"about"_s);

    // F5 anywhere in the window.
    m.fileList.ScanShortcut = new QAction(&window);
    m.fileList.ScanShortcut->setObjectName(u"ScanShortcut"_s);
    m.fileList.ScanShortcut->setShortcut(QKeySequence(Qt::Key_F5));
    m.fileList.ScanShortcut->setShortcutContext(Qt::WindowShortcut);
    m.fileList.ScanShortcut->setEnabled(false);
    window.addAction(m.fileList.ScanShortcut);

    m.PopupMenu1 = new QMenu(&window);
    QMenu* p1 = m.PopupMenu1;
    p1->setObjectName(u"PopupMenu1"_s);
    m.fileOps.Open1 = addItem(p1, "Open1", u"Open"_s);
    p1->setDefaultAction(m.fileOps.Open1);
    m.fileOps.Rename1 = addItem(p1, "Rename1", u"Rename..."_s, QKeySequence(Qt::Key_F2));
    // F2 works while the list has the focus, also with the menu closed.
    m.fileOps.Rename1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    list.addAction(m.fileOps.Rename1);
    m.metadata.SaveAs1 = addItem(p1, "SaveAs1", u"Save As..."_s);
    m.fileOps.OpenwithExplorer1 = addItem(p1, "OpenwithExplorer1", u"Show in File Manager"_s);
    addSeparator(p1, "N3");
    m.fileOps.Copytoclipboard1 = addItem(p1, "Copytoclipboard1", u"Copy Files to Clipboard"_s);
    m.FileNames1 = p1->addMenu(u"File Names"_s);
    m.FileNames1->setObjectName(u"FileNames1"_s);
    m.FileNames1->menuAction()->setObjectName(u"FileNames1"_s);
    m.fileOps.CopytoClipboard2 = addItem(m.FileNames1, "CopytoClipboard2", u"Copy to Clipboard"_s);
    m.fileOps.CopytoClipboardIncludePaths1 =
        addItem(m.FileNames1, "CopytoClipboardIncludePaths1", u"Copy to Clipboard (Include Paths)"_s);
    addSeparator(p1, "N2");
    m.fileOps.SelectAll2 = addItem(p1, "SelectAll2", u"Select All"_s);
    m.fileOps.SelectNone2 = addItem(p1, "SelectNone2", u"Select None"_s);
    m.fileOps.InvertSelection2 = addItem(p1, "InvertSelection2", u"Invert Selection"_s);
    addSeparator(p1, "N7");
    m.fileOps.DeletefromList1 = addItem(p1, "DeletefromList1", u"Remove from List"_s);
    m.fileOps.SendtoRecycleBin1 = addItem(p1, "SendtoRecycleBin1", u"Move to Trash"_s);
    m.fileOps.DeleteFile1 = addItem(p1, "DeleteFile1", u"Permanently Delete"_s);
    attachContextMenu(p1, list);

    m.PopupMenu2 = new QMenu(&window);
    QMenu* p2 = m.PopupMenu2;
    p2->setObjectName(u"PopupMenu2"_s);
    m.metadata.Cut1 = addItem(p2, "Cut1", u"Cut"_s);
    m.metadata.Copy1 = addItem(p2, "Copy1", u"Copy"_s);
    m.metadata.Paste1 = addItem(p2, "Paste1", u"Paste"_s);
    m.metadata.Delete1 = addItem(p2, "Delete1", u"Delete"_s);
    addSeparator(p2, "N5");
    m.metadata.SelectAll3 = addItem(p2, "SelectAll3", u"Select All"_s);
    attachContextMenu(p2, pane);
    disableWhenEmpty(m.FileNames1);
    return m;
}
