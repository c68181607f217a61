#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QUrl;

// Text helpers of the update programs. No widgets, no network: they are shared
// by the station's version check and the updater window.
namespace UpdateText {

// "0 B", "512 KB", "3 MB/S": whole units, truncated; the speed flag appends "/S".
QString formatSize(qint64 bytes, bool speedFlag);

// "45s", "5m 3s", "1h 1s", "2d 3h": zero parts are left out, non-positive is "0s".
QString formatDuration(qint64 seconds);

// Seconds left at the given speed; 0 when no speed was measured, so a stalled
// transfer never divides by zero.
qint64 remainingSeconds(qint64 bytesLeft, qint64 bytesPerSecond);

// The addresses of update.ini in file order. Blank lines are no addresses.
QStringList parseUpdateList(const QString& text);

// ver.ini and update.ini hold a few hundred bytes. A larger file is refused
// whole rather than read into memory or parsed in part.
constexpr qint64 MaxListFileSize = 8 * 1024;
enum class ReadResult { Read, Missing, TooLarge };
ReadResult readListFile(const QString& path, QByteArray& content);

// What of a server's file goes to the debug log: its start only.
QByteArray logPrefix(const QByteArray& content);

// True for a bare file name that stays in the working directory: not empty,
// not "." or "..", no path separator, drive or stream designator, no control
// character.
bool isPlainFileName(const QString& name);

// The decoded file-name part of an address's path, or an empty text when that
// part is empty or could name something outside the working directory once
// decoded: "." and "..", path separators, drive or stream designators.
QString safeFileName(const QUrl& url);

// "./" + safeFileName, or an empty text when the address is refused.
QString localFileName(const QString& address);

} // namespace UpdateText
