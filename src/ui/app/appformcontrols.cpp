#include "ui/app/appform.h"

#include "core/filelist/filesort.h"
#include "core/filelist/filetexts.h"
#include "ui/app/balloonhint.h"
#include "ui/app/folderchoice.h"
#include "ui/app/fonts.h"
#include "ui/app/pictures.h"
#include "ui/app/statuspanels.h"
#include "ui/filelist/fileselection.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

// The main window's controls: the four rows at the top, the list and the pane beside it, and the status bar.
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kRowHeight = 41;
constexpr int kSplitterWidth = 5;

// One of the four rows at the top of the window.
QWidget* makeRow(QWidget* parent, const char* name, QHBoxLayout*& layout)
{
    auto* row = new QWidget(parent);
    row->setObjectName(QString::fromLatin1(name));
    row->setFixedHeight(kRowHeight);
    layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(6);
    return row;
}

} // namespace

void TAppForm::createControls()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QHBoxLayout* row = nullptr;
    QWidget* panel4 = makeRow(central, "Panel4", row);
    auto* Label4 = new QLabel(u"Directory:"_s, panel4);
    Label4->setObjectName(u"Label4"_s);
    Label4->setFont(Tahoma(19));
    Label4->setFixedWidth(90);
    BitBtn1 = new QPushButton(u"&Change..."_s, panel4);
    BitBtn1->setObjectName(u"BitBtn1"_s);
    BitBtn1->setFont(Tahoma(16));
    BitBtn1->setFixedWidth(134);
    BitBtn1->setIcon(Picture(u"folder48"_s));
    LabelDirectory = new QLabel(u"[None]"_s, panel4);
    LabelDirectory->setObjectName(u"LabelDirectory"_s);
    LabelDirectory->setFont(Tahoma(13));
    LabelDirectory->setTextFormat(Qt::PlainText);
    // A long folder must not widen the window; the tool tip shows it whole.
    LabelDirectory->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(Label4);
    row->addWidget(BitBtn1);
    row->addWidget(LabelDirectory, 1);
    column->addWidget(panel4);

    QWidget* panel3 = makeRow(central, "Panel3", row);
    auto* Label1 = new QLabel(u"Filter:"_s, panel3);
    Label1->setObjectName(u"Label1"_s);
    Label1->setFont(Tahoma(19));
    Label1->setFixedWidth(90);
    EditFile = new QLineEdit(panel3);
    EditFile->setObjectName(u"EditFile"_s);
    EditFile->setFont(Tahoma(19));
    // Files and folders dropped anywhere on the window choose the folder; the text boxes must not take them as text.
    EditFile->setAcceptDrops(false);
    CheckBoxFile = new QCheckBox(u"Case-Sensitive"_s, panel3);
    CheckBoxFile->setObjectName(u"CheckBoxFile"_s);
    CheckBoxFile->setFont(Tahoma(16));
    CheckBoxFile->setFixedWidth(140);
    row->addWidget(Label1);
    row->addWidget(EditFile, 1);
    row->addWidget(CheckBoxFile);
    column->addWidget(panel3);

    QWidget* panel6 = makeRow(central, "Panel6", row);
    CheckBox3 = new QCheckBox(u"Include Subfolders"_s, panel6);
    CheckBox3->setObjectName(u"CheckBox3"_s);
    CheckBox1 = new QCheckBox(u"Calculate Filesize"_s, panel6);
    CheckBox1->setObjectName(u"CheckBox1"_s);
    CheckBox4 = new QCheckBox(u"Show Icons"_s, panel6);
    CheckBox4->setObjectName(u"CheckBox4"_s);
    for (QCheckBox* box : {CheckBox3, CheckBox1, CheckBox4}) {
        box->setFont(Tahoma(16));
        box->setChecked(true);
        row->addWidget(box);
    }
    row->addStretch(1);
    column->addWidget(panel6);

    QWidget* panel5 = makeRow(central, "Panel5", row);
    Button1 = new QPushButton(u"Scan Files"_s, panel5);
    Button1->setObjectName(u"Button1"_s);
    Button1->setFont(Tahoma(16));
    Button1->setFixedWidth(230);
    Button1->setIcon(Picture(u"zoom"_s));
    row->addWidget(Button1);
    row->addStretch(1);
    column->addWidget(panel5);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(u"Splitter1"_s);
    Splitter1->setHandleWidth(kSplitterWidth);
    Splitter1->setChildrenCollapsible(false);
    ListView1 = new QTableView(Splitter1);
    ListView1->setObjectName(u"ListView1"_s);
    ListView1->setFont(Tahoma(16));
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setWordWrap(false);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->horizontalHeader()->setSectionsMovable(true);
    ListView1->horizontalHeader()->setHighlightSections(false);
    ListView1->setIconSize(QSize(16, 16));

    Panel1 = new QWidget(Splitter1);
    Panel1->setObjectName(u"Panel1"_s);
    auto* paneLayout = new QVBoxLayout(Panel1);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    RichEdit1 = new QPlainTextEdit(Panel1);
    RichEdit1->setObjectName(u"RichEdit1"_s);
    RichEdit1->setFont(PixelFont(u"Consolas"_s, 11));
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setAcceptDrops(false);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    paneLayout->addWidget(RichEdit1);
    Panel1->hide();
    Panel1->installEventFilter(this);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    // The share of the width the user gives the pane is what a resize keeps.
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { m_paneShare = paneShareOf(Panel1->width()); });
    column->addWidget(Splitter1, 1);
    setCentralWidget(central);

    // The keyboard walks the window's rows from top to bottom.
    QWidget::setTabOrder(BitBtn1, EditFile);
    QWidget::setTabOrder(EditFile, CheckBoxFile);
    QWidget::setTabOrder(CheckBoxFile, CheckBox3);
    QWidget::setTabOrder(CheckBox3, CheckBox1);
    QWidget::setTabOrder(CheckBox1, CheckBox4);
    QWidget::setTabOrder(CheckBox4, Button1);
    QWidget::setTabOrder(Button1, ListView1);
    QWidget::setTabOrder(ListView1, RichEdit1);

    m_model.setPictureProvider(&m_filePictures);
    ListView1->setModel(&m_model);
    m_selection = new FileListSelection(&m_model, ListView1);
    m_selection->attach(*ListView1);
    // A sorted column's arrow takes room from its caption: every column is wide enough for both. The arrow shows
    // from the first click on; until then no column is the sorted one.
    QHeaderView* header = ListView1->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    for (int column = 0; column < m_model.columnCount(); ++column)
        ListView1->setColumnWidth(column,
                                  std::max(FileListModel::columnWidth(column), header->sectionSizeHint(column)));
    // A long path shows its file's name; the whole path is the row's tool tip.
    ListView1->setTextElideMode(Qt::ElideMiddle);
    // Wide enough for the longest text the locale's date format makes.
    int dateWidth = FileListModel::columnWidth(DateColumn);
    for (const QString& text : SampleDateTexts(m_values.locale))
        dateWidth = std::max(dateWidth, ListView1->fontMetrics().horizontalAdvance(text) + 24);
    ListView1->setColumnWidth(DateColumn, dateWidth);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);

    statusBar()->setObjectName(u"StatusBar1"_s);
    statusBar()->setFixedHeight(19 + 4);
    m_status = std::make_unique<StatusPanels>(*statusBar());
    m_folder = std::make_unique<FolderChoice>(*LabelDirectory, m_settings);
    BalloonHint1 = new BalloonHint(this);

    setAcceptDrops(true);
    setWindowIcon(Picture(u"tagscope"_s));
}
