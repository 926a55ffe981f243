#include "support/elffixture.h"

#include <QFile>
#include <QtEndian>

namespace ElfFixture {

namespace {

class Writer final
{
public:
    Writer(WordSize wordSize, ByteOrder byteOrder)
        : m_is64(wordSize == WordSize::Bits64), m_big(byteOrder == ByteOrder::Big)
    {}

    bool is64() const { return m_is64; }

    void u8(QByteArray& out, quint8 value) const { out.append(char(value)); }
    void u16(QByteArray& out, quint16 value) const { put(out, value); }
    void u32(QByteArray& out, quint32 value) const { put(out, value); }
    // An address, offset or size: 8 bytes in ELF64, 4 in ELF32.
    void word(QByteArray& out, quint64 value) const
    {
        if (m_is64)
            put(out, value);
        else
            put(out, quint32(value));
    }

private:
    template <typename T> void put(QByteArray& out, T value) const
    {
        char bytes[sizeof(T)];
        if (m_big)
            qToBigEndian(value, bytes);
        else
            qToLittleEndian(value, bytes);
        out.append(bytes, sizeof(T));
    }

    bool m_is64;
    bool m_big;
};

void alignTo(QByteArray& out, int alignment)
{
    while (out.size() % alignment != 0)
        out.append('\0');
}

} // namespace

QByteArray build(const QList<Section>& sections, WordSize wordSize, ByteOrder byteOrder, bool extendedNumbering)
{
    const Writer w(wordSize, byteOrder);
    const int headerSize = w.is64() ? 64 : 52;
    const int entrySize = w.is64() ? 64 : 40;

    // Section 0 is the null section; the name table comes last.
    QByteArray names(1, '\0');
    QList<quint32> nameOffsets;
    for (const Section& section : sections) {
        nameOffsets.append(quint32(names.size()));
        names.append(section.name).append('\0');
    }
    const quint32 namesName = quint32(names.size());
    names.append(".shstrtab").append('\0');

    QByteArray body(headerSize, '\0');
    QList<quint64> offsets;
    for (const Section& section : sections) {
        alignTo(body, 8);
        offsets.append(quint64(body.size()));
        body.append(section.data);
    }
    const quint64 namesOffset = quint64(body.size());
    body.append(names);
    alignTo(body, 8);
    const quint64 tableOffset = quint64(body.size());
    const quint16 count = quint16(sections.size() + 2);

    QByteArray header;
    header.append("\x7f"
                  "ELF");
    w.u8(header, w.is64() ? 2 : 1);                    // EI_CLASS
    w.u8(header, byteOrder == ByteOrder::Big ? 2 : 1); // EI_DATA
    w.u8(header, 1);                                   // EI_VERSION
    header.append(9, '\0');
    w.u16(header, 1);  // e_type: ET_REL
    w.u16(header, 62); // e_machine: x86-64 (any machine will do)
    w.u32(header, 1);  // e_version
    w.word(header, 0); // e_entry
    w.word(header, 0); // e_phoff
    w.word(header, tableOffset);
    w.u32(header, 0); // e_flags
    w.u16(header, quint16(headerSize));
    w.u16(header, 0); // e_phentsize
    w.u16(header, 0); // e_phnum
    w.u16(header, quint16(entrySize));
    const quint16 namesIndex = quint16(count - 1);
    w.u16(header, extendedNumbering ? 0 : count);
    w.u16(header, extendedNumbering ? 0xFFFF : namesIndex); // e_shstrndx, 0xFFFF: SHN_XINDEX
    Q_ASSERT(header.size() == headerSize);
    body.replace(0, headerSize, header);

    const auto sectionHeader = [&](quint32 name, quint32 type, quint64 offset, quint64 size, quint32 link = 0) {
        QByteArray entry;
        w.u32(entry, name);
        w.u32(entry, type);
        w.word(entry, 0); // sh_flags
        w.word(entry, 0); // sh_addr
        w.word(entry, offset);
        w.word(entry, size);
        w.u32(entry, link);
        w.u32(entry, 0);  // sh_info
        w.word(entry, 1); // sh_addralign
        w.word(entry, 0); // sh_entsize
        Q_ASSERT(entry.size() == entrySize);
        body.append(entry);
    };
    if (extendedNumbering)
        sectionHeader(0, 0, 0, count, namesIndex);
    else
        sectionHeader(0, 0, 0, 0);
    for (qsizetype i = 0; i < sections.size(); ++i) {
        const Section& section = sections.at(i);
        sectionHeader(nameOffsets.at(i), section.type, offsets.at(i),
                      section.declaredSize.value_or(quint64(section.data.size())));
    }
    sectionHeader(namesName, 3 /* SHT_STRTAB */, namesOffset, quint64(names.size()));
    return body;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace ElfFixture
