#include "core/platform/folderlock.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>

FolderLock::FolderLock(const QString& folder, std::chrono::milliseconds limit, std::stop_token stop)
{
    m_fd = posixfs::openFolderAt(AT_FDCWD, QFile::encodeName(folder), true);
    if (!m_fd.isValid())
        return;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(m_fd.get(), LOCK_EX | LOCK_NB) == 0) {
            m_held = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || stop.stop_requested() ||
            std::chrono::milliseconds(waited.elapsed()) >= limit)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
