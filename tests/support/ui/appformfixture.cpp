#include "support/ui/appformfixture.h"

#include "ui/app/appform.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
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

TAppForm& AppFormFixture::start(const QString& programFolder)
{
    AppStartup startup;
    startup.programPath = QCoreApplication::applicationFilePath();
    startup.programFolder = programFolder.isEmpty() ? program.path() : programFolder;
    startup.configHome = config.path();
    startup.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    startup.serviceHost = u"www.brindle.example"_s;
    form = std::make_unique<TAppForm>(startup, dialogs, shell);
    // ExifTool's deployment writes the status bar when it ends; let it end before the test looks there.
    if (!QTest::qWaitFor([this] { return form->isExifToolDeployed(); }, 30000))
        qWarning("ExifTool's deployment did not end");
    return *form;
}

QAction* AppFormFixture::action(const char* name) const
{
    return child<QAction>(name);
}

QString AppFormFixture::label() const
{
    return child<QLabel>("LabelDirectory")->text();
}
