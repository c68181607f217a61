#pragma once

#include "RecordQuery.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QHash>
#include <QPair>
#include <QStringList>

// A browser table's content: column titles over a result held as its ids.
// Cells are read a page of rows at a time by id range and a few pages are
// kept, so a table of millions of rows costs what is on screen. The view sees
// a window of at most kWindowRows rows of the result (a header costs bytes
// per section), moved by the browser as the operator scrolls; the vertical
// header shows the rows' numbers in the whole result. Every cell can be
// edited on screen; the edit is kept by row id (the database is never
// written) until the next reload or search replaces the result. A page that
// could not be read shows empty and is read again kRetryMs later.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY(GridModel)

public:
    static constexpr int kWindowRows = 10000;
    static constexpr int kPageRows = 128;
    static constexpr int kCachedPages = 24;
    static constexpr int kRetryMs = 5000;

    explicit GridModel(QObject* parent = nullptr);

    void setTitles(const QStringList& titles);
    void setTable(const BrowserTable& table) { m_table = &table; }
    // A new result; the window goes back to its first row.
    void setRows(IdRuns ids);
    const IdRuns& ids() const { return m_ids; }

    qint64 totalRows() const { return m_ids.count(); }
    qint64 windowStart() const { return m_start; }
    // Moves the window, kept within the result.
    void setWindowStart(qint64 start);

    // A cell of the whole result as shown, edits included.
    QString text(qint64 row, int column) const;
    // Rows [row, row + rows) read afresh, edits included, without touching
    // the cache: what an export streams. False when a read failed.
    bool readRows(qint64 row, int rows, RowCells& out) const;
    int cachedPages() const { return m_pages.size(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // Rows on screen could not be read, after they could (once a failure).
    void readFailed();

private:
    struct Page
    {
        RowCells cells;
        quint64 used = 0;
        bool failed = false;
        QElapsedTimer read;
    };
    void noteRead(bool ok) const;
    const Page& page(qint64 number) const;
    int windowRows() const;
    void applyEdits(qint64 row, RowCells& cells) const;

    const BrowserTable* m_table = nullptr;
    QStringList m_titles;
    IdRuns m_ids;
    qint64 m_start = 0;
    mutable QHash<qint64, Page> m_pages;
    mutable quint64 m_uses = 0;
    mutable bool m_failing = false;
    mutable bool m_retrying = false;
    QHash<QPair<qint64, int>, QString> m_edited;
};
