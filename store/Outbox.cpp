#include "Outbox.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString g_stationPath = Outbox::kFileName;

QList<QByteArray> readLines(const QString& path)
{
    QList<QByteArray> lines;
    // Only a plain file holds entries; a device would read for ever.
    if (!QFileInfo(path).isFile())
        return lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "outbox unreadable:" << path << file.errorString();
        return lines;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            lines << line;
    }
    return lines;
}

bool endsInsideLine(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() == 0
        || !file.seek(file.size() - 1))
        return false;
    char last = '\n';
    return file.getChar(&last) && last != '\n';
}

// A new file's name must reach the disk too, or a power cut could lose it.
void syncFolderOf(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::optional<LedgerEntry> parse(const QByteArray& line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject())
        return std::nullopt;
    return LedgerEntry::fromJson(document.object());
}

// One entry in a transaction of its own; a crash after its commit leaves it
// in the file, and the look-up then finds it stored.
LedgerFault deliverOne(const LedgerEntry& entry)
{
    const LedgerFault begun = beginLedgerTransaction();
    if (begun != LedgerFault::None)
        return begun;
    const LookupStatus held = findLedgerEntry(entry);
    bool ok = held != LookupStatus::Failed;
    if (ok && held == LookupStatus::NotFound)
        ok = writeLedgerEntry(entry);
    if (ok && commitLedgerTransaction())
        return LedgerFault::None;
    rollbackLedgerTransaction();
    return LedgerFault::Other;
}

} // namespace

QString Outbox::stationPath()
{
    return g_stationPath;
}

void Outbox::setStationPath(const QString& path)
{
    g_stationPath = path;
}

Outbox::Outbox(const QString& path)
    : m_path(path)
{
}

bool Outbox::canAppend() const
{
    QFile file(m_path);
    return file.open(QIODevice::WriteOnly | QIODevice::Append);
}

bool Outbox::append(const LedgerEntry& entry) const
{
    QByteArray line = QJsonDocument(entry.toJson()).toJson(QJsonDocument::Compact) + '\n';
    // A line cut short by a crash must not swallow this one.
    if (endsInsideLine(m_path))
        line.prepend('\n');
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        qDebug() << "outbox:" << file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (file.write(line) == line.size() && file.flush() && ::fsync(file.handle()) == 0) {
        file.close();
        syncFolderOf(m_path);
        return true;
    }
    qDebug() << "outbox:" << file.errorString();
    // A half line would stay unreadable for ever; the operator is told the
    // entry is lost, so it goes.
    if (QFileInfo(m_path).isFile())
        file.resize(size);
    return false;
}

int Outbox::count() const
{
    return readLines(m_path).size();
}

Outbox::Delivery Outbox::deliver() const
{
    Delivery delivery;
    const QList<QByteArray> lines = readLines(m_path);
    QList<QByteArray> kept;
    for (const QByteArray& line : lines) {
        const std::optional<LedgerEntry> entry = parse(line);
        if (!entry)
            qDebug() << "outbox line unreadable:" << line;
        if (!entry || delivery.fault != LedgerFault::None) {
            kept << line;
            continue;
        }
        delivery.fault = deliverOne(*entry);
        if (delivery.fault == LedgerFault::None)
            ++delivery.delivered;
        else
            kept << line;
    }
    delivery.waiting = kept.size();
    if (delivery.delivered == 0)
        return delivery;

    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly)) {
        for (const QByteArray& line : qAsConst(kept))
            file.write(line + '\n');
        if (file.commit())
            return delivery;
    }
    // The delivered entries stay in the file; the next delivery finds them
    // stored and drops them then.
    qDebug() << "outbox rewrite failed:" << file.errorString();
    delivery.waiting = lines.size();
    return delivery;
}
