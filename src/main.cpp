#include "buildconfig.h"
#include "core/app/datafolder.h"
#include "core/platform/filelimit.h"
#include "core/platform/instancelock.h"
#include "core/platform/privatetemp.h"
#include "core/platform/terminationsignals.h"
#include "ui/app/appform.h"
#include "ui/app/application.h"
#include "ui/app/qtdesktopshell.h"
#include "ui/app/qtdialogs.h"

#include <QLocale>

int main(int argc, char** argv)
{
    // Marks this copy as running; a second copy starts normally.
    const InstanceLock instanceLock;
    RaiseOpenFileLimit();

    QApplication::setApplicationName(QStringLiteral(TAGSCOPE_PRODUCT_NAME));
    QApplication::setOrganizationName(QStringLiteral(TAGSCOPE_COMPANY_NAME));
    QApplication::setApplicationVersion(QStringLiteral(TAGSCOPE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(TAGSCOPE_APP_ID));
    TagscopeApplication app(argc, argv);

    // Made now, so the folders of copies that ended are cleaned up before anything else runs.
    try {
        GetTempDirectory();
    } catch (...) {
        // The ExifTool commands report the missing folder when they need it.
    }

    QtDialogs dialogs;
    QtDesktopShell shell;
    AppStartup startup;
    startup.programPath = QCoreApplication::applicationFilePath();
    startup.programFolder = QCoreApplication::applicationDirPath();
    startup.configHome = UserConfigHome();
    startup.stateHome = UserStateHome();
    startup.locale = QLocale::system();
    startup.serviceHost = QStringLiteral(TAGSCOPE_SERVICE_HOST);

    TAppForm form(startup, dialogs, shell);
    // Ended from outside (logging out, Ctrl+C in a terminal, kill): the event loop ends first, also a modal box's,
    // so that no command is under way when the window closes.
    const TerminationSignals ending;
    QObject::connect(&ending, &TerminationSignals::received, &app, [] { QCoreApplication::quit(); });
    form.show();
    const int result = app.exec();
    // As when the user closes it: the layout saved, the work under way ended, the ExifTool folder deleted.
    form.close();
    return result;
}
