#pragma once

#include "core/filelist/filesort.h"
#include "ui/app/busycursor.h"
#include "ui/app/commandcontext.h"
#include "ui/filelist/filelistactions.h"
#include "ui/filelist/filelistparts.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class BalloonHint;
class FileListModel;
class FolderChoice;
class QCheckBox;
class QLineEdit;
class QPushButton;
class StatusPanels;
class TFileSearcher;
struct AppValues;

// The scan and the list: "Change...", "Scan Files" and "STOP" (also Enter in the filter box and F5), the scan's end
// step, sorting by a header click, which the header's sort indicator shows, and what the filter's and the switches'
// controls do to the list: the case switch rewrites the filter, "Show Icons" switches the pictures, and the case
// switch explains the wildcards in a balloon.
class FileListCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListCommands)

public:
    // The controls a scan reads and disables while it runs, its two buttons, and the list it fills.
    struct Controls
    {
        QLineEdit* EditFile;
        QCheckBox* CheckBox1;      // "Calculate Filesize"
        QCheckBox* CheckBox3;      // "Include Subfolders"
        QCheckBox* CheckBox4;      // "Show Icons"
        QCheckBox* CheckBoxFile;   // "Case-Sensitive"
        QPushButton* BitBtn1;      // "Change..."
        QPushButton* Button1;      // "Scan Files", "STOP", "Start"
        BalloonHint* BalloonHint1; // the case switch's explanation
        FolderChoice& folder;      // SelectedFolder, shown in the folder label
        FileListParts list;
        const AppValues& values;
    };

    FileListCommands(const CommandContext& context, const FileListActions& actions, const Controls& controls,
                     QObject* parent = nullptr);
    // A scan still running is stopped and ends quietly.
    ~FileListCommands() override;

    enum class ScanState
    {
        Idle,     // the controls are enabled
        Scanning, // from "Scan Files" until the scan's end step
    };
    ScanState scanState() const { return m_state; }
    bool isScanning() const { return m_state == ScanState::Scanning; }
    const SortState& sortState() const { return m_sort; }
    // SelectedFolder and its label.
    const FolderChoice& folder() const { return m_folder; }

    void BitBtn1Click();
    void Button1Click();
    void ListView1ColumnClick(int column);
    void CheckBoxFileClick();
    void CheckBox4Click();

    // Shows the item count ("how many items are there") in the second status panel.
    static void KacItemVarGuncelle(StatusPanels& status, FileListModel& model);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startScan();
    // The end step of a scan ("job done"): gives the controls back and reports the elapsed time.
    void IslemBitti(bool stopRequested, const QString& finishedText);
    // Reports the error that ended a scan's walk.
    void MyThreadTerminate(const QString& errorText);
    void setScanState(ScanState state);

    void CheckBoxFileMouseEnter();
    void CheckBoxFileMouseLeave();

    const CommandContext& m_ctx;
    const Controls m_controls;
    FolderChoice& m_folder;
    const FileListParts& m_list;
    ScanState m_state = ScanState::Idle;
    SortState m_sort;
    QPointer<TFileSearcher> m_searcher;
    QElapsedTimer ScanStopwatch;
    QElapsedTimer m_countShown; // since the count of files found was last shown
    BusyCursor::Job m_busy;
};
