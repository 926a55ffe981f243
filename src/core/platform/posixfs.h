#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/types.h>

#include <cstddef>
#include <stop_token>

#include <utility>

// Small helpers for the descriptor-relative file-system walks of the platform code. Each name given here is one entry
// of the folder given as a descriptor, so a link met on the way can never redirect a walk to another place. Failures
// are returned (an invalid descriptor or false) with errno set; the callers turn them into messages.
namespace posixfs {

// Owns one file descriptor and closes it.
class Fd final
{
public:
    Fd() = default;
    explicit Fd(int fd) noexcept : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();

    int get() const noexcept { return m_fd; }
    bool isValid() const noexcept { return m_fd >= 0; }
    int release() noexcept { return std::exchange(m_fd, -1); }

private:
    int m_fd = -1;
};

// Opens the entry name of the folder dirFd as a folder. Unless followLink is set, a link fails (ELOOP or ENOTDIR)
// instead of being followed. Pass AT_FDCWD as dirFd to open a path.
Fd openFolderAt(int dirFd, const QByteArray& name, bool followLink = false);

// Creates the folder name inside dirFd unless it exists, and opens it; fails when name is a link or no folder.
Fd makeFolderAt(int dirFd, const QByteArray& name, mode_t mode);

// Every entry name of the open folder except "." and "..".
bool entryNames(int folderFd, QList<QByteArray>& names);

// Writes all size bytes of data to fd, going on after a partial write or an interruption.
bool writeAll(int fd, const char* data, std::size_t size);

// Copies everything from the descriptor from to the descriptor to. A stop request ends the copy early with ECANCELED.
bool copyData(int from, int to, std::stop_token stop = {});

// A free name for a temporary entry: a hidden name that no caller uses for anything else.
QByteArray temporaryName();

// A new file that is written beside its final name and renamed over it once complete: the final name never holds half
// a file, and a link or file that is already there is replaced, never written through.
class ReplacingFile final
{
public:
    ReplacingFile(int dirFd, QByteArray name, mode_t mode);
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile(); // removes the temporary file unless committed

    bool isOpen() const noexcept { return m_fd.isValid(); }
    int fd() const noexcept { return m_fd.get(); }

    // Closes the file and renames it over the final name.
    bool commit();

private:
    int m_dirFd;
    QByteArray m_name;
    QByteArray m_temporary;
    Fd m_fd;
    bool m_committed = false;
};

} // namespace posixfs
