#pragma once

#include "core/base/handoff.h"
#include "core/export/exportwriter.h"

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

class FileRecords;
class QCheckBox;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
struct AppValues;
struct CommandContext;

// "Export to File": the columns, the header row, the output type and the tree layout of the file list's export. Save
// asks for a file name and writes every file of the list, in its order, from a snapshot taken at that moment; the
// snapshot and the file are made on a worker thread while a progress bar runs, and the dialog stays open for further
// exports.
class TFormExport final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFormExport)

public:
    // Exports records, the main window's list, with the program's values (list separator, title, locale).
    TFormExport(const CommandContext& context, FileRecords& records, const AppValues& values, QWidget* mainWindow);
    // Stops a running export and waits for its worker: the file at the chosen name stays as it was.
    ~TFormExport() override;

    void Button1Click();
    void Button2Click();
    void CheckBox1Click();

    // Whether an export is being written.
    bool isExporting() const { return m_worker.joinable(); }

    // Closing hides the dialog for good; a running export is stopped, and the dialog goes once its worker has.
    void done(int result) override;

private:
    struct Outcome
    {
        ExportResult result;
        std::exception_ptr error;
    };

    void createControls();
    ExportOptions chosenOptions() const;
    void exportEnded(const Outcome& outcome);
    void showProgress();

    const CommandContext& m_ctx;
    FileRecords& m_records;
    const AppValues& m_values;

    QGroupBox* GroupBox2;
    QRadioButton* RadioButtonHeaderYes;
    QRadioButton* RadioButtonHeaderNo;
    QGroupBox* GroupBox1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QGroupBox* GroupBox3;
    QRadioButton* RadioButtonHTML;
    QRadioButton* RadioButtonTXT;
    QRadioButton* RadioButtonCSV;
    QRadioButton* RadioButtonXLS;
    QGroupBox* GroupBox4;
    QRadioButton* RadioButtonTreeviewYes;
    QRadioButton* RadioButtonTreeviewNo;
    QProgressBar* m_progress;
    QPushButton* Button1;
    QPushButton* Button2;

    QTimer m_progressTimer;
    bool m_closed = false; // closed while an export ran: the dialog goes when it has ended

    // Declared before the worker that fills them, so they outlive it.
    std::atomic<qint64> m_rowsDone = 0;
    std::atomic<qint64> m_rowsTotal = 0;
    QueuedHandOff<Outcome> m_outcome;
    std::jthread m_worker;
};
