#include "BlacklistFile.h"

#include <QFile>
#include <QTextStream>

namespace BlacklistFile {

bool read(const QString& path, int maxLines, QStringList& rows)
{
    rows.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (rows.size() < maxLines && !in.atEnd())
        rows.append(in.readLine());
    return true;
}

bool write(const QString& path, const QStringList& rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out.setCodec("UTF-8");
    for (const QString& row : rows)
        out << row << '\n';
    out.flush();
    return out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
}

QString proposedName(const QDateTime& now)
{
    return now.toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")) + QStringLiteral(".txt");
}

} // namespace BlacklistFile
