#pragma once

#include <QDateTime>
#include <QStringList>

// The blacklist's text list file: one card number per line, as typed.
namespace BlacklistFile {

// Reads at most maxLines lines, each (whatever it holds) one row. False when
// the file cannot be opened; rows is then left empty.
bool read(const QString& path, int maxLines, QStringList& rows);
// Writes each row followed by the platform's line end. False when the file
// cannot be opened or not every byte reached it; the previous file is then kept.
bool write(const QString& path, const QStringList& rows);
// The name offered when exporting: the local time followed by ".txt".
QString proposedName(const QDateTime& now);

} // namespace BlacklistFile
