#include "core/app/versioninfo.h"

#include "core/app/versionblock.h"
#include "core/base/errors.h"
#include "core/platform/versionresource.h"

#include <array>
#include <optional>

namespace {

// The little-endian number of width bytes at offset; the caller has checked that they lie within bytes.
quint32 littleEndianAt(const QByteArray& bytes, qsizetype offset, int width)
{
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes.at(offset + i));
    return value;
}

VersionNode parsedBlock(const QString& fileName)
{
    const QByteArray block = ReadVersionBlock(fileName);
    std::optional<VersionNode> root = ParseVersionBlock(block);
    if (!root)
        RaiseSystemError(kMalformedVersionDataError);
    return std::move(*root);
}

} // namespace

void ReadVersionData(const QString& fileName, TEXEVersionData& data)
{
    const VersionNode root = parsedBlock(fileName);

    const VersionNode* translations = QueryVersionValue(root, u"\\VarFileInfo\\Translation\\");
    // An empty table has no first pair to use: treat it as no table instead of reading past its end.
    if (!translations || translations->value.size() < 4)
        RaiseSystemError(kNoVersionDataError);
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
        RaiseSystemError(kNoVersionDataError);
    const quint32 ms = littleEndianAt(info, 8, 4);
    const quint32 ls = littleEndianAt(info, 12, 4);
    return QVersionNumber({int(ms >> 16), int(ms & 0xFFFF), int(ls >> 16), int(ls & 0xFFFF)});
}
