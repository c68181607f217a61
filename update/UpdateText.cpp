#include "UpdateText.h"

#include <QFile>
#include <QUrl>

namespace UpdateText {

namespace {
constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;
constexpr qint64 GiB = 1024 * MiB;
constexpr qint64 Minute = 60;
constexpr qint64 Hour = 60 * Minute;
constexpr qint64 Day = 24 * Hour;
constexpr int LogPrefixSize = 200;
} // namespace

QString formatSize(qint64 bytes, bool speedFlag)
{
    qint64 value = 0;
    QString unit = QStringLiteral(" B");
    if (bytes <= 0) {
        value = 0;
    } else if (bytes < KiB) {
        value = bytes;
    } else if (bytes < MiB) {
        value = bytes / KiB;
        unit = QStringLiteral(" KB");
    } else if (bytes < GiB) {
        value = bytes / MiB;
        unit = QStringLiteral(" MB");
    } else {
        value = bytes / GiB;
        unit = QStringLiteral(" GB");
    }
    if (speedFlag)
        unit += QStringLiteral("/S");
    return QStringLiteral("%1%2").arg(value).arg(unit);
}

QString formatDuration(qint64 seconds)
{
    if (seconds <= 0)
        return QStringLiteral("0s");
    if (seconds < Minute)
        return QStringLiteral("%1s").arg(seconds);

    const qint64 days = seconds / Day;
    const qint64 hours = seconds % Day / Hour;
    const qint64 minutes = seconds % Hour / Minute;
    const qint64 rest = seconds % Minute;
    QStringList parts;
    if (days > 0)
        parts << QStringLiteral("%1d").arg(days);
    if (hours > 0)
        parts << QStringLiteral("%1h").arg(hours);
    if (minutes > 0)
        parts << QStringLiteral("%1m").arg(minutes);
    if (rest > 0)
        parts << QStringLiteral("%1s").arg(rest);
    return parts.join(QLatin1Char(' '));
}

qint64 remainingSeconds(qint64 bytesLeft, qint64 bytesPerSecond)
{
    if (bytesPerSecond <= 0 || bytesLeft <= 0)
        return 0;
    return bytesLeft / bytesPerSecond;
}

QStringList parseUpdateList(const QString& text)
{
    QStringList addresses;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString address = line.trimmed();
        if (!address.isEmpty())
            addresses << address;
    }
    return addresses;
}

ReadResult readListFile(const QString& path, QByteArray& content)
{
    content.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::Missing;
    // One byte over the cap tells a full file from an oversized one, also for
    // files whose size is not known in advance.
    QByteArray data = file.read(MaxListFileSize + 1);
    if (data.size() > MaxListFileSize)
        return ReadResult::TooLarge;
    content = data;
    return ReadResult::Read;
}

QByteArray logPrefix(const QByteArray& content)
{
    return content.size() <= LogPrefixSize ? content : content.left(LogPrefixSize) + "...";
}

bool isPlainFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20)
            return false;
    }
    return true;
}

QString safeFileName(const QUrl& url)
{
    // Split on the separators that are really in the address, then decode: an
    // encoded separator must not turn the name into a path.
    const QString encodedPath = url.path(QUrl::FullyEncoded);
    const QString encodedName = encodedPath.mid(encodedPath.lastIndexOf(QLatin1Char('/')) + 1);
    const QString name = QUrl::fromPercentEncoding(encodedName.toLatin1());
    return isPlainFileName(name) ? name : QString();
}

QString localFileName(const QString& address)
{
    const QUrl url(address);
    if (!url.isValid())
        return QString();
    const QString name = safeFileName(url);
    return name.isEmpty() ? QString() : QStringLiteral("./") + name;
}

} // namespace UpdateText
