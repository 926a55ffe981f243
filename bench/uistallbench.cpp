// Scans a folder in the real main window and measures how late a 10 ms timer of the user-interface thread fires
// meanwhile, while the list is scrolled to its end every 100 ms as a user following the scan would. With --export,
// the scan is only the preparation: the list is then saved through "Save File List..." as FORMAT to OUT with all four
// columns, and the lateness is measured from the press of Save until the export has ended, the list scrolled the
// same way.
//
// tagscope-bench-uistall [--export txt|csv|html|xls|xlsx OUT] DIR
// Last line: "files: N seconds: S ticks: T worst_stall_ms: W p99_stall_ms: P" (with --export, "rows:" for "files:")

#include "core/filelist/filelistmodel.h"
#include "ui/app/appform.h"
#include "ui/app/folderchoice.h"
#include "ui/app/qtdesktopshell.h"
#include "ui/app/qtdialogs.h"
#include "ui/export/exportcommands.h"
#include "ui/export/exportform.h"
#include "ui/filelist/filelistcommands.h"
#include "ui/metadata/metadatacommands.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// A desktop that does nothing, so the benchmark opens and plays nothing.
class QuietShell final : public DesktopShell
{
public:
    bool openUrl(const QUrl&) override { return true; }
    void showItems(const QStringList&) override {}
    void beep() override {}
    void setClipboard(QMimeData* data) override { delete data; }
    bool startDetached(const QString&, const QStringList&) override { return true; }
};

// The real dialogs, except that every save dialog answers with one file.
class SaveToFile final : public Dialogs
{
public:
    explicit SaveToFile(QString file) : m_file(std::move(file)) {}
    int showMessage(const MessageBoxContent& box) override { return m_dialogs.showMessage(box); }
    std::optional<QString> chooseFolder(const FolderRequest& request) override
    {
        return m_dialogs.chooseFolder(request);
    }
    std::optional<SaveFileChoice> chooseSaveFile(const SaveFileRequest&) override
    {
        return SaveFileChoice{m_file, QFileInfo::exists(m_file)};
    }

private:
    QtDialogs m_dialogs;
    QString m_file;
};

struct Stalls
{
    int ticks = 0;
    double worst = 0;
    double p99 = 0;
    double seconds = 0;
};

// Starts the work, then ticks a 10 ms timer until done() says the work has ended, scrolling the list to its end every
// tenth tick.
Stalls measure(QAbstractItemView* list, const std::function<void()>& start, const std::function<bool()>& done)
{
    std::vector<double> stalls;
    QElapsedTimer clock;
    qint64 last = 0;
    int ticks = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, list, [&] {
        const qint64 now = clock.nsecsElapsed();
        stalls.push_back(std::max(0.0, double(now - last) / 1e6 - 10.0));
        if (qEnvironmentVariableIsSet("TAGSCOPE_BENCH_VERBOSE") && stalls.back() > 20)
            std::fprintf(stderr, "stall %.1f ms at tick %d, %d rows shown\n", stalls.back(), ticks,
                         list->model()->rowCount());
        last = now;
        if (++ticks % 10 == 0)
            list->scrollToBottom();
    });

    QElapsedTimer work;
    work.start();
    start();
    if (qEnvironmentVariableIsSet("TAGSCOPE_BENCH_VERBOSE"))
        std::fprintf(stderr, "starting took %.1f ms\n", double(work.nsecsElapsed()) / 1e6);
    clock.start();
    tick.start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Stalls result;
    result.seconds = double(work.nsecsElapsed()) / 1e9;
    tick.stop();
    std::sort(stalls.begin(), stalls.end());
    result.ticks = ticks;
    result.worst = stalls.empty() ? 0 : stalls.back();
    result.p99 = stalls.empty() ? 0 : stalls[std::min(stalls.size() - 1, stalls.size() * 99 / 100)];
    return result;
}

int usage()
{
    std::fprintf(stderr, "usage: tagscope-bench-uistall [--export txt|csv|html|xls|xlsx OUT] DIR\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString exportFormat;
    QString exportFile;
    QString folder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--export") == 0 && i + 2 < argc) {
            exportFormat = QString::fromLatin1(argv[++i]);
            exportFile = QFile::decodeName(argv[++i]);
        } else if (argv[i][0] == '-' || !folder.isEmpty()) {
            return usage();
        } else {
            folder = QFile::decodeName(argv[i]);
        }
    }
    if (folder.isEmpty())
        return usage();
    QTemporaryDir program;
    QTemporaryDir config;
    SaveToFile dialogs(exportFile);
    QuietShell shell;
    AppStartup startup;
    startup.programPath = QCoreApplication::applicationFilePath();
    startup.programFolder = program.path();
    startup.configHome = config.path();
    startup.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    TAppForm form(startup, dialogs, shell);
    form.show();

    // The folder is dropped onto the window, as a user may do.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    QCoreApplication::processEvents();

    if (form.findChild<FileListCommands*>()->folder().SelectedFolder() != folder) {
        std::fprintf(stderr, "the window did not take the folder\n");
        return 1;
    }
    auto* button = form.findChild<QPushButton*>(u"Button1"_s);
    auto* list = form.findChild<QAbstractItemView*>(u"ListView1"_s);

    // Let the start-up work (ExifTool's deployment) end first: it is not what this measures.
    while (!form.findChild<MetadataCommands*>()->isExifToolDeployed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    const Stalls scan = measure(
        list, [&] { button->click(); }, [&] { return button->text() == u"Start"_s; });
    if (!form.statusText(0).startsWith(u"Finished"_s)) {
        std::fprintf(stderr, "the scan did not finish: %s\n", qPrintable(form.statusText(0)));
        return 1;
    }
    if (exportFormat.isEmpty()) {
        std::printf("files: %zu seconds: %.3f ticks: %d worst_stall_ms: %.1f p99_stall_ms: %.1f\n",
                    qobject_cast<FileListModel*>(list->model())->records().size(), scan.seconds, scan.ticks, scan.worst,
                    scan.p99);
        return 0;
    }

    form.findChild<QAction*>(u"ExporttoFile1"_s)->trigger();
    TFormExport* dialog = form.findChild<ExportCommands*>()->lastDialog();
    const char* radio = exportFormat == u"txt"_s    ? "RadioButtonTXT"
                        : exportFormat == u"csv"_s  ? "RadioButtonCSV"
                        : exportFormat == u"html"_s ? "RadioButtonHTML"
                                                    : "RadioButtonXLS";
    if (!dialog) {
        std::fprintf(stderr, "no export dialog\n");
        return 1;
    }
    dialog->findChild<QRadioButton*>(QString::fromLatin1(radio))->setChecked(true);
    for (const char* column : {"CheckBox3", "CheckBox4", "CheckBox5"})
        dialog->findChild<QAbstractButton*>(QString::fromLatin1(column))->setChecked(true);
    auto* save = dialog->findChild<QPushButton*>(u"Button1"_s);
    const Stalls exported = measure(
        list, [&] { save->click(); }, [&] { return !dialog->isExporting(); });
    if (!QFileInfo(exportFile).isFile()) {
        std::fprintf(stderr, "the export wrote no file\n");
        return 1;
    }
    std::printf("rows: %zu seconds: %.3f ticks: %d worst_stall_ms: %.1f p99_stall_ms: %.1f\n",
                qobject_cast<FileListModel*>(list->model())->records().size(), exported.seconds, exported.ticks,
                exported.worst, exported.p99);
    return 0;
}
