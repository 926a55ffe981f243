#include "core/platform/trash.h"

#include "core/base/errors.h"
#include "core/base/filenames.h"
#include "core/platform/posixfs.h"

#include <QDateTime>
#include <QDir>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using posixfs::Fd;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr char kInfoSuffix[] = ".trashinfo";

// An open trash: its "files" and "info" folders, and the folder that the paths it records are relative to (empty for
// the home trash, whose paths are absolute).
struct TrashFolder
{
    Fd files;
    Fd info;
    QByteArray topdir;
};

// Opens or makes the "files" and "info" folders inside the open trash folder.
bool openParts(const Fd& trash, TrashFolder& folder)
{
    folder.files = posixfs::makeFolderAt(trash.get(), "files", 0700);
    folder.info = posixfs::makeFolderAt(trash.get(), "info", 0700);
    return folder.files.isValid() && folder.info.isValid();
}

// Makes every missing folder of path (like mkdir -p) and opens the last one.
Fd makeFolders(const QByteArray& path)
{
    Fd folder(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        // Folders above the trash may be links (a home folder often is); the trash folders themselves are not
        // followed, see openParts.
        if (::mkdirat(folder.get(), part.constData(), 0700) != 0 && errno != EEXIST)
            return {};
        folder = posixfs::openFolderAt(folder.get(), part, true);
        if (!folder.isValid())
            return {};
    }
    return folder;
}

bool openHomeTrash(TrashFolder& folder)
{
    const QByteArray home = EncodeFileName(HomeTrashFolder());
    const qsizetype slash = home.lastIndexOf('/');
    const Fd parent = makeFolders(home.first(slash));
    if (!parent.isValid())
        return false;
    const Fd trash = posixfs::makeFolderAt(parent.get(), home.sliced(slash + 1), 0700);
    return trash.isValid() && openParts(trash, folder);
}

// The trash of the mount whose top folder is topdir.
bool openTopdirTrash(const QByteArray& topdir, TrashFolder& folder)
{
    const QByteArray uid = QByteArray::number(::getuid());
    const Fd top(::open(topdir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top.isValid())
        return false;
    folder.topdir = topdir;
    // The administrator's shared trash: a sticky folder, never a link; in it a folder of this user's own.
    struct stat shared;
    if (::fstatat(top.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        const Fd sharedFd = posixfs::openFolderAt(top.get(), ".Trash");
        if (sharedFd.isValid()) {
            const Fd own = posixfs::makeFolderAt(sharedFd.get(), uid, 0700);
            struct stat ownStat;
            if (own.isValid() && ::fstat(own.get(), &ownStat) == 0 && ownStat.st_uid == ::getuid() &&
                openParts(own, folder))
                return true;
        }
    }
    // Otherwise a trash of this user's own at the top of the mount.
    const Fd own = posixfs::makeFolderAt(top.get(), ".Trash-" + uid, 0700);
    struct stat ownStat;
    if (!own.isValid() || ::fstat(own.get(), &ownStat) != 0 || ownStat.st_uid != ::getuid()) {
        if (own.isValid())
            errno = EPERM;
        return false;
    }
    return openParts(own, folder);
}

// The top folder of the mount that holds the folder parent (a path without trailing "/", "/" itself allowed).
QByteArray mountTop(QByteArray parent, dev_t device)
{
    while (parent != "/") {
        const qsizetype slash = parent.lastIndexOf('/');
        const QByteArray up = slash <= 0 ? QByteArray("/") : parent.first(slash);
        struct stat upStat;
        if (::stat(up.constData(), &upStat) != 0 || upStat.st_dev != device)
            break;
        parent = up;
    }
    return parent;
}

// The last byte count of name that ends on a whole UTF-8 character and is at most limit.
qsizetype utf8Cut(const QByteArray& name, qsizetype limit)
{
    qsizetype cut = std::min(limit, name.size());
    while (cut > 0 && cut < name.size() && (quint8(name[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

// The n-th name tried for an item called name: the name itself, then "photo.2.jpg", "photo.3.jpg" and so on, short
// enough that the information file's name fits the file system's limit.
QByteArray candidateName(const QByteArray& name, int n)
{
    constexpr qsizetype kLimit = NAME_MAX - qsizetype(sizeof(kInfoSuffix) - 1);
    const qsizetype dot = name.lastIndexOf('.');
    const bool hasExtension = dot > 0 && name.size() - dot <= 16;
    QByteArray stem = hasExtension ? name.first(dot) : name;
    const QByteArray extension = hasExtension ? name.sliced(dot) : QByteArray();
    const QByteArray number = n == 0 ? QByteArray() : "." + QByteArray::number(n + 1);
    const qsizetype room = kLimit - extension.size() - number.size();
    stem.truncate(utf8Cut(stem, std::max<qsizetype>(room, 1)));
    return stem + number + extension;
}

QByteArray infoText(const QByteArray& recordedPath)
{
    return "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/") +
           "\nDeletionDate=" + QDateTime::currentDateTime().toString(u"yyyy-MM-ddThh:mm:ss"_s).toLatin1() + "\n";
}

// Moves the item into the open trash. Returns 0, or the errno value of the failure.
int moveInto(TrashFolder& trash, const QByteArray& path, const QByteArray& name)
{
    QByteArray recorded = path;
    if (!trash.topdir.isEmpty())
        recorded = trash.topdir == "/" ? path.sliced(1) : path.sliced(trash.topdir.size() + 1);
    const QByteArray info = infoText(recorded);
    for (int n = 0; n < 10000; ++n) {
        const QByteArray candidate = candidateName(name, n);
        const QByteArray infoName = candidate + kInfoSuffix;
        // The information file first, exclusively: its name reserves the item's name in "files".
        const Fd infoFd(::openat(trash.info.get(), infoName.constData(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!infoFd.isValid()) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        if (!posixfs::writeAll(infoFd.get(), info.constData(), std::size_t(info.size()))) {
            const int error = errno;
            ::unlinkat(trash.info.get(), infoName.constData(), 0);
            return error;
        }
        if (::renameat2(AT_FDCWD, path.constData(), trash.files.get(), candidate.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        const int error = errno;
        ::unlinkat(trash.info.get(), infoName.constData(), 0);
        // A leftover in "files" without its information file holds this name; take the next.
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

} // namespace

QString HomeTrashFolder()
{
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = QDir::isAbsolutePath(dataHome) ? dataHome : QDir::homePath() + u"/.local/share"_s;
    return QDir::cleanPath(base + u"/Trash"_s);
}

QString MoveToTrash(const QString& path)
{
    QByteArray item =
        EncodeFileName(QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path)));
    struct stat itemStat;
    if (::lstat(item.constData(), &itemStat) != 0)
        return SystemErrorMessage(errno);
    const qsizetype slash = item.lastIndexOf('/');
    const QByteArray name = item.sliced(slash + 1);
    const QByteArray parent = slash == 0 ? QByteArray("/") : item.first(slash);
    if (name.isEmpty())
        return SystemErrorMessage(EBUSY); // the root folder

    int error = EXDEV;
    struct stat homeStat;
    TrashFolder home;
    if (openHomeTrash(home) && ::fstat(home.files.get(), &homeStat) == 0 && homeStat.st_dev == itemStat.st_dev) {
        error = moveInto(home, item, name);
        if (error == 0)
            return {};
    }
    // Another file system (or another mount of the same one): the trash at the top of the item's mount.
    if (error == EXDEV) {
        struct stat parentStat;
        if (::stat(parent.constData(), &parentStat) != 0)
            return SystemErrorMessage(errno);
        TrashFolder top;
        if (!openTopdirTrash(mountTop(parent, parentStat.st_dev), top))
            return u"no trash can be made on the drive of this item (%1)"_s.arg(SystemErrorMessage(errno));
        error = moveInto(top, item, name);
    }
    return error == 0 ? QString() : SystemErrorMessage(error);
}
