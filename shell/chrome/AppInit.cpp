#include "AppInit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

AppInit::AppInit(QObject* parent)
    : QObject(parent)
{
}

AppInit* AppInit::instance()
{
    static AppInit* self = new AppInit(qApp);
    return self;
}

void AppInit::start()
{
    qApp->installEventFilter(this);
}

bool AppInit::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove)
        return QObject::eventFilter(watched, event);

    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->property("canMove").toBool())
        return QObject::eventFilter(watched, event);

    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            break;
        m_pressed = true;
        m_offset = mouse->globalPos() - widget->pos();
        return true;
    case QEvent::MouseButtonRelease:
        m_pressed = false;
        return true;
    case QEvent::MouseMove:
        if (m_pressed && mouse->buttons() != Qt::NoButton) {
            widget->move(mouse->globalPos() - m_offset);
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
