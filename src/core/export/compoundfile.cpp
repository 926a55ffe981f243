#include "core/export/compoundfile.h"

#include "core/base/errors.h"
#include "core/base/littleendian.h"

#include <QIODevice>

#include <algorithm>
#include <vector>

namespace {

constexpr qsizetype kSectorSize = 512;
constexpr qsizetype kMiniStreamCutoff = 4096;
constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr qsizetype kEntriesPerSector = kSectorSize / 4; // of the FAT
constexpr qsizetype kDifatInHeader = 109;
// The characters of a directory entry's name: 32 UTF-16 units with the terminating zero.
constexpr qsizetype kMaxNameLength = 31;

qsizetype sectorsFor(qsizetype bytes)
{
    return (bytes + kSectorSize - 1) / kSectorSize;
}

// One 128-byte directory entry.
QByteArray directoryEntry(const QString& name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    if (name.size() > kMaxNameLength) {
        throw TagscopeError(QStringLiteral("the stream name \"%1\" has %2 characters, more than the %3 a compound file "
                                           "holds.")
                                .arg(name)
                                .arg(name.size())
                                .arg(kMaxNameLength));
    }
    QByteArray entry(128, '\0');
    if (type != 0) {
        for (qsizetype i = 0; i < name.size(); ++i)
            PutUInt16LE(entry, 2 * i, name.at(i).unicode());
        PutUInt16LE(entry, 64, quint16(2 * (name.size() + 1))); // with its terminating zero
        entry[66] = char(type);
        entry[67] = 1; // black, in the red-black tree of siblings
    }
    PutUInt32LE(entry, 68, kNoStream); // left sibling
    PutUInt32LE(entry, 72, kNoStream); // right sibling
    PutUInt32LE(entry, 76, child);
    PutUInt32LE(entry, 116, start);
    PutUInt32LE(entry, 120, size);
    return entry;
}

} // namespace

bool WriteCompoundFile(QIODevice& out, const QString& streamName, const QList<QByteArray>& streamParts)
{
    qsizetype streamSize = 0;
    for (const QByteArray& part : streamParts)
        streamSize += part.size();
    streamSize = std::max(streamSize, kMiniStreamCutoff);
    // Made first, so that a name or a size the entry cannot hold fails before anything is written.
    const QByteArray directory =
        directoryEntry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0) +
        directoryEntry(streamName, 2, kNoStream, 0, FieldValue<quint32>(streamSize, u"the size of the stream")) +
        directoryEntry({}, 0, kNoStream, 0, 0) + directoryEntry({}, 0, kNoStream, 0, 0);
    const qsizetype streamSectors = sectorsFor(streamSize);
    constexpr qsizetype directorySectors = 1; // four entries: the root, the stream and two unused ones

    // The FAT describes every sector, its own and those of the DIFAT included; beyond 109 FAT sectors the DIFAT
    // sectors list the rest, 127 each.
    qsizetype fatSectors = 0;
    qsizetype difatSectors = 0;
    for (;;) {
        const qsizetype total = streamSectors + directorySectors + fatSectors + difatSectors;
        const qsizetype neededFat = (total + kEntriesPerSector - 1) / kEntriesPerSector;
        const qsizetype neededDifat =
            neededFat > kDifatInHeader ? (neededFat - kDifatInHeader + kEntriesPerSector - 2) / (kEntriesPerSector - 1)
                                       : 0;
        if (neededFat == fatSectors && neededDifat == difatSectors)
            break;
        fatSectors = neededFat;
        difatSectors = neededDifat;
    }
    const quint32 directoryStart = quint32(streamSectors);
    const quint32 fatStart = directoryStart + directorySectors;
    const quint32 difatStart = fatStart + quint32(fatSectors);

    QByteArray header(kSectorSize, '\0');
    static constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    header.replace(0, 8, QByteArray(kSignature, 8));
    PutUInt16LE(header, 24, 0x003E); // minor version
    PutUInt16LE(header, 26, 0x0003); // major version: 512-byte sectors
    PutUInt16LE(header, 28, 0xFFFE); // little endian
    PutUInt16LE(header, 30, 9);      // sector size 2^9
    PutUInt16LE(header, 32, 6);      // mini sector size 2^6
    PutUInt32LE(header, 44, quint32(fatSectors));
    PutUInt32LE(header, 48, directoryStart);
    PutUInt32LE(header, 56, quint32(kMiniStreamCutoff));
    PutUInt32LE(header, 60, kEndOfChain); // no mini FAT
    PutUInt32LE(header, 64, 0);
    PutUInt32LE(header, 68, difatSectors > 0 ? difatStart : kEndOfChain);
    PutUInt32LE(header, 72, quint32(difatSectors));
    for (qsizetype i = 0; i < kDifatInHeader; ++i)
        PutUInt32LE(header, 76 + 4 * i, i < fatSectors ? fatStart + quint32(i) : kFreeSector);

    std::vector<quint32> fat(std::size_t(fatSectors * kEntriesPerSector), kFreeSector);
    for (qsizetype i = 0; i < streamSectors; ++i)
        fat[std::size_t(i)] = i + 1 < streamSectors ? quint32(i + 1) : kEndOfChain;
    fat[directoryStart] = kEndOfChain;
    for (qsizetype i = 0; i < fatSectors; ++i)
        fat[fatStart + std::size_t(i)] = kFatSector;
    for (qsizetype i = 0; i < difatSectors; ++i)
        fat[difatStart + std::size_t(i)] = kDifatSector;

    const auto write = [&out](const QByteArray& bytes) { return out.write(bytes) == bytes.size(); };
    if (!write(header))
        return false;
    qsizetype written = 0;
    for (const QByteArray& part : streamParts) {
        if (!write(part))
            return false;
        written += part.size();
    }
    // The stream fills whole sectors.
    if (!write(QByteArray(streamSectors * kSectorSize - written, '\0')))
        return false;
    QByteArray fatBytes(fatSectors * kSectorSize, '\0');
    for (std::size_t i = 0; i < fat.size(); ++i)
        PutUInt32LE(fatBytes, qsizetype(4 * i), fat[i]);
    if (!write(directory) || !write(fatBytes))
        return false;
    // The DIFAT sectors: the FAT sectors after the first 109, and each time the next DIFAT sector.
    for (qsizetype d = 0; d < difatSectors; ++d) {
        QByteArray sector(kSectorSize, '\0');
        for (qsizetype k = 0; k < kEntriesPerSector - 1; ++k) {
            const qsizetype fatIndex = kDifatInHeader + d * (kEntriesPerSector - 1) + k;
            PutUInt32LE(sector, 4 * k, fatIndex < fatSectors ? fatStart + quint32(fatIndex) : kFreeSector);
        }
        PutUInt32LE(sector, kSectorSize - 4, d + 1 < difatSectors ? difatStart + quint32(d + 1) : kEndOfChain);
        if (!write(sector))
            return false;
    }
    return true;
}
