#include "core/export/compoundfile.h"

#include <QIODevice>
#include <QtEndian>

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

void put16(QByteArray& bytes, qsizetype at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

void put32(QByteArray& bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

qsizetype sectorsFor(qsizetype bytes)
{
    return (bytes + kSectorSize - 1) / kSectorSize;
}

// One 128-byte directory entry.
QByteArray directoryEntry(const QString& name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    QByteArray entry(128, '\0');
    if (type != 0) {
        for (qsizetype i = 0; i < name.size() && i < 31; ++i)
            put16(entry, 2 * i, name.at(i).unicode());
        put16(entry, 64, quint16(2 * (std::min<qsizetype>(name.size(), 31) + 1))); // with its terminating zero
        entry[66] = char(type);
        entry[67] = 1; // black, in the red-black tree of siblings
    }
    put32(entry, 68, kNoStream); // left sibling
    put32(entry, 72, kNoStream); // right sibling
    put32(entry, 76, child);
    put32(entry, 116, start);
    put32(entry, 120, size);
    return entry;
}

} // namespace

bool WriteCompoundFile(QIODevice& out, const QString& streamName, const QList<QByteArray>& streamParts)
{
    qsizetype streamSize = 0;
    for (const QByteArray& part : streamParts)
        streamSize += part.size();
    streamSize = std::max(streamSize, kMiniStreamCutoff);
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
    put16(header, 24, 0x003E); // minor version
    put16(header, 26, 0x0003); // major version: 512-byte sectors
    put16(header, 28, 0xFFFE); // little endian
    put16(header, 30, 9);      // sector size 2^9
    put16(header, 32, 6);      // mini sector size 2^6
    put32(header, 44, quint32(fatSectors));
    put32(header, 48, directoryStart);
    put32(header, 56, quint32(kMiniStreamCutoff));
    put32(header, 60, kEndOfChain); // no mini FAT
    put32(header, 64, 0);
    put32(header, 68, difatSectors > 0 ? difatStart : kEndOfChain);
    put32(header, 72, quint32(difatSectors));
    for (qsizetype i = 0; i < kDifatInHeader; ++i)
        put32(header, 76 + 4 * i, i < fatSectors ? fatStart + quint32(i) : kFreeSector);

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
    const QByteArray directory = directoryEntry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0) +
                                 directoryEntry(streamName, 2, kNoStream, 0, quint32(streamSize)) +
                                 directoryEntry({}, 0, kNoStream, 0, 0) + directoryEntry({}, 0, kNoStream, 0, 0);
    QByteArray fatBytes(fatSectors * kSectorSize, '\0');
    for (std::size_t i = 0; i < fat.size(); ++i)
        put32(fatBytes, qsizetype(4 * i), fat[i]);
    if (!write(directory) || !write(fatBytes))
        return false;
    // The DIFAT sectors: the FAT sectors after the first 109, and each time the next DIFAT sector.
    for (qsizetype d = 0; d < difatSectors; ++d) {
        QByteArray sector(kSectorSize, '\0');
        for (qsizetype k = 0; k < kEntriesPerSector - 1; ++k) {
            const qsizetype fatIndex = kDifatInHeader + d * (kEntriesPerSector - 1) + k;
            put32(sector, 4 * k, fatIndex < fatSectors ? fatStart + quint32(fatIndex) : kFreeSector);
        }
        put32(sector, kSectorSize - 4, d + 1 < difatSectors ? difatStart + quint32(d + 1) : kEndOfChain);
        if (!write(sector))
            return false;
    }
    return true;
}
