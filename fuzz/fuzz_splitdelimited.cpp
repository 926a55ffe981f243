// The lines of a CSV or spreadsheet export and SplitDelimited, which takes a line back apart into the cells of a
// spreadsheet (ExportLineBuilder::cells). The input's first byte chooses the export's options (bit 0: ";" as the
// separator instead of ","; bits 1 to 4: the Name, Extension, Date and Size columns; bit 5: the tree layout; bit 6: a
// locale that writes decimal commas); the rest is UTF-8 text whose lines, three at a time, are the folder, name and
// extension of a file.

#include "fuzzsupport.h"

#include "core/export/exportlines.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Enough files to reach the tree layout's levels below the first one.
constexpr qsizetype kMaxRecords = 8;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const quint8 choice = data[0];
    ExportOptions options;
    options.output = ExportOutput::Csv;
    options.listSeparator = (choice & 1) ? u';' : u',';
    options.name = (choice & 2) != 0;
    options.extension = (choice & 4) != 0;
    options.date = (choice & 8) != 0;
    options.size = (choice & 16) != 0;
    options.treeview = (choice & 32) != 0;
    const QLocale locale =
        (choice & 64) ? QLocale(QLocale::German, QLocale::Germany) : QLocale(QLocale::English, QLocale::UnitedStates);
    const QChar separator = options.listSeparator;
    const QString text = QString::fromUtf8(FuzzBytes(data + 1, size - 1));

    // Any text at all splits, and a text that the export would write as one field comes back as it was.
    (void)SplitDelimited(text, separator);
    if (!text.isEmpty())
        FUZZ_CHECK(SplitDelimited(QuoteCsvField(text, separator), separator) == QStringList{text});

    ExportLineBuilder builder(options, locale);
    QStringList labels;
    for (const auto& [on, label] : {std::pair{options.name, u"Name"_s}, std::pair{options.extension, u"Extension"_s},
                                    std::pair{options.date, u"Date"_s}, std::pair{options.size, u"Size"_s}}) {
        if (on)
            labels.append(label);
    }
    FUZZ_CHECK(builder.cells(builder.header()) == labels);

    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i + 2 < lines.size() && i / 3 < kMaxRecords; i += 3) {
        const qsizetype index = i / 3;
        const ExportRecord record{lines[i], lines[i + 1], lines[i + 2],
                                  index % 2 ? kUnknownDateKey : 1700000000 + index * 86399, lines[i + 1].size() - 1};
        // The cells of a spreadsheet are the fields of the line built for CSV.
        const QStringList fields = builder.rowCells(record);
        FUZZ_CHECK(builder.cells(builder.line(record)) == fields);
    }
    return 0;
}
