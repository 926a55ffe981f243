#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Builds small ELF files for tests of code that reads sections by name: an ELF header, the sections' contents, a
// section name table and the section header table, in the word size and byte order asked for.
namespace ElfFixture {

enum class WordSize
{
    Bits32,
    Bits64
};

enum class ByteOrder
{
    Little,
    Big
};

struct Section
{
    // type 1 is SHT_PROGBITS; declaredSize, when set, is the size the header claims instead of the size of data
    // (to make a header point past the end of the file).
    Section(QByteArray name, QByteArray data, quint32 type = 1, std::optional<quint64> declaredSize = {})
        : name(std::move(name)), data(std::move(data)), type(type), declaredSize(declaredSize)
    {}

    QByteArray name;
    QByteArray data;
    quint32 type;
    std::optional<quint64> declaredSize;
};

// With extendedNumbering the header's section count is 0 and its name table index SHN_XINDEX, and the real values
// are in section 0, as ELF files with more than 0xFF00 sections have them.
QByteArray build(const QList<Section>& sections, WordSize wordSize = WordSize::Bits64,
                 ByteOrder byteOrder = ByteOrder::Little, bool extendedNumbering = false);

// Writes bytes to path, replacing what is there; false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace ElfFixture
