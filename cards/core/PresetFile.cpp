#include "PresetFile.h"

#include <QFile>
#include <QSaveFile>

bool PresetFile::read(const QString& path, int size, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.read(size);
    if (data.size() < size)
        return false;
    bytes = data;
    return true;
}

bool PresetFile::write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}
