#include "core/app/serviceaddress.h"

using namespace Qt::Literals::StringLiterals;

QString ServiceAddress(bool https, const QString& serviceHost, const QString& path)
{
    if (serviceHost.isEmpty())
        return {};
    return (https ? u"https://"_s : u"http://"_s) + serviceHost + path;
}
