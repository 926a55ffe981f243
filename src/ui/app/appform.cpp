#include "ui/app/appform.h"

#include "core/app/appvalues.h"
#include "core/app/datafolder.h"
#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/base/errors.h"
#include "core/app/settingsstore.h"
#include "core/base/trim.h"
#include "core/app/versioninfo.h"
#include "core/base/paths.h"
#include "core/filelist/filelistmodel.h"
#include "core/filelist/filesearcher.h"
#include "core/filelist/namemask.h"
#include "core/metadata/deployment.h"
#include "core/metadata/exiftoolsession.h"
#include "ui/app/balloonhint.h"
#include "ui/app/pictures.h"

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

const QString kSection = u"Settings"_s;
constexpr int kRowHeight = 41;
constexpr int kSplitterWidth = 5;

QFont pixelFont(const QString& family, int pixels)
{
    QFont font(family);
    font.setPixelSize(pixels);
    if (family == u"Consolas"_s)
        font.setStyleHint(QFont::TypeWriter);
    return font;
}

QFont tahoma(int pixels)
{
    return pixelFont(u"Tahoma"_s, pixels);
}

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
    : QMainWindow(parent), m_startup(std::move(startup)), m_dialogs(dialogs), m_shell(shell)
{
    setObjectName(u"AppForm"_s);
    setFont(tahoma(11));
    createControls();
    createMenus();
    createFileList();
    createMetadataCommands();
    FormCreate();
}

TAppForm::~TAppForm()
{
    // The workers must end before the members they use go, whether or not the window was closed first.
    const bool closedBefore = std::exchange(m_closing, true);
    if (m_searcher)
        m_searcher->stopAndWait();
    if (!closedBefore)
        FormDestroy();
    // The model reads the file list, which goes with this object, before the model would go with the children.
    ListView1->setModel(nullptr);
    delete m_model;
    m_model = nullptr;
}

void TAppForm::runCommand(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        ShowErrorReport(std::current_exception());
    }
}

void TAppForm::ShowErrorReport(const std::exception_ptr& error)
{
    const QString text = ErrorReportText(error);
    if (text.isEmpty())
        return;
    m_dialogs.showMessage(BuildMessageBox(text, DialogType::Error, {DialogButton::OK}, ApplicationTitle()));
}

void TAppForm::createControls()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QHBoxLayout* row = nullptr;
    QWidget* panel4 = makeRow(central, "Panel4", row);
    Label4 = new QLabel(u"Directory:"_s, panel4);
    Label4->setObjectName(u"Label4"_s);
    Label4->setFont(tahoma(19));
    Label4->setFixedWidth(90);
    BitBtn1 = new QPushButton(u"Change..."_s, panel4);
    BitBtn1->setObjectName(u"BitBtn1"_s);
    BitBtn1->setFont(tahoma(16));
    BitBtn1->setFixedWidth(134);
    BitBtn1->setIcon(Picture(u"folder48"_s));
    LabelDirectory = new QLabel(u"[None]"_s, panel4);
    LabelDirectory->setObjectName(u"LabelDirectory"_s);
    LabelDirectory->setFont(tahoma(13));
    LabelDirectory->setTextFormat(Qt::PlainText);
    // A long folder must not widen the window; the tool tip shows it whole.
    LabelDirectory->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(Label4);
    row->addWidget(BitBtn1);
    row->addWidget(LabelDirectory, 1);
    column->addWidget(panel4);

    QWidget* panel3 = makeRow(central, "Panel3", row);
    Label1 = new QLabel(u"Filter:"_s, panel3);
    Label1->setObjectName(u"Label1"_s);
    Label1->setFont(tahoma(19));
    Label1->setFixedWidth(90);
    EditFile = new QLineEdit(panel3);
    EditFile->setObjectName(u"EditFile"_s);
    EditFile->setFont(tahoma(19));
    // Files and folders dropped anywhere on the window choose the folder; the text boxes must not take them as text.
    EditFile->setAcceptDrops(false);
    CheckBoxFile = new QCheckBox(u"Case-Sensitive"_s, panel3);
    CheckBoxFile->setObjectName(u"CheckBoxFile"_s);
    CheckBoxFile->setFont(tahoma(16));
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
        box->setFont(tahoma(16));
        box->setChecked(true);
        row->addWidget(box);
    }
    row->addStretch(1);
    column->addWidget(panel6);

    QWidget* panel5 = makeRow(central, "Panel5", row);
    Button1 = new QPushButton(u"Scan Files"_s, panel5);
    Button1->setObjectName(u"Button1"_s);
    Button1->setFont(tahoma(16));
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
    ListView1->setFont(tahoma(16));
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setWordWrap(false);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
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
    RichEdit1->setFont(pixelFont(u"Consolas"_s, 11));
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setAcceptDrops(false);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    paneLayout->addWidget(RichEdit1);
    Panel1->hide();
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    column->addWidget(Splitter1, 1);
    setCentralWidget(central);

    StatusPanel0 = new QLabel(this);
    StatusPanel0->setObjectName(u"StatusPanel0"_s);
    StatusPanel0->setFixedWidth(300);
    StatusPanel1 = new QLabel(this);
    StatusPanel1->setObjectName(u"StatusPanel1"_s);
    StatusPanel1->setMinimumWidth(50);
    for (QLabel* panel : {StatusPanel0, StatusPanel1})
        panel->setTextFormat(Qt::PlainText);
    statusBar()->setObjectName(u"StatusBar1"_s);
    statusBar()->setFixedHeight(19 + 4);
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);

    BalloonHint1 = new BalloonHint(this);

    connect(EditFile, &QLineEdit::textChanged, this, [this] { runCommand([this] { EditFileChange(); }); });
    connect(CheckBoxFile, &QCheckBox::toggled, this, [this] { runCommand([this] { CheckBoxFileClick(); }); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { runCommand([this] { CheckBox1Click(); }); });
    connect(CheckBox3, &QCheckBox::toggled, this, [this] { runCommand([this] { CheckBox3Click(); }); });
    connect(CheckBox4, &QCheckBox::toggled, this, [this] { runCommand([this] { CheckBox4Click(); }); });

    setAcceptDrops(true);
    setWindowIcon(Picture(u"tagscope"_s));
}

QAction* TAppForm::addItem(QMenu* menu, const char* name, const QString& caption, void (TAppForm::*handler)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (handler)
        connect(action, &QAction::triggered, this,
                [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    else
        action->setEnabled(false); // the command arrives with a later part of the program
    menu->addAction(action);
    return action;
}

void TAppForm::createMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(u"MainMenu1"_s);

    QMenu* file = bar->addMenu(u"&File"_s);
    addItem(file, "ExporttoFile1", u"Save File List..."_s);
    addItem(file, "SaveMetadataasTXT1", u"Save Metadata as TXT..."_s);
    addItem(file, "SaveMetadataasCSV1", u"Save Metadata as CSV..."_s);
    file->addSeparator()->setObjectName(u"N1"_s);
    QAction* exit = addItem(file, "Exit1", u"E&xit"_s, &TAppForm::Exit1Click);
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    exit->setIcon(Picture(u"exit"_s));

    QMenu* select = bar->addMenu(u"&Select"_s);
    addItem(select, "SelectAll1", u"Select All"_s);
    addItem(select, "Selectnone1", u"Select None"_s);
    addItem(select, "InvertSelection1", u"Invert Selection"_s)->setIcon(Picture(u"reverse"_s));
    select->addSeparator()->setObjectName(u"N4"_s);
    addItem(select, "Find1", u"Find..."_s)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));

    QMenu* settings = bar->addMenu(u"&Settings"_s);
    addItem(settings, "ResettoDefaults1", u"Reset to Defaults..."_s, &TAppForm::ResettoDefaults1Click);

    QMenu* help = bar->addMenu(u"&Help"_s);
    QAction* onlineHelp = addItem(help, "Help2", u"Online Help"_s, &TAppForm::Help2Click);
    onlineHelp->setShortcut(QKeySequence(Qt::Key_F1));
    onlineHelp->setIcon(Picture(u"help"_s));
    help->addSeparator()->setObjectName(u"N6"_s);
    QAction* updates = addItem(help, "UpdateNotifications1", u"Update Notifications"_s);
    updates->setCheckable(true);
    updates->setChecked(true);
    help->addSeparator()->setObjectName(u"UpdateNotificationsBar"_s);
    addItem(help, "SendFeedback1", u"Send &Feedback..."_s)->setIcon(Picture(u"feedback"_s));
    addItem(help, "About1", u"&About..."_s)->setIcon(Picture(u"about"_s));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(u"PopupMenu1"_s);
    QAction* open = addItem(PopupMenu1, "Open1", u"Open"_s);
    PopupMenu1->setDefaultAction(open);
    QAction* rename = addItem(PopupMenu1, "Rename1", u"Rename..."_s);
    rename->setShortcut(QKeySequence(Qt::Key_F2));
    rename->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ListView1->addAction(rename);
    addItem(PopupMenu1, "SaveAs1", u"Save As..."_s);
    addItem(PopupMenu1, "OpenwithExplorer1", u"Show in Explorer"_s);
    PopupMenu1->addSeparator()->setObjectName(u"N3"_s);
    addItem(PopupMenu1, "Copytoclipboard1", u"Copy Files to Clipboard"_s);
    QMenu* names = PopupMenu1->addMenu(u"File Names"_s);
    names->setObjectName(u"FileNames1"_s);
    names->menuAction()->setObjectName(u"FileNames1"_s);
    addItem(names, "CopytoClipboard2", u"Copy to Clipboard"_s);
    addItem(names, "CopytoClipboardIncludePaths1", u"Copy to Clipboard (Include Paths)"_s);
    PopupMenu1->addSeparator()->setObjectName(u"N2"_s);
    addItem(PopupMenu1, "SelectAll2", u"Select All"_s);
    addItem(PopupMenu1, "SelectNone2", u"Select None"_s);
    addItem(PopupMenu1, "InvertSelection2", u"Invert Selection"_s);
    PopupMenu1->addSeparator()->setObjectName(u"N7"_s);
    addItem(PopupMenu1, "DeletefromList1", u"Remove from List"_s);
    addItem(PopupMenu1, "SendtoRecycleBin1", u"Send to Recycle Bin"_s);
    addItem(PopupMenu1, "DeleteFile1", u"Permanently Delete"_s);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(u"PopupMenu2"_s);
    const auto paneItem = [this](const char* name, const QString& caption, auto slot) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, RichEdit1, slot);
        PopupMenu2->addAction(action);
    };
    paneItem("Cut1", u"Cut"_s, &QPlainTextEdit::cut);
    paneItem("Copy1", u"Copy"_s, &QPlainTextEdit::copy);
    paneItem("Paste1", u"Paste"_s, &QPlainTextEdit::paste);
    paneItem("Delete1", u"Delete"_s, [this] { RichEdit1->textCursor().removeSelectedText(); });
    PopupMenu2->addSeparator()->setObjectName(u"N5"_s);
    paneItem("SelectAll3", u"Select All"_s, &QPlainTextEdit::selectAll);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu2->popup(RichEdit1->viewport()->mapToGlobal(at)); });
}

void TAppForm::FormCreate()
{
    // The client area holds the rows, the list and the status bar; the menu bar comes on top of it.
    resize(812, 441 + menuBar()->sizeHint().height());
    try {
        TEXEVersionData version;
        ReadVersionData(m_startup.programPath, version);
        m_companyName = version.CompanyName;
        m_productName = version.ProductName;
        const QVersionNumber fileVersion = ReadFileVersion(m_startup.programPath);
        m_versionText = QString::asprintf("%d.%d", fileVersion.majorVersion(), fileVersion.minorVersion());
        m_applicationName = ApplicationName(m_companyName, m_productName);
        setWindowTitle(m_applicationName);
        m_locale = m_startup.locale;
        m_listSeparator = ListSeparatorOf(m_locale);
        chooseDataFolder();
        m_store = std::make_unique<SettingsStore>(m_dataFolder + u"settings.ini"_s);
        loadSettings();
    } catch (...) {
        ShowErrorReport(std::current_exception());
    }
}

void TAppForm::chooseDataFolder()
{
    m_dataFolder = ChooseDataFolder(m_startup.programFolder, m_startup.configHome, m_companyName, m_productName);
}

void TAppForm::loadSettings()
{
    if (m_store->ValueExists(kSection, u"LastFolderInput"_s))
        m_selectedFolder = m_store->ReadString(kSection, u"LastFolderInput"_s, QString());
    else
        m_selectedFolder = m_startup.programFolder;
    LabelDirectory->setText(m_selectedFolder);

    // Each change below runs its handler, which writes the setting back.
    if (m_store->ValueExists(kSection, u"FileMask"_s))
        EditFile->setText(m_store->ReadString(kSection, u"FileMask"_s, QString()));
    else
        EditFile->setText(u"*"_s);
    if (m_store->ReadString(kSection, u"IncludeSubfolders"_s, QString()) == u"OFF"_s)
        CheckBox3->setChecked(false);
    if (m_store->ReadString(kSection, u"CalculateFilesize"_s, QString()) == u"OFF"_s)
        CheckBox1->setChecked(false);
    if (m_store->ReadString(kSection, u"ShowIcons"_s, QString()) == u"OFF"_s)
        CheckBox4->setChecked(false);
    if (m_store->ReadString(kSection, u"FilterCaseSensitive"_s, QString()) == u"ON"_s)
        CheckBoxFile->setChecked(true);
}

void TAppForm::writeSetting(const QString& key, const QString& value)
{
    if (!m_store || m_settingsClosed)
        return;
    m_store->WriteString(kSection, key, value);
    m_store->UpdateFile();
}

void TAppForm::writeSwitch(const QString& key, bool on)
{
    writeSetting(key, on ? u"ON"_s : u"OFF"_s);
}

void TAppForm::EditFileChange()
{
    writeSetting(u"FileMask"_s, EditFile->text());
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
    m_model->setShowIcons(CheckBox4->isChecked());
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
    if (watched == CheckBoxFile) {
        if (event->type() == QEvent::Enter)
            CheckBoxFileMouseEnter();
        else if (event->type() == QEvent::Leave)
            CheckBoxFileMouseLeave();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TAppForm::AddMyFolder(QString folder)
{
    if (TrimBlanksAndControls(folder).isEmpty())
        return;
    folder = WithoutTrailingSeparator(folder);
    writeSetting(u"LastFolderInput"_s, folder);
    LabelDirectory->setText(folder);
    LabelDirectory->setToolTip(LabelDirectory->text());
}

void TAppForm::ResettoDefaults1Click()
{
    const int answer =
        CustomMessageDialog(m_dialogs, u"Restart Application?"_s, DialogType::Confirmation,
                            {DialogButton::Yes, DialogButton::No}, u"Confirmation"_s, {u"Yes"_s, u"No"_s});
    if (answer != ModalResult::Yes)
        return;
    QFile::remove(m_dataFolder + u"settings.ini"_s);
    // The ending copy must not write the store again, or the new copy would find the old settings.
    m_settingsClosed = true;
    QCoreApplication::processEvents();
    m_shell.startDetached(m_startup.programPath, {});
    close();
    QCoreApplication::quit();
}

void TAppForm::Help2Click()
{
    const QString address = HelpAddress(m_startup.serviceHost, m_productName);
    if (!address.isEmpty())
        m_shell.openUrl(QUrl(address));
}

void TAppForm::Exit1Click()
{
    close();
}

void TAppForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TAppForm::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        // Only local files count; remote or empty addresses are skipped.
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    // Handled once the drop is over: a message box inside the drop would keep the file manager waiting for its
    // end.
    QMetaObject::invokeMethod(
        this, [this, paths] { runCommand([this, &paths] { WMDropFiles(paths); }); }, Qt::QueuedConnection);
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
            LabelDirectory->setText(target.folder);
            m_selectedFolder = LabelDirectory->text();
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
        if (const QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
        FormShow();
    }
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
    const int paneWidth = centralWidget()->width() / 2;
    Panel1->resize(paneWidth, Panel1->height());
    if (Panel1->isVisible())
        Splitter1->setSizes({Splitter1->width() - paneWidth - kSplitterWidth, paneWidth});
}

void TAppForm::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        // Ending the work under way may take a while (a large copy being moved into place, another copy of the
        // program holding the ExifTool staging folder): the window goes at once instead of standing there frozen.
        hide();
        // A running walk must not touch the list or the status bar once they are gone.
        if (m_searcher)
            m_searcher->stopAndWait();
        FormDestroy();
    }
    QMainWindow::closeEvent(event);
}

void TAppForm::FormDestroy()
{
    stopMetadataWork();
    if (!ExifToolFolder.isEmpty())
        runCommand([this] { RemoveExifToolFolder(ExifToolFolder); });
}

QString TAppForm::statusText(int panel) const
{
    return panel == 0 ? StatusPanel0->text() : StatusPanel1->text();
}

void TAppForm::setStatusText(int panel, const QString& text)
{
    (panel == 0 ? StatusPanel0 : StatusPanel1)->setText(text);
}
