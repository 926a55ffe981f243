#include "core/export/spreadsheet.h"

#include "core/base/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <xlsxwriter.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

class XlsxWriter final : public SpreadsheetWriter
{
public:
    XlsxWriter(const QString& fileName, const QString& tempFolder)
        : m_target(fileName), m_out(fileName), m_part(partNameIn(tempFolder)),
          m_tempFolder(QFile::encodeName(tempFolder))
    {
        // Opened first, so that a folder that cannot take the file fails at once rather than after the last row. A
        // read-only folder takes no temporary file; an existing workbook there is then written in place.
        m_out.setDirectWriteFallback(true);
        if (!m_out.open(QIODevice::WriteOnly))
            fail(m_out.errorString());
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_tempFolder.isEmpty() ? nullptr : m_tempFolder.data();
        m_book = workbook_new_opt(QFile::encodeName(m_part).constData(), &options);
        if (!m_book)
            fail(u"the workbook cannot be made"_s);
        m_sheet = workbook_add_worksheet(m_book, nullptr);
        m_text = workbook_add_format(m_book);
        if (!m_sheet || !m_text) {
            discard();
            fail(u"the workbook cannot be made"_s);
        }
        format_set_num_format(m_text, "@");
    }

    ~XlsxWriter() override { discard(); }

    void addRow(const QStringList& cells) override
    {
        for (qsizetype c = 0; c < cells.size(); ++c) {
            const QByteArray text = cells.at(c).toUtf8();
            const lxw_error error = worksheet_write_string(m_sheet, m_row, lxw_col_t(c), text.constData(), m_text);
            if (error != LXW_NO_ERROR)
                fail(QString::fromUtf8(lxw_strerror(error)));
        }
        ++m_row;
    }

    void setColumnWidth(int count, int width) override
    {
        if (count > 0)
            worksheet_set_column(m_sheet, 0, lxw_col_t(count - 1), width, nullptr);
    }

    void finish() override
    {
        lxw_workbook* book = std::exchange(m_book, nullptr);
        const lxw_error error = workbook_close(book);
        if (error != LXW_NO_ERROR) {
            QFile::remove(m_part);
            fail(QString::fromUtf8(lxw_strerror(error)));
        }
        const QString copyError = copyPartToTarget();
        QFile::remove(m_part);
        if (!copyError.isEmpty())
            fail(copyError);
    }

private:
    // Nothing of an unfinished workbook may stay.
    void discard()
    {
        if (m_book) {
            workbook_close(std::exchange(m_book, nullptr));
            QFile::remove(m_part);
        }
    }

    // The finished workbook into the file beside the target, which then takes the target's name.
    QString copyPartToTarget()
    {
        QFile part(m_part);
        if (!part.open(QIODevice::ReadOnly))
            return part.errorString();
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (;;) {
            const qint64 got = part.read(block.data(), block.size());
            if (got < 0)
                return part.errorString();
            if (got == 0)
                break;
            if (m_out.write(block.constData(), got) != got)
                return m_out.errorString();
        }
        if (!m_out.commit())
            return m_out.errorString();
        return {};
    }

    // The workbook is made in the private temporary folder, where no other user can plant a link under its name, and
    // copied beside its target when complete.
    static QString partNameIn(const QString& tempFolder)
    {
        // Two exports may run at once, from two dialogs.
        const QString suffix = QString::number(QRandomGenerator::system()->generate64(), 36);
        return QDir(tempFolder).filePath(u"export-"_s + suffix + u".xlsx"_s);
    }

    [[noreturn]] void fail(const QString& reason) const
    {
        throw TagscopeError(u"Cannot save the workbook \"%1\": %2"_s.arg(nativeName(m_target), reason));
    }

    QString m_target;
    QSaveFile m_out; // beside the target, given its name when complete (or the target itself, see above)
    QString m_part;
    QByteArray m_tempFolder;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_text = nullptr;
    lxw_row_t m_row = 0;
};

} // namespace

std::unique_ptr<SpreadsheetWriter> CreateXlsxWriter(const QString& fileName, const QString& tempFolder)
{
    return std::make_unique<XlsxWriter>(fileName, tempFolder);
}

bool IsXlsxName(const QString& fileName)
{
    return fileName.endsWith(u".xlsx"_s, Qt::CaseInsensitive);
}
