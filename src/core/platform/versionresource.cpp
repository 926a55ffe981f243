#include "core/platform/versionresource.h"

#include "core/base/errors.h"
#include "core/platform/posixfs.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

const int kNoVersionDataError = ENODATA;
const int kMalformedVersionDataError = EBADMSG;

namespace {

// The largest block there can be: the root node's length is a 16-bit number.
constexpr quint64 MaxBlockSize = 0xFFFF;

// The bytes [offset, offset + size) of the file; nothing when they do not lie within its fileSize bytes. A failing
// read raises its error.
std::optional<QByteArray> readAt(int fd, quint64 fileSize, quint64 offset, quint64 size)
{
    if (offset > fileSize || size > fileSize - offset)
        return std::nullopt;
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(offset + quint64(done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            RaiseSystemError(errno);
        }
        if (n == 0)
            return std::nullopt; // the file was cut short while we read it
        done += n;
    }
    return bytes;
}

// Where a section's contents lie in the file.
struct SectionLocation
{
    quint64 offset = 0;
    quint64 size = 0;
};

// Reads the numbers of ELF headers in the byte order and word size the file declares.
class ElfLayout final
{
public:
    ElfLayout(bool is64, bool bigEndian) : m_is64(is64), m_bigEndian(bigEndian) {}

    bool is64() const { return m_is64; }
    quint64 headerSize() const { return m_is64 ? 64 : 52; }
    quint64 sectionHeaderSize() const { return m_is64 ? 64 : 40; }

    // e_shoff, e_shentsize, e_shnum, e_shstrndx of the file header.
    quint64 sectionTableOffset(const QByteArray& header) const
    {
        return m_is64 ? word(header, 0x28, 8) : word(header, 0x20, 4);
    }
    quint64 sectionEntrySize(const QByteArray& header) const { return word(header, m_is64 ? 0x3A : 0x2E, 2); }
    quint64 sectionCount(const QByteArray& header) const { return word(header, m_is64 ? 0x3C : 0x30, 2); }
    quint64 nameTableIndex(const QByteArray& header) const { return word(header, m_is64 ? 0x3E : 0x32, 2); }

    // sh_name, sh_type, sh_offset, sh_size, sh_link of the section header at entry.
    quint64 sectionName(const QByteArray& table, qsizetype entry) const { return word(table, entry, 4); }
    quint64 sectionType(const QByteArray& table, qsizetype entry) const { return word(table, entry + 4, 4); }
    quint64 sectionOffset(const QByteArray& table, qsizetype entry) const
    {
        return m_is64 ? word(table, entry + 24, 8) : word(table, entry + 16, 4);
    }
    quint64 sectionSize(const QByteArray& table, qsizetype entry) const
    {
        return m_is64 ? word(table, entry + 32, 8) : word(table, entry + 20, 4);
    }
    quint64 sectionLink(const QByteArray& table, qsizetype entry) const
    {
        return word(table, entry + (m_is64 ? 40 : 24), 4);
    }

private:
    // Callers only pass offsets inside headers whose full size was read.
    quint64 word(const QByteArray& bytes, qsizetype offset, int width) const
    {
        Q_ASSERT(offset >= 0 && offset + width <= bytes.size());
        const char* p = bytes.constData() + offset;
        switch (width) {
        case 2:
            return m_bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
        case 4:
            return m_bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
        default:
            return m_bigEndian ? qFromBigEndian<quint64>(p) : qFromLittleEndian<quint64>(p);
        }
    }

    bool m_is64;
    bool m_bigEndian;
};

constexpr quint64 SectionTypeNoBits = 8;         // SHT_NOBITS: takes no room in the file
constexpr quint64 ExtendedSectionIndex = 0xFFFF; // SHN_XINDEX: the real index is in section 0

// Finds the first section called name through the section headers and their name table.
std::optional<SectionLocation> findElfSection(int fd, quint64 fileSize, QByteArrayView name)
{
    const std::optional<QByteArray> ident = readAt(fd, fileSize, 0, 16);
    if (!ident || !ident->startsWith("\x7f"
                                     "ELF"))
        return std::nullopt;
    const char fileClass = ident->at(4);
    const char byteOrder = ident->at(5);
    if ((fileClass != 1 && fileClass != 2) || (byteOrder != 1 && byteOrder != 2) || ident->at(6) != 1)
        return std::nullopt;
    const ElfLayout elf(fileClass == 2, byteOrder == 2);

    const std::optional<QByteArray> header = readAt(fd, fileSize, 0, elf.headerSize());
    if (!header)
        return std::nullopt;
    const quint64 tableOffset = elf.sectionTableOffset(*header);
    const quint64 entrySize = elf.sectionEntrySize(*header);
    quint64 count = elf.sectionCount(*header);
    quint64 nameIndex = elf.nameTableIndex(*header);
    if (tableOffset == 0 || tableOffset >= fileSize || entrySize < elf.sectionHeaderSize())
        return std::nullopt;

    // With more than 0xFF00 sections the real count and name table index live in section 0.
    if (count == 0 || nameIndex == ExtendedSectionIndex) {
        const std::optional<QByteArray> first = readAt(fd, fileSize, tableOffset, elf.sectionHeaderSize());
        if (!first)
            return std::nullopt;
        if (count == 0)
            count = elf.sectionSize(*first, 0);
        if (nameIndex == ExtendedSectionIndex)
            nameIndex = elf.sectionLink(*first, 0);
    }
    // Dividing first keeps the product from overflowing; the table must lie within the file anyway.
    if (count == 0 || count > (fileSize - tableOffset) / entrySize || nameIndex >= count)
        return std::nullopt;
    const std::optional<QByteArray> table = readAt(fd, fileSize, tableOffset, count * entrySize);
    if (!table)
        return std::nullopt;

    const auto entry = [&](quint64 index) { return qsizetype(index * entrySize); };
    const quint64 namesOffset = elf.sectionOffset(*table, entry(nameIndex));
    const quint64 namesSize = elf.sectionSize(*table, entry(nameIndex));
    const std::optional<QByteArray> names = readAt(fd, fileSize, namesOffset, namesSize);
    if (!names)
        return std::nullopt;

    for (quint64 i = 1; i < count; ++i) {
        const quint64 nameOffset = elf.sectionName(*table, entry(i));
        if (nameOffset >= quint64(names->size()) || quint64(name.size()) >= quint64(names->size()) - nameOffset)
            continue;
        const qsizetype at = qsizetype(nameOffset);
        if (std::memcmp(names->constData() + at, name.data(), size_t(name.size())) != 0 ||
            names->at(at + name.size()) != '\0')
            continue;
        if (elf.sectionType(*table, entry(i)) == SectionTypeNoBits)
            return std::nullopt;
        return SectionLocation{elf.sectionOffset(*table, entry(i)), elf.sectionSize(*table, entry(i))};
    }
    return std::nullopt;
}

} // namespace

QByteArray ReadVersionBlock(const QString& fileName)
{
    // O_NONBLOCK keeps a FIFO given as the file name from blocking the open.
    const posixfs::Fd file(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        RaiseSystemError(errno);
    struct stat status
    {};
    if (::fstat(file.get(), &status) != 0)
        RaiseSystemError(errno);
    if (S_ISDIR(status.st_mode))
        RaiseSystemError(EISDIR);
    if (!S_ISREG(status.st_mode))
        RaiseSystemError(kNoVersionDataError);

    const quint64 fileSize = quint64(status.st_size);
    const std::optional<SectionLocation> section = findElfSection(file.get(), fileSize, VersionSectionName);
    if (!section || section->size == 0)
        RaiseSystemError(kNoVersionDataError);
    // The block states its own length; anything in the section after it is padding.
    const std::optional<QByteArray> block =
        readAt(file.get(), fileSize, section->offset, std::min(section->size, MaxBlockSize));
    if (!block)
        RaiseSystemError(kMalformedVersionDataError);
    return *block;
}
