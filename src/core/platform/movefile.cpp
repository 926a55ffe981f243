#include "core/platform/movefile.h"

#include "core/base/filenames.h"
#include "core/platform/posixfs.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using posixfs::Fd;

namespace {

// Copies the open file in to the open file out, then makes the copy durable.
bool copyDurably(int in, int out, std::stop_token stop)
{
    return posixfs::copyData(in, out, stop) && ::fsync(out) == 0;
}

// Closes fd now, so that a failing close (a delayed write error) is seen.
bool closeChecked(Fd& fd)
{
    return ::close(fd.release()) == 0;
}

bool linkUnsupported(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

// Moves within one file system without ever replacing an existing file.
int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // The file system lacks RENAME_NOREPLACE: a hard link fails on an existing name just the same.
    if (::link(from.constData(), to.constData()) != 0)
        return -1;
    ::unlink(from.constData());
    return 0;
}

// Last resort for a file system with neither RENAME_NOREPLACE nor hard links: O_EXCL still never replaces a file,
// and a failed copy is removed again.
int copyExclusive(const QByteArray& from, const QByteArray& to, std::stop_token stop)
{
    const Fd in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    struct stat status
    {};
    if (!in.isValid() || ::fstat(in.get(), &status) != 0)
        return -1;
    Fd out(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, status.st_mode & 07777));
    if (!out.isValid())
        return -1;
    if (!copyDurably(in.get(), out.get(), stop) || !closeChecked(out)) {
        const int error = errno;
        ::unlink(to.constData());
        errno = error;
        return -1;
    }
    ::unlink(from.constData());
    return 0;
}

// Moves between file systems: a complete copy is made beside the target first and then renamed into place, so the
// target is never seen half written.
int moveAcross(const QByteArray& from, const QByteArray& to, const QString& target, bool replace, std::stop_token stop)
{
    const Fd in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    struct stat status
    {};
    if (!in.isValid() || ::fstat(in.get(), &status) != 0)
        return -1;
    QByteArray staged = EncodeFileName(QFileInfo(target).absolutePath() + QStringLiteral("/.brindlescope-XXXXXX"));
    Fd out(::mkostemp(staged.data(), O_CLOEXEC));
    if (!out.isValid())
        return -1;
    const auto discard = [&] {
        const int error = errno;
        ::unlink(staged.constData());
        errno = error;
        return -1;
    };
    // mkostemp creates the file readable by its owner only; the copy keeps the mode ExifTool's file had.
    if (::fchmod(out.get(), status.st_mode & 07777) != 0 || !copyDurably(in.get(), out.get(), stop) ||
        !closeChecked(out))
        return discard();
    if (replace) {
        if (::rename(staged.constData(), to.constData()) != 0)
            return discard();
    } else if (renameNoReplace(staged, to) != 0) {
        if (!linkUnsupported(errno))
            return discard();
        const int result = copyExclusive(staged, to, stop);
        if (result != 0)
            return discard();
    }
    ::unlink(from.constData());
    return 0;
}

} // namespace

QString MoveFileTo(const QString& from, const QString& to, bool replace, std::stop_token stop)
{
    const QByteArray fromName = EncodeFileName(from);
    const QByteArray toName = EncodeFileName(to);
    int result = replace ? ::rename(fromName.constData(), toName.constData()) : renameNoReplace(fromName, toName);
    if (result != 0 && !replace && linkUnsupported(errno))
        result = copyExclusive(fromName, toName, stop);
    if (result != 0 && errno == EXDEV)
        result = moveAcross(fromName, toName, to, replace, stop);
    if (result == 0)
        return {};
    return qt_error_string(errno);
}

bool IsSameFile(const QString& a, const QString& b)
{
    struct stat sa;
    struct stat sb;
    return ::stat(EncodeFileName(a).constData(), &sa) == 0 && ::stat(EncodeFileName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
