#include "core/platform/instancelock.h"

#include "core/platform/privatetemp.h"

#include <QFile>
#include <QLatin1StringView>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::InstanceLock(const QString& folder)
{
    QString base = folder.isEmpty() ? PrivateTempFolder::DefaultBase() : folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    m_path = base + QLatin1StringView(FileName);
    const QByteArray path = QFile::encodeName(m_path);
    // Read access is enough for a lock; O_NONBLOCK keeps a pipe planted under the name from hanging the start.
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(path.constData(), flags | O_CREAT, 0644);
    if (fd < 0 && errno == EACCES) {
        // In a shared sticky folder the kernel may refuse O_CREAT on another user's file (protected_regular).
        fd = ::open(path.constData(), flags);
    }
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    m_fd = posixfs::Fd(fd);
}
