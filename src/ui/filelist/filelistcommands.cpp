#include "ui/filelist/filelistcommands.h"

#include "core/app/appvalues.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/filelist/filelistmodel.h"
#include "core/filelist/filesearcher.h"
#include "core/filelist/filetexts.h"
#include "core/filelist/namemask.h"
#include "ui/app/balloonhint.h"
#include "ui/app/folderchoice.h"
#include "ui/app/pictures.h"
#include "ui/app/statuspanels.h"
#include "ui/filelist/fileselection.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;

namespace {

// How often the count of files found is shown while a scan runs.
constexpr qint64 kCountIntervalMs = 250;

} // namespace

FileListCommands::FileListCommands(const CommandContext& context, const FileListActions& actions,
                                   const Controls& controls, QObject* parent)
    : QObject(parent), m_ctx(context), m_controls(controls), m_folder(controls.folder), m_list(m_controls.list),
      m_busy(context.busy)
{
    setObjectName(u"FileListCommands"_s);
    QHeaderView* header = m_list.view.horizontalHeader();
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { m_ctx.run([this, column] { ListView1ColumnClick(column); }); });
    connect(m_controls.BitBtn1, &QPushButton::clicked, this, [this] { m_ctx.run([this] { BitBtn1Click(); }); });
    connect(m_controls.Button1, &QPushButton::clicked, this, [this] { m_ctx.run([this] { Button1Click(); }); });

    // Enter in the filter box and F5 anywhere in the window start a scan (F5 again rescans); neither stops one.
    const auto scanFromKeyboard = [this] {
        if (!isScanning())
            m_ctx.run([this] { Button1Click(); });
    };
    connect(m_controls.EditFile, &QLineEdit::returnPressed, this, scanFromKeyboard);
    actions.ScanShortcut->setEnabled(true);
    connect(actions.ScanShortcut, &QAction::triggered, this, scanFromKeyboard);

    // The window writes the switches to the settings; what they do to the list happens here.
    connect(m_controls.CheckBoxFile, &QCheckBox::toggled, this, [this] { m_ctx.run([this] { CheckBoxFileClick(); }); });
    connect(m_controls.CheckBox4, &QCheckBox::toggled, this, [this] { m_ctx.run([this] { CheckBox4Click(); }); });
    m_list.model.setShowIcons(m_controls.CheckBox4->isChecked());
    m_controls.CheckBoxFile->installEventFilter(this);

    // While a scan runs, the second panel tells how many files it has found, a few times a second.
    connect(&m_list.model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!isScanning() || (m_countShown.isValid() && !m_countShown.hasExpired(kCountIntervalMs)))
            return;
        m_countShown.start();
        m_ctx.status.setText(1, FoundSoFarText(m_list.model.rowCount(), m_controls.values.locale));
    });
}

FileListCommands::~FileListCommands()
{
    // Its reports are dropped: the window that would show them is going.
    delete m_searcher;
}

void FileListCommands::BitBtn1Click()
{
    const std::optional<QString> chosen =
        m_ctx.dialogs.chooseFolder({u"Select folder:"_s, u"Select"_s, m_folder.SelectedFolder().value_or(QString())});
    if (!chosen || chosen->isEmpty())
        return;
    m_folder.choose(*chosen);
}

void FileListCommands::Button1Click()
{
    if (!m_folder.SelectedFolder()) {
        BitBtn1Click();
        if (m_folder.SelectedFolder())
            Button1Click();
        return;
    }
    const QString folder = *m_folder.SelectedFolder();
    if (!QFileInfo(folder).isDir()) {
        CustomMessageDialog(m_ctx.dialogs, u"Directory not found!\r\r"_s + folder, DialogType::Warning,
                            {DialogButton::OK}, u"Warning"_s, {u"OK"_s});
        return;
    }
    if (isScanning()) {
        if (m_searcher)
            m_searcher->requestStop();
        return;
    }
    startScan();
}

void FileListCommands::setScanState(ScanState state)
{
    m_state = state;
    const bool idle = state == ScanState::Idle;
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_controls.EditFile, m_controls.CheckBox1, m_controls.CheckBox3,
                                         m_controls.CheckBox4, m_controls.CheckBoxFile, m_controls.BitBtn1})
        control->setEnabled(idle);
    m_controls.Button1->setText(idle ? u"Start"_s : u"STOP"_s);
}

void FileListCommands::startScan()
{
    m_busy.set(true);
    setScanState(ScanState::Scanning);
    m_sort.scanStarted();
    // The list comes in the order of the walk, sorted by nothing.
    m_list.view.horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_countShown.invalidate();
    QLineEdit* filter = m_controls.EditFile;
    filter->setText(FilterTextForScanStart(filter->text(), m_controls.CheckBoxFile->isChecked()));
    m_ctx.status.setText(0, u"Searching..."_s);
    m_ctx.status.setText(1, QString());
    ScanStopwatch.start();
    // No pending events are handled here: a close waiting among them would run before the walk exists and leave
    // it running after the window has gone. The cleared list repaints by itself.
    m_list.model.clear();

    ScanSettings settings;
    settings.folder = *m_folder.SelectedFolder();
    settings.filterText = filter->text();
    settings.caseSensitive = m_controls.CheckBoxFile->isChecked();
    settings.calculateSize = m_controls.CheckBox1->isChecked();
    settings.includeSubfolders = m_controls.CheckBox3->isChecked();
    settings.locale = m_controls.values.locale;

    auto* searcher = new TFileSearcher(m_list.records, settings, ScanStopwatch, this);
    m_searcher = searcher;
    connect(searcher, &TFileSearcher::interruptionReported, this, [this](const QString& text) {
        m_ctx.status.setText(0, text);
        KacItemVarGuncelle(m_ctx.status, m_list.model);
    });
    connect(searcher, &TFileSearcher::scanFinished, this, [this](bool stopRequested, const QString& text) {
        m_ctx.run([&] { IslemBitti(stopRequested, text); });
        m_ctx.shell.beep();
    });
    connect(searcher, &TFileSearcher::scanFailed, this,
            [this](const QString& text) { m_ctx.run([&] { MyThreadTerminate(text); }); });
    connect(searcher, &QThread::finished, searcher, &QObject::deleteLater);
    searcher->start();
}

void FileListCommands::IslemBitti(bool stopRequested, const QString& finishedText)
{
    setScanState(ScanState::Idle);
    if (!stopRequested) {
        m_ctx.status.setText(0, finishedText);
        KacItemVarGuncelle(m_ctx.status, m_list.model);
    }
    m_busy.set(false);
}

void FileListCommands::MyThreadTerminate(const QString& errorText)
{
    // The walk ended with an error before its end step: give the user the window back as the end step would, so
    // that the next scan can start, and say what went wrong.
    setScanState(ScanState::Idle);
    m_busy.set(false);
    m_ctx.status.setText(0, QString());
    KacItemVarGuncelle(m_ctx.status, m_list.model);
    m_ctx.dialogs.showMessage(BuildMessageBox(errorText, DialogType::Error, {DialogButton::OK}, u"ERROR"_s));
}

void FileListCommands::ListView1ColumnClick(int column)
{
    m_sort.ListView1ColumnClick(column);
    const Qt::SortOrder order = m_sort.Descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_list.model.sort(m_sort.SortedColumn, order);
    m_list.view.viewport()->update();
    QHeaderView* header = m_list.view.horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_sort.SortedColumn, order);
}

void FileListCommands::KacItemVarGuncelle(StatusPanels& status, FileListModel& model)
{
    status.setText(1, model.KacItemVarGuncelle());
}

void FileListCommands::CheckBoxFileClick()
{
    QLineEdit* filter = m_controls.EditFile;
    filter->setText(FilterTextAfterCaseSwitch(filter->text(), m_controls.CheckBoxFile->isChecked()));
}

void FileListCommands::CheckBox4Click()
{
    m_list.model.setShowIcons(m_controls.CheckBox4->isChecked());
}

bool FileListCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_controls.CheckBoxFile) {
        if (event->type() == QEvent::Enter)
            CheckBoxFileMouseEnter();
        else if (event->type() == QEvent::Leave)
            CheckBoxFileMouseLeave();
    }
    return QObject::eventFilter(watched, event);
}

void FileListCommands::CheckBoxFileMouseEnter()
{
    m_controls.BalloonHint1->setContent(
        u"Wildcards can be used if Case-Sensitive is disabled"_s,
        u"Wildcards are asterisks (*) or question marks (?).\rAn asterisk matches any number of characters. A question "
        "mark matches a single arbitrary character."_s,
        Picture(u"lightbulb64"_s));
    m_controls.BalloonHint1->showFor(m_controls.CheckBoxFile);
}

void FileListCommands::CheckBoxFileMouseLeave()
{
    m_controls.BalloonHint1->hide();
}
