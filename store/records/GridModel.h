#pragma once

#include "TextGrid.h"

#include <QAbstractTableModel>
#include <QStringList>

// A browser table's content: column titles over a TextGrid. Every cell can be
// edited on screen; the edit stays in the grid (the database is never
// written) until the next reload or search replaces the grid.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY(GridModel)

public:
    explicit GridModel(QObject* parent = nullptr);

    void setTitles(const QStringList& titles);
    void setGrid(TextGrid grid);
    const TextGrid& grid() const { return m_grid; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList m_titles;
    TextGrid m_grid;
};
