#pragma once

#include "core/platform/posixfs.h"

#include <QString>

#include <chrono>
#include <stop_token>

// An exclusive lock on a folder, which copies of this program take before they change what the folder holds. Held
// for the life of the object.
class FolderLock final
{
public:
    // Waits at most limit for another holder to let go, so that a copy that hangs cannot keep this one from ever
    // going on, and gives up at once when stop is requested. isHeld() tells whether the lock was taken.
    FolderLock(const QString& folder, std::chrono::milliseconds limit, std::stop_token stop = {});
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool isHeld() const noexcept { return m_held; }

private:
    posixfs::Fd m_fd;
    bool m_held = false;
};
