#include "core/platform/removetree.h"

#include "core/base/filenames.h"
#include "core/base/errors.h"
#include "core/platform/posixfs.h"

#include <QDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using posixfs::Fd;

namespace {

QString joined(const QString& folder, const QByteArray& name)
{
    return folder + u'/' + DecodeFileName(name);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void throwDeleteError(const QString& path, int error)
{
    throw TagscopeError(QStringLiteral("Cannot delete %1: %2").arg(shown(path), SystemErrorMessage(error)));
}

[[noreturn]] void throwCopyError(const QString& path, int error)
{
    throw TagscopeError(QStringLiteral("Cannot copy %1: %2").arg(shown(path), SystemErrorMessage(error)));
}

// Splits a path into the folder that holds its last component and that component; trailing separators are ignored.
bool splitLast(const QString& path, QByteArray& parent, QByteArray& name)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(u'/');
    const QString last = slash < 0 ? p : p.mid(slash + 1);
    if (last.isEmpty() || last == u"." || last == u"..")
        return false;
    parent = EncodeFileName(slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : p.left(slash));
    name = EncodeFileName(last);
    return true;
}

// One removal: either it stops at the first entry that resists (throwing), or it goes on with the others and notes
// that something stayed.
struct Removal
{
    bool keepGoing = false;
    bool failed = false;

    void fail(const QString& path, int error)
    {
        if (!keepGoing)
            throwDeleteError(path, error);
        failed = true;
    }
};

// Removes the entry name of dirFd; false when it stays.
bool removeEntryAt(int dirFd, const QByteArray& name, const QString& path, Removal& removal);

// Removes what the folder holds; false when its listing cannot start.
bool removeContents(int folderFd, const QString& path, Removal& removal)
{
    QList<QByteArray> names;
    if (!posixfs::entryNames(folderFd, names)) {
        removal.fail(path, errno);
        return false;
    }
    for (const QByteArray& name : names)
        removeEntryAt(folderFd, name, joined(path, name), removal);
    return true;
}

bool removeEntryAt(int dirFd, const QByteArray& name, const QString& path, Removal& removal)
{
    struct stat st;
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return true;
        removal.fail(path, errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        const Fd folder = posixfs::openFolderAt(dirFd, name);
        if (folder.isValid()) {
            // A folder that could not be listed is left alone, even when it is empty.
            if (!removeContents(folder.get(), path, removal))
                return false;
            if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT)
                return true;
            removal.fail(path, errno);
            return false;
        }
        if (errno == ENOENT)
            return true;
        // Anything else than a folder swapped in since the check is removed as what it is now.
        if (errno != ELOOP && errno != ENOTDIR) {
            removal.fail(path, errno);
            return false;
        }
    }
    if (::unlinkat(dirFd, name.constData(), 0) == 0 || errno == ENOENT)
        return true;
    removal.fail(path, errno);
    return false;
}

bool removeTree(const QString& path, Removal& removal)
{
    QByteArray parent;
    QByteArray name;
    if (!splitLast(path, parent, name)) {
        removal.fail(path, EINVAL);
        return false;
    }
    const Fd parentFd = posixfs::openFolderAt(AT_FDCWD, parent, true);
    if (!parentFd.isValid()) {
        if (errno == ENOENT)
            return true;
        removal.fail(path, errno);
        return false;
    }
    return removeEntryAt(parentFd.get(), name, path, removal);
}

void copyFileAt(int sourceDir, int targetDir, const QByteArray& name, const QString& sourcePath)
{
    // O_NONBLOCK: a pipe swapped in after the type check must not hang the copy.
    const Fd in(::openat(sourceDir, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!in.isValid() || ::fstat(in.get(), &st) != 0)
        throwCopyError(sourcePath, errno);
    if (!S_ISREG(st.st_mode))
        throwCopyError(sourcePath, EINVAL);
    posixfs::ReplacingFile out(targetDir, name, st.st_mode & 0777);
    if (!out.isOpen() || !posixfs::copyData(in.get(), out.fd()) || ::fchmod(out.fd(), st.st_mode & 0777) != 0 ||
        !out.commit())
        throwCopyError(sourcePath, errno);
}

void copyLinkAt(int sourceDir, int targetDir, const QByteArray& name, const QString& sourcePath)
{
    QByteArray target(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlinkat(sourceDir, name.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            throwCopyError(sourcePath, errno);
        if (length < target.size()) {
            target.truncate(length);
            break;
        }
        target.resize(target.size() * 2);
    }
    // Made under a free name and renamed over the final one, which replaces a file or link of that name.
    for (int attempt = 0;; ++attempt) {
        const QByteArray temporary = posixfs::temporaryName();
        if (::symlinkat(target.constData(), targetDir, temporary.constData()) == 0) {
            if (::renameat(targetDir, temporary.constData(), targetDir, name.constData()) == 0)
                return;
            const int error = errno;
            ::unlinkat(targetDir, temporary.constData(), 0);
            throwCopyError(sourcePath, error);
        }
        if (errno != EEXIST || attempt == 100)
            throwCopyError(sourcePath, errno);
    }
}

void copyContents(int sourceDir, int targetDir, const QString& sourcePath)
{
    QList<QByteArray> names;
    if (!posixfs::entryNames(sourceDir, names))
        throwCopyError(sourcePath, errno);
    for (const QByteArray& name : names) {
        const QString path = joined(sourcePath, name);
        struct stat st;
        if (::fstatat(sourceDir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            throwCopyError(path, errno);
        if (S_ISDIR(st.st_mode)) {
            const Fd from = posixfs::openFolderAt(sourceDir, name);
            if (!from.isValid())
                throwCopyError(path, errno);
            // Writable while it is filled; the source's mode follows at the end.
            const Fd to = posixfs::makeFolderAt(targetDir, name, 0700);
            if (!to.isValid())
                throwCopyError(path, errno);
            copyContents(from.get(), to.get(), path);
            if (::fchmod(to.get(), st.st_mode & 0777) != 0)
                throwCopyError(path, errno);
        } else if (S_ISREG(st.st_mode)) {
            copyFileAt(sourceDir, targetDir, name, path);
        } else if (S_ISLNK(st.st_mode)) {
            copyLinkAt(sourceDir, targetDir, name, path);
        }
    }
}

} // namespace

void RemoveFolderTree(const QString& path)
{
    Removal removal;
    removeTree(path, removal);
}

bool DeleteFolderTree(const QString& folder)
{
    Removal removal;
    removal.keepGoing = true;
    struct stat st;
    if (::lstat(EncodeFileName(folder).constData(), &st) != 0)
        return false;
    return removeTree(folder, removal) && !removal.failed;
}

void CopyFolderTree(const QString& source, const QString& target)
{
    const Fd from = posixfs::openFolderAt(AT_FDCWD, EncodeFileName(source), true);
    struct stat st;
    if (!from.isValid() || ::fstat(from.get(), &st) != 0)
        throwCopyError(source, errno);
    const Fd to = posixfs::makeFolderAt(AT_FDCWD, EncodeFileName(target), 0700);
    if (!to.isValid())
        throw TagscopeError(
            QStringLiteral("Cannot create the folder %1: %2").arg(shown(target), SystemErrorMessage(errno)));
    copyContents(from.get(), to.get(), source);
    if (::fchmod(to.get(), st.st_mode & 0777) != 0)
        throwCopyError(source, errno);
}

bool CopyFileReplacing(const QString& source, const QString& target)
{
    QByteArray parent;
    QByteArray name;
    if (!splitLast(target, parent, name))
        return false;
    const Fd in(::open(EncodeFileName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!in.isValid() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const Fd parentFd = posixfs::openFolderAt(AT_FDCWD, parent, true);
    if (!parentFd.isValid())
        return false;
    posixfs::ReplacingFile out(parentFd.get(), name, st.st_mode & 0777);
    return out.isOpen() && posixfs::copyData(in.get(), out.fd()) && ::fchmod(out.fd(), st.st_mode & 0777) == 0 &&
           out.commit();
}
