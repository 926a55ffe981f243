#include "core/metadata/reporttarget.h"

using namespace Qt::Literals::StringLiterals;

QString ProposedReportName(const QString& file, const QString& extension,
                           const std::function<bool(const QString&)>& isProtected)
{
    const QString suffix = u'.' + extension;
    QString name = file + suffix;
    for (int n = 2; isProtected(name); ++n)
        name = file + u" ("_s + QString::number(n) + u')' + suffix;
    return name;
}
