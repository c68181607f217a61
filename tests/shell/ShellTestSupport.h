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

// server.ini naming a server that cannot answer: a socket folder with no
// server in it.
inline void writeAbsentServerSettings(const QString& socketDir)
{
    QFile file(QStringLiteral("server.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral(R"({"backend": "postgresql", "host": "%1", "port": 5999, "database": "veloka",
        "user": "veloka_station"})")
                   .arg(socketDir)
                   .toUtf8());
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
