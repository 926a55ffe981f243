#include "core/app/appvalues.h"

#include "core/online/serviceaddress.h"

#include "buildconfig.h"

#include <QDir>
#include <QFileInfo>
using namespace Qt::Literals::StringLiterals;

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
