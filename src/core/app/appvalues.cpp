#include "core/app/appvalues.h"

#include "core/app/datafolder.h"
#include "core/app/serviceaddress.h"
#include "core/app/versioninfo.h"

#include "buildconfig.h"

#include <QDir>
#include <QFileInfo>
using namespace Qt::Literals::StringLiterals;

AppValues StartValues(const AppStartup& startup)
{
    AppValues values;
    values.programPath = startup.programPath;
    values.programFolder = startup.programFolder;
    values.serviceHost = startup.serviceHost;
    values.locale = startup.locale;
    return values;
}

AppValues WorkOutAppValues(const AppStartup& startup)
{
    AppValues values = StartValues(startup);
    TEXEVersionData version;
    ReadVersionData(startup.programPath, version);
    values.companyName = version.CompanyName;
    values.productName = version.ProductName;
    const QVersionNumber fileVersion = ReadFileVersion(startup.programPath);
    values.versionText = QString::asprintf("%d.%d", fileVersion.majorVersion(), fileVersion.minorVersion());
    values.applicationName = ApplicationName(values.companyName, values.productName);
    values.listSeparator = ListSeparatorOf(values.locale);
    values.dataFolder =
        ChooseDataFolder(startup.programFolder, startup.configHome, values.companyName, values.productName);
    values.settingsPath = values.dataFolder + u"settings.ini"_s;
    return values;
}

QString ApplicationTitle()
{
    return QStringLiteral(TAGSCOPE_PRODUCT_NAME);
}

QChar ListSeparatorOf(const QLocale& locale)
{
    return locale.decimalPoint() == QStringLiteral(",") ? u';' : u',';
}

QString HelpAddress(const QString& serviceHost, const QString& productName)
{
    QString slug;
    for (QChar c : productName) {
        if (c >= u'A' && c <= u'Z')
            slug += QChar(c.unicode() + (u'a' - u'A'));
        else if (c == u' ')
            slug += u'-';
        else
            slug += c;
    }
    return ServiceAddress(false, serviceHost, u"/help/"_s + slug + u'/');
}

QString ApplicationName(const QString& companyName, const QString& productName)
{
    return companyName + u" - "_s + productName;
}

DropTarget ResolveDroppedPath(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return {DropKind::Invalid, {}};
    if (info.isDir())
        return {DropKind::Folder, path};
    const qsizetype slash = path.lastIndexOf(u'/');
    QString folder = slash <= 0 ? QStringLiteral("/") : path.left(slash);
    return {DropKind::File, folder};
}
