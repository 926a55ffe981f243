#pragma once

#include "core/filelist/filesort.h"
#include "ui/app/busycursor.h"
#include "ui/app/commandcontext.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class FolderChoice;
class QCheckBox;
class QLineEdit;
class QPushButton;
class TFileSearcher;

// The scan and the list: "Change...", "Scan Files" and "STOP" (also Enter in the filter box and F5), the scan's end
// step, and sorting by a header click, which the header's sort indicator shows.
class FileListCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListCommands)

public:
    // The controls a scan reads and disables while it runs, and its two buttons.
    struct Controls
    {
        QLineEdit* EditFile;
        QCheckBox* CheckBox1;    // "Calculate Filesize"
        QCheckBox* CheckBox3;    // "Include Subfolders"
        QCheckBox* CheckBox4;    // "Show Icons"
        QCheckBox* CheckBoxFile; // "Case-Sensitive"
        QPushButton* BitBtn1;    // "Change..."
        QPushButton* Button1;    // "Scan Files", "STOP", "Start"
    };

    FileListCommands(const CommandContext& context, const Controls& controls, FolderChoice& folder,
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

    void BitBtn1Click();
    void Button1Click();
    void ListView1ColumnClick(int column);

private:
    void startScan();
    // The end step of a scan ("job done"): gives the controls back and reports the elapsed time.
    void IslemBitti(bool stopRequested, const QString& finishedText);
    // Reports the error that ended a scan's walk.
    void MyThreadTerminate(const QString& errorText);
    void setScanState(ScanState state);

    const CommandContext& m_ctx;
    const Controls m_controls;
    FolderChoice& m_folder;
    ScanState m_state = ScanState::Idle;
    SortState m_sort;
    QPointer<TFileSearcher> m_searcher;
    QElapsedTimer ScanStopwatch;
    QElapsedTimer m_countShown; // since the count of files found was last shown
    BusyCursor::Job m_busy;
};
