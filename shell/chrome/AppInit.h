#pragma once

#include <QObject>
#include <QPoint>

// Application-wide event filter that lets the user drag any window whose
// property "canMove" is true by pressing anywhere on it that a child widget
// leaves unhandled. One instance per program, installed at start.
class AppInit : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(AppInit)

public:
    static AppInit* instance();
    // Installs the filter on the application object.
    void start();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit AppInit(QObject* parent = nullptr);

    bool m_pressed = false;
    QPoint m_offset;
};
