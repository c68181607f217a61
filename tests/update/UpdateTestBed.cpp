#include "UpdateTestBed.h"

#include <QDir>
#include <QFile>

UpdateTestBed::UpdateTestBed()
    : m_previousDir(QDir::currentPath())
{
    m_valid = m_dir.isValid() && QDir::setCurrent(m_dir.path()) && m_server.start();
}

UpdateTestBed::~UpdateTestBed()
{
    QDir::setCurrent(m_previousDir);
}

void UpdateTestBed::writeFile(const QString& name, const QByteArray& content)
{
    QFile file(name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QByteArray UpdateTestBed::fileContent(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
