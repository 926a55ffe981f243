// The main window's file list: choosing the folder, scanning it and sorting the list.

#include "ui/app/appform.h"

#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/filelist/filelistmodel.h"
#include "core/filelist/filesearcher.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kNoFolder = u"[None]"_s;
const QString kStop = u"STOP"_s;

} // namespace

void TAppForm::createFileList()
{
    m_model = new FileListModel(m_fileRecords, m_startup.locale, this);
    m_model->setPictureProvider(&m_filePictures);
    m_model->setShowIcons(CheckBox4->isChecked());
    ListView1->setModel(m_model);
    for (int column = 0; column < m_model->columnCount(); ++column)
        ListView1->setColumnWidth(column, FileListModel::columnWidth(column));
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
    ListView1->horizontalHeader()->setSectionsClickable(true);
    connect(ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { runCommand([this, column] { ListView1ColumnClick(column); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { runCommand([this] { BitBtn1Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { runCommand([this] { Button1Click(); }); });
}

bool TAppForm::isScanning() const
{
    return Button1->text() == kStop;
}

void TAppForm::BitBtn1Click()
{
    const std::optional<QString> chosen = m_dialogs.chooseFolder({u"Select folder:"_s, u"Select"_s, m_selectedFolder});
    if (!chosen || chosen->isEmpty())
        return;
    m_selectedFolder = *chosen;
    AddMyFolder(*chosen);
}

void TAppForm::Button1Click()
{
    const QString folder = LabelDirectory->text();
    if (folder == kNoFolder) {
        BitBtn1Click();
        if (LabelDirectory->text() != kNoFolder)
            Button1Click();
        return;
    }
    if (!QFileInfo(folder).isDir()) {
        CustomMessageDialog(m_dialogs, u"Directory not found!\r\r"_s + folder, DialogType::Warning, {DialogButton::OK},
                            u"Warning"_s, {u"OK"_s});
        return;
    }
    if (isScanning()) {
        if (m_searcher)
            m_searcher->requestStop();
        return;
    }
    startScan();
}

void TAppForm::startScan()
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    for (QWidget* control :
         {static_cast<QWidget*>(EditFile), static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(CheckBox3),
          static_cast<QWidget*>(CheckBox4), static_cast<QWidget*>(CheckBoxFile), static_cast<QWidget*>(BitBtn1)})
        control->setEnabled(false);
    Button1->setText(kStop);
    m_sort.scanStarted();
    if (EditFile->text().isEmpty() && !CheckBoxFile->isChecked())
        EditFile->setText(u"*"_s);
    setStatusText(0, u"Searching..."_s);
    setStatusText(1, QString());
    ScanStopwatch.start();
    // No pending events are handled here: a close waiting among them would run before the walk exists and leave
    // it running after the window has gone. The cleared list repaints by itself.
    m_model->clear();

    ScanSettings settings;
    settings.folder = m_selectedFolder;
    settings.filterText = EditFile->text();
    settings.caseSensitive = CheckBoxFile->isChecked();
    settings.calculateSize = CheckBox1->isChecked();
    settings.includeSubfolders = CheckBox3->isChecked();
    settings.locale = m_locale;

    auto* searcher = new TFileSearcher(m_fileRecords, settings, ScanStopwatch, this);
    m_searcher = searcher;
    connect(searcher, &TFileSearcher::interruptionReported, this, [this](const QString& text) {
        setStatusText(0, text);
        KacItemVarGuncelle();
    });
    connect(searcher, &TFileSearcher::scanFinished, this, [this](bool stopRequested, const QString& text) {
        runCommand([&] { IslemBitti(stopRequested, text); });
        // A window that is closing ends the scan quietly.
        if (!m_closing)
            m_shell.beep();
    });
    connect(searcher, &TFileSearcher::scanFailed, this,
            [this](const QString& text) { runCommand([&] { MyThreadTerminate(text); }); });
    connect(searcher, &QThread::finished, searcher, &QObject::deleteLater);
    searcher->start();
}

void TAppForm::restoreScanControls()
{
    for (QWidget* control :
         {static_cast<QWidget*>(EditFile), static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(CheckBox3),
          static_cast<QWidget*>(CheckBox4), static_cast<QWidget*>(CheckBoxFile), static_cast<QWidget*>(BitBtn1)})
        control->setEnabled(true);
    Button1->setText(u"Start"_s);
}

void TAppForm::IslemBitti(bool stopRequested, const QString& finishedText)
{
    restoreScanControls();
    if (!stopRequested) {
        setStatusText(0, finishedText);
        KacItemVarGuncelle();
    }
    QApplication::restoreOverrideCursor();
}

void TAppForm::MyThreadTerminate(const QString& errorText)
{
    // The walk ended with an error before its end step: give the user the window back as the end step would, so
    // that the next scan can start, and say what went wrong.
    restoreScanControls();
    QApplication::restoreOverrideCursor();
    setStatusText(0, QString());
    KacItemVarGuncelle();
    if (!m_closing)
        m_dialogs.showMessage(BuildMessageBox(errorText, DialogType::Error, {DialogButton::OK}, u"ERROR"_s));
}

void TAppForm::KacItemVarGuncelle()
{
    setStatusText(1, m_model->KacItemVarGuncelle());
}

void TAppForm::ListView1ColumnClick(int column)
{
    m_sort.ListView1ColumnClick(column);
    m_model->sort(m_sort.SortedColumn, m_sort.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    ListView1->viewport()->update();
}
