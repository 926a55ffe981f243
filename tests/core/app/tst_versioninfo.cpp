#include "core/app/versionblock.h"
#include "core/app/versioninfo.h"
#include "core/base/errors.h"
#include "core/platform/versionresource.h"
#include "support/elffixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

// Defined by the generated source of the program's version data (the tagscope_versiondata object library).
extern const unsigned char tagscopeVersionData[];

using ElfFixture::ByteOrder;
using ElfFixture::WordSize;

using FileFactory = std::function<QString(const QString& folder)>;

Q_DECLARE_METATYPE(FileFactory)
Q_DECLARE_METATYPE(ElfFixture::WordSize)
Q_DECLARE_METATYPE(ElfFixture::ByteOrder)

namespace {

const QString UsTable = QStringLiteral("040904E4");

const QString NoSuchFile = QStringLiteral("System Error.  Code: 2.\r\nNo such file or directory");
const QString NotADirectory = QStringLiteral("System Error.  Code: 20.\r\nNot a directory");
const QString IsADirectory = QStringLiteral("System Error.  Code: 21.\r\nIs a directory");
const QString NoData = QStringLiteral("System Error.  Code: 61.\r\nNo data available");
const QString BadMessage = QStringLiteral("System Error.  Code: 74.\r\nBad message");

// The twelve fields in their order, so that a whole record compares as one list.
QStringList fieldsOf(const TEXEVersionData& d)
{
    return {d.CompanyName,    d.FileDescription, d.FileVersion,      d.InternalName,
            d.LegalCopyright, d.LegalTrademarks, d.OriginalFileName, d.ProductName,
            d.ProductVersion, d.Comments,        d.PrivateBuild,     d.SpecialBuild};
}

TEXEVersionData recordOf(const QStringList& fields)
{
    Q_ASSERT(fields.size() == 12);
    return {fields[0], fields[1], fields[2], fields[3], fields[4],  fields[5],
            fields[6], fields[7], fields[8], fields[9], fields[10], fields[11]};
}

// Twelve fields, all empty except the named ones.
QStringList expectFields(std::initializer_list<std::pair<int, QString>> set)
{
    QStringList fields(12);
    for (const auto& [index, text] : set)
        fields[index] = text;
    return fields;
}

enum Field
{
    Company,
    Description,
    FileVersionText,
    Internal,
    Copyright,
    Trademarks,
    Original,
    Product,
    ProductVersionText,
    CommentsText,
    Private,
    Special
};

VersionBlockBuilder usBuilder()
{
    VersionBlockBuilder builder;
    builder.setFileVersion(QVersionNumber({1, 2, 3, 4})).addTranslation(0x0409, 1252);
    return builder;
}

QByteArray companyAndProductBlock()
{
    return usBuilder()
        .addString(UsTable, QStringLiteral("CompanyName"), QStringLiteral("BRINDLE"))
        .addString(UsTable, QStringLiteral("ProductName"), QStringLiteral("Tagscope"))
        .build();
}

QString writeElf(const QString& folder, const QList<ElfFixture::Section>& sections,
                 WordSize wordSize = WordSize::Bits64, ByteOrder byteOrder = ByteOrder::Little,
                 bool extendedNumbering = false)
{
    const QString path = folder + QStringLiteral("/program");
    if (!ElfFixture::writeFile(path, ElfFixture::build(sections, wordSize, byteOrder, extendedNumbering)))
        return {};
    return path;
}

QString writeBlockElf(const QString& folder, const QByteArray& block)
{
    return writeElf(folder, {{".text", QByteArray(64, '\x90')}, {VersionSectionName, block}});
}

// Offset of the node with the given key in a block made by the builder.
qsizetype nodeOffset(const QByteArray& block, const QString& key)
{
    const QByteArray utf16(reinterpret_cast<const char*>(key.utf16()), key.size() * 2);
    const qsizetype at = block.indexOf(utf16);
    Q_ASSERT(at >= 6);
    return at - 6;
}

QByteArray withWord(QByteArray block, qsizetype offset, quint16 value)
{
    qToLittleEndian(value, block.data() + offset);
    return block;
}

VersionNode nested(int depth)
{
    VersionNode node{QStringLiteral("VS_VERSION_INFO"), false, {}, {}};
    VersionNode* leaf = &node;
    for (int i = 0; i < depth; ++i) {
        leaf->children.push_back(VersionNode{QStringLiteral("n"), true, {}, {}});
        leaf = &leaf->children.back();
    }
    return node;
}

} // namespace

class TestVersionInfo final : public QObject
{
    Q_OBJECT

private slots:
    void blockLayout();
    void roundTrip();
    void builderLimits();
    void queryVersionValue_data();
    void queryVersionValue();
    void parseRejects_data();
    void parseRejects();
    void damagedBlocksNeverReadOutside();
    void readVersionData_data();
    void readVersionData();
    void elfLayouts_data();
    void elfLayouts();
    void readErrors_data();
    void readErrors();
    void readFileVersion_data();
    void readFileVersion();
    void embeddedBlock();

private:
    QTemporaryDir m_dir;
};

// The offsets Windows itself uses for a VS_VERSIONINFO, so that the block stays readable by VerQueryValueW.
void TestVersionInfo::blockLayout()
{
    const QByteArray block = companyAndProductBlock();
    QCOMPARE(qFromLittleEndian<quint16>(block.constData()), block.size());          // wLength: the whole block
    QCOMPARE(qFromLittleEndian<quint16>(block.constData() + 2), FixedFileInfoSize); // wValueLength
    QCOMPARE(qFromLittleEndian<quint16>(block.constData() + 4), 0);                 // wType: binary
    const QString key = QStringLiteral("VS_VERSION_INFO");
    QCOMPARE(block.mid(6, 32), QByteArray(reinterpret_cast<const char*>(key.utf16()), 30) + QByteArray(2, '\0'));
    // 6 + 32 bytes of header and key, padded to 40: the VS_FIXEDFILEINFO.
    QCOMPARE(qFromLittleEndian<quint32>(block.constData() + 40), FixedFileInfoSignature);
    QCOMPARE(qFromLittleEndian<quint32>(block.constData() + 48), 0x00010002u); // file version MS
    QCOMPARE(qFromLittleEndian<quint32>(block.constData() + 52), 0x00030004u); // file version LS

    const qsizetype company = nodeOffset(block, QStringLiteral("CompanyName"));
    QCOMPARE(company % 4, 0);
    QCOMPARE(qFromLittleEndian<quint16>(block.constData() + company + 2), 8); // "BRINDLE" and its NUL, in WCHARs
    QCOMPARE(qFromLittleEndian<quint16>(block.constData() + company + 4), 1); // text
    const qsizetype translation = nodeOffset(block, QStringLiteral("Translation"));
    QCOMPARE(qFromLittleEndian<quint16>(block.constData() + translation + 2), 4); // one pair, in bytes
    // 6 + 24 bytes of header and key, padded to 32: the pairs.
    QCOMPARE(block.mid(translation + 32, 4), QByteArray("\x09\x04\xE4\x04", 4));
}

void TestVersionInfo::roundTrip()
{
    const QByteArray block =
        usBuilder()
            .addTranslation(0x0407, 0x04B0)
            .addString(UsTable, QStringLiteral("CompanyName"), QStringLiteral("BRINDLE"))
            .addString(UsTable, QStringLiteral("Comments"), QString())
            .addString(QStringLiteral("040704B0"), QStringLiteral("ProductName"), QStringLiteral("Tägscope ✓"))
            .build();
    const std::optional<VersionNode> root = ParseVersionBlock(block);
    QVERIFY(root);
    QCOMPARE(SerializeVersionNode(*root), block);
    QCOMPARE(root->children.size(), size_t(2));
    QCOMPARE(root->children[0].children.size(), size_t(2));
    QCOMPARE(root->children[0].children[1].children[0].text(), QStringLiteral("Tägscope ✓"));
    QCOMPARE(root->children[0].children[0].children[1].text(), QString());
    QCOMPARE(root->children[1].children[0].value, QByteArray("\x09\x04\xE4\x04\x07\x04\xB0\x04", 8));
}

void TestVersionInfo::builderLimits()
{
    VersionBlockBuilder builder;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, builder.setFileVersion(QVersionNumber(1, 65536)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, builder.setProductVersion(QVersionNumber({1, 2, 3, 4, 5})));
    builder.setFileVersion(QVersionNumber({65535, 0, 0, 65535}));

    // A node's length is 16 bits: a text that cannot fit must not wrap around into a corrupt block.
    builder.addString(UsTable, QStringLiteral("Comments"), QString(40000, u'x'));
    QVERIFY_THROWS_EXCEPTION(std::length_error, builder.build());
}

void TestVersionInfo::queryVersionValue_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("key");      // of the node found; empty when none is
    QTest::addColumn<QByteArray>("value"); // the first bytes of its value

    const QByteArray company("B\0R\0", 4);
    const QByteArray translation("\x09\x04\xE4\x04", 4);
    const QByteArray fixedInfo("\xBD\x04\xEF\xFE", 4);
    QTest::newRow("value") << "\\StringFileInfo\\040904E4\\CompanyName"
                           << "CompanyName" << company;
    QTest::newRow("any letter case") << "\\stringfileinfo\\040904e4\\COMPANYNAME"
                                     << "CompanyName" << company;
    QTest::newRow("trailing separator") << "\\VarFileInfo\\Translation\\"
                                        << "Translation" << translation;
    QTest::newRow("no leading, doubled separator") << "VarFileInfo\\\\Translation"
                                                   << "Translation" << translation;
    QTest::newRow("group") << "\\StringFileInfo"
                           << "StringFileInfo" << QByteArray();
    QTest::newRow("root") << "\\"
                          << "VS_VERSION_INFO" << fixedInfo;
    QTest::newRow("empty path is the root") << ""
                                            << "VS_VERSION_INFO" << fixedInfo;
    QTest::newRow("missing value") << "\\StringFileInfo\\040904E4\\SpecialBuild"
                                   << "" << QByteArray();
    QTest::newRow("other table") << "\\StringFileInfo\\040704B0\\CompanyName"
                                 << "" << QByteArray();
    QTest::newRow("prefix of a key") << "\\StringFileInfo\\040904E4\\Company"
                                     << "" << QByteArray();
    QTest::newRow("key with extra letters") << "\\StringFileInfo\\040904E4\\CompanyNames"
                                            << "" << QByteArray();
    QTest::newRow("below a value") << "\\StringFileInfo\\040904E4\\CompanyName\\x"
                                   << "" << QByteArray();
    QTest::newRow("value outside its table") << "\\CompanyName"
                                             << "" << QByteArray();
}

void TestVersionInfo::queryVersionValue()
{
    QFETCH(QString, path);
    QFETCH(QString, key);
    QFETCH(QByteArray, value);

    const std::optional<VersionNode> root = ParseVersionBlock(companyAndProductBlock());
    QVERIFY(root);
    const VersionNode* node = QueryVersionValue(*root, path);
    if (key.isEmpty()) {
        QVERIFY(!node);
        return;
    }
    QVERIFY(node);
    QCOMPARE(node->key, key);
    QCOMPARE(node->value.left(4), value);
}

void TestVersionInfo::parseRejects_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("accepted");

    const QByteArray good = companyAndProductBlock();
    const qsizetype stringFileInfo = nodeOffset(good, QStringLiteral("StringFileInfo"));
    const qsizetype company = nodeOffset(good, QStringLiteral("CompanyName"));

    QTest::newRow("well formed") << good << true;
    QTest::newRow("padding after the block") << good + QByteArray(8, '\0') << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("shorter than a header") << good.left(5) << false;
    QTest::newRow("cut short") << good.left(good.size() - 1) << false;
    QTest::newRow("root longer than the bytes") << withWord(good, 0, quint16(good.size() + 4)) << false;
    QTest::newRow("length below a header") << withWord(good, 0, 3) << false;
    QTest::newRow("root key without its NUL") << withWord(good, 0, 20) << false;
    QTest::newRow("child longer than its parent") << withWord(good, stringFileInfo, 0xFFFF) << false;
    QTest::newRow("child length below a header") << withWord(good, company, 4) << false;
    // Windows ends a list of children at a zero length.
    QTest::newRow("zero length ends the children") << withWord(good, company, 0) << true;
    QTest::newRow("text length past the node") << withWord(good, company + 2, 0xFFFF) << true;
    QTest::newRow("root of another name")
        << SerializeVersionNode(VersionNode{QStringLiteral("VS_VERSION_INFX"), false, {}, {}}) << false;
    QTest::newRow("as deep as real blocks") << SerializeVersionNode(nested(3)) << true;
    QTest::newRow("nested without end") << SerializeVersionNode(nested(500)) << false;
}

void TestVersionInfo::parseRejects()
{
    QFETCH(QByteArray, block);
    QFETCH(bool, accepted);
    QCOMPARE(ParseVersionBlock(block).has_value(), accepted);
}

// Every prefix and every single damaged byte of a real block: the parser either rejects the bytes or gives nodes whose
// values lie inside them. The address sanitizer build turns any read outside the block into a failure.
void TestVersionInfo::damagedBlocksNeverReadOutside()
{
    const QByteArray good = usBuilder()
                                .addTranslation(0x0407, 0x04B0)
                                .addString(UsTable, QStringLiteral("CompanyName"), QStringLiteral("BRINDLE"))
                                .addString(UsTable, QStringLiteral("OriginalFilename"), QStringLiteral("tagscope"))
                                .build();
    // Each case is parsed from a heap buffer of exactly its size (a QByteArray keeps a NUL after its bytes), so that
    // the sanitizer sees a read of even one byte past them.
    const auto parseExact = [](QByteArrayView bytes) {
        const std::vector<char> exact(bytes.begin(), bytes.end());
        return ParseVersionBlock(QByteArrayView(exact.data(), qsizetype(exact.size())));
    };
    for (qsizetype size = 0; size < good.size(); ++size)
        QVERIFY2(!parseExact(good.first(size)), qPrintable(QStringLiteral("prefix of %1 bytes").arg(size)));

    const std::function<bool(const VersionNode&)> valuesInside = [&](const VersionNode& node) {
        return node.value.size() <= good.size() && node.key.size() * 2 <= good.size() &&
               std::all_of(node.children.begin(), node.children.end(), valuesInside);
    };
    for (qsizetype at = 0; at < good.size(); ++at) {
        for (const char damage : {'\x00', '\x01', '\x7F', '\xFF'}) {
            QByteArray block = good;
            block[at] = damage;
            const std::optional<VersionNode> root = parseExact(block);
            if (!root)
                continue;
            QVERIFY2(valuesInside(*root),
                     qPrintable(QStringLiteral("byte %1 set to %2").arg(at).arg(int(quint8(damage)))));
            QueryVersionValue(*root, u"\\VarFileInfo\\Translation");
            QueryVersionValue(*root, u"\\StringFileInfo\\040904E4\\OriginalFileName");
        }
    }
}

void TestVersionInfo::readVersionData_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QStringList>("before"); // the record handed in
    QTest::addColumn<QStringList>("after");

    const QStringList empty(12);
    QTest::newRow("company and product only")
        << companyAndProductBlock() << empty
        << expectFields({{Company, QStringLiteral("BRINDLE")}, {Product, QStringLiteral("Tagscope")}});

    const QStringList names{
        QStringLiteral("CompanyName"),      QStringLiteral("FileDescription"), QStringLiteral("FileVersion"),
        QStringLiteral("InternalName"),     QStringLiteral("LegalCopyright"),  QStringLiteral("LegalTrademarks"),
        QStringLiteral("OriginalFileName"), QStringLiteral("ProductName"),     QStringLiteral("ProductVersion"),
        QStringLiteral("Comments"),         QStringLiteral("PrivateBuild"),    QStringLiteral("SpecialBuild")};
    VersionBlockBuilder all = usBuilder();
    QStringList allValues;
    // Stored in reverse order: each field is found by its name, not by its place.
    for (qsizetype i = names.size() - 1; i >= 0; --i)
        all.addString(UsTable, names[i], names[i] + QStringLiteral(" value"));
    for (const QString& name : names)
        allValues << name + QStringLiteral(" value");
    QTest::newRow("all twelve") << all.build() << empty << allValues;

    QTest::newRow("name in other letter case")
        << usBuilder().addString(UsTable, QStringLiteral("OriginalFilename"), QStringLiteral("tagscope")).build()
        << empty << expectFields({{Original, QStringLiteral("tagscope")}});

    QTest::newRow("table key in lower case")
        << usBuilder().addString(QStringLiteral("040904e4"), QStringLiteral("CompanyName"), QStringLiteral("x")).build()
        << empty << expectFields({{Company, QStringLiteral("x")}});

    QTest::newRow("first of two translations")
        << VersionBlockBuilder()
               .addTranslation(0x0407, 0x04B0)
               .addTranslation(0x0409, 1252)
               .addString(UsTable, QStringLiteral("CompanyName"), QStringLiteral("second"))
               .addString(QStringLiteral("040704B0"), QStringLiteral("CompanyName"), QStringLiteral("first"))
               .build()
        << empty << expectFields({{Company, QStringLiteral("first")}});

    QTest::newRow("only the second translation has a table")
        << VersionBlockBuilder()
               .addTranslation(0x0409, 1252)
               .addTranslation(0x0407, 0x04B0)
               .addString(QStringLiteral("040704B0"), QStringLiteral("CompanyName"), QStringLiteral("second"))
               .build()
        << empty << empty;

    QTest::newRow("hex digits with leading zeros and letters")
        << VersionBlockBuilder()
               .addTranslation(0x0C0A, 0x03A4)
               .addString(QStringLiteral("0C0A03A4"), QStringLiteral("ProductName"), QStringLiteral("Tagscope"))
               .build()
        << empty << expectFields({{Product, QStringLiteral("Tagscope")}});

    QStringList filled(12, QStringLiteral("before"));
    QStringList kept = filled;
    kept[Company] = QStringLiteral("BRINDLE");
    kept[Product] = QStringLiteral("Tagscope");
    QTest::newRow("missing values leave fields unchanged") << companyAndProductBlock() << filled << kept;

    QStringList cleared = filled;
    cleared[CommentsText] = QString();
    QTest::newRow("empty value clears its field")
        << usBuilder().addString(UsTable, QStringLiteral("Comments"), QString()).build() << filled << cleared;

    QTest::newRow("text beyond Latin-1") << usBuilder()
                                                .addString(UsTable, QStringLiteral("LegalCopyright"),
                                                           QStringLiteral("© 2026 Brindle 𝄞 ✓"))
                                                .build()
                                         << empty << expectFields({{Copyright, QStringLiteral("© 2026 Brindle 𝄞 ✓")}});
}

void TestVersionInfo::readVersionData()
{
    QFETCH(QByteArray, block);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);

    const QString path = writeBlockElf(m_dir.path(), block);
    QVERIFY(!path.isEmpty());
    TEXEVersionData data = recordOf(before);
    ReadVersionData(path, data);
    QCOMPARE(fieldsOf(data), after);
}

void TestVersionInfo::elfLayouts_data()
{
    QTest::addColumn<WordSize>("wordSize");
    QTest::addColumn<ByteOrder>("byteOrder");
    QTest::addColumn<bool>("extendedNumbering");

    QTest::newRow("64-bit little-endian") << WordSize::Bits64 << ByteOrder::Little << false;
    QTest::newRow("64-bit big-endian") << WordSize::Bits64 << ByteOrder::Big << false;
    QTest::newRow("32-bit little-endian") << WordSize::Bits32 << ByteOrder::Little << false;
    QTest::newRow("32-bit big-endian") << WordSize::Bits32 << ByteOrder::Big << false;
    QTest::newRow("section count in section 0") << WordSize::Bits64 << ByteOrder::Little << true;
    QTest::newRow("32-bit big-endian, section count in section 0") << WordSize::Bits32 << ByteOrder::Big << true;
}

// The block is the one in the section of that name, wherever another block lies in the file.
void TestVersionInfo::elfLayouts()
{
    QFETCH(WordSize, wordSize);
    QFETCH(ByteOrder, byteOrder);
    QFETCH(bool, extendedNumbering);

    const QByteArray decoy =
        usBuilder().addString(UsTable, QStringLiteral("CompanyName"), QStringLiteral("decoy")).build();
    const QString path = writeElf(m_dir.path(),
                                  {{".data", decoy},
                                   {QByteArray(VersionSectionName) + "2", decoy},
                                   {".tagscope_versio", decoy},
                                   {VersionSectionName, companyAndProductBlock()}},
                                  wordSize, byteOrder, extendedNumbering);
    QVERIFY(!path.isEmpty());
    TEXEVersionData data;
    ReadVersionData(path, data);
    QCOMPARE(data.CompanyName, QStringLiteral("BRINDLE"));
    QCOMPARE(data.ProductName, QStringLiteral("Tagscope"));
    QCOMPARE(ReadFileVersion(path), QVersionNumber({1, 2, 3, 4}));
}

void TestVersionInfo::readErrors_data()
{
    QTest::addColumn<FileFactory>("makeFile");
    QTest::addColumn<QString>("error");

    const auto elfWithBlock = [](const QByteArray& block) {
        return FileFactory([block](const QString& folder) { return writeBlockElf(folder, block); });
    };
    const auto plainFile = [](const QByteArray& bytes) {
        return FileFactory([bytes](const QString& folder) {
            const QString path = folder + QStringLiteral("/file");
            return ElfFixture::writeFile(path, bytes) ? path : QString();
        });
    };
    const QByteArray good = companyAndProductBlock();
    const QByteArray goodElf = ElfFixture::build({{VersionSectionName, good}});

    QTest::newRow("missing file") << FileFactory([](const QString& folder) { return folder + QStringLiteral("/none"); })
                                  << NoSuchFile;
    QTest::newRow("path through a file") << FileFactory([](const QString& folder) {
        const QString path = folder + QStringLiteral("/file");
        return ElfFixture::writeFile(path, "x") ? path + QStringLiteral("/program") : QString();
    }) << NotADirectory;
    QTest::newRow("folder") << FileFactory([](const QString& folder) { return folder; }) << IsADirectory;
    QTest::newRow("empty file") << plainFile({}) << NoData;
    QTest::newRow("not ELF") << plainFile("#!/bin/sh\necho VS_VERSION_INFO\n") << NoData;
    QTest::newRow("ELF header cut short") << plainFile(goodElf.left(40)) << NoData;
    QTest::newRow("section headers cut off") << plainFile(goodElf.left(goodElf.size() - 10)) << NoData;
    QTest::newRow("no version section") << FileFactory([](const QString& folder) {
        return writeElf(folder, {{".text", QByteArray(64, '\x90')}, {".data", companyAndProductBlock()}});
    }) << NoData;
    QTest::newRow("empty version section") << elfWithBlock({}) << NoData;
    QTest::newRow("version section without contents") << FileFactory([good](const QString& folder) {
        return writeElf(folder, {{VersionSectionName, good, 8 /* SHT_NOBITS */, {}}});
    }) << NoData;
    QTest::newRow("no VarFileInfo") << elfWithBlock(usBuilder()
                                                        .withoutVarFileInfo()
                                                        .addString(UsTable, QStringLiteral("CompanyName"),
                                                                   QStringLiteral("BRINDLE"))
                                                        .build())
                                    << NoData;
    // An empty table has no first pair; reading one would read past the value.
    QTest::newRow("empty translation table")
        << elfWithBlock(VersionBlockBuilder()
                            .addString(UsTable, QStringLiteral("CompanyName"), QStringLiteral("BRINDLE"))
                            .build())
        << NoData;
    QTest::newRow("block cut short") << elfWithBlock(good.left(good.size() / 2)) << BadMessage;
    QTest::newRow("section past the end of the file") << FileFactory([good](const QString& folder) {
        return writeElf(folder, {{VersionSectionName, good, 1, quint64(1) << 40}});
    }) << BadMessage;
    QTest::newRow("block of another kind") << elfWithBlock(QByteArray(64, 'x')) << BadMessage;
}

void TestVersionInfo::readErrors()
{
    QFETCH(FileFactory, makeFile);
    QFETCH(QString, error);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = makeFile(folder.path());
    QVERIFY(!path.isEmpty());

    const QStringList before(12, QStringLiteral("before"));
    TEXEVersionData data = recordOf(before);
    try {
        ReadVersionData(path, data);
        QFAIL("ReadVersionData did not raise an error");
    } catch (const TagscopeError& e) {
        QCOMPARE(e.message(), error);
    }
    QCOMPARE(fieldsOf(data), before);
}

void TestVersionInfo::readFileVersion_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QVersionNumber>("version"); // null: an error
    QTest::addColumn<QString>("error");

    QTest::newRow("four numbers") << usBuilder().build() << QVersionNumber({1, 2, 3, 4}) << QString();
    QTest::newRow("largest numbers")
        << VersionBlockBuilder().setFileVersion(QVersionNumber({65535, 65534, 1, 65535})).build()
        << QVersionNumber({65535, 65534, 1, 65535}) << QString();
    QTest::newRow("product version is not the file version")
        << VersionBlockBuilder().setFileVersion(QVersionNumber(2, 5)).setProductVersion(QVersionNumber(9, 9)).build()
        << QVersionNumber({2, 5, 0, 0}) << QString();
    QTest::newRow("no fixed file info") << usBuilder().withoutFixedFileInfo().build() << QVersionNumber() << NoData;
    QByteArray unsigned_ = usBuilder().build();
    unsigned_[40] = 0;
    QTest::newRow("no signature") << unsigned_ << QVersionNumber() << NoData;
}

void TestVersionInfo::readFileVersion()
{
    QFETCH(QByteArray, block);
    QFETCH(QVersionNumber, version);
    QFETCH(QString, error);

    const QString path = writeBlockElf(m_dir.path(), block);
    QVERIFY(!path.isEmpty());
    if (error.isEmpty()) {
        QCOMPARE(ReadFileVersion(path), version);
        return;
    }
    try {
        ReadFileVersion(path);
        QFAIL("ReadFileVersion did not raise an error");
    } catch (const TagscopeError& e) {
        QCOMPARE(e.message(), error);
    }
}

// This test program links the program's generated version data, as the program does.
void TestVersionInfo::embeddedBlock()
{
    const QString self = QCoreApplication::applicationFilePath();
    TEXEVersionData data;
    ReadVersionData(self, data);
    QCOMPARE(data.CompanyName, QStringLiteral("BRINDLE"));
    QCOMPARE(data.ProductName, QStringLiteral("Tagscope"));
    QCOMPARE(data.FileVersion, QStringLiteral("1.0.0.0"));
    QCOMPARE(data.ProductVersion, QStringLiteral("1.0.0.0"));
    QCOMPARE(data.OriginalFileName, QStringLiteral("tagscope"));
    QCOMPARE(data.SpecialBuild, QString());
    QCOMPARE(ReadFileVersion(self), QVersionNumber({1, 0, 0, 0}));

    // The bytes found through the section headers are the ones linked into the program.
    const QByteArray block = ReadVersionBlock(self);
    const quint16 length = qFromLittleEndian<quint16>(block.constData());
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(tagscopeVersionData), length), block.left(length));
}

QTEST_GUILESS_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
