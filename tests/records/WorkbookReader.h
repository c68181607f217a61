#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

// Reads a written workbook back through openpyxl, independent of the writer:
// per cell of one sheet (the first unless asked) its value, data type and alignment; per column
// its width. Empty when no Python with openpyxl is available.
struct SheetCell
{
    QString value;
    QString type; // "s" for a string
    QString horizontal;
    QString vertical;
};

struct SheetContent
{
    bool read = false;
    QList<QList<SheetCell>> rows;
    QHash<QString, double> widths; // by column letter
    int sheets = 0; // in the workbook
};

inline QString pythonWithOpenpyxl()
{
    for (const QString& candidate : { QStringLiteral("/usr/bin/python3"), QStringLiteral("python3") }) {
        const QString program = QStandardPaths::findExecutable(candidate);
        if (program.isEmpty() && !QFile::exists(candidate))
            continue;
        if (QProcess::execute(candidate, { QStringLiteral("-c"), QStringLiteral("import openpyxl") }) == 0)
            return candidate;
    }
    return QString();
}

inline SheetContent readSheet(const QString& path, int sheet = 0)
{
    static const char* const script = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
ws = book.worksheets[int(sys.argv[2])]
rows = [[{"value": "" if c.value is None else str(c.value), "type": c.data_type,
          "h": c.alignment.horizontal or "", "v": c.alignment.vertical or ""} for c in row]
        for row in ws.iter_rows()]
widths = {k: d.width for k, d in ws.column_dimensions.items()}
print(json.dumps({"rows": rows, "widths": widths, "sheets": len(book.worksheets)}))
)";
    SheetContent content;
    const QString python = pythonWithOpenpyxl();
    if (python.isEmpty())
        return content;
    QProcess process;
    process.start(python, { QStringLiteral("-c"), QLatin1String(script), path, QString::number(sheet) });
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return content;
    const QJsonObject root = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    for (const QJsonValue& row : root.value(QStringLiteral("rows")).toArray()) {
        QList<SheetCell> cells;
        for (const QJsonValue& cell : row.toArray()) {
            const QJsonObject object = cell.toObject();
            cells.append({ object.value(QStringLiteral("value")).toString(),
                object.value(QStringLiteral("type")).toString(), object.value(QStringLiteral("h")).toString(),
                object.value(QStringLiteral("v")).toString() });
        }
        content.rows.append(cells);
    }
    const QJsonObject widths = root.value(QStringLiteral("widths")).toObject();
    for (auto it = widths.begin(); it != widths.end(); ++it)
        content.widths.insert(it.key(), it.value().toDouble());
    content.sheets = root.value(QStringLiteral("sheets")).toInt();
    content.read = true;
    return content;
}
