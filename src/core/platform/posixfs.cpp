#include "core/platform/posixfs.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace posixfs {

Fd& Fd::operator=(Fd&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

Fd::~Fd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Fd openFolderAt(int dirFd, const QByteArray& name, bool followLink)
{
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (!followLink)
        flags |= O_NOFOLLOW;
    return Fd(::openat(dirFd, name.constData(), flags));
}

Fd makeFolderAt(int dirFd, const QByteArray& name, mode_t mode)
{
    if (::mkdirat(dirFd, name.constData(), mode) != 0 && errno != EEXIST)
        return {};
    return openFolderAt(dirFd, name);
}

bool entryNames(int folderFd, QList<QByteArray>& names)
{
    names.clear();
    // The stream gets a descriptor of its own, which closedir closes.
    const int streamFd = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (streamFd < 0)
        return false;
    DIR* dir = ::fdopendir(streamFd);
    if (!dir) {
        const int error = errno;
        ::close(streamFd);
        errno = error;
        return false;
    }
    ::rewinddir(dir);
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            ok = errno == 0;
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        names.append(QByteArray(entry->d_name));
    }
    const int error = errno;
    ::closedir(dir);
    errno = error;
    return ok;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool copyData(int from, int to, std::stop_token stop)
{
    char buffer[64 * 1024];
    for (;;) {
        if (stop.stop_requested()) {
            errno = ECANCELED;
            return false;
        }
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(to, buffer, static_cast<std::size_t>(got)))
            return false;
    }
}

QByteArray temporaryName()
{
    return ".tagscope-" + QByteArray::number(QRandomGenerator::system()->generate64(), 36) + ".part";
}

ReplacingFile::ReplacingFile(int dirFd, QByteArray name, mode_t mode) : m_dirFd(dirFd), m_name(std::move(name))
{
    // O_EXCL also refuses a link of the same name, dangling or not, so nothing is ever written through one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = temporaryName();
        m_fd =
            Fd(::openat(m_dirFd, m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (m_fd.isValid() || errno != EEXIST)
            break;
    }
    if (!m_fd.isValid())
        m_temporary.clear();
}

ReplacingFile::~ReplacingFile()
{
    if (!m_committed && !m_temporary.isEmpty()) {
        const int error = errno;
        m_fd = Fd();
        ::unlinkat(m_dirFd, m_temporary.constData(), 0);
        errno = error;
    }
}

bool ReplacingFile::commit()
{
    if (!m_fd.isValid()) {
        errno = EBADF;
        return false;
    }
    // A delayed write error shows up at close, which then must not count as success.
    if (::close(m_fd.release()) != 0)
        return false;
    if (::renameat(m_dirFd, m_temporary.constData(), m_dirFd, m_name.constData()) != 0)
        return false;
    m_committed = true;
    return true;
}

} // namespace posixfs
