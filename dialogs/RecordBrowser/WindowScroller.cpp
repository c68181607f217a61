#include "WindowScroller.h"

#include "GridModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QScrollBar>
#include <QTableView>

namespace {

// Rows left between the view and its window's edge before the window moves.
constexpr int kEdgeRows = 1000;

} // namespace

WindowScroller::WindowScroller(QTableView* view, GridModel* model, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_model(model)
    , m_bar(new QScrollBar(Qt::Vertical))
{
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // The bar sits in the view's place in the form, beside the view.
    if (QWidget* form = m_view->parentWidget(); form && form->layout()) {
        auto* beside = new QWidget(form);
        auto* layout = new QHBoxLayout(beside);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        delete form->layout()->replaceWidget(m_view, beside);
        layout->addWidget(m_view);
        layout->addWidget(m_bar);
    }
    m_bar->hide();
    connect(m_bar, &QScrollBar::valueChanged, this, &WindowScroller::barMoved);
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &WindowScroller::viewScrolled);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &WindowScroller::resultChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &WindowScroller::resultChanged);
    m_view->installEventFilter(this);
    resultChanged();
}

int WindowScroller::visibleRows() const
{
    return qMax(1, m_view->viewport()->height() / qMax(1, m_view->verticalHeader()->defaultSectionSize()));
}

void WindowScroller::resultChanged()
{
    const bool longer = m_model->totalRows() > GridModel::kWindowRows;
    m_view->setVerticalScrollBarPolicy(longer ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    m_bar->setVisible(longer);
    showBar(topRow());
}

void WindowScroller::showBar(qint64 top)
{
    m_syncing = true;
    const int page = visibleRows();
    m_bar->setRange(0, int(qMax<qint64>(0, m_model->totalRows() - page)));
    m_bar->setPageStep(page);
    m_bar->setValue(int(top));
    m_syncing = false;
}

qint64 WindowScroller::topRow() const
{
    return m_model->windowStart() + m_view->verticalScrollBar()->value();
}

void WindowScroller::barMoved(int top)
{
    if (m_syncing)
        return;
    const qint64 start = m_model->windowStart();
    if (top < start || top + visibleRows() > start + GridModel::kWindowRows)
        m_model->setWindowStart(top - (GridModel::kWindowRows - visibleRows()) / 2);
    m_syncing = true;
    m_view->verticalScrollBar()->setValue(int(top - m_model->windowStart()));
    m_syncing = false;
}

void WindowScroller::viewScrolled(int value)
{
    if (m_syncing)
        return;
    const qint64 top = m_model->windowStart() + value;
    const bool nearTop = value < kEdgeRows && m_model->windowStart() > 0;
    const bool nearEnd = value + visibleRows() > GridModel::kWindowRows - kEdgeRows
        && m_model->windowStart() + GridModel::kWindowRows < m_model->totalRows();
    if (nearTop || nearEnd) {
        m_model->setWindowStart(top - GridModel::kWindowRows / 2);
        m_syncing = true;
        m_view->verticalScrollBar()->setValue(int(top - m_model->windowStart()));
        m_syncing = false;
    }
    showBar(top);
}

void WindowScroller::scrollToRow(qint64 row)
{
    row = qBound<qint64>(0, row, m_model->totalRows() - 1);
    if (row < 0)
        return;
    const qint64 start = m_model->windowStart();
    if (row < start || row >= start + m_model->rowCount())
        m_model->setWindowStart(row - GridModel::kWindowRows / 2);
    const QModelIndex target = m_model->index(int(row - m_model->windowStart()), 0);
    m_syncing = true;
    m_view->setCurrentIndex(target);
    m_view->scrollTo(target);
    m_syncing = false;
    showBar(topRow());
}

void WindowScroller::setTopRow(qint64 top)
{
    // The view's own bar takes its range from a layout that is otherwise
    // only done later.
    m_view->doItemsLayout();
    showBar(top);
    barMoved(m_bar->value());
}

bool WindowScroller::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & Qt::ControlModifier) {
            if (key->key() == Qt::Key_Home) {
                scrollToRow(0);
                return true;
            }
            if (key->key() == Qt::Key_End) {
                scrollToRow(m_model->totalRows() - 1);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
