#include "RecordIndex.h"

#include "Database.h"
#include "LedgerLock.h"
#include "SqlDialect.h"

#include <QAtomicInteger>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPair>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <limits>

namespace {

// Below this many unread rows the text index catches up while it opens;
// above, a background thread reads the rest in chunks.
constexpr qint64 kOpeningCatchUp = 20000;
// Rows per background transaction: the ledger is read under the index's
// write lock only for this long.
constexpr int kChunkRows = 5000;
constexpr int kIdsPerCheck = 500;
// A text's trigrams are weighed on windows of ids spread over the index; if
// even the rarest is in more than kCommonShare of them, the result is large
// and the phrase itself is the cheaper query.
constexpr int kSampleWindows = 8;
constexpr qint64 kSampleWidth = 512;
constexpr double kCommonShare = 0.02;
constexpr int kBusyTimeoutMs = 5000;

const QString kFolder = QStringLiteral(".veloka-index");

QString textTable(const QString& table)
{
    return QStringLiteral("text_") + table;
}

QString dateTable(const QString& table)
{
    return QStringLiteral("date_") + table;
}

QHash<QString, std::weak_ptr<RecordIndex>>& openIndexes()
{
    static QHash<QString, std::weak_ptr<RecordIndex>> indexes;
    return indexes;
}

QString uniqueConnection(const char* role)
{
    static QAtomicInteger<int> serial;
    return QStringLiteral("veloka_index_%1_%2").arg(QLatin1String(role)).arg(serial.fetchAndAddRelaxed(1));
}

QSqlDatabase openSqlite(const QString& path, const QString& name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    db.open();
    return db;
}

void closeConnection(const QString& name)
{
    if (!QSqlDatabase::contains(name))
        return;
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

bool exec(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    qWarning() << "record index:" << query.lastError().text();
    return false;
}

// What the index keeps per table and has read so far.
struct Progress
{
    bool read = false;
    qint64 idsLast = 0;
    QString idsCheck;
    qint64 textLast = 0;
    QString textCheck;
};

Progress progressOf(QSqlDatabase& index, const QString& table)
{
    Progress progress;
    QSqlQuery query(index);
    query.prepare(
        QStringLiteral("select ids_last, ids_check, text_last, text_check from progress where tbl = ?"));
    query.addBindValue(table);
    if (!query.exec())
        return progress;
    progress.read = true;
    if (query.next()) {
        progress.idsLast = query.value(0).toLongLong();
        progress.idsCheck = query.value(1).toString();
        progress.textLast = query.value(2).toLongLong();
        progress.textCheck = query.value(3).toString();
    }
    return progress;
}

// The fingerprint of a whole ledger row; empty when the row is not there.
QString rowCheck(const QSqlDatabase& ledger, const QString& table, qint64 id)
{
    QSqlQuery query(ledger);
    query.prepare(QStringLiteral("select * from %1 where id = ?").arg(table));
    query.addBindValue(id);
    if (!query.exec() || !query.next())
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const int columns = query.record().count();
    for (int column = 0; column < columns; ++column) {
        const QVariant value = query.value(column);
        hash.addData(value.isNull() ? QByteArray("\x01") : value.toString().toUtf8());
        hash.addData("\x1f", 1);
    }
    return QString::fromLatin1(hash.result().toHex());
}

bool setProgress(
    QSqlDatabase& index, const QString& table, const char* lastColumn, qint64 last, const QString& check)
{
    QSqlQuery query(index);
    query.prepare(QStringLiteral("update progress set %1_last = ?, %1_check = ? where tbl = ?")
                      .arg(QLatin1String(lastColumn)));
    query.addBindValue(last);
    query.addBindValue(check);
    query.addBindValue(table);
    return query.exec();
}

bool createTables(QSqlDatabase& index)
{
    bool ok = exec(index, QStringLiteral("pragma journal_mode=wal"))
        && exec(index,
            QStringLiteral("create table if not exists id_runs (tbl text not null, first integer not null, "
                           "last integer not null, primary key (tbl, first)) without rowid"))
        && exec(index,
            QStringLiteral("create table if not exists progress (tbl text primary key, ids_last integer not "
                           "null default 0, ids_check text, text_last integer not null default 0, text_check "
                           "text)"))
        && exec(index,
            QStringLiteral("create table if not exists changed (tbl text not null, id integer not null, "
                           "primary key (tbl, id)) without rowid"));
    for (const QString& table : RecordIndex::tables()) {
        QSqlQuery seed(index);
        seed.prepare(QStringLiteral("insert or ignore into progress (tbl) values (?)"));
        seed.addBindValue(table);
        ok = ok && seed.exec();
        if (RecordIndex::hasText(table))
            ok = ok
                && exec(index,
                    QStringLiteral("create virtual table if not exists %1 using fts5(name, phone, "
                                   "tokenize='trigram')")
                        .arg(textTable(table)));
        ok = ok
            && exec(index,
                QStringLiteral("create table if not exists %1 (id integer primary key, date text)")
                    .arg(dateTable(table)))
            && exec(index,
                QStringLiteral("create index if not exists %1_by_date on %1 (date)").arg(dateTable(table)));
    }
    return ok;
}

// Drops what the index holds of one table, to be read again from the ledger.
bool resetTable(QSqlDatabase& index, const QString& table)
{
    qDebug() << "record index: rebuilding" << table;
    QSqlQuery runs(index);
    runs.prepare(QStringLiteral("delete from id_runs where tbl = ?"));
    runs.addBindValue(table);
    QSqlQuery changed(index);
    changed.prepare(QStringLiteral("delete from changed where tbl = ?"));
    changed.addBindValue(table);
    bool ok = runs.exec() && changed.exec() && setProgress(index, table, "ids", 0, QString())
        && setProgress(index, table, "text", 0, QString());
    if (RecordIndex::hasText(table))
        ok = ok && exec(index, QStringLiteral("drop table if exists %1").arg(textTable(table)));
    return ok && exec(index, QStringLiteral("delete from %1").arg(dateTable(table)));
}

// A table without text (devch) has no text statement.
bool insertEntry(QSqlQuery* text, QSqlQuery& date, qint64 id, const QVariant& name, const QVariant& phone,
    const QVariant& day)
{
    if (text) {
        text->addBindValue(id);
        text->addBindValue(name);
        text->addBindValue(phone);
        if (!text->exec())
            return false;
    }
    date.addBindValue(id);
    date.addBindValue(day);
    return date.exec();
}

// Reads up to `rows` ledger rows above what the text index holds, in one
// transaction of the index; the number read, or -1 on a failure.
qint64 catchUpText(QSqlDatabase& ledger, QSqlDatabase& index, const QString& table, int rows)
{
    // The write lock is taken before the ledger is read, so a row changed in
    // place meanwhile is either read changed or rewritten by rowChanged.
    if (!exec(index, QStringLiteral("begin immediate")))
        return -1;
    const Progress progress = progressOf(index, table);
    QSqlQuery read(ledger);
    read.setForwardOnly(true);
    const bool hasText = RecordIndex::hasText(table);
    read.prepare(QStringLiteral("select id, %1, date from %2 where id > ? order by id limit ?")
                     .arg(hasText ? QStringLiteral("name, phone") : QStringLiteral("null, null"), table));
    read.addBindValue(progress.textLast);
    read.addBindValue(rows);
    QSqlQuery text(index);
    if (hasText)
        text.prepare(
            QStringLiteral("insert into %1 (rowid, name, phone) values (?, ?, ?)").arg(textTable(table)));
    QSqlQuery date(index);
    date.prepare(QStringLiteral("insert or replace into %1 (id, date) values (?, ?)").arg(dateTable(table)));
    qint64 count = 0;
    qint64 last = progress.textLast;
    bool ok = progress.read && read.exec();
    while (ok && read.next()) {
        last = read.value(0).toLongLong();
        ok = insertEntry(hasText ? &text : nullptr, date, last, read.value(1), read.value(2), read.value(3));
        ++count;
    }
    read.finish();
    if (ok && count > 0)
        ok = setProgress(index, table, "text", last, rowCheck(ledger, table, last));
    if (!ok) {
        exec(index, QStringLiteral("rollback"));
        return -1;
    }
    return exec(index, QStringLiteral("commit")) ? count : -1;
}

qint64 ledgerLastId(const QSqlDatabase& ledger, const QString& table)
{
    QSqlQuery query(ledger);
    if (!query.exec(QStringLiteral("select max(id) from %1").arg(table)) || !query.next())
        return 0;
    return query.value(0).toLongLong();
}

// Whether the ledger still holds the rows the index last read: a file put in
// its place while a window is open is not searched through the old index.
bool stillMatches(const QSqlDatabase& ledger, const QString& table, const Progress& progress)
{
    return progress.read
        && (progress.idsLast == 0 || rowCheck(ledger, table, progress.idsLast) == progress.idsCheck)
        && (progress.textLast == 0 || rowCheck(ledger, table, progress.textLast) == progress.textCheck);
}

// Reads the text index up to the ledger's end on connections of its own.
class TextReader : public QThread
{
public:
    TextReader(const QString& ledgerPath, const QString& indexPath)
        : m_ledgerPath(ledgerPath)
        , m_indexPath(indexPath)
    {
    }

protected:
    void run() override
    {
        const QString ledgerName = uniqueConnection("ledger");
        const QString indexName = uniqueConnection("reader");
        {
            QSqlDatabase ledger = addStationConnection(m_ledgerPath, ledgerName);
            ledger.setConnectOptions(
                QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
            QSqlDatabase index = openSqlite(m_indexPath, indexName);
            if (ledger.open() && index.isOpen()) {
                for (const QString& table : RecordIndex::tables()) {
                    while (!isInterruptionRequested() && catchUpText(ledger, index, table, kChunkRows) > 0) {
                    }
                }
            }
        }
        closeConnection(ledgerName);
        closeConnection(indexName);
    }

private:
    const QString m_ledgerPath;
    const QString m_indexPath;
};

// The search text as the literal pieces between LIKE's wildcards.
QStringList literalSegments(const QString& text)
{
    QStringList segments;
    QString segment;
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_')) {
            if (!segment.isEmpty())
                segments.append(segment);
            segment.clear();
        } else {
            segment.append(c);
        }
    }
    if (!segment.isEmpty())
        segments.append(segment);
    return segments;
}

// The trigram index folds the case of every script, LIKE that of ASCII
// letters only; on characters without case (digits, CJK, punctuation) the two
// agree, so a single such segment needs no check against the ledger.
bool matchesExactly(const QString& text)
{
    for (const QChar c : text) {
        switch (c.category()) {
        case QChar::Number_DecimalDigit:
        case QChar::Letter_Other:
        case QChar::Separator_Space:
        case QChar::Punctuation_Connector:
        case QChar::Punctuation_Dash:
        case QChar::Punctuation_Open:
        case QChar::Punctuation_Close:
        case QChar::Punctuation_InitialQuote:
        case QChar::Punctuation_FinalQuote:
        case QChar::Punctuation_Other:
        case QChar::Symbol_Math:
        case QChar::Symbol_Currency:
            break;
        default:
            return false;
        }
    }
    return true;
}

QString phrase(const QString& column, const QString& segment)
{
    QString quoted = segment;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return column + QStringLiteral(" : \"") + quoted + QLatin1Char('"');
}

// The index cuts text into trigrams of code points, not of UTF-16 units.
QVector<uint> codePoints(const QString& text)
{
    return text.toUcs4();
}

// The distinct trigrams of the segments of at least three characters.
QStringList trigramsOf(const QStringList& segments)
{
    QStringList trigrams;
    for (const QString& segment : segments) {
        const QVector<uint> points = codePoints(segment);
        for (int i = 0; i + 3 <= points.size(); ++i) {
            const QString trigram = QString::fromUcs4(points.constData() + i, 3);
            if (!trigrams.contains(trigram))
                trigrams.append(trigram);
        }
    }
    return trigrams;
}

// The share of sampled ids whose row meets `match`; each window is a seek
// into the term's list, so a term in every row costs no more than a rare one.
bool sampledShare(QSqlDatabase& index, const QString& table, const QString& match, qint64 last, double& share)
{
    const int windows = last <= kSampleWindows * kSampleWidth ? 1 : kSampleWindows;
    qint64 sampled = 0;
    qint64 hits = 0;
    for (int window = 0; window < windows; ++window) {
        const qint64 first = windows == 1 ? 1 : 1 + (last - kSampleWidth) * window / (windows - 1);
        const qint64 end = windows == 1 ? last : first + kSampleWidth - 1;
        QSqlQuery query(index);
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("select count(*) from %1 where %1 match ? and rowid between ? and ?")
                          .arg(textTable(table)));
        query.addBindValue(match);
        query.addBindValue(first);
        query.addBindValue(end);
        if (!query.exec() || !query.next())
            return false;
        hits += query.value(0).toLongLong();
        sampled += end - first + 1;
    }
    share = sampled > 0 ? double(hits) / sampled : 1;
    return true;
}

// The full-text query for a search: the phrases of its segments, or, when
// some of its trigrams are rare, just the two rarest (their rows are a
// superset of the phrases' rows, to be checked with LIKE). Phrases of
// frequent trigrams read every row's entry of them, which is what made a
// telephone search slow on a large ledger. `narrowed` tells which was chosen.
bool textMatch(QSqlDatabase& index, const QString& table, const QString& column, const QStringList& segments,
    qint64 last, QString& match, bool& narrowed)
{
    QStringList phrases;
    for (const QString& segment : segments) {
        if (codePoints(segment).size() >= 3)
            phrases.append(phrase(column, segment));
    }
    match = phrases.join(QStringLiteral(" AND "));
    narrowed = false;
    const QStringList trigrams = trigramsOf(segments);
    if (trigrams.size() <= 2 || last <= 0)
        return true;
    QVector<QPair<double, QString>> weighed;
    for (const QString& trigram : trigrams) {
        double share = 1;
        if (!sampledShare(index, table, phrase(column, trigram), last, share))
            return false;
        weighed.append({ share, trigram });
    }
    std::sort(weighed.begin(), weighed.end());
    if (weighed.first().first > kCommonShare)
        return true;
    match = phrase(column, weighed.at(0).second) + QStringLiteral(" AND ")
        + phrase(column, weighed.at(1).second);
    narrowed = true;
    return true;
}

// Appends the candidates whose ledger row meets `condition` (its values
// bound in order), ascending.
bool liveCheck(const QSqlDatabase& ledger, const QString& table, const QString& condition,
    const QVariantList& values, const QVector<qint64>& candidates, QVector<qint64>& out)
{
    for (int start = 0; start < candidates.size(); start += kIdsPerCheck) {
        QStringList ids;
        for (int i = start; i < std::min<int>(candidates.size(), start + kIdsPerCheck); ++i)
            ids.append(QString::number(candidates.at(i)));
        QSqlQuery query(ledger);
        query.setForwardOnly(true);
        // The ids are the index's integers, not typed text.
        query.prepare(QStringLiteral("select id from %1 where id in (%2) and %3 order by id")
                          .arg(table, ids.join(QLatin1Char(',')), condition));
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec())
            return false;
        while (query.next())
            out.append(query.value(0).toLongLong());
    }
    return true;
}

// Rows changed in place since their entries were written, ascending: they
// are judged by the ledger itself, as the change may yet be rolled back.
bool changedIds(QSqlDatabase& index, const QString& table, QVector<qint64>& ids)
{
    QSqlQuery query(index);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select id from changed where tbl = ? order by id"));
    query.addBindValue(table);
    if (!query.exec())
        return false;
    while (query.next())
        ids.append(query.value(0).toLongLong());
    return true;
}

// Index results without the changed rows, joined with what the ledger says
// of those rows.
bool joinChanged(const QSqlDatabase& ledger, const QString& table, const QString& condition,
    const QVariantList& values, const QVector<qint64>& changed, QVector<qint64>& found, IdRuns& out)
{
    if (!changed.isEmpty()) {
        found.erase(std::remove_if(found.begin(), found.end(),
                        [&](qint64 id) { return std::binary_search(changed.cbegin(), changed.cend(), id); }),
            found.end());
        if (!liveCheck(ledger, table, condition, values, changed, found))
            return false;
        std::sort(found.begin(), found.end());
    }
    for (qint64 id : found)
        out.append(id);
    return true;
}

// Writes a row's entries again from the ledger.
bool rewriteEntry(const QSqlDatabase& ledger, QSqlDatabase& index, const QString& table, qint64 id)
{
    QSqlQuery remove(index);
    remove.prepare(QStringLiteral("delete from %1 where rowid = ?").arg(textTable(table)));
    remove.addBindValue(id);
    QSqlQuery read(ledger);
    read.prepare(QStringLiteral("select name, phone, date from %1 where id = ?").arg(table));
    read.addBindValue(id);
    if (!remove.exec() || !read.exec())
        return false;
    if (!read.next())
        return true;
    QSqlQuery text(index);
    text.prepare(
        QStringLiteral("insert into %1 (rowid, name, phone) values (?, ?, ?)").arg(textTable(table)));
    QSqlQuery date(index);
    date.prepare(QStringLiteral("insert or replace into %1 (id, date) values (?, ?)").arg(dateTable(table)));
    return insertEntry(&text, date, id, read.value(0), read.value(1), read.value(2));
}

// At opening, when no ledger write is under way: the changed rows' entries
// are written from what the ledger holds now.
bool settleChanged(const QSqlDatabase& ledger, QSqlDatabase& index, const QString& table)
{
    QVector<qint64> changed;
    if (!changedIds(index, table, changed))
        return false;
    if (changed.isEmpty())
        return true;
    bool ok = exec(index, QStringLiteral("begin immediate"));
    for (qint64 id : changed)
        ok = ok && rewriteEntry(ledger, index, table, id);
    QSqlQuery clear(index);
    clear.prepare(QStringLiteral("delete from changed where tbl = ?"));
    clear.addBindValue(table);
    ok = ok && clear.exec();
    exec(index, ok ? QStringLiteral("commit") : QStringLiteral("rollback"));
    return ok;
}

} // namespace

const QStringList& RecordIndex::tables()
{
    static const QStringList names { QStringLiteral("user"), QStringLiteral("record"),
        QStringLiteral("backcard"), QStringLiteral("devch") };
    return names;
}

bool RecordIndex::hasText(const QString& table)
{
    return table != QLatin1String("devch");
}

QString RecordIndex::indexPath(const QString& ledgerPath)
{
    const QFileInfo ledger(ledgerPath);
    return ledger.absolutePath() + QLatin1Char('/') + kFolder + QLatin1Char('/') + ledger.fileName()
        + QStringLiteral(".index");
}

RecordIndex::RecordIndex(const QString& ledgerPath, const QString& indexPath)
    : m_ledgerPath(ledgerPath)
    , m_indexPath(indexPath)
    , m_connection(uniqueConnection("gui"))
{
}

RecordIndex::~RecordIndex()
{
    if (m_reader) {
        m_reader->requestInterruption();
        m_reader->wait();
        delete m_reader;
    }
    closeConnection(m_connection);
}

std::shared_ptr<RecordIndex> RecordIndex::acquire()
{
    const QSqlDatabase ledger = QSqlDatabase::database();
    if (!ledger.isOpen() || SqlDialect::of(ledger).isServer())
        return nullptr;
    const QString ledgerPath = QFileInfo(ledger.databaseName()).absoluteFilePath();
    std::shared_ptr<RecordIndex> index = openIndexes().value(ledgerPath).lock();
    if (index)
        return index;
    index.reset(new RecordIndex(ledgerPath, indexPath(ledgerPath)));
    if (!index->open())
        return nullptr;
    openIndexes().insert(ledgerPath, index);
    return index;
}

bool RecordIndex::open()
{
    if (!QDir().mkpath(QFileInfo(m_indexPath).absolutePath()))
        return false;
    QSqlDatabase index = openSqlite(m_indexPath, m_connection);
    if (!index.isOpen() || !createTables(index))
        return false;
    QSqlDatabase ledger = QSqlDatabase::database();
    bool behind = false;
    for (const QString& table : tables()) {
        const Progress progress = progressOf(index, table);
        if (!progress.read)
            return false;
        const bool replaced
            = (progress.idsLast > 0 && rowCheck(ledger, table, progress.idsLast) != progress.idsCheck)
            || (progress.textLast > 0 && rowCheck(ledger, table, progress.textLast) != progress.textCheck);
        if (replaced && !(resetTable(index, table) && createTables(index)))
            return false;
        if (hasText(table) && !settleChanged(ledger, index, table))
            return false;
        const qint64 unread = ledgerLastId(ledger, table) - (replaced ? 0 : progress.textLast);
        if (unread <= 0)
            continue;
        if (unread <= kOpeningCatchUp) {
            if (catchUpText(ledger, index, table, int(kOpeningCatchUp)) < 0)
                return false;
        } else {
            behind = true;
        }
    }
    if (behind) {
        m_reader = new TextReader(m_ledgerPath, m_indexPath);
        m_reader->start(QThread::LowPriority);
    }
    return true;
}

bool RecordIndex::waitUntilCaughtUp(int ms)
{
    return !m_reader || m_reader->wait(ms);
}

qint64 RecordIndex::textIndexed(const QString& table) const
{
    QSqlDatabase index = QSqlDatabase::database(m_connection, false);
    return progressOf(index, table).textLast;
}

bool RecordIndex::allIds(const QString& table, IdRuns& out)
{
    QSqlDatabase index = QSqlDatabase::database(m_connection, false);
    QSqlDatabase ledger = QSqlDatabase::database();
    const Progress progress = progressOf(index, table);
    QSqlQuery runs(index);
    runs.setForwardOnly(true);
    runs.prepare(QStringLiteral("select first, last from id_runs where tbl = ? order by first"));
    runs.addBindValue(table);
    if (!stillMatches(ledger, table, progress) || !runs.exec())
        return false;
    while (runs.next())
        out.appendRun(runs.value(0).toLongLong(), runs.value(1).toLongLong());
    runs.finish();

    // The ledger's ids above the index, kept for the next time.
    IdRuns fresh;
    if (!ledgerIdRuns(ledger, table, progress.idsLast, fresh))
        return false;
    if (fresh.isEmpty())
        return true;
    bool stored = exec(index, QStringLiteral("begin immediate"));
    for (const IdRuns::Run& run : fresh.runs()) {
        const bool joins = !out.isEmpty() && out.lastId() + 1 == run.first;
        QSqlQuery write(index);
        if (joins) {
            write.prepare(QStringLiteral("update id_runs set last = ? where tbl = ? and last = ?"));
            write.addBindValue(run.last);
            write.addBindValue(table);
            write.addBindValue(out.lastId());
        } else {
            write.prepare(
                QStringLiteral("insert or replace into id_runs (tbl, first, last) values (?, ?, ?)"));
            write.addBindValue(table);
            write.addBindValue(run.first);
            write.addBindValue(run.last);
        }
        stored = stored && write.exec();
        out.appendRun(run.first, run.last);
    }
    stored = stored && setProgress(index, table, "ids", out.lastId(), rowCheck(ledger, table, out.lastId()));
    exec(index, stored ? QStringLiteral("commit") : QStringLiteral("rollback"));
    return true;
}

bool RecordIndex::search(const QString& table, const QString& column, const QString& text, IdRuns& out)
{
    QSqlDatabase index = QSqlDatabase::database(m_connection, false);
    QSqlDatabase ledger = QSqlDatabase::database();
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    const Progress progress = progressOf(index, table);
    if (!hasText(table) || !stillMatches(ledger, table, progress))
        return false;

    const QStringList segments = literalSegments(text);
    QString match;
    bool narrowed = false;
    if (!textMatch(index, table, column, segments, progress.textLast, match, narrowed))
        return false;
    // One or two letters make no trigram: the ledger is read whole.
    if (match.isEmpty())
        return ledgerLike(ledger, table, column, pattern, 0, out);

    QSqlQuery query(index);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select rowid from %1 where %1 match ? and rowid <= ? order by rowid")
                      .arg(textTable(table)));
    query.addBindValue(match);
    query.addBindValue(progress.textLast);
    if (!query.exec())
        return false;
    const bool exact = !narrowed && segments.size() == 1 && segments.first() == text && matchesExactly(text);
    QVector<qint64> candidates;
    while (query.next())
        candidates.append(query.value(0).toLongLong());
    query.finish();
    QVector<qint64> changed;
    if (!changedIds(index, table, changed))
        return false;
    const QString condition = SqlDialect::of(ledger).like(column, QStringLiteral("?"));
    QVector<qint64> found;
    if (exact)
        found = std::move(candidates);
    else if (!liveCheck(ledger, table, condition, { pattern }, candidates, found))
        return false;
    if (!joinChanged(ledger, table, condition, { pattern }, changed, found, out))
        return false;
    return ledgerLike(ledger, table, column, pattern, progress.textLast + 1, out);
}

bool RecordIndex::dates(const QString& table, const QString& from, const QString& to, IdRuns& out)
{
    QSqlDatabase index = QSqlDatabase::database(m_connection, false);
    const Progress progress = progressOf(index, table);
    if (!stillMatches(QSqlDatabase::database(), table, progress))
        return false;
    QSqlQuery query(index);
    query.setForwardOnly(true);
    // By the date b-tree, then sorted: in id order the planner would read
    // the whole table instead.
    query.prepare(QStringLiteral(
        "select id from %1 indexed by %1_by_date where date >= ? and date <= ? and id <= ? order by id")
                      .arg(dateTable(table)));
    query.addBindValue(from);
    query.addBindValue(to);
    query.addBindValue(progress.textLast);
    if (!query.exec())
        return false;
    QVector<qint64> found;
    while (query.next())
        found.append(query.value(0).toLongLong());
    query.finish();
    QVector<qint64> changed;
    if (!changedIds(index, table, changed)
        || !joinChanged(QSqlDatabase::database(), table, QStringLiteral("date >= ? and date <= ?"),
            { from, to }, changed, found, out))
        return false;
    return ledgerDates(QSqlDatabase::database(), table, from, to, progress.textLast + 1, out);
}

void RecordIndex::rowChanged(const QString& table, qint64 id)
{
    QSqlDatabase ledger = QSqlDatabase::database();
    if (!ledger.isOpen() || SqlDialect::of(ledger).isServer() || !tables().contains(table))
        return;
    const QString path = indexPath(QFileInfo(ledger.databaseName()).absoluteFilePath());
    if (!QFileInfo::exists(path))
        return;
    const QString name = uniqueConnection("change");
    {
        QSqlDatabase index = openSqlite(path, name);
        if (index.isOpen() && exec(index, QStringLiteral("begin immediate"))) {
            const Progress progress = progressOf(index, table);
            bool ok = progress.read;
            const QString check = rowCheck(ledger, table, id);
            if (ok && hasText(table) && id <= progress.textLast) {
                QSqlQuery mark(index);
                mark.prepare(QStringLiteral("insert or ignore into changed (tbl, id) values (?, ?)"));
                mark.addBindValue(table);
                mark.addBindValue(id);
                ok = mark.exec() && rewriteEntry(ledger, index, table, id);
            }
            if (ok && id == progress.textLast)
                ok = setProgress(index, table, "text", id, check);
            if (ok && id == progress.idsLast)
                ok = setProgress(index, table, "ids", id, check);
            exec(index, ok ? QStringLiteral("commit") : QStringLiteral("rollback"));
        }
    }
    closeConnection(name);
}

bool RecordIndex::ledgerIdRuns(const QSqlDatabase& db, const QString& table, qint64 after, IdRuns& out)
{
    const QString name = SqlDialect::of(db).table(table);
    // Most tables have no gaps: their count says so without ranking the ids.
    QSqlQuery span(db);
    span.prepare(QStringLiteral("select count(*), min(id), max(id) from %1 where id > :after").arg(name));
    span.bindValue(QStringLiteral(":after"), after);
    if (!span.exec() || !span.next())
        return false;
    const qint64 count = span.value(0).toLongLong();
    const qint64 first = span.value(1).toLongLong();
    const qint64 last = span.value(2).toLongLong();
    if (count == 0)
        return true;
    if (last - first + 1 == count) {
        out.appendRun(first, last);
        return true;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Gaps and islands: within a run of consecutive ids, id minus its rank is
    // constant.
    query.prepare(
        QStringLiteral("select min(id), max(id) from (select id, id - row_number() over (order by id) "
                       "as grp from %1 where id > :after) as ranked group by grp order by 1")
            .arg(name));
    query.bindValue(QStringLiteral(":after"), after);
    if (!execReading(query))
        return false;
    while (query.next())
        out.appendRun(query.value(0).toLongLong(), query.value(1).toLongLong());
    return true;
}

bool RecordIndex::ledgerLike(const QSqlDatabase& db, const QString& table, const QString& column,
    const QString& pattern, qint64 first, IdRuns& out)
{
    const SqlDialect dialect = SqlDialect::of(db);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select id from %1 where id >= :first and %2 order by id")
                      .arg(dialect.table(table), dialect.like(column, QStringLiteral(":pattern"))));
    query.bindValue(QStringLiteral(":first"), first);
    query.bindValue(QStringLiteral(":pattern"), pattern);
    if (!execReading(query))
        return false;
    while (query.next())
        out.append(query.value(0).toLongLong());
    return true;
}

bool RecordIndex::ledgerDates(const QSqlDatabase& db, const QString& table, const QString& from,
    const QString& to, qint64 first, IdRuns& out)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("select id from %1 where id >= :first and date >= :from and date <= :to order by id")
            .arg(SqlDialect::of(db).table(table)));
    query.bindValue(QStringLiteral(":first"), first);
    query.bindValue(QStringLiteral(":from"), from);
    query.bindValue(QStringLiteral(":to"), to);
    if (!execReading(query))
        return false;
    while (query.next())
        out.append(query.value(0).toLongLong());
    return true;
}
