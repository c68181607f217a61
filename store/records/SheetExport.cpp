#include "SheetExport.h"

#include "GridModel.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <xlsxwriter.h>

namespace {

// Padding beyond the widest text, and the spreadsheet's widest column.
constexpr int kWidthPadding = 2;
constexpr int kMaxColumnWidth = 255;
// Rows read from the ledger per statement while exporting.
constexpr int kChunkRows = 2048;

bool isWide(uint code)
{
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF && code != 0x303F)
        || (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF)
        || (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60)
        || (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

// Owns the workbook until it is closed or dropped.
class Workbook
{
public:
    explicit Workbook(const QByteArray& fileName)
    {
        lxw_workbook_options options {};
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(fileName.constData(), &options);
    }
    ~Workbook()
    {
        if (m_book)
            lxw_workbook_free(m_book);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_workbook* get() const { return m_book; }
    bool close()
    {
        const lxw_error error = workbook_close(m_book);
        m_book = nullptr;
        return error == LXW_NO_ERROR;
    }

private:
    lxw_workbook* m_book = nullptr;
};

class SheetWriter
{
public:
    SheetWriter(lxw_worksheet* sheet, lxw_format* centred, int columns)
        : m_sheet(sheet)
        , m_centred(centred)
        , m_widths(columns, 0)
    {
    }

    void writeTitles(const QAbstractItemModel& model)
    {
        for (int column = 0; column < m_widths.size(); ++column)
            writeCell(0, column, model.headerData(column, Qt::Horizontal).toString());
    }

    void writeRow(int row, const RowCells& cells, int cellsRow)
    {
        for (int column = 0; column < m_widths.size(); ++column)
            writeCell(row, column, cells.text(cellsRow, column));
    }

    void fitColumns()
    {
        for (int column = 0; column < m_widths.size(); ++column) {
            const int width = std::min(m_widths.at(column) + kWidthPadding, kMaxColumnWidth);
            worksheet_set_column(m_sheet, lxw_col_t(column), lxw_col_t(column), width, nullptr);
        }
    }

private:
    void writeCell(int row, int column, const QString& text)
    {
        m_utf8 = text.toUtf8();
        worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column), m_utf8.constData(), m_centred);
        m_widths[column] = std::max(m_widths.at(column), SheetExport::displayWidth(text));
    }

    lxw_worksheet* m_sheet;
    lxw_format* m_centred;
    QVector<int> m_widths;
    QByteArray m_utf8;
};

} // namespace

int SheetExport::displayWidth(const QString& text)
{
    int width = 0;
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        uint code = text.at(i).unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < size && text.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(ushort(code), text.at(++i).unicode());
        width += code >= 0x1100 && isWide(code) ? 2 : 1;
    }
    return width;
}

SheetExport::Result SheetExport::write(
    const GridModel& model, const QString& path, const Progress& progress, int rowsPerSheet)
{
    return writeRows(model, model.totalRows(), path, progress, rowsPerSheet,
        [&model](qint64 row, int rows, RowCells& out) { return model.readRows(row, rows, out); });
}

SheetExport::Result SheetExport::write(
    const QAbstractItemModel& model, const QString& path, const Progress& progress, int rowsPerSheet)
{
    return writeRows(
        model, model.rowCount(), path, progress, rowsPerSheet, [&model](qint64 row, int rows, RowCells& out) {
            out.columns = model.columnCount();
            out.cells.clear();
            const int end = int(std::min<qint64>(row + rows, model.rowCount()));
            for (int r = int(row); r < end; ++r) {
                for (int column = 0; column < out.columns; ++column)
                    out.cells.append(model.index(r, column).data().toString());
            }
            return true;
        });
}

SheetExport::Result SheetExport::writeRows(const QAbstractItemModel& titles, qint64 count,
    const QString& path, const Progress& progress, int rowsPerSheet, const ReadRows& read)
{
    Result result;
    const QFileInfo target(path);
    const QString partial = target.absolutePath() + QStringLiteral("/.")
        + QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".xlsx.part");
    const QByteArray partialName = QFile::encodeName(partial);

    Workbook book(partialName);
    if (!book.get())
        return result;
    lxw_format* centred = workbook_add_format(book.get());
    if (!centred)
        return result;
    format_set_align(centred, LXW_ALIGN_CENTER);
    format_set_align(centred, LXW_ALIGN_VERTICAL_CENTER);

    const int rows = int(count);
    const int columns = titles.columnCount();
    std::unique_ptr<SheetWriter> writer;
    RowCells chunk;
    for (int row = 0; row < rows || !writer; ++row) {
        if (row % rowsPerSheet == 0 || !writer) {
            if (writer)
                writer->fitColumns();
            lxw_worksheet* sheet = workbook_add_worksheet(book.get(), nullptr);
            if (!sheet)
                return result;
            writer = std::make_unique<SheetWriter>(sheet, centred, columns);
            writer->writeTitles(titles);
            ++result.sheets;
            if (rows == 0)
                break;
        }
        if (row % kChunkRows == 0 && !read(row, kChunkRows, chunk)) {
            result.outcome = Outcome::CannotWrite;
            return result;
        }
        writer->writeRow(row % rowsPerSheet + 1, chunk, row % kChunkRows);
        if (progress && !progress(row + 1, rows)) {
            result.outcome = Outcome::Cancelled;
            result.rows = row + 1;
            return result;
        }
    }
    writer->fitColumns();

    result.rows = rows;
    result.outcome = Outcome::CannotWrite;
    if (!book.close()) {
        QFile::remove(partial);
        return result;
    }
    // rename() replaces an existing target in one step.
    if (std::rename(partialName.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        QFile::remove(partial);
        return result;
    }
    result.outcome = Outcome::Written;
    return result;
}
