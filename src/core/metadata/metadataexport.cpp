#include "core/metadata/metadataexport.h"

#include "core/app/errors.h"
#include "core/app/trim.h"
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
    return SplitTextLines(paneText);
}

QStringList MetadataCsvRows(const QString& paneText, QChar separator)
{
    QStringList rows;
    for (const QString& line : SplitTextLines(paneText)) {
        QString name;
        QString value;
        if (const qsizetype colon = line.indexOf(u':'); colon >= 0) {
            name = TrimBlanksAndControls(QStringView(line).first(colon));
            value = TrimBlanksAndControls(QStringView(line).sliced(colon + 1));
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
