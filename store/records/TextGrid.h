#pragma once

#include <QHash>
#include <QString>
#include <QVector>

// The cell texts of a browser, kept as one character buffer with the end of
// each cell: a hundred thousand rows of thirteen columns cost a few tens of
// megabytes instead of one heap string (or table item) per cell. Texts edited
// on screen are kept beside the buffer.
class TextGrid
{
public:
    explicit TextGrid(int columns = 0);

    int columnCount() const { return m_columns; }
    int rowCount() const { return m_columns > 0 ? m_ends.size() / m_columns : 0; }

    // Cells are appended row by row, left to right.
    void appendCell(const QString& text);
    void reserveRows(int rows);

    QString text(int row, int column) const;
    void setText(int row, int column, const QString& text);

    // Bytes held, for the figures of the benchmarks.
    qint64 memoryUse() const;

private:
    int m_columns = 0;
    QString m_chars;
    QVector<quint32> m_ends;
    QHash<int, QString> m_edited;
};
