#include "ui/app/appform.h"

#include "core/app/desktopshell.h"
#include "core/app/dialogs.h"
#include "core/app/windowplacement.h"
#include "ui/app/appcommands.h"
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

TAppForm::TAppForm(AppStartup startup, Dialogs& dialogs, DesktopShell& shell, QWidget* parent)
    : QMainWindow(parent), m_startup(std::move(startup)), m_dialogs(dialogs), m_shell(shell),
      m_values(StartValues(m_startup)), m_settings(dialogs), m_model(m_fileRecords, m_startup.locale)
{
    setObjectName(u"AppForm"_s);
    setFont(Tahoma(11));
    createControls();
    bindSettings();
    m_menus = CreateMainMenus(*this, *ListView1, *RichEdit1);
    createCommands();
    FormCreate();
}

TAppForm::~TAppForm()
{
    FormDestroy();
}

void TAppForm::ShowErrorReport(const std::exception_ptr& error)
{
    ::ShowErrorReport(m_dialogs, error);
}

void TAppForm::bindSettings()
{
    // The user's typing comes before the change it makes (textEdited before textChanged).
    connect(EditFile, &QLineEdit::textEdited, this, [this] { m_filterTyped = true; });
    connect(EditFile, &QLineEdit::textChanged, this, [this] { RunCommand(m_dialogs, [this] { EditFileChange(); }); });
    connect(EditFile, &QLineEdit::editingFinished, this,
            [this] { RunCommand(m_dialogs, [this] { m_settings.flush(); }); });
    // Connected before the file list's commands: a switch's setting is written before the switch acts on the list.
    bindSwitch(CheckBoxFile, u"FilterCaseSensitive"_s);
    bindSwitch(CheckBox1, u"CalculateFilesize"_s);
    bindSwitch(CheckBox3, u"IncludeSubfolders"_s);
    bindSwitch(CheckBox4, u"ShowIcons"_s);
}

void TAppForm::createCommands()
{
    m_context = std::unique_ptr<CommandContext>(new CommandContext{m_dialogs, m_shell, *m_status, m_busy});
    const CommandContext& context = *m_context;
    const FileListParts list{m_fileRecords, m_model, *ListView1, *m_selection};
    // In the order they end in: the scan first, then the metadata commands, then the rest.
    m_commands = {
        new FileListCommands(context, m_menus.fileList,
                             {EditFile, CheckBox1, CheckBox3, CheckBox4, CheckBoxFile, BitBtn1, Button1, BalloonHint1,
                              *m_folder, list, m_values},
                             this),
        new MetadataCommands(context, m_menus.metadata, {Panel1, RichEdit1, list, m_values}, this),
        new ExportCommands(context, m_menus.exporting, {list, m_values, this}, this),
        new FileOpsCommands(context, m_menus.fileOps, {list, m_values, this}, this),
        new OnlineCommands(
            context, m_menus.online,
            {this, m_values, m_startup.configHome, m_startup.checkForUpdates, m_startup.checkTimeoutSeconds}, this),
        new AppCommands(context, m_menus.app, {this, m_values, m_settings}, this),
    };
}

void TAppForm::FormCreate()
{
    // The client area holds the rows, the list and the status bar; the menu bar comes on top of it.
    resize(812, 441 + menuBar()->sizeHint().height());
    RunCommand(m_dialogs, [this] {
        m_values = WorkOutAppValues(m_startup);
        setWindowTitle(m_values.applicationName);
        m_settings.open(m_values.settingsPath);
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

void TAppForm::bindSwitch(QCheckBox* box, const QString& key)
{
    connect(box, &QCheckBox::toggled, this, [this, key](bool on) {
        RunCommand(m_dialogs, [this, &key, on] { m_settings.write(key, on ? u"ON"_s : u"OFF"_s); });
    });
}

void TAppForm::EditFileChange()
{
    // A keystroke does not rewrite the file; the typing's pause, leaving the box or closing the window does.
    if (std::exchange(m_filterTyped, false))
        m_settings.writeWhenTypingPauses(u"FileMask"_s, EditFile->text());
    else
        m_settings.write(u"FileMask"_s, EditFile->text());
}

bool TAppForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1 && event->type() == QEvent::Show && !std::exchange(m_paneShown, true)) {
        // The pane first shows at half the client width, or at the width it had when the window last closed.
        if (m_layout.paneWidth > 0)
            m_paneShare = paneShareOf(m_layout.paneWidth);
        SetPaneWidth(*Splitter1, *Panel1, m_layout.paneWidth > 0 ? m_layout.paneWidth : centralWidget()->width() / 2);
    }
    return QMainWindow::eventFilter(watched, event);
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
    for (QObject* commands : std::exchange(m_commands, {}))
        delete commands;
}

QString TAppForm::statusText(int panel) const
{
    return m_status->text(panel);
}
