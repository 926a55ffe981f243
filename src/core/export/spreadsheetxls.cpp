#include "core/export/spreadsheet.h"

#include "core/base/errors.h"
#include "core/export/compoundfile.h"

#include <QDir>
#include <QHash>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The records of BIFF8, the format of the "Workbook" stream of an Excel 97-2003 file.
enum Record : quint16
{
    Bof = 0x0809,
    Eof = 0x000A,
    CodePage = 0x0042,
    Window1 = 0x003D,
    Font = 0x0031,
    Xf = 0x00E0,
    Style = 0x0293,
    BoundSheet = 0x0085,
    Sst = 0x00FC,
    ExtSst = 0x00FF,
    Continue = 0x003C,
    Dimensions = 0x0200,
    ColInfo = 0x007D,
    Window2 = 0x023E,
    LabelSst = 0x00FD,
};

// The most data one record holds; a longer one goes on in CONTINUE records.
constexpr qsizetype kMaxRecordData = 8224;
// The format "@" (text), one of the formats every reader knows by its number.
constexpr quint16 kTextFormat = 49;
// The cell formats: 0 to 14 are the style formats every workbook has, 15 the default cell format, 16 text.
constexpr quint16 kDefaultCellXf = 15;
constexpr quint16 kTextCellXf = 16;

class Bytes
{
public:
    void u8(quint8 v) { m_data.append(char(v)); }
    void u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        m_data.append(b, 2);
    }
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        m_data.append(b, 4);
    }
    void bytes(const QByteArray& b) { m_data.append(b); }
    QByteArray& data() { return m_data; }

private:
    QByteArray m_data;
};

void record(QByteArray& stream, quint16 type, const QByteArray& data)
{
    Bytes header;
    header.u16(type);
    header.u16(quint16(data.size()));
    stream.append(header.data());
    stream.append(data);
}

// Whether every character fits one byte (Latin-1): such a string is stored with one byte per character.
bool isCompressible(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

void appendCharacters(QByteArray& out, QStringView text, bool compressed)
{
    for (const QChar c : text) {
        if (compressed) {
            out.append(char(c.unicode()));
        } else {
            char b[2];
            qToLittleEndian(c.unicode(), b);
            out.append(b, 2);
        }
    }
}

// The shared string table: SST, then CONTINUE records, then EXTSST, the index into it. A string's length and flags
// never part; its characters may go on in the next record, which then begins with the flags once more. The stream
// must begin at the start of the workbook stream, since the index holds positions in it.
void appendSst(QByteArray& stream, const std::vector<QString>& strings, quint32 cells)
{
    // The index notes where every perStep-th string begins, in at most 128 steps.
    const quint16 perStep = quint16(std::max<std::size_t>(8, strings.size() / 128 + 1));
    Bytes index;
    index.u16(perStep);
    QByteArray current;
    quint16 currentType = Sst;
    Bytes counts;
    counts.u32(cells);
    counts.u32(quint32(strings.size()));
    current = counts.data();
    const auto flush = [&] {
        record(stream, currentType, current);
        current.clear();
        currentType = Continue;
    };
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const QString& text = strings[i];
        const bool compressed = isCompressible(text);
        const qsizetype width = compressed ? 1 : 2;
        if (current.size() + 3 + width > kMaxRecordData)
            flush();
        if (i % perStep == 0) {
            const qsizetype inRecord = 4 + current.size(); // the record's header included
            index.u32(quint32(stream.size() + inRecord));
            index.u16(quint16(inRecord));
            index.u16(0);
        }
        Bytes head;
        head.u16(quint16(text.size()));
        head.u8(compressed ? 0x00 : 0x01);
        current.append(head.data());
        qsizetype done = 0;
        for (;;) {
            const qsizetype room = (kMaxRecordData - current.size()) / width;
            const qsizetype part = std::min(room, text.size() - done);
            appendCharacters(current, QStringView(text).sliced(done, part), compressed);
            done += part;
            if (done == text.size())
                break;
            flush();
            current.append(char(compressed ? 0x00 : 0x01));
        }
    }
    flush();
    record(stream, ExtSst, index.data());
}

QByteArray fontRecord()
{
    Bytes font;
    font.u16(200);    // 10 points, in twentieths
    font.u16(0);      // no bold, italic, strike-out
    font.u16(0x7FFF); // the window's text colour
    font.u16(400);    // normal weight
    font.u16(0);      // no super- or subscript
    font.u8(0);       // no underline
    font.u8(0);       // family
    font.u8(0);       // character set
    font.u8(0);
    font.u8(5); // "Arial", one byte per character
    font.u8(0);
    font.bytes("Arial");
    return font.data();
}

QByteArray xfRecord(bool style, quint16 format)
{
    Bytes xf;
    xf.u16(0);      // font 0
    xf.u16(format); // number format
    // Locked; a style format has no parent (0xFFF), a cell format the Normal style (0).
    xf.u16(style ? 0xFFF5 : 0x0001);
    xf.u8(0x20); // aligned at the bottom
    xf.u8(0);    // no rotation
    xf.u8(0);    // no indent
    // Which attributes a cell format sets itself: here its number format.
    xf.u8(style ? 0x00 : 0x04);
    xf.u32(0);      // no borders
    xf.u32(0);      // no border colours
    xf.u16(0x20C0); // pattern colours: the window's
    return xf.data();
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
            Bytes cell;
            cell.u16(quint16(m_rows));
            cell.u16(quint16(c));
            cell.u16(kTextCellXf);
            cell.u32(*it);
            record(m_cells, LabelSst, cell.data());
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
        QByteArray globals;
        Bytes bof;
        bof.u16(0x0600); // BIFF8
        bof.u16(0x0005); // the workbook globals
        bof.u16(0x0DBB);
        bof.u16(0x07CC);
        bof.u32(0);
        bof.u32(0x00000006);
        record(globals, Bof, bof.data());
        Bytes codePage;
        codePage.u16(1200); // UTF-16
        record(globals, CodePage, codePage.data());
        Bytes window;
        for (const quint16 v : {0, 0, 0x25BC, 0x1572, 0x0038, 0, 0, 1, 0x0258})
            window.u16(v);
        record(globals, Window1, window.data());
        // Font 4 does not exist in BIFF: four fonts make the next one 5.
        for (int i = 0; i < 4; ++i)
            record(globals, Font, fontRecord());
        for (int i = 0; i < 15; ++i)
            record(globals, Xf, xfRecord(true, 0));
        record(globals, Xf, xfRecord(false, 0));
        record(globals, Xf, xfRecord(false, kTextFormat));
        Bytes style;
        style.u16(0x8000); // the built-in style of format 0
        style.u8(0);       // "Normal"
        style.u8(0xFF);
        record(globals, Style, style.data());
        Bytes sheet;
        const qsizetype sheetOffsetAt = globals.size() + 4;
        sheet.u32(0); // the sheet's offset in the stream, known below
        sheet.u8(0);  // visible
        sheet.u8(0);  // a worksheet
        sheet.u8(6);
        sheet.u8(0);
        sheet.bytes("Sheet1");
        record(globals, BoundSheet, sheet.data());
        appendSst(globals, m_strings, m_cellCount);
        record(globals, Eof, {});
        qToLittleEndian(quint32(globals.size()), globals.data() + sheetOffsetAt);

        QByteArray sheetHead;
        Bytes sheetBof;
        sheetBof.u16(0x0600);
        sheetBof.u16(0x0010); // a worksheet
        sheetBof.u16(0x0DBB);
        sheetBof.u16(0x07CC);
        sheetBof.u32(0);
        sheetBof.u32(0x00000006);
        record(sheetHead, Bof, sheetBof.data());
        Bytes dimensions;
        dimensions.u32(0);
        dimensions.u32(quint32(m_rows));
        dimensions.u16(0);
        dimensions.u16(quint16(m_columns));
        dimensions.u16(0);
        record(sheetHead, Dimensions, dimensions.data());
        if (m_widthColumns > 0) {
            Bytes column;
            column.u16(0);
            column.u16(quint16(m_widthColumns - 1));
            // In 1/256 of a digit's width, with the cell's margins, as Excel stores a width it shows as m_width:
            // five pixels beside digits seven pixels wide.
            column.u16(quint16(m_width * 256 + 182));
            column.u16(kDefaultCellXf);
            column.u16(0);
            column.u16(0);
            record(sheetHead, ColInfo, column.data());
        }
        QByteArray sheetTail;
        Bytes window2;
        window2.u16(0x06B6); // grid lines, headers, zeros shown, the first sheet selected
        window2.u16(0);
        window2.u16(0);
        window2.u32(0x40); // grid lines in the window's colour
        window2.u16(0);
        window2.u16(0);
        window2.u32(0);
        record(sheetTail, Window2, window2.data());
        record(sheetTail, Eof, {});

        QSaveFile out(m_target);
        // A read-only folder takes no temporary file; an existing workbook there is then written in place.
        out.setDirectWriteFallback(true);
        if (!out.open(QIODevice::WriteOnly) ||
            !WriteCompoundFile(out, u"Workbook"_s, {globals, sheetHead, m_cells, sheetTail}) || !out.commit())
            fail(out.errorString());
    }

private:
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
