#include "Outbox.h"

#include "FileSync.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSet>
#include <unistd.h>

namespace {

QString g_stationPath = Outbox::kFileName;
const QString kAttempted = QStringLiteral("attempted");

// One waiting line: an entry, or text that cannot be read (kept as it is).
struct Line
{
    QByteArray text;
    std::optional<LedgerEntry> entry;
    bool attempted = false;
};

QByteArray entryLine(const LedgerEntry& entry)
{
    return QJsonDocument(entry.toJson()).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray attemptLine(const QString& key)
{
    return QJsonDocument(QJsonObject { { kAttempted, key } }).toJson(QJsonDocument::Compact) + '\n';
}

// Entry lines in file order, with the attempts recorded after them folded in.
QList<Line> readLines(const QString& path)
{
    QList<Line> lines;
    // Only a plain file holds entries; a device would read for ever. An empty
    // one, asked before every money operation, costs one look.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "outbox unreadable:" << path << file.errorString();
        return lines;
    }
    QSet<QString> attempted;
    for (const QByteArray& text : file.readAll().split('\n')) {
        if (text.trimmed().isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(text).object();
        if (object.contains(kAttempted)) {
            attempted.insert(object.value(kAttempted).toString());
            continue;
        }
        Line line { text, LedgerEntry::fromJson(object), false };
        if (!line.entry)
            qDebug() << "outbox line unreadable:" << text;
        lines << line;
    }
    for (Line& line : lines)
        line.attempted = line.entry && attempted.contains(line.entry->key);
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

// A device has no end to append at (and Qt warns at the seek there).
QIODevice::OpenMode appendMode(const QString& path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile() ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly;
}

// Appends the text, flushed and synced; a part written before a failure is cut off again.
bool appendSynced(const QString& path, QByteArray text)
{
    // A line cut short by a crash must not swallow this one.
    if (endsInsideLine(path))
        text.prepend('\n');
    QFile file(path);
    if (!file.open(appendMode(path))) {
        qDebug() << "outbox:" << file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (file.write(text) == text.size() && file.flush() && ::fsync(file.handle()) == 0) {
        file.close();
        syncFolderOf(path);
        return true;
    }
    qDebug() << "outbox:" << file.errorString();
    if (QFileInfo(path).isFile())
        file.resize(size);
    return false;
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
    return file.open(appendMode(m_path));
}

bool Outbox::append(const LedgerEntry& entry, bool attempted) const
{
    return appendSynced(m_path, entryLine(entry) + (attempted ? attemptLine(entry.key) : QByteArray()));
}

int Outbox::count() const
{
    return readLines(m_path).size();
}

namespace {

struct Attempt
{
    LedgerFault fault = LedgerFault::None;
    bool recorded = false; // the attempt line was appended
};

// An entry never committed before is written without a look-up: rows whose
// values are all equal can be two real operations (a card returned twice
// within one second). Before its commit the attempt is recorded, so that
// after a crash between the commit and the rewrite of the file the entry is
// looked for first.
Attempt deliverOne(const QString& path, const LedgerEntry& entry, bool attempted)
{
    Attempt attempt;
    attempt.fault = beginLedgerTransaction();
    if (attempt.fault != LedgerFault::None)
        return attempt;
    const LookupStatus held = attempted ? findLedgerEntry(entry) : LookupStatus::NotFound;
    bool ok = held != LookupStatus::Failed;
    if (ok && held == LookupStatus::NotFound) {
        ok = writeLedgerEntry(entry);
        if (ok && !attempted)
            ok = attempt.recorded = appendSynced(path, attemptLine(entry.key));
    }
    if (ok && commitLedgerTransaction())
        return attempt;
    rollbackLedgerTransaction();
    attempt.fault = LedgerFault::Other;
    return attempt;
}

} // namespace

Outbox::Delivery Outbox::deliver() const
{
    Delivery delivery;
    const QList<Line> lines = readLines(m_path);
    QByteArray kept;
    for (const Line& line : lines) {
        bool attempted = line.attempted;
        if (line.entry && delivery.fault == LedgerFault::None) {
            const Attempt attempt = deliverOne(m_path, *line.entry, line.attempted);
            delivery.fault = attempt.fault;
            if (attempt.fault == LedgerFault::None) {
                ++delivery.delivered;
                continue;
            }
            // Its commit failed, and may still have gone through.
            attempted = attempted || attempt.recorded;
        }
        ++delivery.waiting;
        kept += line.text + '\n' + (attempted ? attemptLine(line.entry->key) : QByteArray());
    }
    if (delivery.delivered == 0)
        return delivery;

    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly) && file.write(kept) == kept.size() && file.commit())
        return delivery;
    // The delivered entries stay in the file with their attempts; the next
    // delivery finds them stored and drops them then.
    qDebug() << "outbox rewrite failed:" << file.errorString();
    delivery.waiting = lines.size();
    return delivery;
}
