#include "core/metadata/metadatareport.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

QString DecodeReport(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    if (const std::optional<QStringConverter::Encoding> byBom = QStringConverter::encodingForData(bytes);
        byBom && *byBom != QStringConverter::Utf8) {
        QStringDecoder decoder(*byBom);
        return decoder.decode(bytes);
    }
    return text;
}

QStringList SplitTextLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.sliced(start));
    return lines;
}

QString PaneText(const QByteArray& reportBytes)
{
    const QStringList lines = SplitTextLines(DecodeReport(reportBytes));
    QString pane;
    pane.reserve(reportBytes.size() + lines.size());
    for (const QString& line : lines) {
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
