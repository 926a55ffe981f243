#pragma once

#include "core/platform/posixfs.h"

#include <QString>

// Marks this program as running for as long as the object lives: the lock file "BRINDLE_Tagscope" in
// $XDG_RUNTIME_DIR (or the system's temporary folder), held with a shared lock, so that any number of copies hold it
// at once and a tool that wants every copy gone can wait for an exclusive lock. Whether other copies run is not
// examined, and a lock that cannot be taken does not stop the program.
class InstanceLock final
{
public:
    // folder: where the lock file lives; empty means PrivateTempFolder::DefaultBase().
    explicit InstanceLock(const QString& folder = {});
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool isHeld() const noexcept { return m_fd.isValid(); }
    const QString& path() const noexcept { return m_path; }

    static constexpr char FileName[] = "BRINDLE_Tagscope";

private:
    QString m_path;
    posixfs::Fd m_fd;
};
