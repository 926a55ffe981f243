#include "support/unprivileged.h"

#include <QtGlobal>

#include <pwd.h>
#include <unistd.h>

UnprivilegedScope::UnprivilegedScope()
{
    if (::geteuid() != 0)
        return;
    const passwd* nobody = ::getpwnam("nobody");
    m_active = nobody && ::seteuid(nobody->pw_uid) == 0;
}

UnprivilegedScope::~UnprivilegedScope()
{
    if (m_active && ::seteuid(0) != 0)
        qFatal("cannot return to root");
}

bool UnprivilegedScope::ok() const
{
    return ::geteuid() != 0;
}
