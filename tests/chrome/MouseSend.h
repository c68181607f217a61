#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// Delivers a mouse event with an exact global position, through the
// application's event filters, without moving the real cursor.
inline bool sendMouse(QWidget* target, QEvent::Type type, const QPoint& globalPos, Qt::MouseButton button,
    Qt::MouseButtons buttons)
{
    QMouseEvent event(type, target->mapFromGlobal(globalPos), globalPos, button, buttons, Qt::NoModifier);
    return QApplication::sendEvent(target, &event);
}
