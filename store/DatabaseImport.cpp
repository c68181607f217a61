#include "DatabaseImport.h"

#include "Database.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QVector>
#include <limits>

// The merge runs in SQL on the station's own connection: the source file is
// attached read-only and each batch of source rows is looked up and copied by
// one INSERT ... SELECT, so no value passes through Qt. The "db2" connection
// still opens and validates the file and reads each table's highest id.
namespace {

const QString kSchema = QStringLiteral("veloka_source");

enum class Value { Card, Number, Text };

struct MergedColumn
{
    QString name;
    Value kind;
};

// A source table: the columns after id, read by position 1, 2, ..., and the
// columns whose equal values mean the station already holds the row.
struct MergePlan
{
    DatabaseImport::Table table;
    QString name;
    QVector<MergedColumn> columns;
    QStringList key;
};

const QVector<MergePlan>& mergePlans()
{
    const auto texts = [](const QStringList& names) {
        QVector<MergedColumn> columns;
        for (const QString& name : names)
            columns.append({ name, Value::Text });
        return columns;
    };
    const MergedColumn card { QStringLiteral("cardnum"), Value::Card };
    static const QVector<MergePlan> specs {
        { DatabaseImport::Table::User, QStringLiteral("user"),
            QVector<MergedColumn> { card }
                + texts({ "name", "addr", "phone", "carnum", "date", "manager", "sn", "note" }),
            { "cardnum" } },
        { DatabaseImport::Table::Record, QStringLiteral("record"),
            QVector<MergedColumn> { card }
                + texts({ "name", "addr", "phone", "carnum", "date", "manager", "pay", "pay_old", "pay_new",
                    "sn", "note" }),
            { "cardnum", "date" } },
        { DatabaseImport::Table::BackCard, QStringLiteral("backcard"),
            QVector<MergedColumn> { card }
                + texts({ "name", "addr", "phone", "carnum", "date", "manager", "pay", "sn", "note" }),
            { "cardnum", "date" } },
        { DatabaseImport::Table::DevCh, QStringLiteral("devch"),
            { { QStringLiteral("money"), Value::Number }, { QStringLiteral("sn"), Value::Number },
                { QStringLiteral("ver"), Value::Number }, { QStringLiteral("manager"), Value::Text },
                { QStringLiteral("date"), Value::Text } },
            { "date" } },
    };
    return specs;
}

QString quotedName(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The values a source cell gives, as reading it into a QVariant and binding
// toLongLong() or toString() gave them: NULL becomes 0 or empty text, a
// fraction is rounded, text that is no integer counts 0. Card numbers keep
// their low 32 bits, so one stored negative by a signed binding comes back
// unsigned.
QString valueExpression(Value kind, const QString& cell)
{
    const QString number = QStringLiteral(
        "(case typeof(%1) when 'integer' then %1 when 'real' then cast(round(%1) as integer) "
        "when 'text' then (case when cast(cast(%1 as integer) as text) = %1 "
        "then cast(%1 as integer) else 0 end) else 0 end)")
                               .arg(cell);
    switch (kind) {
    case Value::Card:
        return QStringLiteral("(%1 & 4294967295)").arg(number);
    case Value::Number:
        return number;
    case Value::Text:
        break;
    }
    return QStringLiteral("coalesce(cast(%1 as text), '')").arg(cell);
}

// The source's column names by position; empty when the table is missing.
QStringList sourceColumns(const QSqlDatabase& station, const QString& table)
{
    QSqlQuery query(station);
    query.prepare(QStringLiteral("select name from pragma_table_info(:table, :schema) order by cid"));
    query.bindValue(QStringLiteral(":table"), table);
    query.bindValue(QStringLiteral(":schema"), kSchema);
    QStringList names;
    if (query.exec()) {
        while (query.next())
            names.append(query.value(0).toString());
    }
    return names;
}

// Copies the source rows with rowid in (:lo, :hi] that the station lacks, in
// source order. Rows inserted by a statement are not visible to its own
// look-ups, so of source rows sharing a key only the first is taken, as a
// row-by-row merge would; rows of earlier batches are seen by the look-up.
// With signedCards a station row holding the card as a negative number, as a
// signed binding wrote large ones, counts as the card too.
QString mergeStatement(const MergePlan& plan, const QStringList& sourceNames, bool signedCards)
{
    const QString source = kSchema + QLatin1Char('.') + plan.name;
    const QString range = QStringLiteral("s.rowid > :lo and s.rowid <= :hi");
    QStringList names;
    QStringList values;
    QStringList keys;
    QStringList present;
    for (int i = 0; i < plan.columns.size(); ++i) {
        const MergedColumn& column = plan.columns.at(i);
        const int position = i + 1;
        const QString cell = position < sourceNames.size()
            ? QStringLiteral("s.") + quotedName(sourceNames.at(position))
            : QStringLiteral("null");
        const QString value = valueExpression(column.kind, cell);
        names.append(column.name);
        values.append(value + QStringLiteral(" as ") + column.name);
        if (!plan.key.contains(column.name))
            continue;
        keys.append(value);
        present.append((column.kind == Value::Card && signedCards
                ? QStringLiteral("m.%1 in (n.%1, case when n.%1 >= 2147483648 then n.%1 - 4294967296 "
                                 "else n.%1 end)")
                : QStringLiteral("m.%1 = n.%1"))
                           .arg(column.name));
    }
    return QStringLiteral("insert into main.%1 (%2) select %2 from "
                          "(select s.rowid as source_row, %3 from %4 s where %5) as n "
                          "where n.source_row in (select min(s.rowid) from %4 s where %5 group by %6) "
                          "and not exists (select 1 from main.%1 m where %7) "
                          "order by n.source_row")
        .arg(plan.name, names.join(QLatin1Char(',')), values.join(QStringLiteral(", ")), source, range,
            keys.join(QStringLiteral(", ")), present.join(QStringLiteral(" and ")));
}

// The second look-up of each card costs about a tenth of the merge; only stations
// that once stored cards signed need it. The merge itself stores them unsigned.
bool holdsNegativeCards(const QSqlDatabase& station, const MergePlan& plan)
{
    if (!plan.key.contains(QStringLiteral("cardnum")))
        return false;
    QSqlQuery query(station);
    return !query.exec(
               QStringLiteral("select exists (select 1 from main.%1 where cardnum < 0)").arg(plan.name))
        || !query.next() || query.value(0).toBool();
}

int sourceMaximum(const QSqlDatabase& source, const QString& table)
{
    QSqlQuery query(source);
    if (query.exec(QStringLiteral("select max(id) from ") + table) && query.next())
        return query.value(0).toInt();
    return 0;
}

// Batches share a write transaction, committed once it has been open a while
// and whenever the merge stops: every commit syncs the file, and after a crash
// the next import of the same file merges again whatever the open transaction
// lost.
class Transaction
{
public:
    explicit Transaction(const QSqlDatabase& station)
        : m_station(station)
    {
    }

    bool begin()
    {
        if (!m_open) {
            m_open = m_station.transaction();
            m_age.start();
            m_merged = 0;
        }
        return m_open;
    }
    void merged(int rows) { m_merged += rows; }
    bool commitIfDue() { return m_age.elapsed() < kCommitAfterMs || commit(); }
    // False when the rows merged since the last commit are lost; lost() tells how many.
    bool commit()
    {
        if (!m_open)
            return true;
        m_open = false;
        return m_station.commit();
    }
    int lost() const { return m_merged; }

private:
    static constexpr qint64 kCommitAfterMs = 2000;
    QSqlDatabase m_station;
    QElapsedTimer m_age;
    int m_merged = 0;
    bool m_open = false;
};

// The source file attached to the station's connection for the length of a
// merge, read-only where SQLite takes URI file names. Declared before the
// statements that read it, so they are gone when it detaches.
class Attachment
{
public:
    Attachment(const QSqlDatabase& station, const QString& fileName)
        : m_station(station)
    {
        QSqlQuery query(m_station);
        const bool uri = query.exec(QStringLiteral("select sqlite_compileoption_used('USE_URI')"))
            && query.next() && query.value(0).toInt() == 1;
        const QString absolute = QFileInfo(fileName).absoluteFilePath();
        query.prepare(QStringLiteral("attach database :file as ") + kSchema);
        query.bindValue(QStringLiteral(":file"),
            uri ? QString::fromLatin1(QUrl::fromLocalFile(absolute).toEncoded()) + QStringLiteral("?mode=ro")
                : absolute);
        m_attached = query.exec();
        if (!m_attached)
            qDebug() << "attach false" << query.lastError().text();
    }
    ~Attachment()
    {
        if (m_attached)
            QSqlQuery(m_station).exec(QStringLiteral("detach database ") + kSchema);
    }
    bool attached() const { return m_attached; }

private:
    Q_DISABLE_COPY(Attachment)
    QSqlDatabase m_station;
    bool m_attached = false;
};

// Merges one table batch by batch; Merged when its last row is handled.
DatabaseImport::Outcome mergeTable(const MergePlan& plan, int batchSize, Transaction& transaction,
    DatabaseImport::Progress* progress, DatabaseImport::Result& result)
{
    using Outcome = DatabaseImport::Outcome;
    const QSqlDatabase station = QSqlDatabase::database();
    // A missing source table counts as empty.
    const QStringList sourceNames = sourceColumns(station, plan.name);
    if (sourceNames.isEmpty())
        return Outcome::Merged;
    QSqlQuery merge(station);
    QSqlQuery rows(station);
    rows.setForwardOnly(true);
    if (!merge.prepare(mergeStatement(plan, sourceNames, holdsNegativeCards(station, plan)))
        || !rows.prepare(QStringLiteral("select rowid from %1.%2 where rowid > :lo order by rowid limit :n")
                             .arg(kSchema, plan.name))) {
        qDebug() << "insert false" << plan.name << merge.lastError().text();
        return Outcome::InsertFailed;
    }
    const auto mergeRange = [&](qint64 lo, qint64 hi) {
        merge.bindValue(QStringLiteral(":lo"), lo);
        merge.bindValue(QStringLiteral(":hi"), hi);
        const int inserted = merge.exec() ? merge.numRowsAffected() : -1;
        merge.finish();
        return inserted;
    };
    const auto tally = [&](int rows, int inserted) {
        result.merged += inserted;
        result.skipped += rows - inserted;
        transaction.merged(inserted);
    };

    qint64 lo = std::numeric_limits<qint64>::min();
    int count = 0;
    for (;;) {
        // The batch's rowids, read to the end and reset before writing.
        QVector<qint64> batch;
        rows.bindValue(QStringLiteral(":lo"), lo);
        rows.bindValue(QStringLiteral(":n"), batchSize);
        // A source table that cannot be read counts as ending here.
        if (rows.exec()) {
            while (rows.next())
                batch.append(rows.value(0).toLongLong());
        }
        rows.finish();
        if (batch.isEmpty())
            return Outcome::Merged;
        if (progress && !progress->rowReached(count + 1))
            return Outcome::Cancelled;
        count += batch.size();
        if (!transaction.begin())
            return Outcome::InsertFailed;

        const int inserted = mergeRange(lo, batch.last());
        if (inserted >= 0) {
            tally(batch.size(), inserted);
            lo = batch.last();
        } else {
            // A failed statement undoes only its own batch: take its rows one
            // at a time, so those before the failing row stay.
            qDebug() << "batch false" << plan.name << merge.lastError().text();
            for (const qint64 row : qAsConst(batch)) {
                const int one = mergeRange(lo, row);
                if (one < 0) {
                    qDebug() << "insert false" << plan.name << merge.lastError().text();
                    return Outcome::InsertFailed;
                }
                tally(1, one);
                lo = row;
            }
        }
        if (!transaction.commitIfDue())
            return Outcome::InsertFailed;
    }
}

} // namespace

bool DatabaseImport::open(const QString& fileName)
{
    QSqlDatabase source = QSqlDatabase::contains(kConnectionName)
        ? QSqlDatabase::database(kConnectionName, false)
        : addStationConnection(fileName, kConnectionName);
    source.close();
    source.setDatabaseName(fileName);
    // The other station's file is only read; a missing file is not created.
    source.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!source.open()) {
        qDebug() << "open false";
        return false;
    }
    // SQLite opens any file lazily; the first read tells whether it is one.
    QSqlQuery probe(source);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
        qDebug() << "open false" << fileName;
        source.close();
        return false;
    }
    qDebug() << "open ok";
    return true;
}

bool DatabaseImport::createLookupIndexes()
{
    static const char* const statements[] = {
        "create index if not exists user_cardnum on user (cardnum)",
        "create index if not exists record_cardnum_date on record (cardnum, date)",
        "create index if not exists backcard_cardnum_date on backcard (cardnum, date)",
        "create index if not exists devch_date on devch (date)",
    };
    bool ok = true;
    for (const char* statement : statements)
        ok = QSqlQuery().exec(QLatin1String(statement)) && ok;
    return ok;
}

DatabaseImport::Result DatabaseImport::merge(Progress* progress)
{
    Result result;
    const QSqlDatabase source = QSqlDatabase::database(kConnectionName, false);
    if (!source.isOpen())
        return result;
    createLookupIndexes();

    const QSqlDatabase station = QSqlDatabase::database();
    const Attachment attachment(station, source.databaseName());
    if (!attachment.attached())
        return result;
    Transaction transaction(station);
    for (const MergePlan& plan : mergePlans()) {
        result.table = plan.table;
        if (progress)
            progress->tableStarted(plan.table, sourceMaximum(source, plan.name));
        result.outcome = mergeTable(plan, m_batchSize, transaction, progress, result);
        if (result.outcome != Outcome::Merged)
            break;
    }
    if (!transaction.commit()) {
        result.merged -= transaction.lost();
        result.outcome = Outcome::InsertFailed;
    }
    return result;
}
