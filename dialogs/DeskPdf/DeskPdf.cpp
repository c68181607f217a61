#include "DeskPdf.h"

#include "PrintDialog.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>

namespace {

constexpr int kMarginMm = 12;

// Space inside a cell on each side, a third of a line: device units differ
// between the PDF writer and a printer.
int cellPadding(const QFontMetrics& metrics)
{
    return metrics.height() / 3;
}

class PageLayout
{
public:
    PageLayout(QPainter& painter, QPagedPaintDevice& device)
        : m_painter(painter)
        , m_device(device)
    {
    }

    int pages() const { return m_pages; }
    int width() const { return m_painter.viewport().width(); }
    int lineHeight() const { return m_painter.fontMetrics().height(); }

    // Moves to a new page unless height still fits below; true when it did.
    bool reserve(int height)
    {
        if (m_y + height <= m_painter.viewport().height() || m_y == 0)
            return false;
        m_device.newPage();
        ++m_pages;
        m_y = 0;
        return true;
    }

    void text(const QString& line, bool bold = false, int scale = 1)
    {
        QFont font = m_painter.font();
        const QFont kept = font;
        font.setBold(bold);
        font.setPointSizeF(font.pointSizeF() * scale);
        m_painter.setFont(font);
        const QRect bounds
            = m_painter.boundingRect(QRect(0, 0, width(), 1 << 20), Qt::TextWordWrap | Qt::AlignLeft, line);
        reserve(bounds.height());
        m_painter.drawText(QRect(0, m_y, width(), bounds.height()), Qt::TextWordWrap | Qt::AlignLeft, line);
        m_y += bounds.height();
        m_painter.setFont(kept);
    }

    void skip(int height) { m_y += height; }

    void row(const QStringList& cells, const QVector<int>& widths, bool bold, bool flagged)
    {
        QFont font = m_painter.font();
        const QFont keptFont = font;
        font.setBold(bold);
        m_painter.setFont(font);
        const int padding = cellPadding(m_painter.fontMetrics());
        const int height = rowHeight();
        const QPen kept = m_painter.pen();
        QPen pen = kept;
        pen.setColor(flagged ? Qt::red : Qt::black);
        m_painter.setPen(pen);
        int x = 0;
        for (int c = 0; c < widths.size(); ++c) {
            const QRect cell(x, m_y, widths[c], height);
            m_painter.drawRect(cell);
            const QString text = c < cells.size() ? cells[c] : QString();
            m_painter.drawText(cell.adjusted(padding, 0, -padding, 0), Qt::AlignVCenter | Qt::AlignLeft,
                m_painter.fontMetrics().elidedText(text, Qt::ElideRight, widths[c] - 2 * padding));
            x += widths[c];
        }
        m_painter.setPen(kept);
        m_painter.setFont(keptFont);
        m_y += height;
    }

    int rowHeight() const { return lineHeight() + cellPadding(m_painter.fontMetrics()); }

private:
    QPainter& m_painter;
    QPagedPaintDevice& m_device;
    int m_y = 0;
    int m_pages = 1;
};

// Each column gets its widest text (titles in bold); then all are scaled
// together to the page width.
QVector<int> columnWidths(
    const QFont& font, const DeskDocument& document, int pageWidth, QPaintDevice* device)
{
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics plain(font, device);
    const QFontMetrics titles(bold, device);
    const int room = 2 * cellPadding(plain) + plain.averageCharWidth();
    QVector<int> widths;
    for (const QString& title : document.columns)
        widths.append(titles.horizontalAdvance(title) + room);
    for (const QStringList& row : document.rows) {
        for (int c = 0; c < widths.size() && c < row.size(); ++c)
            widths[c] = std::max(widths[c], plain.horizontalAdvance(row[c]) + room);
    }
    qint64 sum = 0;
    for (int w : widths)
        sum += w;
    if (sum > 0) {
        for (int& w : widths)
            w = int(qint64(w) * pageWidth / sum);
    }
    return widths;
}

} // namespace

void DeskDocument::setTable(const QAbstractItemModel& model)
{
    columns.clear();
    rows.clear();
    for (int c = 0; c < model.columnCount(); ++c)
        columns.append(model.headerData(c, Qt::Horizontal).toString());
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells.append(model.index(r, c).data().toString());
        rows.append(cells);
    }
}

int DeskPdf::paint(const DeskDocument& document, QPagedPaintDevice& device)
{
    device.setPageSize(QPageSize(document.pageSize));
    device.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    QFont font = painter.font();
    font.setPointSize(document.pageSize == QPageSize::A4 ? 9 : 8);
    painter.setFont(font);
    // Hairlines at the writer's 1200 dpi would vanish on paper.
    painter.setPen(QPen(Qt::black, device.logicalDpiX() / 150.0));

    PageLayout page(painter, device);
    page.text(document.title, true, 2);
    page.skip(page.lineHeight() / 2);
    for (const auto& field : document.fields)
        page.text(field.first + QStringLiteral("：") + field.second);

    if (!document.columns.isEmpty()) {
        page.skip(page.lineHeight() / 2);
        const QVector<int> widths = columnWidths(painter.font(), document, page.width(), &device);
        page.reserve(2 * page.rowHeight());
        page.row(document.columns, widths, true, false);
        for (int r = 0; r < document.rows.size(); ++r) {
            if (page.reserve(page.rowHeight()))
                page.row(document.columns, widths, true, false);
            page.row(document.rows[r], widths, false, document.flaggedRows.contains(r));
        }
    }
    if (!document.footer.isEmpty()) {
        page.skip(page.lineHeight() / 2);
        for (const QString& line : document.footer)
            page.text(line);
    }
    painter.end();
    return page.pages();
}

bool DeskPdf::write(const DeskDocument& document, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Veloka"));
        if (paint(document, writer) == 0) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

DeskPdf::PrintOutcome DeskPdf::print(QWidget* parent, const DeskDocument& document, QPrinter& printer)
{
    printer.setDocName(document.title);
    if (!PrintDialog::exec(parent, printer))
        return PrintOutcome::Cancelled;
    return paint(document, printer) > 0 ? PrintOutcome::Printed : PrintOutcome::Failed;
}

DeskPdf::PrintOutcome DeskPdf::print(QWidget* parent, const DeskDocument& document)
{
    QPrinter printer(QPrinter::HighResolution);
    return print(parent, document, printer);
}
