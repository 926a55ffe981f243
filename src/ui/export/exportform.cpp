#include "ui/export/exportform.h"

#include "core/app/appvalues.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/filelist/filerecords.h"
#include "core/platform/privatetemp.h"
#include "ui/app/commandcontext.h"
#include "ui/app/dialogcentring.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// The save dialog of each output.
SaveFileRequest saveDialogFor(ExportOutput output)
{
    SaveFileRequest request;
    switch (output) {
    case ExportOutput::Txt: // SaveDialogTXT
        request.defaultExtension = u"txt"_s;
        request.filter = u"Text File|*.txt|Any File|*.*"_s;
        break;
    case ExportOutput::Csv: // SaveDialogCSV
        request.defaultExtension = u"csv"_s;
        request.filter = u"CSV File|*.csv|Any File|*.*"_s;
        break;
    case ExportOutput::Spreadsheet: // SaveDialogXLS
        request.defaultExtension = u"xls"_s;
        request.filter = u"XLS File|*.xls|XLSX File|*.xlsx|Any File|*.*"_s;
        break;
    case ExportOutput::Html: // SaveDialogHTML
        request.defaultExtension = u"html"_s;
        request.filter = u"HTML File|*.html|Any File|*.*"_s;
        break;
    }
    return request;
}

template <typename Button> Button* makeButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new Button(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QGroupBox* makeGroup(const char* name, const QString& caption, QWidget* parent, const QList<QWidget*>& controls)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    auto* row = new QHBoxLayout(group);
    for (QWidget* control : controls) {
        control->setParent(group);
        row->addWidget(control);
    }
    row->addStretch(1);
    return group;
}

} // namespace

TFormExport::TFormExport(const CommandContext& context, FileRecords& records, const AppValues& values,
                         QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint),
      m_ctx(context), m_records(records), m_values(values),
      m_outcome(this, [this](const Outcome& outcome) { exportEnded(outcome); })
{
    setObjectName(u"FormExport"_s);
    setWindowTitle(u"Export to File"_s);
    setModal(false);
    createControls();
    setFixedSize(532, 290);
    CentreOnMainWindowScreen(this, mainWindow);

    connect(Button1, &QPushButton::clicked, this, [this] { m_ctx.run([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    m_progressTimer.setInterval(100);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] { showProgress(); });
}

TFormExport::~TFormExport()
{
    m_worker.request_stop();
    if (m_worker.joinable())
        m_worker.join();
}

void TFormExport::createControls()
{
    RadioButtonHeaderYes = makeButton<QRadioButton>("RadioButtonHeaderYes", u"Yes"_s, this);
    RadioButtonHeaderNo = makeButton<QRadioButton>("RadioButtonHeaderNo", u"No"_s, this);
    GroupBox2 = makeGroup("GroupBox2", u"Include Headers"_s, this, {RadioButtonHeaderYes, RadioButtonHeaderNo});
    CheckBox1 = makeButton<QCheckBox>("CheckBox1", u"Name"_s, this);
    CheckBox3 = makeButton<QCheckBox>("CheckBox3", u"Extension"_s, this);
    CheckBox4 = makeButton<QCheckBox>("CheckBox4", u"Date"_s, this);
    CheckBox5 = makeButton<QCheckBox>("CheckBox5", u"Size"_s, this);
    GroupBox1 = makeGroup("GroupBox1", u"Columns"_s, this, {CheckBox1, CheckBox3, CheckBox4, CheckBox5});
    RadioButtonHTML = makeButton<QRadioButton>("RadioButtonHTML", u"HTML"_s, this);
    RadioButtonTXT = makeButton<QRadioButton>("RadioButtonTXT", u"TXT"_s, this);
    RadioButtonCSV = makeButton<QRadioButton>("RadioButtonCSV", u"CSV"_s, this);
    RadioButtonXLS = makeButton<QRadioButton>("RadioButtonXLS", u"XLS / XLSX"_s, this);
    GroupBox3 = makeGroup("GroupBox3", u"Output Filetype"_s, this,
                          {RadioButtonHTML, RadioButtonTXT, RadioButtonCSV, RadioButtonXLS});
    RadioButtonTreeviewYes = makeButton<QRadioButton>("RadioButtonTreeviewYes", u"Yes"_s, this);
    RadioButtonTreeviewNo = makeButton<QRadioButton>("RadioButtonTreeviewNo", u"No"_s, this);
    GroupBox4 = makeGroup("GroupBox4", u"Treeview"_s, this, {RadioButtonTreeviewYes, RadioButtonTreeviewNo});
    Button1 = makeButton<QPushButton>("Button1", u"Save"_s, this);
    Button2 = makeButton<QPushButton>("Button2", u"Cancel"_s, this);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"ProgressBar"_s);
    m_progress->setTextVisible(true);
    m_progress->hide();

    RadioButtonHeaderYes->setChecked(true);
    CheckBox1->setChecked(true);
    RadioButtonHTML->setChecked(true);
    RadioButtonTreeviewNo->setChecked(true);

    auto* column = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(GroupBox2);
    top->addWidget(GroupBox4);
    column->addLayout(top);
    column->addWidget(GroupBox1);
    column->addWidget(GroupBox3);
    column->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addStretch(0);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    column->addLayout(buttons);

    const QList<QWidget*> order = {RadioButtonHeaderYes,
                                   RadioButtonHeaderNo,
                                   CheckBox1,
                                   CheckBox3,
                                   CheckBox4,
                                   CheckBox5,
                                   RadioButtonHTML,
                                   RadioButtonTXT,
                                   RadioButtonCSV,
                                   RadioButtonXLS,
                                   RadioButtonTreeviewYes,
                                   RadioButtonTreeviewNo,
                                   Button1,
                                   Button2};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));
}

void TFormExport::CheckBox1Click()
{
    // Without the Name column there is nothing to indent; the buttons keep their state.
    RadioButtonTreeviewYes->setEnabled(CheckBox1->isChecked());
    RadioButtonTreeviewNo->setEnabled(CheckBox1->isChecked());
}

void TFormExport::Button2Click()
{
    close();
}

ExportOptions TFormExport::chosenOptions() const
{
    ExportOptions options;
    options.headers = RadioButtonHeaderYes->isChecked();
    options.name = CheckBox1->isChecked();
    options.extension = CheckBox3->isChecked();
    options.date = CheckBox4->isChecked();
    options.size = CheckBox5->isChecked();
    options.treeview = options.name && RadioButtonTreeviewYes->isChecked();
    if (RadioButtonTXT->isChecked())
        options.output = ExportOutput::Txt;
    else if (RadioButtonHTML->isChecked())
        options.output = ExportOutput::Html;
    else if (RadioButtonCSV->isChecked())
        options.output = ExportOutput::Csv;
    else
        options.output = ExportOutput::Spreadsheet;
    options.listSeparator = m_values.listSeparator;
    options.title = m_values.applicationName;
    return options;
}

void TFormExport::Button1Click()
{
    if (isExporting())
        return;
    const ExportOptions options = chosenOptions();
    const std::optional<SaveFileChoice> chosen = m_ctx.dialogs.chooseSaveFile(saveDialogFor(options.output));
    if (!chosen || m_closed)
        return;
    const QString tempFolder = GetTempDirectory();
    Button1->setEnabled(false);
    m_rowsDone = 0;
    // The list's length now; the snapshot, a moment later, gives the exact count.
    m_rowsTotal = qint64(m_records.size());
    m_progress->setValue(0);
    showProgress();
    m_progress->show();
    m_progressTimer.start();
    m_worker = std::jthread([this, &records = m_records, fileName = chosen->path, options, locale = m_values.locale,
                             tempFolder](std::stop_token stop) {
        Outcome outcome;
        try {
            // The rows as the list holds them now, taken under its lock; a scan may go on adding to the list while
            // the file is written. The worker takes it, so that a long list never holds up the window.
            const ExportRows rows = ExportSnapshot(records);
            m_rowsTotal = qint64(rows.size());
            outcome.result = WriteExport(fileName, options, rows, locale, tempFolder, &m_rowsDone, stop);
        } catch (...) {
            outcome.error = std::current_exception();
        }
        m_outcome.post(std::move(outcome));
    });
}

void TFormExport::showProgress()
{
    const qint64 total = std::min<qint64>(m_rowsTotal.load(std::memory_order_relaxed), INT_MAX);
    if (total > 0)
        m_progress->setRange(0, int(total));
    m_progress->setValue(int(std::min<qint64>(m_rowsDone.load(std::memory_order_relaxed), total)));
}

void TFormExport::exportEnded(const Outcome& outcome)
{
    m_worker.join();
    m_progressTimer.stop();
    m_progress->hide();
    Button1->setEnabled(true);
    if (m_closed) {
        deleteLater();
        return;
    }
    if (outcome.result.stopped)
        return;
    if (outcome.error) {
        // A file that cannot be created is reported as any other error, and no beep follows.
        m_ctx.run([&] { std::rethrow_exception(outcome.error); });
        return;
    }
    if (!outcome.result.spreadsheetFailure.isEmpty()) {
        m_ctx.dialogs.showMessage(
            BuildMessageBox(outcome.result.spreadsheetFailure, DialogType::Warning, {DialogButton::OK}, u"WARNING"_s));
    }
    m_ctx.shell.beep();
}

void TFormExport::done(int result)
{
    QDialog::done(result);
    if (m_closed)
        return;
    m_closed = true;
    if (isExporting())
        m_worker.request_stop();
    else
        deleteLater();
}
