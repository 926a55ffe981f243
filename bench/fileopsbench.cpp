// Times the selection commands and the removal of the main window's file list over N made-up files, with the window
// never shown, or runs the program's own file operations on real paths.
//
// tagscope-bench-fileops N
//     Select All; Invert Selection with every other row selected; Find of a text that 10% of the rows hold, with
//     nothing selected before; Remove from List with every other row selected. Before the last line, the time of one
//     paint of an 800-pixel-high list with every other row selected ("paint_ms: P"). Last line: "rows: N select_ms: A
//     invert_ms: B find_ms: C remove_ms: D"
// tagscope-bench-fileops --trash PATH...       moves each PATH to the trash, as "Move to Trash" does
// tagscope-bench-fileops --delete PATH...      deletes each PATH as "Permanently Delete" does
// tagscope-bench-fileops --rename PATH NEWNAME renames as the rename window's OK does
//     Each prints one line per PATH, "ok" or "failed: <reason>", and exits 1 if any failed.

#include "core/filelist/filelistmodel.h"
#include "core/filelist/filerecords.h"
#include "core/fileops/fileops.h"
#include "core/platform/removetree.h"
#include "ui/app/appform.h"
#include "ui/app/qtdesktopshell.h"
#include "ui/app/qtdialogs.h"
#include "ui/filelist/fileselection.h"
#include "ui/fileops/fileopscommands.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

int usage()
{
    std::fputs("usage: tagscope-bench-fileops N\n"
               "       tagscope-bench-fileops --trash PATH... | --delete PATH... | --rename PATH NEWNAME\n",
               stderr);
    return 2;
}

int report(const QStringList& paths, const std::function<QString(const QString&)>& act)
{
    int status = 0;
    for (const QString& path : paths) {
        const QString failure = act(path);
        if (failure.isEmpty()) {
            std::printf("ok\n");
        } else {
            std::printf("failed: %s\n", failure.toUtf8().constData());
            status = 1;
        }
    }
    return status;
}

double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().sliced(1);
    if (arguments.isEmpty())
        return usage();
    const QString command = arguments.takeFirst();
    if (command == u"--trash"_s) {
        return report(arguments, [](const QString& path) {
            QString reason;
            return SendToRecycleBin(path, &reason) ? QString() : reason;
        });
    }
    if (command == u"--delete"_s) {
        return report(arguments, [](const QString& path) {
            const QFileInfo item(path);
            QString reason = u"no such file or folder"_s;
            if (item.isDir())
                return DeleteFolderTree(path) ? QString() : u"the folder, or something in it, stayed"_s;
            if (item.isFile())
                return DeleteFileAt(path, &reason) ? QString() : reason;
            return reason;
        });
    }
    if (command == u"--rename"_s) {
        if (arguments.size() != 2)
            return usage();
        const QString newName = arguments.at(1);
        return report({arguments.at(0)}, [&](const QString& path) { return RenameFileTo(path, newName); });
    }
    bool ok = false;
    const int rows = command.toInt(&ok);
    if (!ok || rows < 2 || !arguments.isEmpty())
        return usage();

    QTemporaryDir program;
    QTemporaryDir config;
    QtDialogs dialogs;
    QtDesktopShell shell;
    AppStartup startup;
    startup.programPath = QCoreApplication::applicationFilePath();
    startup.programFolder = program.path();
    startup.configHome = config.path();
    startup.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    TAppForm form(startup, dialogs, shell);

    // Names of a realistic length; every tenth holds "_hit".
    std::vector<TMyRecord> batch;
    batch.reserve(std::size_t(rows));
    const QString folder = u"/home/someone/Pictures/2024/Holiday/"_s;
    for (int i = 0; i < rows; ++i) {
        TMyRecord r;
        r.FFolder = folder;
        r.FName = u"IMG_%1%2.jpg"_s.arg(i, 7, 10, QChar(u'0')).arg(i % 10 == 0 ? u"_hit"_s : QString());
        r.FExtension = u"JPG"_s;
        batch.push_back(std::move(r));
    }
    auto* list = form.findChild<QAbstractItemView*>(u"ListView1"_s);
    qobject_cast<FileListModel*>(list->model())->records().append(batch);
    while (list->model()->rowCount() < rows)
        QCoreApplication::processEvents();

    FileOpsCommands& ops = *form.findChild<FileOpsCommands*>();
    auto& selection = *qobject_cast<FileListSelection*>(list->selectionModel());
    const auto everyOtherRow = [&] {
        std::vector<int> even;
        for (int i = 0; i < list->model()->rowCount(); i += 2)
            even.push_back(i);
        selection.setRows(RowSelection::ofRows(std::move(even)));
    };
    const double selectMs = millisecondsOf([&] { ops.SelectAll1Click(); });
    const bool allSelected = selection.rows().count() == std::size_t(rows);
    everyOtherRow();
    list->resize(1000, 800);
    const double paintMs = millisecondsOf([&] { (void)list->grab(); });
    const double invertMs = millisecondsOf([&] { ops.InvertSelection1Click(); });
    const bool inverted = selection.rows().contains(1) && !selection.rows().contains(0) &&
                          selection.rows().count() == std::size_t(rows / 2);
    // Each command starts from the selection a user would have before it: Find from none.
    selection.clearRows();
    const double findMs = millisecondsOf([&] { ops.FindDialog1Find(u"_HIT"_s); });
    const std::size_t found = selection.rows().count();
    everyOtherRow();
    const double removeMs = millisecondsOf([&] { ops.DeletefromList1Click(); });
    if (!allSelected || !inverted || found != std::size_t(rows + 9) / 10 || list->model()->rowCount() != rows / 2) {
        std::fprintf(stderr, "a command did not do what it should\n");
        return 1;
    }
    std::printf("paint_ms: %.1f\n", paintMs);
    std::printf("rows: %d select_ms: %.1f invert_ms: %.1f find_ms: %.1f remove_ms: %.1f\n", rows, selectMs, invertMs,
                findMs, removeMs);
    return 0;
}
