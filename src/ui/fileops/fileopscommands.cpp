#include "ui/fileops/fileopscommands.h"

#include "core/app/appvalues.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/base/filenames.h"
#include "core/base/paths.h"
#include "core/filelist/filelistmodel.h"
#include "core/filelist/filerecords.h"
#include "core/filelist/filetexts.h"
#include "core/platform/clipboarddata.h"
#include "core/platform/pathstatus.h"
#include "core/platform/removetree.h"
#include "ui/app/busycursor.h"
#include "ui/filelist/filelistcommands.h"
#include "ui/app/statuspanels.h"
#include "ui/filelist/fileselection.h"
#include "ui/fileops/finddialog.h"
#include "ui/fileops/renamefileform.h"

#include <QAction>
#include <QDir>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

FileOpsCommands::FileOpsCommands(const CommandContext& context, const FileOpsActions& actions, const Controls& controls,
                                 QObject* parent)
    : QObject(parent), m_ctx(context), m_controls(controls), m_list(m_controls.list)
{
    setObjectName(u"FileOpsCommands"_s);
    // One file is opened per turn of the event loop, so that opening many never stalls the window.
    m_openTimer.setInterval(0);
    connect(&m_openTimer, &QTimer::timeout, this, [this] { m_ctx.run([this] { openNext(); }); });
    m_ctx.bind(actions.Open1, this, [this] { Open1Click(); });
    m_ctx.bind(actions.OpenwithExplorer1, this, [this] { OpenwithExplorer1Click(); });
    m_ctx.bind(actions.Rename1, this, [this] { Rename1Click(); });
    m_ctx.bind(actions.DeletefromList1, this, [this] { DeletefromList1Click(); });
    m_ctx.bind(actions.SendtoRecycleBin1, this, [this] { SendtoRecycleBin1Click(); });
    m_ctx.bind(actions.DeleteFile1, this, [this] { DeleteFile1Click(); });
    m_ctx.bind(actions.Copytoclipboard1, this, [this] { Copytoclipboard1Click(); });
    m_ctx.bind(actions.CopytoClipboard2, this, [this] { CopytoClipboard2Click(); });
    m_ctx.bind(actions.CopytoClipboardIncludePaths1, this, [this] { CopytoClipboardIncludePaths1Click(); });
    // The items of the context menu do what those of the main menu do.
    m_ctx.bind(actions.SelectAll1, this, [this] { SelectAll1Click(); });
    m_ctx.bind(actions.SelectAll2, this, [this] { SelectAll1Click(); });
    m_ctx.bind(actions.Selectnone1, this, [this] { Selectnone1Click(); });
    m_ctx.bind(actions.SelectNone2, this, [this] { Selectnone1Click(); });
    m_ctx.bind(actions.InvertSelection1, this, [this] { InvertSelection1Click(); });
    m_ctx.bind(actions.InvertSelection2, this, [this] { InvertSelection1Click(); });
    m_ctx.bind(actions.Find1, this, [this] { Find1Click(); });

    // A double click opens, as "Open" does; Delete in the list removes the selected rows from it.
    connect(&m_list.view, &QAbstractItemView::doubleClicked, this, [this] { m_ctx.run([this] { Open1Click(); }); });
    auto* removeKey = new QShortcut(QKeySequence::Delete, &m_list.view);
    removeKey->setContext(Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, [this] { m_ctx.run([this] { DeletefromList1Click(); }); });
}

FileOpsCommands::~FileOpsCommands()
{
    delete m_find.data();
}

TFindDialog* FileOpsCommands::findDialog() const
{
    return m_find.data();
}

std::vector<int> FileOpsCommands::selectedRows() const
{
    std::vector<int> rows = m_list.selection.rows().rows();
    // A row the list no longer shows is not acted on.
    rows.erase(std::lower_bound(rows.begin(), rows.end(), m_list.model.rowCount()), rows.end());
    return rows;
}

QStringList FileOpsCommands::selectedPaths() const
{
    const std::vector<int> rows = selectedRows();
    QStringList paths;
    paths.reserve(qsizetype(rows.size()));
    const FileRecords::Reader list = m_list.records.read();
    for (const int row : rows) {
        if (std::size_t(row) < list.size())
            paths.append(list[std::size_t(row)].FFullName());
    }
    return paths;
}

void FileOpsCommands::refresh()
{
    m_list.view.viewport()->update();
    m_list.selection.clearRows();
    FileListCommands::KacItemVarGuncelle(m_ctx.status, m_list.model);
}

void FileOpsCommands::Open1Click()
{
    const QStringList paths = selectedPaths();
    // As file managers do: a program started for each of many files can stall the desktop, so ask first.
    if (paths.size() > kOpenWithoutAsking &&
        CustomMessageDialog(m_ctx.dialogs,
                            u"Open %1 files?"_s.arg(GroupedNumberText(paths.size(), m_controls.values.locale)),
                            DialogType::Confirmation, {DialogButton::Yes, DialogButton::No}, u"Confirmation"_s,
                            {u"Yes"_s, u"No"_s}) != ModalResult::Yes)
        return;
    m_toOpen.append(paths);
    if (!m_openTimer.isActive())
        m_openTimer.start();
}

void FileOpsCommands::openNext()
{
    if (m_toOpen.isEmpty()) {
        m_openTimer.stop();
        return;
    }
    const QString path = m_toOpen.takeFirst();
    const PathStatus item = StatusOfPath(path);
    if (item.isFolder || item.isFile)
        m_ctx.shell.openUrl(LocalFileUrl(path));
    else
        m_ctx.warn(u"Item not found!\r\r"_s + QDir::toNativeSeparators(ShownFileName(path)));
}

void FileOpsCommands::OpenwithExplorer1Click()
{
    // One file-manager window per selected file.
    for (const QString& path : selectedPaths())
        m_ctx.shell.showItems({path});
}

void FileOpsCommands::Rename1Click()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    const QString path = m_list.records.at(std::size_t(rows.front())).FFullName();
    const qsizetype cut = path.lastIndexOf(kPathSeparator) + 1;
    auto* window = new TFormRenameFile(m_ctx, m_list, path.first(cut), path.sliced(cut), m_controls.mainWindow);
    window->show();
}

void FileOpsCommands::DeletefromList1Click()
{
    const std::vector<int> rows = selectedRows();
    m_list.model.removeRecords(rows);
    refresh();
}

void FileOpsCommands::SendtoRecycleBin1Click()
{
    removeFromDisk(Removal::Trash);
}

void FileOpsCommands::DeleteFile1Click()
{
    removeFromDisk(Removal::Delete);
}

void FileOpsCommands::removeFromDisk(Removal removal)
{
    const bool trash = removal == Removal::Trash;
    const QStringList paths = selectedPaths();
    if (!paths.isEmpty()) {
        const QString question = trash ? u"Do you really want to send the selected item(s) to the Trash?"_s
                                       : u"Do you really want to permanently delete the selected item(s) from disk?"_s;
        if (CustomMessageDialog(m_ctx.dialogs, question, DialogType::Confirmation,
                                {DialogButton::Yes, DialogButton::No}, u"Confirmation"_s,
                                {u"Yes"_s, u"No"_s}) == ModalResult::Yes) {
            BusyCursor::Job busy(m_ctx.busy);
            busy.set(true);
            QStringList gone;
            for (const QString& path : paths) {
                // A folder first, then a file; an error in either is shown, and the next path follows.
                const auto attempt = [&](bool folder) {
                    try {
                        const PathStatus item = StatusOfPath(path);
                        if (folder ? !item.isFolder : !item.isFile)
                            return;
                        const bool done =
                            trash ? SendToRecycleBin(path) : (folder ? DeleteFolderTree(path) : DeleteFileAt(path));
                        if (done)
                            gone.append(path);
                    } catch (const std::exception& error) {
                        m_ctx.dialogs.showMessage(BuildMessageBox(ErrorRaisedText(error), DialogType::Custom,
                                                                  {DialogButton::OK}, ApplicationTitle()));
                    }
                };
                attempt(true);
                attempt(false);
            }
            m_list.model.RemoveRecordsWithPaths(gone);
            m_ctx.status.setText(0, RemovalOutcomeText(trash, int(gone.size()), int(paths.size() - gone.size())));
        }
    }
    refresh();
}

void FileOpsCommands::Copytoclipboard1Click()
{
    const QStringList paths = selectedPaths();
    if (!paths.isEmpty())
        m_ctx.shell.setClipboard(FilesClipboardData(paths));
}

void FileOpsCommands::CopytoClipboard2Click()
{
    // The first-column text of a row is its full path.
    CopytoClipboardIncludePaths1Click();
}

void FileOpsCommands::CopytoClipboardIncludePaths1Click()
{
    QStringList paths = selectedPaths();
    for (QString& path : paths)
        path = ShownFileName(path);
    if (!paths.isEmpty())
        m_ctx.shell.setClipboard(LinesClipboardData(paths));
}

void FileOpsCommands::SelectAll1Click()
{
    // Whole runs of rows: no row is read, so no file's picture is looked up, and "Show Icons" need not be switched off.
    m_list.selection.setRows(RowSelection::all(m_list.model.rowCount()));
    m_list.view.setFocus();
}

void FileOpsCommands::Selectnone1Click()
{
    m_list.selection.clearRows();
    m_list.view.setFocus();
}

void FileOpsCommands::InvertSelection1Click()
{
    m_list.selection.setRows(m_list.selection.rows().inverted(m_list.model.rowCount()));
    m_list.view.setFocus();
}

void FileOpsCommands::Find1Click()
{
    if (!m_find) {
        m_find = new TFindDialog(m_controls.mainWindow);
        connect(m_find, &TFindDialog::find, this,
                [this](const QString& text) { m_ctx.run([this, text] { FindDialog1Find(text); }); });
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

void FileOpsCommands::FindDialog1Find(const QString& text)
{
    m_list.selection.setRows(RowSelection(FindMatchingRows(m_list.records, m_list.model.rowCount(), text)));
    m_list.view.setFocus();
}
