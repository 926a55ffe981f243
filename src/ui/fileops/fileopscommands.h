#pragma once

#include "core/fileops/fileops.h"
#include "ui/app/commandcontext.h"
#include "ui/filelist/filelistparts.h"
#include "ui/fileops/fileopsactions.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <vector>

class QWidget;
class TFindDialog;
struct AppValues;

// The commands on the listed files and the list's selection: open, show in the file manager, rename; remove from the
// list, move to the trash, delete; the clipboard copies; select all, none, invert and find. Every command that changes
// the list does so under the list's lock, so all of them work during a scan.
class FileOpsCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileOpsCommands)

public:
    // The list acted on, the values (the locale of the texts), and the window the dialogs belong to.
    struct Controls
    {
        FileListParts list;
        const AppValues& values;
        QWidget* mainWindow;
    };

    FileOpsCommands(const CommandContext& context, const FileOpsActions& actions, const Controls& controls,
                    QObject* parent = nullptr);
    ~FileOpsCommands() override;

    void Open1Click();
    void OpenwithExplorer1Click();
    void Rename1Click();
    void DeletefromList1Click();
    void SendtoRecycleBin1Click();
    void DeleteFile1Click();
    void Copytoclipboard1Click();
    void CopytoClipboard2Click();
    void CopytoClipboardIncludePaths1Click();
    void SelectAll1Click();
    void Selectnone1Click();
    void InvertSelection1Click();
    void Find1Click();
    void FindDialog1Find(const QString& text);

    // The find dialog, once "Find..." has made it.
    TFindDialog* findDialog() const;

private:
    // The selected rows, ascending.
    std::vector<int> selectedRows() const;
    // The full paths of the selected rows, in row order.
    QStringList selectedPaths() const;
    // The step that ends every command that removes rows: the list repainted with nothing selected, the item count.
    void refresh();
    // Moves to the trash or deletes the selected items, after the question; act does one path.
    enum class Removal
    {
        Trash,
        Delete
    };
    void removeFromDisk(Removal removal);
    // Opens the first of the files "Open" has still to open.
    void openNext();

    // "Open" asks before it opens more files than this.
    static constexpr qsizetype kOpenWithoutAsking = 10;

    const CommandContext& m_ctx;
    const Controls m_controls;
    const FileListParts& m_list;
    QPointer<TFindDialog> m_find;
    QStringList m_toOpen; // the files "Open" has still to open, in row order
    QTimer m_openTimer;
};
