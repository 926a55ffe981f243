#include "core/metadata/metadataexport.h"

#include "core/base/errors.h"
#include "core/base/textlines.h"
#include "core/base/trim.h"
#include "core/metadata/metadatareport.h"

#include <QDir>
#include <QSaveFile>

QString QuoteMetadataField(const QString& field, QChar separator)
{
    if (!field.contains(separator) && !field.contains(u'"') && !field.contains(u'\n') && !field.contains(u'\r'))
        return field;
    QString quoted = field;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QStringList MetadataTxtLines(const QString& paneText)
{
    QStringList lines;
    for (const QStringView line : SplitTextLines(paneText))
        lines.append(line.toString());
    return lines;
}

QStringList MetadataCsvRows(const QString& paneText, QChar separator)
{
    QStringList rows;
    for (const QStringView line : SplitTextLines(paneText)) {
        QString name;
        QString value;
        if (const qsizetype colon = line.indexOf(u':'); colon >= 0) {
            name = TrimBlanksAndControls(line.first(colon));
            value = TrimBlanksAndControls(line.sliced(colon + 1));
        }
        rows.append(QuoteMetadataField(name, separator) + separator + QuoteMetadataField(value, separator));
    }
    return rows;
}

void WriteMetadataLines(const QString& fileName, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    QSaveFile file(fileName);
    // A read-only folder takes no temporary file; an existing file there that may be written is written in place.
    file.setDirectWriteFallback(true);
    const auto fail = [&] {
        return TagscopeError(QStringLiteral("Cannot write the file \"%1\": %2")
                                 .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw fail();
    if (file.write(bytes) != bytes.size())
        throw fail();
    if (!file.commit())
        throw fail();
}
