#include "core/platform/folderlock.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

FolderLock::FolderLock(const QString& folder, std::chrono::milliseconds limit, std::stop_token stop)
{
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_held = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || stop.stop_requested() ||
            std::chrono::milliseconds(waited.elapsed()) >= limit)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
