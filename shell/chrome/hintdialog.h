#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>

class QMouseEvent;

// Frameless dialog base: drags itself from anywhere inside and resizes from a
// RESIZE_MARGIN-pixel band along its border. The drag direction is shared by
// every instance, since only one mouse interaction happens at a time.
class hintdialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(hintdialog)

public:
    enum Direction { UP = 0, DOWN, LEFT, RIGHT, LEFTTOP, LEFTBOTTOM, RIGHTBOTTOM, RIGHTTOP, NONE };
    static constexpr int RESIZE_MARGIN = 5;

    explicit hintdialog(QWidget* parent = nullptr);

    // Which border band the global point falls in for a window covering
    // globalRect (NONE inside or outside).
    static Direction regionAt(const QRect& globalRect, const QPoint& globalPos);
    // The geometry a border drag to globalPos asks for, before size limits.
    static QRect resizedRect(
        const QRect& globalRect, Direction dir, const QPoint& globalPos, const QSize& minimumSize);
    static Direction direction() { return s_direction; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void region(const QPoint& globalPos);
    void applyResize(const QPoint& globalPos);

    bool m_leftDown = false;
    QPoint m_dragOffset;

    static Direction s_direction;
};
