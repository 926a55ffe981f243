#pragma once

#include "core/platform/posixfs.h"

#include <QString>

// The private temporary folder of one running copy of the program: a new folder "tagscope-XXXXXX" of mode 0700 under
// $XDG_RUNTIME_DIR or the system's temporary folder. It holds a lock file, locked for as long as the folder is in use,
// so that the next copy to start can tell the folders of copies that ended (their lock is free; it removes them) from
// those of copies that still run (their lock is held; it keeps them). Two copies running at once never share a file.
class PrivateTempFolder final
{
public:
    // Removes the folders under base left by copies that ended, then creates and locks a new one. An empty base
    // means DefaultBase(). Throws TagscopeError when no folder can be made.
    explicit PrivateTempFolder(const QString& base = {});
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;
    ~PrivateTempFolder(); // deletes the folder with everything in it, then frees the lock

    // The folder's path, with a trailing separator.
    const QString& path() const noexcept { return m_path; }

    // $XDG_RUNTIME_DIR when it is set and names a folder of this user that it may write, else QDir::tempPath().
    static QString DefaultBase();

    // The lock file inside each private folder.
    static constexpr char LockFileName[] = "tagscope.lock";

private:
    QString m_path;
    posixfs::Fd m_lockFd;
};

// This running copy's private temporary folder, with a trailing separator. It is made on the first call (the
// program's start makes that call, which also removes the folders of copies that ended) and deleted when the process
// ends normally. Safe to call from any thread. Throws TagscopeError when no folder can be made.
QString GetTempDirectory();
