#include "core/app/versionblock.h"

#include "core/base/littleendian.h"

#include <QtEndian>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr qsizetype NodeHeaderSize = 6;
// Real blocks nest four levels (root, StringFileInfo, string table, value); the bound keeps a crafted block from
// recursing thousands of levels deep.
constexpr int MaxNodeDepth = 16;
constexpr quint32 FixedFileInfoStructVersion = 0x00010000u;
constexpr quint32 FixedFileFlagsMask = 0x3Fu;
constexpr quint32 FixedFileTypeApp = 1u; // VFT_APP
constexpr quint16 NodeLengthLimit = 0xFFFF;

qsizetype align4(qsizetype offset)
{
    return (offset + 3) & ~qsizetype(3);
}

void padTo4(QByteArray& out)
{
    out.append(align4(out.size()) - out.size(), '\0');
}

QByteArray utf16WithNul(const QString& text)
{
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (const QChar c : text)
        AppendUInt16LE(bytes, c.unicode());
    AppendUInt16LE(bytes, 0);
    return bytes;
}

quint16 segment(const QVersionNumber& version, qsizetype index)
{
    return quint16(version.segmentAt(index));
}

void checkFixedVersion(const QVersionNumber& version)
{
    if (version.segmentCount() > 4)
        throw std::invalid_argument("a fixed version has at most four numbers");
    for (const int number : version.segments())
        if (number < 0 || number > 0xFFFF)
            throw std::invalid_argument("a fixed version number must lie in 0..65535");
}

// MS holds the first two numbers (major in the high word), LS the last two.
void appendVersionPair(QByteArray& out, const QVersionNumber& version)
{
    AppendUInt32LE(out, quint32(segment(version, 0)) << 16 | segment(version, 1));
    AppendUInt32LE(out, quint32(segment(version, 2)) << 16 | segment(version, 3));
}

QByteArray fixedFileInfo(const QVersionNumber& fileVersion, const QVersionNumber& productVersion)
{
    QByteArray info;
    AppendUInt32LE(info, FixedFileInfoSignature);
    AppendUInt32LE(info, FixedFileInfoStructVersion);
    appendVersionPair(info, fileVersion);
    appendVersionPair(info, productVersion);
    AppendUInt32LE(info, FixedFileFlagsMask);
    AppendUInt32LE(info, 0); // file flags
    AppendUInt32LE(info, 0); // operating system: VOS_UNKNOWN, this is no Windows program
    AppendUInt32LE(info, FixedFileTypeApp);
    AppendUInt32LE(info, 0); // file subtype
    AppendUInt32LE(info, 0); // file date, high
    AppendUInt32LE(info, 0); // file date, low
    Q_ASSERT(info.size() == FixedFileInfoSize);
    return info;
}

VersionNode textNode(const QString& key, const QString& value)
{
    return VersionNode{key, true, utf16WithNul(value), {}};
}

VersionNode groupNode(const QString& key)
{
    return VersionNode{key, true, {}, {}};
}

// Offsets are relative to the start of the block, so padding is too.
void serialize(const VersionNode& node, QByteArray& out)
{
    const qsizetype start = out.size();
    const qsizetype valueLength = node.isText ? node.value.size() / 2 : node.value.size();
    if (valueLength > NodeLengthLimit)
        throw std::length_error("version data value too long");
    AppendUInt16LE(out, 0); // wLength, set below
    AppendUInt16LE(out, quint16(valueLength));
    AppendUInt16LE(out, node.isText ? 1 : 0);
    out.append(utf16WithNul(node.key));
    padTo4(out);
    out.append(node.value);
    for (const VersionNode& child : node.children) {
        padTo4(out);
        serialize(child, out);
    }
    const qsizetype length = out.size() - start;
    if (length > NodeLengthLimit)
        throw std::length_error("version data node too long");
    PutUInt16LE(out, start, quint16(length));
}

quint16 wordAt(QByteArrayView block, qsizetype offset)
{
    return qFromLittleEndian<quint16>(block.data() + offset);
}

// Parses the node at offset, which must end by limit. Fails on anything that points outside those bounds.
bool parseNode(QByteArrayView block, qsizetype offset, qsizetype limit, int depth, VersionNode& node,
               qsizetype& nodeLength)
{
    if (depth > MaxNodeDepth || limit - offset < NodeHeaderSize)
        return false;
    nodeLength = wordAt(block, offset);
    const qsizetype valueLength = wordAt(block, offset + 2);
    const quint16 type = wordAt(block, offset + 4);
    if (nodeLength < NodeHeaderSize || nodeLength > limit - offset)
        return false;
    const qsizetype end = offset + nodeLength;

    qsizetype pos = offset + NodeHeaderSize;
    QString key;
    for (;;) {
        if (end - pos < 2)
            return false;
        const char16_t c = wordAt(block, pos);
        pos += 2;
        if (c == 0)
            break;
        key.append(QChar(c));
    }

    // Some resource compilers count a text value in bytes rather than WCHARs; cutting the value at the node's end
    // reads such a block instead of rejecting it.
    const qsizetype valueStart = std::min(align4(pos), end);
    const qsizetype valueBytes = type == 1 ? valueLength * 2 : valueLength;
    const qsizetype valueEnd = std::min(valueStart + valueBytes, end);
    node.key = std::move(key);
    node.isText = type == 1;
    node.value = block.sliced(valueStart, valueEnd - valueStart).toByteArray();
    node.children.clear();

    qsizetype childPos = align4(valueStart + valueBytes);
    while (end - childPos >= NodeHeaderSize) {
        // A zero length cannot start a node: it is padding after the last child.
        if (wordAt(block, childPos) == 0)
            break;
        VersionNode child;
        qsizetype childLength = 0;
        if (!parseNode(block, childPos, end, depth + 1, child, childLength))
            return false;
        node.children.push_back(std::move(child));
        childPos = align4(childPos + childLength);
    }
    return true;
}

} // namespace

QString VersionNode::text() const
{
    QString result;
    result.reserve(value.size() / 2);
    for (qsizetype i = 0; i + 1 < value.size(); i += 2) {
        const char16_t c = qFromLittleEndian<quint16>(value.constData() + i);
        if (c == 0)
            break;
        result.append(QChar(c));
    }
    return result;
}

VersionBlockBuilder& VersionBlockBuilder::setFileVersion(const QVersionNumber& version)
{
    checkFixedVersion(version);
    m_fileVersion = version;
    return *this;
}

VersionBlockBuilder& VersionBlockBuilder::setProductVersion(const QVersionNumber& version)
{
    checkFixedVersion(version);
    m_productVersion = version;
    return *this;
}

VersionBlockBuilder& VersionBlockBuilder::withoutFixedFileInfo()
{
    m_fixedFileInfo = false;
    return *this;
}

VersionBlockBuilder& VersionBlockBuilder::addString(const QString& table, const QString& name, const QString& value)
{
    auto it = std::find_if(m_tables.begin(), m_tables.end(), [&](const StringTable& t) { return t.key == table; });
    if (it == m_tables.end())
        it = m_tables.insert(m_tables.end(), StringTable{table, {}});
    it->values.append({name, value});
    return *this;
}

VersionBlockBuilder& VersionBlockBuilder::addTranslation(quint16 language, quint16 codePage)
{
    m_translations.append({language, codePage});
    return *this;
}

VersionBlockBuilder& VersionBlockBuilder::withoutVarFileInfo()
{
    m_varFileInfo = false;
    return *this;
}

VersionNode VersionBlockBuilder::rootNode() const
{
    VersionNode root{QStringLiteral("VS_VERSION_INFO"), false, {}, {}};
    if (m_fixedFileInfo)
        root.value = fixedFileInfo(m_fileVersion, m_productVersion);

    if (!m_tables.isEmpty()) {
        VersionNode stringFileInfo = groupNode(QStringLiteral("StringFileInfo"));
        for (const StringTable& table : m_tables) {
            VersionNode tableNode = groupNode(table.key);
            for (const auto& [name, value] : table.values)
                tableNode.children.push_back(textNode(name, value));
            stringFileInfo.children.push_back(std::move(tableNode));
        }
        root.children.push_back(std::move(stringFileInfo));
    }

    if (m_varFileInfo) {
        VersionNode translation{QStringLiteral("Translation"), false, {}, {}};
        for (const auto& [language, codePage] : m_translations) {
            AppendUInt16LE(translation.value, language);
            AppendUInt16LE(translation.value, codePage);
        }
        VersionNode varFileInfo = groupNode(QStringLiteral("VarFileInfo"));
        varFileInfo.children.push_back(std::move(translation));
        root.children.push_back(std::move(varFileInfo));
    }
    return root;
}

QByteArray VersionBlockBuilder::build() const
{
    return SerializeVersionNode(rootNode());
}

QByteArray SerializeVersionNode(const VersionNode& root)
{
    QByteArray out;
    serialize(root, out);
    return out;
}

std::optional<VersionNode> ParseVersionBlock(QByteArrayView block)
{
    VersionNode root;
    qsizetype rootLength = 0;
    if (!parseNode(block, 0, block.size(), 0, root, rootLength))
        return std::nullopt;
    if (root.key != u"VS_VERSION_INFO")
        return std::nullopt;
    return root;
}

const VersionNode* QueryVersionValue(const VersionNode& root, QStringView path)
{
    const VersionNode* node = &root;
    for (const QStringView component : path.tokenize(u'\\', Qt::SkipEmptyParts)) {
        const auto& children = node->children;
        const auto it = std::find_if(children.begin(), children.end(), [&](const VersionNode& child) {
            return QStringView(child.key).compare(component, Qt::CaseInsensitive) == 0;
        });
        if (it == children.end())
            return nullptr;
        node = &*it;
    }
    return node;
}
