#include "core/app/datafolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

QString withSeparator(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

bool IsFolderWritable(const QString& folder)
{
    QFile probe(withSeparator(folder) + u"chk.tmp"_s);
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
        return withSeparator(programFolder);
    const QString company = withSeparator(configHome) + companyName;
    const QString product = company + u'/' + productName;
    // The configuration folder itself may not exist yet on a fresh account.
    QDir().mkpath(product);
    return product + u'/';
}

QString UserConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}
