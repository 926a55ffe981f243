#include "core/metadata/zipextract.h"

#include "core/base/errors.h"
#include "core/platform/posixfs.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <zip.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using posixfs::Fd;

namespace {

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

struct MemberCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct Member
{
    zip_uint64_t index = 0;
    QString name;            // as stored, for messages
    QList<QByteArray> parts; // the relative path, one component each
    bool isFolder = false;
    mode_t mode = 0644;
    zip_uint64_t size = 0;
    bool sizeKnown = false;
};

class Extractor final
{
public:
    Extractor(const QString& archive, const QString& folder) : m_archive(archive), m_folder(folder) {}

    void run();

private:
    [[noreturn]] void damaged(const QString& detail, const QString& member = {}) const;
    [[noreturn]] void refused(const QString& member, const QString& reason) const;
    [[noreturn]] void cannotWrite(const QString& member, int error) const;

    Member readMember(zip_t* archive, zip_uint64_t index) const;
    Fd openParent(int rootFd, const Member& member) const;
    void writeFile(zip_t* archive, int dirFd, const Member& member) const;

    QString m_archive;
    QString m_folder;
};

void Extractor::damaged(const QString& detail, const QString& member) const
{
    if (member.isEmpty())
        throw TagscopeError(QStringLiteral("The archive %1 is damaged or cannot be read: %2")
                                .arg(QDir::toNativeSeparators(m_archive), detail));
    throw TagscopeError(QStringLiteral("The archive %1 is damaged: %2 (member %3)")
                            .arg(QDir::toNativeSeparators(m_archive), detail, member));
}

void Extractor::refused(const QString& member, const QString& reason) const
{
    throw TagscopeError(QStringLiteral("Unpacking the archive %1 was refused: its member %2 %3")
                            .arg(QDir::toNativeSeparators(m_archive), member, reason));
}

void Extractor::cannotWrite(const QString& member, int error) const
{
    throw TagscopeError(QStringLiteral("Cannot unpack %1 from the archive %2 into %3: %4")
                            .arg(member, QDir::toNativeSeparators(m_archive), QDir::toNativeSeparators(m_folder),
                                 SystemErrorMessage(error)));
}

Member Extractor::readMember(zip_t* archive, zip_uint64_t index) const
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
        damaged(QString::fromUtf8(zip_strerror(archive)));

    Member member;
    member.index = index;
    const QByteArray raw(st.name);
    member.name = QString::fromUtf8(raw);
    member.sizeKnown = st.valid & ZIP_STAT_SIZE;
    member.size = st.size;

    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
        refused(member.name, QStringLiteral("is encrypted."));

    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        damaged(QString::fromUtf8(zip_strerror(archive)), member.name);
    if (system == ZIP_OPSYS_UNIX) {
        const mode_t unixMode = attributes >> 16;
        const mode_t type = unixMode & S_IFMT;
        if (type == S_IFLNK)
            refused(member.name, QStringLiteral("is a symbolic link."));
        if (type != 0 && type != S_IFREG && type != S_IFDIR)
            refused(member.name, QStringLiteral("is neither a file nor a folder."));
        member.isFolder = type == S_IFDIR;
        if ((unixMode & 0777) != 0)
            member.mode = unixMode & 0777;
    }
    if (raw.endsWith('/'))
        member.isFolder = true;

    // The path must stay inside the target folder on every system: no root, no drive, no way up, and no backslash,
    // which Windows reads as a separator.
    if (raw.isEmpty())
        refused(QStringLiteral("\"\""), QStringLiteral("has no name."));
    if (raw.startsWith('/'))
        refused(member.name, QStringLiteral("has an absolute path."));
    if (raw.contains('\\'))
        refused(member.name, QStringLiteral("holds a backslash."));
    if (raw.size() >= 2 && raw[1] == ':')
        refused(member.name, QStringLiteral("names a drive."));
    for (const QByteArray& part : raw.split('/')) {
        if (part == "..")
            refused(member.name, QStringLiteral("leads outside the folder it is unpacked into."));
        if (!part.isEmpty() && part != ".")
            member.parts.append(part);
    }
    if (member.parts.isEmpty() && !member.isFolder)
        refused(member.name, QStringLiteral("has no name."));
    return member;
}

// Opens, creating them as needed, the folders that lead to the member's last component. Each one must be a real
// folder: a link or file on the way refuses the member rather than being followed.
Fd Extractor::openParent(int rootFd, const Member& member) const
{
    Fd current = posixfs::openFolderAt(rootFd, ".");
    if (!current.isValid())
        cannotWrite(member.name, errno);
    for (qsizetype i = 0; i + 1 < member.parts.size(); ++i) {
        Fd next = posixfs::makeFolderAt(current.get(), member.parts[i], 0755);
        if (!next.isValid()) {
            if (errno == ELOOP || errno == ENOTDIR)
                refused(member.name, QStringLiteral("would be written through a link or into a file in %1.")
                                         .arg(QDir::toNativeSeparators(m_folder)));
            cannotWrite(member.name, errno);
        }
        current = std::move(next);
    }
    return current;
}

void Extractor::writeFile(zip_t* archive, int dirFd, const Member& member) const
{
    const std::unique_ptr<zip_file_t, MemberCloser> in(zip_fopen_index(archive, member.index, 0));
    if (!in)
        damaged(QString::fromUtf8(zip_strerror(archive)), member.name);
    posixfs::ReplacingFile out(dirFd, member.parts.last(), member.mode);
    if (!out.isOpen())
        cannotWrite(member.name, errno);

    char buffer[64 * 1024];
    zip_uint64_t total = 0;
    for (;;) {
        // zip_fread checks the CRC once the member has been read to its end.
        const zip_int64_t got = zip_fread(in.get(), buffer, sizeof buffer);
        if (got < 0)
            damaged(QString::fromUtf8(zip_file_strerror(in.get())), member.name);
        if (got == 0)
            break;
        if (!posixfs::writeAll(out.fd(), buffer, static_cast<std::size_t>(got)))
            cannotWrite(member.name, errno);
        total += static_cast<zip_uint64_t>(got);
    }
    if (member.sizeKnown && total != member.size)
        damaged(QStringLiteral("%1 bytes instead of %2").arg(total).arg(member.size), member.name);
    if (!out.commit()) {
        if (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST)
            refused(member.name,
                    QStringLiteral("would replace a folder in %1.").arg(QDir::toNativeSeparators(m_folder)));
        cannotWrite(member.name, errno);
    }
}

void Extractor::run()
{
    int error = 0;
    // Without ZIP_CHECKCONS: it refuses sound archives whose local headers differ from the central directory in
    // harmless ways (libarchive, which cmake -E tar uses, writes such headers). Damage still shows, since every
    // member's size and CRC are checked as it is read.
    const std::unique_ptr<zip_t, ArchiveCloser> archive(
        zip_open(QFile::encodeName(m_archive).constData(), ZIP_RDONLY, &error));
    if (!archive) {
        zip_error_t details;
        zip_error_init_with_code(&details, error);
        const QString text = QString::fromUtf8(zip_error_strerror(&details));
        zip_error_fini(&details);
        damaged(text);
    }

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0)
        damaged(QString::fromUtf8(zip_strerror(archive.get())));
    // Every member is checked before anything is written, so a hostile archive leaves no trace.
    QList<Member> members;
    members.reserve(count);
    for (zip_int64_t i = 0; i < count; ++i)
        members.append(readMember(archive.get(), static_cast<zip_uint64_t>(i)));

    const Fd root = posixfs::openFolderAt(AT_FDCWD, QFile::encodeName(m_folder), true);
    if (!root.isValid())
        cannotWrite(QDir::toNativeSeparators(m_archive), errno);
    for (const Member& member : members) {
        if (member.parts.isEmpty())
            continue;
        const Fd parent = openParent(root.get(), member);
        if (member.isFolder) {
            if (!posixfs::makeFolderAt(parent.get(), member.parts.last(), 0755).isValid()) {
                if (errno == ELOOP || errno == ENOTDIR)
                    refused(member.name, QStringLiteral("would be written through a link or into a file in %1.")
                                             .arg(QDir::toNativeSeparators(m_folder)));
                cannotWrite(member.name, errno);
            }
        } else {
            writeFile(archive.get(), parent.get(), member);
        }
    }
}

} // namespace

void ExtractZipArchive(const QString& archive, const QString& folder)
{
    Extractor(archive, folder).run();
}
