#include "BlacklistFile.h"

#include <QFile>
#include <QSaveFile>
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
    // The list goes to a temporary file that takes the target's name only once
    // complete, so a failed write leaves the previous list whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out.setCodec("UTF-8");
    for (const QString& row : rows)
        out << row << '\n';
    out.flush();
    if (out.status() != QTextStream::Ok)
        file.cancelWriting();
    return file.commit();
}

QString proposedName(const QDateTime& now)
{
    return now.toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")) + QStringLiteral(".txt");
}

} // namespace BlacklistFile
