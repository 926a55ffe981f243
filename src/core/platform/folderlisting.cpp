#include "core/platform/folderlisting.h"

#include "core/base/filenames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DIR* stream(void* dir)
{
    return static_cast<DIR*>(dir);
}

} // namespace

FolderListing::FolderListing(const QString& path)
{
    open(::open(EncodeFileName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

FolderListing::FolderListing(const FolderListing& parent, const char* name)
{
    if (parent.isOpen())
        open(::openat(parent.m_fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

void FolderListing::open(int fd)
{
    if (fd < 0)
        return;
    struct stat st;
    DIR* dir = ::fstat(fd, &st) == 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        ::close(fd);
        return;
    }
    m_dir = dir;
    m_fd = fd;
    m_identity = {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

FolderListing::~FolderListing()
{
    if (m_dir)
        ::closedir(stream(m_dir)); // closes m_fd too
}

const char* FolderListing::next(Kind& kind)
{
    if (!m_dir)
        return nullptr;
    // The end of the listing and an error while reading it both end the folder.
    const dirent* entry = ::readdir(stream(m_dir));
    if (!entry)
        return nullptr;
    switch (entry->d_type) {
    case DT_DIR:
        kind = Kind::Folder;
        break;
    case DT_LNK:
        kind = Kind::Link;
        break;
    case DT_UNKNOWN:
        kind = Kind::Unknown;
        break;
    default:
        kind = Kind::File;
    }
    return entry->d_name;
}

bool FolderListing::lookUp(const char* name, Status& status) const
{
    struct stat st;
    if (::fstatat(m_fd, name, &st, 0) != 0)
        return false;
    status.isFolder = S_ISDIR(st.st_mode);
    status.size = static_cast<qint64>(st.st_size);
    status.modified = static_cast<qint64>(st.st_mtim.tv_sec);
    return true;
}

bool FolderListing::isLink(const char* name) const
{
    struct stat st;
    return ::fstatat(m_fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}
