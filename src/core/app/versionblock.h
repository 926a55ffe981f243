#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVersionNumber>

#include <optional>
#include <vector>

// The version data block has the layout of a Windows VS_VERSIONINFO resource. Every node is
//   WORD wLength       bytes of the node with its value and children
//   WORD wValueLength  WCHARs for a text value, bytes for a binary one
//   WORD wType         1 text, 0 binary
//   WCHAR szKey[]      UTF-16LE, NUL-terminated
//   padding to 32 bits, the value, padding to 32 bits, the children (each starting on 32 bits).
// All numbers are little-endian whatever the byte order of the executable holding the block.

// The signature that opens a VS_FIXEDFILEINFO.
inline constexpr quint32 FixedFileInfoSignature = 0xFEEF04BDu;
// Size in bytes of a VS_FIXEDFILEINFO (thirteen DWORDs).
inline constexpr int FixedFileInfoSize = 52;

// One node of a block, parsed or about to be written.
struct VersionNode
{
    QString key;
    bool isText = false;
    // The stored value: for a text node UTF-16LE including the terminating NUL, for a binary node its bytes.
    QByteArray value;
    std::vector<VersionNode> children;

    // The value read as text up to its first NUL (or its end when it has none).
    QString text() const;
};

// Makes the bytes of a block. Each part is optional so that unusual blocks can be made too: string tables whose key
// matches no translation, value names in any letter case, several translations or none, no VarFileInfo at all.
class VersionBlockBuilder final
{
public:
    // The versions of the VS_FIXEDFILEINFO: up to four numbers of 0..65535 (std::invalid_argument otherwise); missing
    // numbers count as 0.
    VersionBlockBuilder& setFileVersion(const QVersionNumber& version);
    VersionBlockBuilder& setProductVersion(const QVersionNumber& version);
    // Leaves the root node without a VS_FIXEDFILEINFO.
    VersionBlockBuilder& withoutFixedFileInfo();

    // Adds a value to the string table with the given key (such as "040904E4"), creating the table on first use.
    // Tables and values keep the order in which they were added.
    VersionBlockBuilder& addString(const QString& table, const QString& name, const QString& value);

    // Appends a (language, code page) pair to the "Translation" list of "VarFileInfo".
    VersionBlockBuilder& addTranslation(quint16 language, quint16 codePage);
    // Leaves out "VarFileInfo". Without this, "VarFileInfo" is written even when no translation was added, holding
    // an empty "Translation".
    VersionBlockBuilder& withoutVarFileInfo();

    // The root node "VS_VERSION_INFO" with its children, as serialised by build().
    VersionNode rootNode() const;
    // The bytes of the block. Throws std::length_error when a node would pass the 65535 bytes its length can hold.
    QByteArray build() const;

private:
    struct StringTable
    {
        QString key;
        QList<std::pair<QString, QString>> values;
    };

    QVersionNumber m_fileVersion{0, 0, 0, 0};
    QVersionNumber m_productVersion{0, 0, 0, 0};
    bool m_fixedFileInfo = true;
    QList<StringTable> m_tables;
    QList<std::pair<quint16, quint16>> m_translations;
    bool m_varFileInfo = true;
};

// Writes a node tree in the block layout. Throws std::length_error when a node passes 65535 bytes.
QByteArray SerializeVersionNode(const VersionNode& root);

// Parses a block into its node tree; nothing when the bytes are not a well-formed block (a length pointing outside
// its parent, a key without its NUL, a root that is not "VS_VERSION_INFO", nesting deeper than any real block).
// Bytes after the root node are ignored.
std::optional<VersionNode> ParseVersionBlock(QByteArrayView block);

// Finds a node as VerQueryValueW does: the path is split at "\", empty components (a leading, doubled or trailing
// "\") are skipped and each component selects the first child whose key equals it without regard to case. An empty
// path or "\" gives the root, whose value is the VS_FIXEDFILEINFO. Null when a component matches no child.
const VersionNode* QueryVersionValue(const VersionNode& root, QStringView path);
