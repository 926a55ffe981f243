#include "core/platform/privatetemp.h"

#include "core/base/errors.h"
#include "core/platform/posixfs.h"
#include "core/platform/removetree.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using posixfs::Fd;

namespace {

constexpr char FolderPrefix[] = "tagscope-";
// A folder is made under this prefix, which the clean-up of published folders ignores, and renamed only once its
// lock is held: a copy starting at the same moment never sees a published folder whose lock is still free.
constexpr char PendingPrefix[] = ".tagscope-";

[[noreturn]] void throwFolderError(const QString& base, int error)
{
    throw TagscopeError(QStringLiteral("Cannot create a private temporary folder in %1: %2")
                            .arg(QDir::toNativeSeparators(base), SystemErrorMessage(error)));
}

QByteArray randomSuffix()
{
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix;
    for (int i = 0; i < 8; ++i)
        suffix += Letters[QRandomGenerator::system()->bounded(int(sizeof Letters) - 1)];
    return suffix;
}

// Whether name is one this program gives its folders: the prefix and exactly eight letters or digits. Other
// programs' folders that merely begin alike (a QTemporaryDir of a program called "tagscope-..." say) never match.
bool isOwnFolderName(const QByteArray& name, const char* prefix)
{
    const QByteArrayView view(name);
    const qsizetype prefixLength = qsizetype(qstrlen(prefix));
    if (!view.startsWith(prefix) || view.size() != prefixLength + 8)
        return false;
    for (const char c : view.sliced(prefixLength)) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Whether the folder name under baseFd belongs to a copy that no longer runs: its lock file exists and is free. A
// folder without a lock file is left alone: it may be a copy that is starting, or nothing of this program's.
// On true, lockFd keeps the lock so that nobody adopts the folder while it is removed.
bool isAbandoned(int baseFd, const QByteArray& name, Fd& lockFd)
{
    struct stat st;
    if (::fstatat(baseFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid())
        return false;
    const Fd folder = posixfs::openFolderAt(baseFd, name);
    if (!folder.isValid())
        return false;
    // O_NONBLOCK: a pipe planted under the lock file's name must not hang the start.
    lockFd =
        Fd(::openat(folder.get(), PrivateTempFolder::LockFileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!lockFd.isValid())
        return false;
    return ::flock(lockFd.get(), LOCK_EX | LOCK_NB) == 0;
}

void removeAbandonedFolders(int baseFd, const QString& base)
{
    QList<QByteArray> names;
    if (!posixfs::entryNames(baseFd, names))
        return;
    for (const QByteArray& name : names) {
        if (!isOwnFolderName(name, FolderPrefix) && !isOwnFolderName(name, PendingPrefix))
            continue;
        Fd lock;
        if (!isAbandoned(baseFd, name, lock))
            continue;
        try {
            RemoveFolderTree(base + u'/' + QFile::decodeName(name));
        } catch (const TagscopeError&) {
            // What cannot be removed now is tried again at the next start.
        }
    }
}

} // namespace

PrivateTempFolder::PrivateTempFolder(const QString& base)
{
    QString root = base.isEmpty() ? DefaultBase() : base;
    while (root.size() > 1 && root.endsWith(u'/'))
        root.chop(1);
    const Fd baseFd = posixfs::openFolderAt(AT_FDCWD, QFile::encodeName(root), true);
    if (!baseFd.isValid())
        throwFolderError(root, errno);
    removeAbandonedFolders(baseFd.get(), root);

    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray suffix = randomSuffix();
        const QByteArray pending = PendingPrefix + suffix;
        if (::mkdirat(baseFd.get(), pending.constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            throwFolderError(root, errno);
        }
        const auto discardPending = [&] {
            const int error = errno;
            try {
                RemoveFolderTree(root + u'/' + QFile::decodeName(pending));
            } catch (const TagscopeError&) {
            }
            return error;
        };
        const Fd folder = posixfs::openFolderAt(baseFd.get(), pending);
        // The umask may have taken bits away, never added any; this sets exactly 0700.
        if (!folder.isValid() || ::fchmod(folder.get(), 0700) != 0)
            throwFolderError(root, discardPending());
        Fd lock(::openat(folder.get(), LockFileName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!lock.isValid())
            throwFolderError(root, discardPending());
        if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
            // Another copy took this folder for one whose copy ended and is removing it: start afresh.
            continue;
        }
        const QByteArray published = FolderPrefix + suffix;
        int renamed =
            ::renameat2(baseFd.get(), pending.constData(), baseFd.get(), published.constData(), RENAME_NOREPLACE);
        if (renamed != 0 && errno == EINVAL) {
            // A file system without RENAME_NOREPLACE: a plain rename can only replace an empty folder, and the folder
            // of a running copy is never empty (it holds its lock file).
            renamed = ::renameat(baseFd.get(), pending.constData(), baseFd.get(), published.constData());
        }
        if (renamed != 0) {
            // ENOENT: removed by another copy, as above.
            const int error = errno == ENOENT ? ENOENT : discardPending();
            if (error == ENOENT || error == EEXIST || error == ENOTEMPTY)
                continue;
            throwFolderError(root, error);
        }
        m_path = root + u'/' + QFile::decodeName(published) + u'/';
        m_lockFd = std::move(lock);
        return;
    }
    throwFolderError(root, EEXIST);
}

PrivateTempFolder::~PrivateTempFolder()
{
    try {
        RemoveFolderTree(m_path);
    } catch (const TagscopeError&) {
        // Left behind, it is removed by the next copy to start, since its lock is freed when m_lockFd closes.
    }
}

QString PrivateTempFolder::DefaultBase()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
        struct stat st;
        const QByteArray path = QFile::encodeName(runtime);
        if (::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
            ::access(path.constData(), W_OK | X_OK) == 0)
            return runtime;
    }
    return QDir::tempPath();
}

QString GetTempDirectory()
{
    // Made once, on first use, by whichever thread comes first; destroyed with the other statics at exit.
    static const PrivateTempFolder folder;
    return folder.path();
}
