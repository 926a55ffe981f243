// The report ExifTool writes for a file, as the metadata pane shows it and "Save Metadata as TXT/CSV..." writes it:
// the input is the report file's bytes (also read as ExifTool's console text).

#include "fuzzsupport.h"

#include "core/base/textlines.h"
#include "core/base/utf8.h"
#include "core/metadata/metadataexport.h"
#include "core/metadata/metadatareport.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

bool hasBlankEnds(const QString& text)
{
    return !text.isEmpty() && (text.front().unicode() <= 32 || text.back().unicode() <= 32);
}

// Every line of the pane ends with CR LF, and neither appears anywhere else.
bool wellFormedPane(const QString& pane)
{
    for (qsizetype i = 0; i < pane.size(); ++i) {
        if (pane[i] == u'\r' && (i + 1 >= pane.size() || pane[i + 1] != u'\n'))
            return false;
        if (pane[i] == u'\n' && (i == 0 || pane[i - 1] != u'\r'))
            return false;
    }
    return pane.isEmpty() || pane.endsWith(u"\r\n"_s);
}

// A CSV row back into its fields, as a strict reader takes it: a field that begins with a double quote runs to its
// closing quote, two double quotes inside standing for one, and is followed by the separator or the row's end; any
// other field runs to the next separator and holds no double quote, carriage return or line feed. Nothing when the
// row is not such a row.
std::optional<QStringList> csvFields(QStringView row, QChar separator)
{
    QStringList fields;
    qsizetype i = 0;
    for (;;) {
        QString field;
        if (i < row.size() && row[i] == u'"') {
            for (++i;; ++i) {
                if (i == row.size())
                    return std::nullopt;
                if (row[i] == u'"') {
                    if (i + 1 == row.size() || row[i + 1] != u'"')
                        break;
                    ++i;
                }
                field += row[i];
            }
            ++i; // the closing quote
        } else {
            for (; i < row.size() && row[i] != separator; ++i) {
                if (row[i] == u'"' || row[i] == u'\r' || row[i] == u'\n')
                    return std::nullopt;
                field += row[i];
            }
        }
        fields.append(field);
        if (i == row.size())
            return fields;
        if (row[i] != separator)
            return std::nullopt;
        ++i;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);

    // A report in UTF-8 is read without losing or changing anything but its byte-order mark.
    const QString text = DecodeReport(bytes);
    QString strictText;
    if (DecodeUtf8(bytes, strictText))
        FUZZ_CHECK(text.toUtf8() == (bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes));

    const QString pane = PaneText(bytes);
    FUZZ_CHECK(wellFormedPane(pane));

    // The TXT lines are the pane's lines.
    const QStringList lines = MetadataTxtLines(pane);
    FUZZ_CHECK(pane == (lines.isEmpty() ? QString() : lines.join(u"\r\n"_s) + u"\r\n"_s));

    // Each CSV row splits back into the line's name (before its first colon) and value, both trimmed.
    for (const QChar separator : {QChar(u','), QChar(u';')}) {
        const QStringList rows = MetadataCsvRows(pane, separator);
        FUZZ_CHECK(rows.size() == lines.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const std::optional<QStringList> fields = csvFields(rows[i], separator);
            FUZZ_CHECK(fields && fields->size() == 2);
            const QString& name = fields->at(0);
            const QString& value = fields->at(1);
            FUZZ_CHECK(!name.contains(u':') && !hasBlankEnds(name) && !hasBlankEnds(value));
            const qsizetype colon = lines[i].indexOf(u':');
            if (colon < 0) {
                FUZZ_CHECK(name.isEmpty() && value.isEmpty());
            } else {
                FUZZ_CHECK(QStringView(lines[i]).first(colon).contains(name));
                FUZZ_CHECK(QStringView(lines[i]).sliced(colon + 1).contains(value));
            }
        }
    }

    // What ExifTool said about a file it could not read: its lines that begin with "Error" or "Warning".
    const QString complaint = ExifToolComplaint(text);
    for (const QStringView line : SplitTextLines(complaint))
        FUZZ_CHECK(line.startsWith(u"Error"_s) || line.startsWith(u"Warning"_s));
    return 0;
}
