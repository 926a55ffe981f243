// Scans a folder in the real main window and measures how late a 10 ms timer of the user-interface thread fires
// meanwhile, while the list is scrolled to its end every 100 ms as a user following the scan would.
//
// tagscope-bench-uistall DIR
// Last line: "files: N seconds: S ticks: T worst_stall_ms: W p99_stall_ms: P"

#include "ui/app/appform.h"
#include "ui/app/folderchoice.h"
#include "ui/app/qtdesktopshell.h"
#include "ui/app/qtdialogs.h"
#include "ui/metadata/metadatacommands.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
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

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tagscope-bench-uistall DIR\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir program;
    QTemporaryDir config;
    QtDialogs dialogs;
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

    if (form.folder().SelectedFolder() != folder) {
        std::fprintf(stderr, "the window did not take the folder\n");
        return 1;
    }
    auto* button = form.findChild<QPushButton*>(u"Button1"_s);
    auto* list = form.findChild<QAbstractItemView*>(u"ListView1"_s);

    // Let the start-up work (ExifTool's deployment) end first: it is not what this measures.
    while (!form.metadata().isExifToolDeployed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    std::vector<double> stalls;
    QElapsedTimer clock;
    qint64 last = 0;
    int ticks = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, &form, [&] {
        const qint64 now = clock.nsecsElapsed();
        stalls.push_back(std::max(0.0, double(now - last) / 1e6 - 10.0));
        if (qEnvironmentVariableIsSet("TAGSCOPE_BENCH_VERBOSE") && stalls.back() > 20)
            std::fprintf(stderr, "stall %.1f ms at tick %d, %d rows shown, %zu listed\n", stalls.back(), ticks,
                         list->model()->rowCount(), form.fileRecords().size());
        last = now;
        if (++ticks % 10 == 0)
            list->scrollToBottom();
    });

    QElapsedTimer scan;
    scan.start();
    button->click();
    clock.start();
    tick.start();
    while (button->text() != u"Start"_s)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = double(scan.nsecsElapsed()) / 1e9;
    tick.stop();

    std::sort(stalls.begin(), stalls.end());
    const double worst = stalls.empty() ? 0 : stalls.back();
    const double p99 = stalls.empty() ? 0 : stalls[std::min(stalls.size() - 1, stalls.size() * 99 / 100)];
    if (!form.statusText(0).startsWith(u"Finished"_s)) {
        std::fprintf(stderr, "the scan did not finish: %s\n", qPrintable(form.statusText(0)));
        return 1;
    }
    std::printf("files: %zu seconds: %.3f ticks: %d worst_stall_ms: %.1f p99_stall_ms: %.1f\n",
                form.fileRecords().size(), seconds, ticks, worst, p99);
    return 0;
}
