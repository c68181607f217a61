#pragma once

#include <QString>
#include <functional>

class GridModel;
class QAbstractItemModel;
struct RowCells;

// Writes a browser's whole result into a new .xlsx workbook: the column
// titles in row 1, the rows below in result order, every cell a string centred
// both ways, each column as wide as its widest text. Rows stream from the
// ledger a chunk at a time into the writer's constant-memory mode. A result
// longer than a sheet allows goes on as many sheets as it needs, each with
// the titles. The workbook goes to a temporary file beside the target and
// replaces it only once complete, so a failed or cancelled export leaves any
// earlier file as it was.
class SheetExport
{
public:
    enum class Outcome {
        Written,
        Cancelled,
        CannotCreate, // the workbook could not be started (temporary space)
        CannotWrite, // the file could not be written or moved into place
    };
    struct Result
    {
        Outcome outcome = Outcome::CannotCreate;
        int rows = 0; // data rows written
        int sheets = 0;
    };
    // Data rows below the title row of one sheet: the format's row limit.
    static constexpr int kSheetRows = 1048575;

    // Called after each written row with (rows done, row count); false cancels.
    using Progress = std::function<bool(int, int)>;

    static Result write(const GridModel& model, const QString& path, const Progress& progress = {},
        int rowsPerSheet = kSheetRows);
    // Any other model: the rows it has, as it shows them.
    static Result write(const QAbstractItemModel& model, const QString& path, const Progress& progress = {},
        int rowsPerSheet = kSheetRows);

    // Width of a text in spreadsheet character units: wide (CJK, full-width)
    // characters count two.
    static int displayWidth(const QString& text);

private:
    using ReadRows = std::function<bool(qint64, int, RowCells&)>;
    static Result writeRows(const QAbstractItemModel& titles, qint64 count, const QString& path,
        const Progress& progress, int rowsPerSheet, const ReadRows& read);
};
