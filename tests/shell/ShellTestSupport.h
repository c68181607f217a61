#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

// Every test runs in a fresh working directory: config.ini and database.db
// are the station's files there.
class ScratchDir
{
public:
    ScratchDir()
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
    }
    ~ScratchDir() { QDir::setCurrent(m_previous); }
    Q_DISABLE_COPY(ScratchDir)

    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

inline void writeConfig(const QByteArray& json)
{
    QFile file(QStringLiteral("config.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(json);
}

template<typename T>
T* child(QWidget* window, const char* name)
{
    T* widget = window->findChild<T*>(QLatin1String(name));
    if (!widget)
        qWarning("no child %s", name);
    return widget;
}

inline void click(QWidget* window, const char* name)
{
    QWidget* button = window->findChild<QWidget*>(QLatin1String(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Top-level widgets of one class that are still alive (not yet deleted).
template<typename T>
QList<T*> liveWindows()
{
    QList<T*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (T* t = qobject_cast<T*>(w))
            found << t;
    return found;
}
