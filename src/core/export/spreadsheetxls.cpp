#include "core/export/spreadsheet.h"

#include "core/base/errors.h"
#include "core/base/littleendian.h"
#include "core/export/compoundfile.h"

#include <QDir>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// A BIFF8 workbook stream, the "Workbook" stream of an Excel 97-2003 file: the workbook globals (formats, the sheet's
// name and place, the shared strings), then the one worksheet (its extent, column widths, cells and window). Each
// record is a 16-bit type, a 16-bit length and its data; each kind is made by the function named after it.

namespace {

// The record types, by their names in the BIFF8 documentation.
constexpr quint16 kBOF = 0x0809;
constexpr quint16 kEOF = 0x000A;
constexpr quint16 kCODEPAGE = 0x0042;
constexpr quint16 kWINDOW1 = 0x003D;
constexpr quint16 kFONT = 0x0031;
constexpr quint16 kXF = 0x00E0;
constexpr quint16 kSTYLE = 0x0293;
constexpr quint16 kBOUNDSHEET = 0x0085;
constexpr quint16 kSST = 0x00FC;
constexpr quint16 kEXTSST = 0x00FF;
constexpr quint16 kCONTINUE = 0x003C;
constexpr quint16 kDIMENSIONS = 0x0200;
constexpr quint16 kCOLINFO = 0x007D;
constexpr quint16 kWINDOW2 = 0x023E;
constexpr quint16 kLABELSST = 0x00FD;

// The most data one record holds; a longer one goes on in CONTINUE records.
constexpr qsizetype kMaxRecordData = 8224;
// The substreams a BOF record opens.
constexpr quint16 kWorkbookGlobals = 0x0005;
constexpr quint16 kWorksheet = 0x0010;
// The format "@" (text), one of the formats every reader knows by its number.
constexpr quint16 kTextFormat = 49;
// The cell formats: 0 to 14 are the style formats every workbook has, 15 the default cell format, 16 text.
constexpr quint16 kStyleXfs = 15;
constexpr quint16 kDefaultCellXf = 15;
constexpr quint16 kTextCellXf = 16;
// Font 4 does not exist in BIFF: four fonts make the next one 5.
constexpr int kFonts = 4;

void appendRecord(QByteArray& stream, quint16 type, const QByteArray& data)
{
    if (data.size() > kMaxRecordData) {
        throw TagscopeError(u"a record of type 0x%1 would hold %2 bytes, more than the %3 a record holds."_s
                                .arg(type, 4, 16, QChar(u'0'))
                                .arg(data.size())
                                .arg(kMaxRecordData));
    }
    AppendUInt16LE(stream, type);
    AppendUInt16LE(stream, quint16(data.size()));
    stream.append(data);
}

// A text of one byte per character after its 8-bit length and its flags (0: compressed), as a FONT or BOUNDSHEET
// record holds its name.
void appendShortLatin1(QByteArray& out, QByteArrayView text, QStringView what)
{
    AppendUInt8(out, FieldValue<quint8>(text.size(), what));
    AppendUInt8(out, 0x00);
    out.append(text);
}

void appendBOF(QByteArray& stream, quint16 substream)
{
    QByteArray data;
    AppendUInt16LE(data, 0x0600); // BIFF8
    AppendUInt16LE(data, substream);
    AppendUInt16LE(data, 0x0DBB); // the build and the year of the program that wrote the file
    AppendUInt16LE(data, 0x07CC);
    AppendUInt32LE(data, 0);          // file history flags
    AppendUInt32LE(data, 0x00000006); // the lowest BIFF version that reads every record
    appendRecord(stream, kBOF, data);
}

void appendEOF(QByteArray& stream)
{
    appendRecord(stream, kEOF, {});
}

void appendCODEPAGE(QByteArray& stream)
{
    QByteArray data;
    AppendUInt16LE(data, 1200); // UTF-16
    appendRecord(stream, kCODEPAGE, data);
}

void appendWINDOW1(QByteArray& stream)
{
    QByteArray data;
    // Position and size of the window, in twips; scroll bars and sheet tabs shown; the first sheet active and its tab
    // shown first; one sheet selected; the tab bar's share of the width, in thousandths.
    for (const quint16 v : {0, 0, 0x25BC, 0x1572, 0x0038, 0, 0, 1, 0x0258})
        AppendUInt16LE(data, v);
    appendRecord(stream, kWINDOW1, data);
}

void appendFONT(QByteArray& stream)
{
    QByteArray data;
    AppendUInt16LE(data, 200);    // 10 points, in twentieths
    AppendUInt16LE(data, 0);      // no bold, italic, strike-out
    AppendUInt16LE(data, 0x7FFF); // the window's text colour
    AppendUInt16LE(data, 400);    // normal weight
    AppendUInt16LE(data, 0);      // no super- or subscript
    AppendUInt8(data, 0);         // no underline
    AppendUInt8(data, 0);         // family
    AppendUInt8(data, 0);         // character set
    AppendUInt8(data, 0);
    appendShortLatin1(data, "Arial", u"the length of a font's name");
    appendRecord(stream, kFONT, data);
}

// A style format (style) or a cell format with the given number format.
void appendXF(QByteArray& stream, bool style, quint16 format)
{
    QByteArray data;
    AppendUInt16LE(data, 0);      // font 0
    AppendUInt16LE(data, format); // number format
    // Locked; a style format has no parent (0xFFF), a cell format the Normal style (0).
    AppendUInt16LE(data, style ? 0xFFF5 : 0x0001);
    AppendUInt8(data, 0x20); // aligned at the bottom
    AppendUInt8(data, 0);    // no rotation
    AppendUInt8(data, 0);    // no indent
    // Which attributes a cell format sets itself: here its number format.
    AppendUInt8(data, style ? 0x00 : 0x04);
    AppendUInt32LE(data, 0);      // no borders
    AppendUInt32LE(data, 0);      // no border colours
    AppendUInt16LE(data, 0x20C0); // pattern colours: the window's
    appendRecord(stream, kXF, data);
}

void appendSTYLE(QByteArray& stream)
{
    QByteArray data;
    AppendUInt16LE(data, 0x8000); // the built-in style of format 0
    AppendUInt8(data, 0);         // "Normal"
    AppendUInt8(data, 0xFF);
    appendRecord(stream, kSTYLE, data);
}

// The worksheet's name and where its BOF lies in the stream, which is known only once the globals are complete: the
// position of that field, for the caller to fill in.
qsizetype appendBOUNDSHEET(QByteArray& stream, QByteArrayView name)
{
    const qsizetype offsetAt = stream.size() + 4; // after the record's header
    QByteArray data;
    AppendUInt32LE(data, 0);
    AppendUInt8(data, 0); // visible
    AppendUInt8(data, 0); // a worksheet
    appendShortLatin1(data, name, u"the length of a sheet's name");
    appendRecord(stream, kBOUNDSHEET, data);
    return offsetAt;
}

// Whether every character fits one byte (Latin-1): such a string is stored with one byte per character.
bool isCompressible(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

void appendCharacters(QByteArray& out, QStringView text, bool compressed)
{
    for (const QChar c : text) {
        if (compressed)
            AppendUInt8(out, quint8(c.unicode()));
        else
            AppendUInt16LE(out, c.unicode());
    }
}

// Where a string of the SST begins: in the stream, and in the record holding it (its header included).
struct SstPosition
{
    quint32 inStream;
    quint16 inRecord;
};

// EXTSST: where every perStep-th string of the SST begins, so that a reader finds a string without reading those
// before it.
void appendEXTSST(QByteArray& stream, quint16 perStep, const std::vector<SstPosition>& positions)
{
    QByteArray data;
    AppendUInt16LE(data, perStep);
    for (const SstPosition& p : positions) {
        AppendUInt32LE(data, p.inStream);
        AppendUInt16LE(data, p.inRecord);
        AppendUInt16LE(data, 0);
    }
    appendRecord(stream, kEXTSST, data);
}

// The shared string table: SST (the counts, then the strings), then CONTINUE records, then EXTSST. A string's length
// and flags never part; its characters may go on in the next record, which then begins with the flags once more. The
// stream must begin at the start of the workbook stream, since EXTSST holds positions in it.
void appendSST(QByteArray& stream, const std::vector<QString>& strings, quint32 cells)
{
    // EXTSST notes every perStep-th string, in at most 128 steps.
    const quint16 perStep =
        FieldValue<quint16>(qint64(std::max<std::size_t>(8, strings.size() / 128 + 1)), u"the SST's index step");
    std::vector<SstPosition> positions;
    QByteArray current;
    quint16 currentType = kSST;
    AppendUInt32LE(current, cells);
    AppendUInt32LE(current, FieldValue<quint32>(qint64(strings.size()), u"the number of different texts"));
    const auto flush = [&] {
        appendRecord(stream, currentType, current);
        current.clear();
        currentType = kCONTINUE;
    };
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const QString& text = strings[i];
        const bool compressed = isCompressible(text);
        const qsizetype width = compressed ? 1 : 2;
        if (current.size() + 3 + width > kMaxRecordData)
            flush();
        if (i % perStep == 0) {
            const qsizetype inRecord = 4 + current.size();
            positions.push_back(
                {FieldValue<quint32>(stream.size() + inRecord, u"the position of a text"), quint16(inRecord)});
        }
        AppendUInt16LE(current, FieldValue<quint16>(text.size(), u"the length of a cell's text"));
        AppendUInt8(current, compressed ? 0x00 : 0x01);
        qsizetype done = 0;
        for (;;) {
            const qsizetype room = (kMaxRecordData - current.size()) / width;
            const qsizetype part = std::min(room, text.size() - done);
            appendCharacters(current, QStringView(text).sliced(done, part), compressed);
            done += part;
            if (done == text.size())
                break;
            flush();
            AppendUInt8(current, compressed ? 0x00 : 0x01);
        }
    }
    flush();
    appendEXTSST(stream, perStep, positions);
}

void appendDIMENSIONS(QByteArray& stream, int rows, int columns)
{
    QByteArray data;
    AppendUInt32LE(data, 0); // the first row
    AppendUInt32LE(data, quint32(rows));
    AppendUInt16LE(data, 0); // the first column
    AppendUInt16LE(data, quint16(columns));
    AppendUInt16LE(data, 0);
    appendRecord(stream, kDIMENSIONS, data);
}

// The width of the first count columns, in characters.
void appendCOLINFO(QByteArray& stream, int count, int width)
{
    QByteArray data;
    AppendUInt16LE(data, 0);
    AppendUInt16LE(data, FieldValue<quint16>(count - 1, u"the last column with a width"));
    // In 1/256 of a digit's width, with the cell's margins, as Excel stores a width it shows as width: five pixels
    // beside digits seven pixels wide.
    AppendUInt16LE(data, FieldValue<quint16>(qint64(width) * 256 + 182, u"a column's width"));
    AppendUInt16LE(data, kDefaultCellXf);
    AppendUInt16LE(data, 0);
    AppendUInt16LE(data, 0);
    appendRecord(stream, kCOLINFO, data);
}

void appendWINDOW2(QByteArray& stream)
{
    QByteArray data;
    AppendUInt16LE(data, 0x06B6); // grid lines, headers, zeros shown, the first sheet selected
    AppendUInt16LE(data, 0);      // the first row shown
    AppendUInt16LE(data, 0);      // the first column shown
    AppendUInt32LE(data, 0x40);   // grid lines in the window's colour
    AppendUInt16LE(data, 0);
    AppendUInt16LE(data, 0);
    AppendUInt32LE(data, 0);
    appendRecord(stream, kWINDOW2, data);
}

// A cell holding the string at index of the SST.
void appendLABELSST(QByteArray& stream, int row, int column, quint16 xf, quint32 index)
{
    QByteArray data;
    AppendUInt16LE(data, quint16(row));
    AppendUInt16LE(data, quint16(column));
    AppendUInt16LE(data, xf);
    AppendUInt32LE(data, index);
    appendRecord(stream, kLABELSST, data);
}

QByteArray workbookGlobals(const std::vector<QString>& strings, quint32 cells)
{
    QByteArray globals;
    appendBOF(globals, kWorkbookGlobals);
    appendCODEPAGE(globals);
    appendWINDOW1(globals);
    for (int i = 0; i < kFonts; ++i)
        appendFONT(globals);
    for (int i = 0; i < kStyleXfs; ++i)
        appendXF(globals, true, 0);
    appendXF(globals, false, 0);
    appendXF(globals, false, kTextFormat);
    appendSTYLE(globals);
    const qsizetype sheetOffsetAt = appendBOUNDSHEET(globals, "Sheet1");
    appendSST(globals, strings, cells);
    appendEOF(globals);
    // The worksheet follows the globals.
    PutUInt32LE(globals, sheetOffsetAt, FieldValue<quint32>(globals.size(), u"the position of the worksheet"));
    return globals;
}

class XlsWriter final : public SpreadsheetWriter
{
public:
    explicit XlsWriter(const QString& fileName) : m_target(fileName) {}

    void addRow(const QStringList& cells) override
    {
        if (m_rows == kXlsMaxRows)
            fail(u"an Excel 97-2003 workbook holds at most %1 rows."_s.arg(kXlsMaxRows));
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (c > 255)
                fail(u"an Excel 97-2003 workbook holds at most 256 columns."_s);
            const QString& text = cells.at(c);
            auto it = m_index.constFind(text);
            if (it == m_index.constEnd()) {
                it = m_index.insert(text, quint32(m_strings.size()));
                m_strings.push_back(text);
            }
            appendLABELSST(m_cells, m_rows, int(c), kTextCellXf, *it);
            ++m_cellCount;
            m_columns = std::max(m_columns, int(c + 1));
        }
        ++m_rows;
    }

    void setColumnWidth(int count, int width) override
    {
        m_widthColumns = count;
        m_width = width;
    }

    void finish() override
    {
        try {
            write();
        } catch (const TagscopeError& error) {
            fail(error.message());
        }
    }

private:
    // The workbook under its name; a failure raises TagscopeError with the reason alone.
    void write() const
    {
        const QByteArray globals = workbookGlobals(m_strings, m_cellCount);
        QByteArray sheetHead;
        appendBOF(sheetHead, kWorksheet);
        appendDIMENSIONS(sheetHead, m_rows, m_columns);
        if (m_widthColumns > 0)
            appendCOLINFO(sheetHead, m_widthColumns, m_width);
        QByteArray sheetTail;
        appendWINDOW2(sheetTail);
        appendEOF(sheetTail);

        QSaveFile out(m_target);
        // A read-only folder takes no temporary file; an existing workbook there is then written in place.
        out.setDirectWriteFallback(true);
        if (!out.open(QIODevice::WriteOnly) ||
            !WriteCompoundFile(out, u"Workbook"_s, {globals, sheetHead, m_cells, sheetTail}) || !out.commit())
            throw TagscopeError(out.errorString());
    }

    [[noreturn]] void fail(const QString& reason) const
    {
        throw TagscopeError(u"Cannot save the workbook \"%1\": %2"_s.arg(QDir::toNativeSeparators(m_target), reason));
    }

    QString m_target;
    std::vector<QString> m_strings;
    QHash<QString, quint32> m_index;
    QByteArray m_cells; // the LABELSST records, row by row
    quint32 m_cellCount = 0;
    int m_rows = 0;
    int m_columns = 0;
    int m_widthColumns = 0;
    int m_width = 0;
};

} // namespace

std::unique_ptr<SpreadsheetWriter> CreateXlsWriter(const QString& fileName)
{
    return std::make_unique<XlsWriter>(fileName);
}
