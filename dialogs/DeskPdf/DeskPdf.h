#pragma once

#include <QPageSize>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

class QAbstractItemModel;
class QPagedPaintDevice;
class QPrinter;
class QWidget;

// What a desk document shows: a title, label/value lines, an optional table
// and closing lines. The windows fill it with translated texts.
struct DeskDocument
{
    QString title;
    QVector<QPair<QString, QString>> fields;
    QStringList columns;
    QVector<QStringList> rows;
    QVector<int> flaggedRows; // drawn in red (statement gaps)
    QStringList footer;
    QPageSize::PageSizeId pageSize = QPageSize::A4;

    // The column titles and cells of a table model, in model order.
    void setTable(const QAbstractItemModel& model);
};

// Lays a desk document out on pages: the table breaks across pages with its
// titles repeated, columns share the width by their widest text.
class DeskPdf
{
public:
    // Writes the PDF to a temporary file beside the target and moves it into
    // place once complete; false when either step fails.
    static bool write(const DeskDocument& document, const QString& path);
    // Paints on any paged device (a PDF writer or a printer); the page count.
    static int paint(const DeskDocument& document, QPagedPaintDevice& device);
    enum class PrintOutcome { Printed, Cancelled, Failed };
    // The print dialog (PrintDialog) over parent, offering the printer's
    // settings, then the document on the printer chosen.
    static PrintOutcome print(QWidget* parent, const DeskDocument& document, QPrinter& printer);
    // The same on a high-resolution printer with the system's defaults.
    static PrintOutcome print(QWidget* parent, const DeskDocument& document);
};
