#pragma once

#include <QString>
#include <functional>

class QAbstractItemModel;

// Writes a table as the first sheet of a new .xlsx workbook: the column
// titles in row 1, the rows below in model order, every cell a string centred
// both ways, each column as wide as its widest text. The workbook goes to a
// temporary file beside the target and replaces it only once complete, so a
// failed or cancelled export leaves any earlier file as it was.
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
    };

    // Called after each written row with (rows done, row count); false cancels.
    using Progress = std::function<bool(int, int)>;

    static Result write(const QAbstractItemModel& model, const QString& path, const Progress& progress = {});

    // Width of a text in spreadsheet character units: wide (CJK, full-width)
    // characters count two.
    static int displayWidth(const QString& text);
};
