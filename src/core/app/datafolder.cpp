#include "core/app/datafolder.h"

#include "core/base/paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

bool IsFolderWritable(const QString& folder)
{
    QFile probe(AddTrailingBackslash(folder) + u"chk.tmp"_s);
    if (!probe.open(QIODevice::ReadWrite | QIODevice::NewOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

QString ChooseDataFolder(const QString& programFolder, const QString& configHome, const QString& companyName,
                         const QString& productName)
{
    if (IsFolderWritable(programFolder))
        return AddTrailingBackslash(programFolder);
    const QString company = AddTrailingBackslash(configHome) + companyName;
    const QString product = company + u'/' + productName;
    // The configuration folder itself may not exist yet on a fresh account.
    QDir().mkpath(product);
    return product + u'/';
}

QString UserConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString UserStateHome()
{
    const QString home = qEnvironmentVariable("XDG_STATE_HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return home;
    return QDir::homePath() + u"/.local/state"_s;
}
