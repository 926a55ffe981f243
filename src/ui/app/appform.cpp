#include "ui/app/appform.h"

#include "core/app/datafolder.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/app/versioninfo.h"
#include "core/app/windowplacement.h"
#include "core/filelist/namemask.h"
#include "ui/app/balloonhint.h"
#include "ui/app/commandcontext.h"
#include "ui/app/errorreport.h"
#include "ui/app/folderchoice.h"
#include "ui/app/fonts.h"
#include "ui/app/pictures.h"
#include "ui/app/splitpane.h"
#include "ui/app/statuspanels.h"
#include "ui/filelist/filelistcommands.h"
#include "ui/filelist/fileselection.h"
#include "ui/export/exportcommands.h"
#include "ui/fileops/fileopscommands.h"
#include "ui/metadata/metadatacommands.h"
#include "ui/online/onlinecommands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

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

TAppForm::TAppForm(AppStartup startup, Dialogs& dialogs, DesktopShell& shell, QWidget* parent)
    : QMainWindow(parent), m_startup(std::move(startup)), m_dialogs(dialogs), m_shell(shell), m_settings(dialogs),
      m_model(m_fileRecords, m_startup.locale)
{
    setObjectName(u"AppForm"_s);
    setFont(Tahoma(11));
    m_values.programPath = m_startup.programPath;
    m_values.programFolder = m_startup.programFolder;
    m_values.serviceHost = m_startup.serviceHost;
    m_values.locale = m_startup.locale;
    createControls();
    m_menus = CreateMainMenus(*this, *ListView1, *RichEdit1);
    createCommands();
    FormCreate();
}

TAppForm::~TAppForm() = default;

void TAppForm::ShowErrorReport(const std::exception_ptr& error)
{
    ::ShowErrorReport(m_dialogs, error);
}

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
    CheckBoxFile->installEventFilter(this);
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
    m_model.setShowIcons(CheckBox4->isChecked());
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

    // The user's typing comes before the change it makes (textEdited before textChanged).
    connect(EditFile, &QLineEdit::textEdited, this, [this] { m_filterTyped = true; });
    connect(EditFile, &QLineEdit::textChanged, this, [this] { RunCommand(m_dialogs, [this] { EditFileChange(); }); });
    connect(EditFile, &QLineEdit::editingFinished, this,
            [this] { RunCommand(m_dialogs, [this] { m_settings.flush(); }); });
    connect(CheckBoxFile, &QCheckBox::toggled, this,
            [this] { RunCommand(m_dialogs, [this] { CheckBoxFileClick(); }); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { RunCommand(m_dialogs, [this] { CheckBox1Click(); }); });
    connect(CheckBox3, &QCheckBox::toggled, this, [this] { RunCommand(m_dialogs, [this] { CheckBox3Click(); }); });
    connect(CheckBox4, &QCheckBox::toggled, this, [this] { RunCommand(m_dialogs, [this] { CheckBox4Click(); }); });

    setAcceptDrops(true);
    setWindowIcon(Picture(u"tagscope"_s));
}

void TAppForm::createCommands()
{
    m_context = std::unique_ptr<CommandContext>(new CommandContext{m_dialogs, m_shell, *m_status, m_busy, m_fileRecords,
                                                                   m_model, *ListView1, *m_selection, m_values});
    m_context->bind(m_menus.Exit1, this, [this] { Exit1Click(); });
    m_context->bind(m_menus.ResettoDefaults1, this, [this] { ResettoDefaults1Click(); });
    m_context->bind(m_menus.Help2, this, [this] { Help2Click(); });

    m_fileList = std::make_unique<FileListCommands>(
        *m_context,
        FileListCommands::Controls{EditFile, CheckBox1, CheckBox3, CheckBox4, CheckBoxFile, BitBtn1, Button1},
        *m_folder);
    m_metadata = std::make_unique<MetadataCommands>(*m_context, m_menus, MetadataCommands::Controls{Panel1, RichEdit1});
    m_export = std::make_unique<ExportCommands>(*m_context, m_menus, this);
    m_fileOps = std::make_unique<FileOpsCommands>(*m_context, m_menus, this);
    m_online = std::make_unique<OnlineCommands>(
        *m_context, m_menus, this,
        OnlineStartup{m_startup.configHome, m_startup.checkForUpdates, m_startup.checkTimeoutSeconds});
}

void TAppForm::FormCreate()
{
    // The client area holds the rows, the list and the status bar; the menu bar comes on top of it.
    resize(812, 441 + menuBar()->sizeHint().height());
    RunCommand(m_dialogs, [this] {
        TEXEVersionData version;
        ReadVersionData(m_startup.programPath, version);
        m_values.companyName = version.CompanyName;
        m_values.productName = version.ProductName;
        const QVersionNumber fileVersion = ReadFileVersion(m_startup.programPath);
        m_values.versionText = QString::asprintf("%d.%d", fileVersion.majorVersion(), fileVersion.minorVersion());
        m_values.applicationName = ApplicationName(m_values.companyName, m_values.productName);
        setWindowTitle(m_values.applicationName);
        m_values.listSeparator = ListSeparatorOf(m_values.locale);
        m_values.dataFolder =
            ChooseDataFolder(m_startup.programFolder, m_startup.configHome, m_values.companyName, m_values.productName);
        m_settings.open(m_values.dataFolder + u"settings.ini"_s);
        loadSettings();
        if (!m_startup.stateHome.isEmpty()) {
            m_layoutFile = WindowState::FilePath(m_startup.stateHome, m_values.companyName, m_values.productName);
            m_layout = WindowState::Read(m_layoutFile);
            QHeaderView* header = ListView1->horizontalHeader();
            if (!m_layout.columns.isEmpty() && header->restoreState(m_layout.columns))
                header->setSortIndicator(-1, Qt::AscendingOrder); // the list is sorted by nothing yet
        }
    });
}

void TAppForm::loadSettings()
{
    m_folder->show(m_settings.ValueExists(u"LastFolderInput"_s) ? m_settings.ReadString(u"LastFolderInput"_s)
                                                                : m_startup.programFolder);
    // Each change below runs its handler, which writes the setting back.
    EditFile->setText(m_settings.ValueExists(u"FileMask"_s) ? m_settings.ReadString(u"FileMask"_s) : u"*"_s);
    if (m_settings.ReadString(u"IncludeSubfolders"_s) == u"OFF"_s)
        CheckBox3->setChecked(false);
    if (m_settings.ReadString(u"CalculateFilesize"_s) == u"OFF"_s)
        CheckBox1->setChecked(false);
    if (m_settings.ReadString(u"ShowIcons"_s) == u"OFF"_s)
        CheckBox4->setChecked(false);
    if (m_settings.ReadString(u"FilterCaseSensitive"_s) == u"ON"_s)
        CheckBoxFile->setChecked(true);
}

void TAppForm::writeSwitch(const QString& key, bool on)
{
    m_settings.write(key, on ? u"ON"_s : u"OFF"_s);
}

void TAppForm::EditFileChange()
{
    // A keystroke does not rewrite the file; the typing's pause, leaving the box or closing the window does.
    if (std::exchange(m_filterTyped, false))
        m_settings.writeWhenTypingPauses(u"FileMask"_s, EditFile->text());
    else
        m_settings.write(u"FileMask"_s, EditFile->text());
}

void TAppForm::CheckBox1Click()
{
    writeSwitch(u"CalculateFilesize"_s, CheckBox1->isChecked());
}

void TAppForm::CheckBox3Click()
{
    writeSwitch(u"IncludeSubfolders"_s, CheckBox3->isChecked());
}

void TAppForm::CheckBox4Click()
{
    m_model.setShowIcons(CheckBox4->isChecked());
    writeSwitch(u"ShowIcons"_s, CheckBox4->isChecked());
}

void TAppForm::CheckBoxFileClick()
{
    const bool caseSensitive = CheckBoxFile->isChecked();
    const QString filter = FilterTextAfterCaseSwitch(EditFile->text(), caseSensitive);
    writeSwitch(u"FilterCaseSensitive"_s, caseSensitive);
    EditFile->setText(filter);
}

void TAppForm::CheckBoxFileMouseEnter()
{
    BalloonHint1->setContent(u"Wildcards can be used if Case-Sensitive is disabled"_s,
                             u"Wildcards are asterisks (*) or question marks (?).\rAn asterisk matches any number of "
                             "characters. A question mark matches a single arbitrary character."_s,
                             Picture(u"lightbulb64"_s));
    BalloonHint1->showFor(CheckBoxFile);
}

void TAppForm::CheckBoxFileMouseLeave()
{
    BalloonHint1->hide();
}

bool TAppForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1 && event->type() == QEvent::Show && !std::exchange(m_paneShown, true)) {
        // The pane first shows at half the client width, or at the width it had when the window last closed.
        if (m_layout.paneWidth > 0)
            m_paneShare = paneShareOf(m_layout.paneWidth);
        SetPaneWidth(*Splitter1, *Panel1, m_layout.paneWidth > 0 ? m_layout.paneWidth : centralWidget()->width() / 2);
    }
    if (watched == CheckBoxFile) {
        if (event->type() == QEvent::Enter)
            CheckBoxFileMouseEnter();
        else if (event->type() == QEvent::Leave)
            CheckBoxFileMouseLeave();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TAppForm::ResettoDefaults1Click()
{
    const int answer = CustomMessageDialog(m_dialogs,
                                           u"Restart Application?\r\rYour settings will be deleted, and %1 will start "
                                           "again with its defaults."_s.arg(m_values.productName),
                                           DialogType::Confirmation, {DialogButton::Yes, DialogButton::No},
                                           u"Confirmation"_s, {u"Yes"_s, u"No"_s});
    if (answer != ModalResult::Yes)
        return;
    QFile::remove(m_values.dataFolder + u"settings.ini"_s);
    // The ending copy must not write the store again, or the new copy would find the old settings.
    m_settings.close();
    m_shell.startDetached(m_startup.programPath, {});
    close();
    QCoreApplication::quit();
}

void TAppForm::Help2Click()
{
    const QString address = HelpAddress(m_values.serviceHost, m_values.productName);
    if (!address.isEmpty())
        m_shell.openUrl(QUrl(address));
}

void TAppForm::Exit1Click()
{
    close();
}

namespace {

// A drop only tells the window of a folder: it is taken as a copy (or a link), never as a move, after which the
// file manager would delete the dropped files.
bool takeAsCopy(QDropEvent* event)
{
    if (!event->mimeData()->hasUrls())
        return false;
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}

} // namespace

void TAppForm::dragEnterEvent(QDragEnterEvent* event)
{
    takeAsCopy(event);
}

void TAppForm::dragMoveEvent(QDragMoveEvent* event)
{
    takeAsCopy(event);
}

void TAppForm::dropEvent(QDropEvent* event)
{
    if (!takeAsCopy(event)) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        // Only local files count; remote or empty addresses are skipped.
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    // Handled once the drop is over: a message box inside the drop would keep the file manager waiting for its
    // end.
    QMetaObject::invokeMethod(
        this, [this, paths] { RunCommand(m_dialogs, [this, &paths] { WMDropFiles(paths); }); }, Qt::QueuedConnection);
}

void TAppForm::WMDropFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        try {
            const DropTarget target = ResolveDroppedPath(path);
            if (target.kind == DropKind::Invalid) {
                m_dialogs.showMessage(
                    BuildMessageBox(u"Not a valid file: "_s + path, DialogType::Error, {DialogButton::OK}, u"Error"_s));
                continue;
            }
            m_folder->show(target.folder);
        } catch (...) {
            // An item that cannot be handled is skipped; the next one follows.
        }
    }
}

void TAppForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        placeWindow();
        FormShow();
    }
}

void TAppForm::placeWindow()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QRect wanted = m_layout.geometry.value_or(geometry());
    if (!m_layout.geometry) {
        const QScreen* own = screen() ? screen() : primary;
        wanted.moveCenter(own->availableGeometry().center());
    }
    // The frame, title bar included, must fit: the window manager's decoration around the window.
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.append(s->availableGeometry());
    setGeometry(FitOntoScreens(wanted + frame, screens, primary->availableGeometry()) - frame);
    if (m_layout.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TAppForm::saveLayout()
{
    if (m_layoutFile.isEmpty())
        return;
    WindowState layout;
    layout.geometry = normalGeometry();
    layout.maximized = isMaximized();
    layout.paneWidth = m_paneShown ? Panel1->width() : m_layout.paneWidth;
    layout.columns = ListView1->horizontalHeader()->saveState();
    layout.write(m_layoutFile); // the layout is a convenience: a file that cannot be written is no error
}

void TAppForm::FormShow()
{
    // The status bar of a main window always lies at its very bottom; nothing to place.
}

void TAppForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TAppForm::FormResize()
{
    // Half the client width until the user drags the splitter; then the share the user gave the pane.
    const int width = centralWidget()->width();
    SetPaneWidth(*Splitter1, *Panel1, m_paneShare ? qRound(*m_paneShare * width) : width / 2);
}

double TAppForm::paneShareOf(int paneWidth) const
{
    return double(paneWidth) / std::max(centralWidget()->width(), 1);
}

void TAppForm::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        // Ending the work under way may take a moment: the window goes at once instead of standing there frozen.
        hide();
        FormDestroy();
        saveLayout();
        RunCommand(m_dialogs, [this] { m_settings.flush(); });
    }
    QMainWindow::closeEvent(event);
}

void TAppForm::FormDestroy()
{
    // The scan stops first, then the metadata commands end their work and delete ExifToolFolder.
    m_fileList.reset();
    m_metadata.reset();
}

QString TAppForm::statusText(int panel) const
{
    return m_status->text(panel);
}
