#include "support/ui/appformfixture.h"

#include "ui/app/appform.h"

#include "core/filelist/filelistmodel.h"
#include "ui/filelist/fileselection.h"
#include "ui/metadata/metadatacommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

AppFormFixture::AppFormFixture() = default;

AppFormFixture::~AppFormFixture()
{
    if (form)
        form->close();
}

QString AppFormFixture::settingsPath() const
{
    return program.filePath(u"settings.ini"_s);
}

QString AppFormFixture::layoutPath() const
{
    return state.filePath(u"BRINDLE/Tagscope/window.ini"_s);
}

AppStartup AppFormFixture::startupFor(const QString& programFolder) const
{
    AppStartup startup;
    startup.programPath = QCoreApplication::applicationFilePath();
    startup.programFolder = programFolder.isEmpty() ? program.path() : programFolder;
    startup.configHome = config.path();
    startup.stateHome = state.path();
    startup.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    startup.serviceHost = serviceHost;
    startup.checkForUpdates = checkForUpdates;
    startup.checkTimeoutSeconds = checkTimeoutSeconds;
    return startup;
}

TAppForm& AppFormFixture::start(const QString& programFolder, Deployment deployment)
{
    form = std::make_unique<TAppForm>(startupFor(programFolder), dialogs, shell);
    // ExifTool's deployment writes the status bar when it ends; let it end before the test looks there.
    if (deployment == Deployment::Wait &&
        !QTest::qWaitFor([this] { return commands<MetadataCommands>().isExifToolDeployed(); }, 30000))
        qWarning("ExifTool's deployment did not end");
    return *form;
}

bool AppFormFixture::installExifToolPackage()
{
    const QString source = QStringLiteral(TAGSCOPE_BUILD_DIR "/exiftool/");
    if (!QDir().mkpath(program.filePath(u"exiftool"_s)))
        return false;
    for (const QString& name : {u"exiftool"_s, u"exiftool_files.zip"_s}) {
        if (!QFile::copy(source + name, program.filePath(u"exiftool/"_s + name)))
            return false;
    }
    return QFile::setPermissions(program.filePath(u"exiftool/exiftool"_s), QFile::permissions(source + u"exiftool"_s));
}

QAction* AppFormFixture::action(const char* name) const
{
    return child<QAction>(name);
}

FileRecords& AppFormFixture::records() const
{
    return qobject_cast<FileListModel*>(child<QTableView>("ListView1")->model())->records();
}

FileListSelection& AppFormFixture::listSelection() const
{
    return *qobject_cast<FileListSelection*>(child<QTableView>("ListView1")->selectionModel());
}

QString AppFormFixture::label() const
{
    return child<QLabel>("LabelDirectory")->text();
}
