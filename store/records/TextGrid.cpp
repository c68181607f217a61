#include "TextGrid.h"

TextGrid::TextGrid(int columns)
    : m_columns(columns)
{
}

void TextGrid::appendCell(const QString& text)
{
    m_chars.append(text);
    m_ends.append(quint32(m_chars.size()));
}

void TextGrid::reserveRows(int rows)
{
    m_ends.reserve(rows * m_columns);
}

QString TextGrid::text(int row, int column) const
{
    const int cell = row * m_columns + column;
    if (row < 0 || column < 0 || column >= m_columns || cell >= m_ends.size())
        return QString();
    const auto edited = m_edited.constFind(cell);
    if (edited != m_edited.constEnd())
        return *edited;
    const int begin = cell == 0 ? 0 : int(m_ends.at(cell - 1));
    return m_chars.mid(begin, int(m_ends.at(cell)) - begin);
}

void TextGrid::setText(int row, int column, const QString& text)
{
    const int cell = row * m_columns + column;
    if (row < 0 || column < 0 || column >= m_columns || cell >= m_ends.size())
        return;
    m_edited.insert(cell, text);
}

qint64 TextGrid::memoryUse() const
{
    qint64 bytes = qint64(m_chars.capacity()) * 2 + qint64(m_ends.capacity()) * 4;
    for (const QString& text : m_edited)
        bytes += text.size() * 2 + 32;
    return bytes;
}
