#include "hintdialog.h"

#include <QMouseEvent>

hintdialog::Direction hintdialog::s_direction = hintdialog::NONE;

hintdialog::hintdialog(QWidget* parent)
    : QDialog(parent)
{
    // Qt::Dialog keeps a box with a parent its own window instead of a
    // child painted inside the parent.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    // Cursor feedback over the border needs moves without a pressed button.
    setMouseTracking(true);
    s_direction = NONE;
}

hintdialog::Direction hintdialog::regionAt(const QRect& globalRect, const QPoint& globalPos)
{
    const QPoint tl = globalRect.topLeft();
    const QPoint br = globalRect.bottomRight();
    const int x = globalPos.x();
    const int y = globalPos.y();

    const bool inLeft = tl.x() <= x && x <= tl.x() + RESIZE_MARGIN;
    const bool inRight = br.x() - RESIZE_MARGIN <= x && x <= br.x();
    const bool inTop = tl.y() <= y && y <= tl.y() + RESIZE_MARGIN;
    const bool inBottom = br.y() - RESIZE_MARGIN <= y && y <= br.y();

    if (inLeft && inTop)
        return LEFTTOP;
    if (inLeft && !inRight && inBottom)
        return LEFTBOTTOM;
    if (inLeft && !inRight)
        return LEFT;
    if (inRight && inBottom)
        return RIGHTBOTTOM;
    if (inRight && inTop)
        return RIGHTTOP;
    // A window at most twice the band wide: both bands overlap, the left wins.
    if (inRight && inLeft)
        return LEFT;
    if (inRight)
        return RIGHT;
    if (inTop)
        return UP;
    if (inBottom)
        return DOWN;
    return NONE;
}

QRect hintdialog::resizedRect(
    const QRect& globalRect, Direction dir, const QPoint& globalPos, const QSize& minimumSize)
{
    const QPoint tl = globalRect.topLeft();
    const QPoint br = globalRect.bottomRight();
    const int x = globalPos.x();
    const int y = globalPos.y();
    QRect r(tl, br);

    const auto moveLeft = [&] { r.setLeft(br.x() - x > minimumSize.width() ? x : tl.x()); };
    const auto moveTop = [&] { r.setTop(br.y() - y > minimumSize.height() ? y : tl.y()); };

    switch (dir) {
    case LEFT:
        moveLeft();
        break;
    case RIGHT:
        r.setRight(x - 1);
        break;
    case UP:
        moveTop();
        break;
    case DOWN:
        r.setBottom(y - 1);
        break;
    case LEFTTOP:
        moveLeft();
        moveTop();
        break;
    case LEFTBOTTOM:
        r.setLeft(x);
        r.setBottom(y - 1);
        break;
    case RIGHTTOP:
        r.setRight(x - 1);
        r.setTop(y);
        break;
    case RIGHTBOTTOM:
        r.setRight(x - 1);
        r.setBottom(y - 1);
        break;
    case NONE:
        break;
    }
    return r;
}

void hintdialog::region(const QPoint& globalPos)
{
    const QRect rect(mapToGlobal(QPoint(0, 0)), size());
    s_direction = regionAt(rect, globalPos);

    switch (s_direction) {
    case LEFTTOP:
    case RIGHTBOTTOM:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case LEFTBOTTOM:
    case RIGHTTOP:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case LEFT:
    case RIGHT:
        setCursor(Qt::SizeHorCursor);
        break;
    case UP:
    case DOWN:
        setCursor(Qt::SizeVerCursor);
        break;
    case NONE:
        setCursor(Qt::ArrowCursor);
        break;
    }
}

void hintdialog::applyResize(const QPoint& globalPos)
{
    const QRect current(mapToGlobal(QPoint(0, 0)), size());
    QRect r = resizedRect(current, s_direction, globalPos, minimumSize());

    // Qt would clamp an out-of-range size by moving the window instead; keep
    // the edge opposite to the dragged one where it is, so a fixed-size
    // window keeps its place and size.
    const bool leftMoves = s_direction == LEFT || s_direction == LEFTTOP || s_direction == LEFTBOTTOM;
    const bool topMoves = s_direction == UP || s_direction == LEFTTOP || s_direction == RIGHTTOP;
    const int width = qBound(minimumWidth(), r.width(), maximumWidth());
    const int height = qBound(minimumHeight(), r.height(), maximumHeight());
    if (leftMoves)
        r.setLeft(r.right() - width + 1);
    else
        r.setWidth(width);
    if (topMoves)
        r.setTop(r.bottom() - height + 1);
    else
        r.setHeight(height);

    if (r != current)
        setGeometry(r);
}

void hintdialog::mousePressEvent(QMouseEvent* event)
{
    region(event->globalPos());
    switch (event->button()) {
    case Qt::LeftButton:
        m_leftDown = true;
        if (s_direction == NONE)
            m_dragOffset = event->globalPos() - frameGeometry().topLeft();
        break;
    case Qt::RightButton:
        break;
    default:
        QDialog::mousePressEvent(event);
    }
}

void hintdialog::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint globalPos = event->globalPos();
    if (!m_leftDown) {
        region(globalPos);
        return;
    }
    if (s_direction == NONE) {
        move(globalPos - m_dragOffset);
        event->accept();
        return;
    }
    applyResize(globalPos);
}

void hintdialog::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_leftDown = false;
    if (s_direction != NONE) {
        releaseMouse();
        setCursor(Qt::ArrowCursor);
    }
}
