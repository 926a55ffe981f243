#include "core/app/versioninfo.h"

#include "core/app/errors.h"
#include "core/app/versionblock.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#ifdef Q_CC_MSVC
#pragma comment(lib, "version.lib")
#endif
#else
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
// What VerQueryValueW reports for a missing value.
constexpr int NoVersionDataError = ERROR_RESOURCE_TYPE_NOT_FOUND;
constexpr int MalformedVersionDataError = ERROR_INVALID_DATA;
#else
constexpr int NoVersionDataError = ENODATA;
constexpr int MalformedVersionDataError = EBADMSG;
#endif

// The largest block there can be: the root node's length is a 16-bit number.
constexpr quint64 MaxBlockSize = 0xFFFF;

// The little-endian number of width bytes at offset; the caller has checked that they lie within bytes.
quint32 littleEndianAt(const QByteArray& bytes, qsizetype offset, int width)
{
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes.at(offset + i));
    return value;
}

[[noreturn]] void raiseSystemError(int code)
{
    throw TagscopeError(SystemErrorText(code));
}

VersionNode parsedBlock(const QString& fileName)
{
    const QByteArray block = ReadVersionBlock(fileName);
    std::optional<VersionNode> root = ParseVersionBlock(block);
    if (!root)
        raiseSystemError(MalformedVersionDataError);
    return std::move(*root);
}

#ifndef Q_OS_WIN

// An open file descriptor, closed on every way out.
class FileHandle final
{
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Q_DISABLE_COPY_MOVE(FileHandle)

    int fd() const { return m_fd; }

private:
    int m_fd;
};

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
            raiseSystemError(errno);
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

#endif

} // namespace

QString SystemErrorText(int code)
{
    if (code == 0)
        return QStringLiteral("A call to an OS function failed");
    const QString message = QString::fromLocal8Bit(std::system_category().message(code));
    return QStringLiteral("System Error.  Code: %1.\r\n%2").arg(QString::number(code), message);
}

#ifdef Q_OS_WIN

QByteArray ReadVersionBlock(const QString& fileName)
{
    const auto* name = reinterpret_cast<const wchar_t*>(fileName.utf16());
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(name, &unused);
    if (size == 0)
        raiseSystemError(int(GetLastError()));
    QByteArray block(qsizetype(size), '\0');
    if (!GetFileVersionInfoW(name, 0, size, block.data()))
        raiseSystemError(int(GetLastError()));
    return block;
}

#else

QByteArray ReadVersionBlock(const QString& fileName)
{
    // O_NONBLOCK keeps a FIFO given as the file name from blocking the open.
    const FileHandle file(::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd() < 0)
        raiseSystemError(errno);
    struct stat status
    {};
    if (::fstat(file.fd(), &status) != 0)
        raiseSystemError(errno);
    if (S_ISDIR(status.st_mode))
        raiseSystemError(EISDIR);
    if (!S_ISREG(status.st_mode))
        raiseSystemError(NoVersionDataError);

    const quint64 fileSize = quint64(status.st_size);
    const std::optional<SectionLocation> section = findElfSection(file.fd(), fileSize, VersionSectionName);
    if (!section || section->size == 0)
        raiseSystemError(NoVersionDataError);
    // The block states its own length; anything in the section after it is padding.
    const std::optional<QByteArray> block =
        readAt(file.fd(), fileSize, section->offset, std::min(section->size, MaxBlockSize));
    if (!block)
        raiseSystemError(MalformedVersionDataError);
    return *block;
}

#endif

void ReadVersionData(const QString& fileName, TEXEVersionData& data)
{
    const VersionNode root = parsedBlock(fileName);

    const VersionNode* translations = QueryVersionValue(root, u"\\VarFileInfo\\Translation\\");
    // An empty table has no first pair to use: treat it as no table instead of reading past its end.
    if (!translations || translations->value.size() < 4)
        raiseSystemError(NoVersionDataError);
    const quint32 language = littleEndianAt(translations->value, 0, 2);
    const quint32 codePage = littleEndianAt(translations->value, 2, 2);
    const QString table =
        QStringLiteral("%1%2").arg(language, 4, 16, QLatin1Char('0')).arg(codePage, 4, 16, QLatin1Char('0')).toUpper();

    const std::array<std::pair<QStringView, QString*>, 12> fields{{
        {u"CompanyName", &data.CompanyName},
        {u"FileDescription", &data.FileDescription},
        {u"FileVersion", &data.FileVersion},
        {u"InternalName", &data.InternalName},
        {u"LegalCopyright", &data.LegalCopyright},
        {u"LegalTrademarks", &data.LegalTrademarks},
        {u"OriginalFileName", &data.OriginalFileName},
        {u"ProductName", &data.ProductName},
        {u"ProductVersion", &data.ProductVersion},
        {u"Comments", &data.Comments},
        {u"PrivateBuild", &data.PrivateBuild},
        {u"SpecialBuild", &data.SpecialBuild},
    }};
    const QString prefix = QStringLiteral("\\StringFileInfo\\") + table + u'\\';
    for (const auto& [name, field] : fields) {
        if (const VersionNode* value = QueryVersionValue(root, QString(prefix).append(name)))
            *field = value->text();
    }
}

QVersionNumber ReadFileVersion(const QString& fileName)
{
    const VersionNode root = parsedBlock(fileName);
    const QByteArray& info = root.value; // the VS_FIXEDFILEINFO
    if (info.size() < FixedFileInfoSize || littleEndianAt(info, 0, 4) != FixedFileInfoSignature)
        raiseSystemError(NoVersionDataError);
    const quint32 ms = littleEndianAt(info, 8, 4);
    const quint32 ls = littleEndianAt(info, 12, 4);
    return QVersionNumber({int(ms >> 16), int(ms & 0xFFFF), int(ls >> 16), int(ls & 0xFFFF)});
}
