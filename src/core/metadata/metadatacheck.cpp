#include "core/metadata/metadatacheck.h"

#include "core/metadata/consolerunner.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

// How long one look at a copy may take.
constexpr std::chrono::seconds kReadLimit(60);

// The tags of a TIFF's first image folder that hold the image's layout, not facts about it.
const QSet<QString> kTiffStructure{
    u"SubfileType"_s,
    u"OldSubfileType"_s,
    u"ImageWidth"_s,
    u"ImageHeight"_s,
    u"BitsPerSample"_s,
    u"Compression"_s,
    u"PhotometricInterpretation"_s,
    u"FillOrder"_s,
    u"StripOffsets"_s,
    u"SamplesPerPixel"_s,
    u"RowsPerStrip"_s,
    u"StripByteCounts"_s,
    u"PlanarConfiguration"_s,
    u"XResolution"_s,
    u"YResolution"_s,
    u"ResolutionUnit"_s,
    u"TileWidth"_s,
    u"TileLength"_s,
    u"TileOffsets"_s,
    u"TileByteCounts"_s,
    u"Predictor"_s,
    u"ExtraSamples"_s,
    u"SampleFormat"_s,
    u"ColorMap"_s,
    u"Orientation"_s,
    u"YCbCrSubSampling"_s,
    u"YCbCrPositioning"_s,
    u"ReferenceBlackWhite"_s,
};

const QSet<QString> kIgnoredGroups{u"SourceFile"_s, u"ExifTool"_s, u"File"_s, u"Composite"_s};

} // namespace

QString ContainerGroup(const QString& fileType, const QSet<QString>& groups)
{
    if (groups.contains(fileType))
        return fileType;
    static const QSet<QString> tiff{u"TIFF"_s, u"BTF"_s, u"DNG"_s, u"CR2"_s, u"NEF"_s, u"NRW"_s, u"ARW"_s,
                                    u"ORF"_s,  u"PEF"_s, u"RW2"_s, u"SRW"_s, u"ERF"_s, u"3FR"_s, u"IIQ"_s};
    static const QSet<QString> quickTime{u"MOV"_s, u"MP4"_s,  u"M4A"_s,  u"M4V"_s,  u"3GP"_s,
                                         u"3G2"_s, u"HEIC"_s, u"HEIF"_s, u"AVIF"_s, u"CR3"_s};
    static const QSet<QString> riff{u"WAV"_s, u"AVI"_s, u"WEBP"_s};
    if (tiff.contains(fileType))
        return u"EXIF"_s;
    if (quickTime.contains(fileType))
        return u"QuickTime"_s;
    if (riff.contains(fileType))
        return u"RIFF"_s;
    return {};
}

QStringList MetadataTags(const QJsonObject& tags, const QStringList& writableContainerTags)
{
    QSet<QString> groups;
    for (auto it = tags.begin(); it != tags.end(); ++it)
        groups.insert(it.key().section(u':', 0, 0));
    const QString container = ContainerGroup(tags.value(u"File:FileType"_s).toString(), groups);
    const QSet<QString> writable(writableContainerTags.cbegin(), writableContainerTags.cend());
    QStringList found;
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        const QString group = it.key().section(u':', 0, 0);
        const QString tag = it.key().section(u':', 1);
        if (kIgnoredGroups.contains(group))
            continue;
        if (group == container && (!writable.contains(tag) || (container == u"EXIF"_s && kTiffStructure.contains(tag))))
            continue;
        found.append(it.key());
    }
    return found;
}

QStringList RemainingMetadata(const QString& exifToolProgram, const QString& file, const QString& workingFolder,
                              std::stop_token stop)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    const ConsoleResult listing = RunConsoleCommand(
        exifToolProgram, {u"-j"_s, u"-G0"_s, u"-a"_s, u"-q"_s, u"-q"_s, path}, workingFolder, kReadLimit, stop);
    if (!listing.finished)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(listing.output.toUtf8());
    const QJsonObject tags = document.array().at(0).toObject();
    if (tags.isEmpty())
        return {u"ExifTool: "_s + listing.output.trimmed()};

    QSet<QString> groups;
    for (auto it = tags.begin(); it != tags.end(); ++it)
        groups.insert(it.key().section(u':', 0, 0));
    const QString container = ContainerGroup(tags.value(u"File:FileType"_s).toString(), groups);
    QStringList writable;
    if (!container.isEmpty()) {
        // "Writable PDF tags:" and then the names, separated by blanks and line breaks.
        const ConsoleResult names = RunConsoleCommand(exifToolProgram, {u"-listw"_s, u"-"_s + container + u":all"_s},
                                                      workingFolder, kReadLimit, stop);
        writable = names.output.section(u':', 1).simplified().split(u' ', Qt::SkipEmptyParts);
    }
    return MetadataTags(tags, writable);
}

QString RemainingMetadataText(const QStringList& remainingTags)
{
    constexpr qsizetype kShown = 20;
    QString text = u"The copy was saved, but ExifTool still finds this metadata in it:\r"_s;
    for (qsizetype i = 0; i < remainingTags.size() && i < kShown; ++i)
        text += u'\r' + remainingTags.at(i);
    if (remainingTags.size() > kShown)
        text += u"\r... and %1 more"_s.arg(remainingTags.size() - kShown);
    return text;
}
