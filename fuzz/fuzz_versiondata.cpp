// The version data of an executable, read as the program reads its own: ReadVersionData and ReadFileVersion on a file.
// An input that starts like an ELF file is the whole file. Any other input is a version data block put into the
// section of a small ELF file; its first byte chooses that file's word size (bit 0: 32 bits), byte order (bit 1: big
// endian) and section numbering (bit 2: the extended numbering of files with very many sections).

#include "fuzzsupport.h"

#include "core/app/versionblock.h"
#include "core/app/versioninfo.h"
#include "core/base/errors.h"
#include "core/platform/versionresource.h"
#include "support/elffixture.h"

#include <QFile>

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace {

QString g_file;

bool sameNode(const VersionNode& a, const VersionNode& b)
{
    if (a.key != b.key || a.isText != b.isText || a.value != b.value || a.children.size() != b.children.size())
        return false;
    for (size_t i = 0; i < a.children.size(); ++i) {
        if (!sameNode(a.children[i], b.children[i]))
            return false;
    }
    return true;
}

// Whether every text value is whole UTF-16: the writer stores a text value's length in WCHARs, so an odd byte at the
// end of one (a block cut short can leave one) cannot be written back.
bool wholeTexts(const VersionNode& node)
{
    if (node.isText && node.value.size() % 2 != 0)
        return false;
    for (const VersionNode& child : node.children) {
        if (!wholeTexts(child))
            return false;
    }
    return true;
}

QStringList fields(const TEXEVersionData& d)
{
    return {d.CompanyName,    d.FileDescription, d.FileVersion,      d.InternalName,
            d.LegalCopyright, d.LegalTrademarks, d.OriginalFileName, d.ProductName,
            d.ProductVersion, d.Comments,        d.PrivateBuild,     d.SpecialBuild};
}

QByteArray fileBytes(const QByteArray& input)
{
    if (input.startsWith("\x7f"
                         "ELF"))
        return input;
    if (input.isEmpty())
        return {};
    const quint8 layout = quint8(input.at(0));
    return ElfFixture::build({{VersionSectionName, input.mid(1)}},
                             (layout & 1) ? ElfFixture::WordSize::Bits32 : ElfFixture::WordSize::Bits64,
                             (layout & 2) ? ElfFixture::ByteOrder::Big : ElfFixture::ByteOrder::Little,
                             (layout & 4) != 0);
}

// A block that parses writes back, with the writer of the program's own block, into bytes that parse into the same
// nodes.
void checkBlock(const QByteArray& block)
{
    const std::optional<VersionNode> root = ParseVersionBlock(block);
    if (!root)
        return;
    FUZZ_CHECK(QueryVersionValue(*root, u"\\") == &*root);
    for (const VersionNode& child : root->children) {
        // A key that is empty or holds a backslash cannot be asked for by its name.
        if (child.key.isEmpty() || child.key.contains(u'\\'))
            continue;
        const VersionNode* found = QueryVersionValue(*root, u"\\"_s + child.key + u"\\"_s);
        FUZZ_CHECK(found && found->key.compare(child.key, Qt::CaseInsensitive) == 0);
    }
    if (!wholeTexts(*root))
        return;
    QByteArray written;
    try {
        written = SerializeVersionNode(*root);
    } catch (const std::length_error&) {
        // Aligning keys and values can make a node that used every byte of its 16-bit length a few bytes longer.
        return;
    }
    const std::optional<VersionNode> again = ParseVersionBlock(written);
    FUZZ_CHECK(again && sameNode(*root, *again));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_file = FuzzPrivateFolder() + u"/program"_s;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fileBytes(FuzzBytes(data, size));
    if (!ElfFixture::writeFile(g_file, bytes))
        std::abort();

    try {
        checkBlock(ReadVersionBlock(g_file));
    } catch (const TagscopeError&) {
        // No block, or no section that can be read whole.
    }

    // A failure leaves every field as the caller set it; a success only the fields the data lacks.
    const QString unset = u"\x01"_s;
    TEXEVersionData versionData{unset, unset, unset, unset, unset, unset, unset, unset, unset, unset, unset, unset};
    try {
        ReadVersionData(g_file, versionData);
    } catch (const TagscopeError&) {
        FUZZ_CHECK(fields(versionData) == QStringList(12, unset));
    }

    try {
        const QVersionNumber version = ReadFileVersion(g_file);
        FUZZ_CHECK(version.segmentCount() == 4);
        for (const int number : version.segments())
            FUZZ_CHECK(number >= 0 && number <= 0xFFFF);
    } catch (const TagscopeError&) {
        // No VS_FIXEDFILEINFO, or a file that holds no block.
    }
    return 0;
}
