#pragma once

#include <QObject>

class GridModel;
class QScrollBar;
class QTableView;

// Scrolls a browser over its whole result while the view holds only the
// model's window: a scroll bar of its own beside the view spans every row,
// and the window moves to where the operator goes, re-centred before the
// view reaches its edges. Ctrl+Home and Ctrl+End go to the first and the
// last row of the result. The bar shows only when the result is longer than
// the window; shorter results scroll with the view's own bar as ever.
class WindowScroller : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(WindowScroller)

public:
    WindowScroller(QTableView* view, GridModel* model, QObject* parent);

    void scrollToRow(qint64 row);
    // Puts this result row at the top of the view, as far as the rows allow.
    void setTopRow(qint64 top);
    // The result row at the top of the view.
    qint64 topRow() const;
    QScrollBar* bar() const { return m_bar; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void resultChanged();
    void barMoved(int top);
    void viewScrolled(int value);
    int visibleRows() const;
    void showBar(qint64 top);

    QTableView* m_view;
    GridModel* m_model;
    QScrollBar* m_bar;
    bool m_syncing = false;
};
