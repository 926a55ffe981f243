#include "core/metadata/metadatareport.h"

#include "core/base/textlines.h"
#include "core/base/utf8.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

QString DecodeReport(const QByteArray& bytes)
{
    QString text;
    if (DecodeUtf8(bytes, text))
        return text;
    if (const std::optional<QStringConverter::Encoding> byBom = QStringConverter::encodingForData(bytes);
        byBom && *byBom != QStringConverter::Utf8) {
        QStringDecoder decoder(*byBom);
        return decoder.decode(bytes);
    }
    // Not UTF-8 throughout: decoded as well as it goes, leaving out a character cut off at the end.
    QStringDecoder utf8(QStringConverter::Utf8);
    return utf8.decode(bytes);
}

QString PaneText(const QByteArray& reportBytes)
{
    const QString text = DecodeReport(reportBytes);
    const QList<QStringView> lines = SplitTextLines(text);
    QString pane;
    pane.reserve(text.size() + lines.size());
    for (const QStringView line : lines) {
        pane += line;
        pane += QStringLiteral("\r\n");
    }
    return pane;
}

MetadataReport LoadMetadataReport(const QString& reportFile)
{
    MetadataReport report;
    if (!QFileInfo(reportFile).isFile())
        return report;
    QFile file(reportFile);
    if (!file.open(QIODevice::ReadOnly))
        return report;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return report;
    report.produced = true;
    report.paneText = PaneText(bytes);
    return report;
}

QString ExifToolComplaint(const QString& consoleText)
{
    QString complaint;
    for (const QStringView line : SplitTextLines(consoleText)) {
        if (line.startsWith(u"Error") || line.startsWith(u"Warning")) {
            complaint += line;
            complaint += QStringLiteral("\r\n");
        }
    }
    return complaint;
}
