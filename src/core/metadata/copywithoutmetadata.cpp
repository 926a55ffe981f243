#include "core/metadata/copywithoutmetadata.h"

#include "core/metadata/argumentfile.h"
#include "core/metadata/consolerunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

#ifndef Q_OS_WIN

class FileDescriptor final
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now, so that a failing close (a delayed write error) is seen.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Copies the contents of the open file in to the open file out, then makes them durable.
bool copyContents(int in, int out)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return ::fsync(out) == 0;
        if (!writeAll(out, buffer, got))
            return false;
    }
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
int copyExclusive(const QByteArray& from, const QByteArray& to)
{
    const FileDescriptor in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    struct stat status
    {};
    if (in.get() < 0 || ::fstat(in.get(), &status) != 0)
        return -1;
    FileDescriptor out(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, status.st_mode & 07777));
    if (out.get() < 0)
        return -1;
    if (!copyContents(in.get(), out.get()) || !out.close()) {
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
int moveAcross(const QByteArray& from, const QByteArray& to, const QString& target, bool replace)
{
    const FileDescriptor in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    struct stat status
    {};
    if (in.get() < 0 || ::fstat(in.get(), &status) != 0)
        return -1;
    QByteArray staged = QFile::encodeName(QFileInfo(target).absolutePath() + QStringLiteral("/.brindlescope-XXXXXX"));
    FileDescriptor out(::mkostemp(staged.data(), O_CLOEXEC));
    if (out.get() < 0)
        return -1;
    const auto discard = [&] {
        const int error = errno;
        ::unlink(staged.constData());
        errno = error;
        return -1;
    };
    // mkostemp creates the file readable by its owner only; the copy keeps the mode ExifTool's file had.
    if (::fchmod(out.get(), status.st_mode & 07777) != 0 || !copyContents(in.get(), out.get()) || !out.close())
        return discard();
    if (replace) {
        if (::rename(staged.constData(), to.constData()) != 0)
            return discard();
    } else if (renameNoReplace(staged, to) != 0) {
        if (!linkUnsupported(errno))
            return discard();
        const int result = copyExclusive(staged, to);
        if (result != 0)
            return discard();
    }
    ::unlink(from.constData());
    return 0;
}

#endif

} // namespace

#ifdef Q_OS_WIN

QString MoveFileTo(const QString& from, const QString& to, bool replace)
{
    DWORD flags = MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if (replace)
        flags |= MOVEFILE_REPLACE_EXISTING;
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(nativeName(from).utf16()),
                    reinterpret_cast<LPCWSTR>(nativeName(to).utf16()), flags))
        return {};
    return qt_error_string(static_cast<int>(GetLastError()));
}

#else

QString MoveFileTo(const QString& from, const QString& to, bool replace)
{
    const QByteArray fromName = QFile::encodeName(from);
    const QByteArray toName = QFile::encodeName(to);
    int result = replace ? ::rename(fromName.constData(), toName.constData()) : renameNoReplace(fromName, toName);
    if (result != 0 && !replace && linkUnsupported(errno))
        result = copyExclusive(fromName, toName);
    if (result != 0 && errno == EXDEV)
        result = moveAcross(fromName, toName, to, replace);
    if (result == 0)
        return {};
    return qt_error_string(errno);
}

#endif

CopyWithoutMetadataResult CopyWithoutMetadata(const CopyWithoutMetadataRequest& request, std::stop_token stop)
{
    CopyWithoutMetadataResult result;

    QString temp = AddTrailingBackslash(request.tempFolder) + QStringLiteral("brindlescope.tmp");
    if (QFileInfo(temp).isFile())
        QFile::remove(temp);
    temp = UniqueFileName(temp);

    // An absolute source never begins with "-", so ExifTool cannot take it for an option.
    const QString source = QFileInfo(request.source).absoluteFilePath();
    const QStringList arguments{QStringLiteral("-all="), QStringLiteral("-o"), EscapeExifToolPattern(temp), source};
    const qint64 sourceSize = std::max<qint64>(QFileInfo(source).size(), 0);
    const std::chrono::milliseconds timeLimit =
        request.timeLimit + std::chrono::seconds(sourceSize / CopyWithoutMetadataRequest::kBytesPerExtraSecond);
    const ConsoleResult run =
        RunConsoleCommand(request.exifToolProgram, arguments, request.workingFolder, timeLimit, stop);
    result.output = run.output;
    result.errorReported = run.output.startsWith(QStringLiteral("Error"));

    if (!run.started) {
        result.moveError = QStringLiteral("ExifTool could not be started.");
    } else if (!run.finished) {
        result.moveError = QStringLiteral("ExifTool did not finish in time; nothing was saved.");
    } else if (!QFileInfo(temp).isFile()) {
        result.moveError = QStringLiteral("ExifTool wrote no copy; nothing was saved.");
    } else if (const QString error = MoveFileTo(temp, request.target, request.replaceConfirmed); !error.isEmpty()) {
        result.moveError = QStringLiteral("Cannot save \"%1\": %2").arg(nativeName(request.target), error);
    } else {
        result.moved = true;
    }
    // A copy left behind (a killed run, a failed move) is of no use to anyone.
    if (!result.moved && QFileInfo(temp).isFile())
        QFile::remove(temp);
    return result;
}
