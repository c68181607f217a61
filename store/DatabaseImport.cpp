#include "DatabaseImport.h"

#include "AuditTrail.h"
#include "Database.h"
#include "SqlDialect.h"

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
#include <functional>
#include <limits>

// The merge runs in SQL on the station's own connection: the source file is
// attached read-only and each batch of source rows is looked up and copied by
// one INSERT ... SELECT, so no value passes through Qt. The "db2" connection
// still opens and validates the file and reads each table's highest id.
namespace {

const QString kSchema = QStringLiteral("veloka_source");

// Card: a 32-bit card number. Fen: an amount as an integer number of fen.
// MoneyText: an amount as the "%d.%02d" yuan text the workflows store.
enum class Value { Card, Number, Fen, MoneyText, Text };

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
            columns.append({ name, name.startsWith(QLatin1String("pay")) ? Value::MoneyText : Value::Text });
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
            { { QStringLiteral("money"), Value::Fen }, { QStringLiteral("sn"), Value::Number },
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
// unsigned. Cards and amounts reach here only once validExpression held.
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
    case Value::Fen:
        return number;
    case Value::MoneyText:
    case Value::Text:
        break;
    }
    return QStringLiteral("coalesce(cast(%1 as text), '')").arg(cell);
}

// Whether a cell holds an integer from lowest to 4294967295, as an integer or
// as its plain decimal text; never NULL, so it can be negated.
QString integerWithin(const QString& cell, const char* lowest)
{
    return QStringLiteral("(case typeof(%1) when 'integer' then %1 between %2 and 4294967295 "
                          "when 'text' then coalesce(cast(cast(%1 as integer) as text) = %1 "
                          "and cast(%1 as integer) between %2 and 4294967295, 0) else 0 end)")
        .arg(cell, QLatin1String(lowest));
}

// Whether a cell may be merged as a value of its kind. A card number is a
// 32-bit unsigned number, or the negative form older stations stored by a
// signed binding. An amount is whole fen from 0 to 4294967295, as an integer
// or as "%d.%02d" text; an absent amount (NULL, or no text) stays absent, as
// in rows that carry none. Empty for kinds that take any cell.
QString validExpression(Value kind, const QString& cell)
{
    switch (kind) {
    case Value::Card:
        return integerWithin(cell, "-2147483648");
    case Value::Fen:
        return QStringLiteral("(%1 is null or %2)").arg(cell, integerWithin(cell, "0"));
    case Value::MoneyText:
        // Digits, one dot before the last two of them, and no more than
        // 42949672.95; texts of equal length compare as their numbers.
        return QStringLiteral("(%1 is null or %1 = '' or coalesce(typeof(%1) = 'text' "
                              "and %1 glob '[0-9]*.[0-9][0-9]' and instr(%1, '.') = length(%1) - 2 "
                              "and %1 not glob '*[^0-9.]*' "
                              "and (length(%1) < 11 or (length(%1) = 11 and %1 <= '42949672.95')), 0))")
            .arg(cell);
    case Value::Number:
    case Value::Text:
        break;
    }
    return QString();
}

// The source's column names by position; empty when the table is missing.
// The file is read through the station's connection, where it is attached,
// or through its own ("main").
QStringList sourceColumns(const QSqlDatabase& db, const QString& table, const QString& schema = kSchema)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("select name from pragma_table_info(:table, :schema) order by cid"));
    query.bindValue(QStringLiteral(":table"), table);
    query.bindValue(QStringLiteral(":schema"), schema);
    QStringList names;
    if (query.exec()) {
        while (query.next())
            names.append(query.value(0).toString());
    }
    return names;
}

// What a source table is walked by: the table itself by its rowid, under a
// name no column takes, or a copy keyed by a column of its own. Columns are
// the source's by position, quoted.
struct Walk
{
    QString relation;
    QString key;
    QStringList columns;
};

// The expression of each merged column's source cell in a statement over "s".
QStringList sourceCells(const MergePlan& plan, const Walk& walk)
{
    QStringList cells;
    for (int i = 0; i < plan.columns.size(); ++i) {
        const int position = i + 1;
        cells.append(position < walk.columns.size() ? QStringLiteral("s.") + walk.columns.at(position)
                                                    : QStringLiteral("null"));
    }
    return cells;
}

// Whether the card cell, and each amount cell, of a source row holds a value
// of its kind; "1" when the table has none.
struct Validity
{
    QString card;
    QString money;
};

Validity validity(const MergePlan& plan, const QStringList& cells)
{
    QStringList money;
    QString card = QStringLiteral("1");
    for (int i = 0; i < plan.columns.size(); ++i) {
        const QString valid = validExpression(plan.columns.at(i).kind, cells.at(i));
        if (valid.isEmpty())
            continue;
        if (plan.columns.at(i).kind == Value::Card)
            card = valid;
        else
            money.append(valid);
    }
    return { card, money.isEmpty() ? QStringLiteral("1") : money.join(QStringLiteral(" and ")) };
}

QString walkRange(const Walk& walk)
{
    return QStringLiteral("s.%1 > :lo and s.%1 <= :hi").arg(walk.key);
}

// Reads the next :n source rows after key :lo: the last key, how many, and
// how many of them are skipped for a card number that is none, and, of the
// others, for an amount that is none.
QString stepStatement(const MergePlan& plan, const Walk& walk)
{
    const Validity valid = validity(plan, sourceCells(plan, walk));
    return QStringLiteral(
        "select max(k), count(*), coalesce(sum(1 - card), 0), coalesce(sum(card * (1 - money)), 0) "
        "from (select s.%1 as k, (case when %2 then 1 else 0 end) as card, "
        "(case when %3 then 1 else 0 end) as money from %4 s where s.%1 > :lo "
        "order by s.%1 limit :n)")
        .arg(walk.key, valid.card, valid.money, walk.relation);
}

// Copies the source rows with key in (:lo, :hi] that hold valid values and
// that the station lacks, in source order. Rows inserted by a statement are
// not visible to its own look-ups, so of source rows sharing a key only the
// first is taken, as a row-by-row merge would; rows of earlier batches are
// seen by the look-up. With signedCards a station row holding the card as a
// negative number, as a signed binding wrote large ones, counts as the card
// too.
QString mergeStatement(const MergePlan& plan, const Walk& walk, bool signedCards)
{
    const QStringList cells = sourceCells(plan, walk);
    const Validity valid = validity(plan, cells);
    const QString chosen = QStringLiteral("%1 and %2 and %3").arg(walkRange(walk), valid.card, valid.money);
    QStringList names;
    QStringList values;
    QStringList keys;
    QStringList present;
    for (int i = 0; i < plan.columns.size(); ++i) {
        const MergedColumn& column = plan.columns.at(i);
        const QString value = valueExpression(column.kind, cells.at(i));
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
                          "(select s.%3 as source_row, %4 from %5 s where %6) as n "
                          "where n.source_row in (select min(s.%3) from %5 s where %6 group by %7) "
                          "and not exists (select 1 from main.%1 m where %8) "
                          "order by n.source_row")
        .arg(plan.name, names.join(QLatin1Char(',')), walk.key, values.join(QStringLiteral(", ")),
            walk.relation, chosen, keys.join(QStringLiteral(", ")), present.join(QStringLiteral(" and ")));
}

// SQLite calls a table's rowid _rowid_, rowid and oid, each unless a column
// takes that name; a table without rowid answers to none of them.
QString rowidName(const QSqlDatabase& station, const QString& source, const QStringList& columns)
{
    for (const char* alias : { "_rowid_", "rowid", "oid" }) {
        const QString name = QLatin1String(alias);
        if (columns.contains(name, Qt::CaseInsensitive))
            continue;
        QSqlQuery probe(station);
        if (probe.prepare(QStringLiteral("select %1 from %2 limit 0").arg(name, source)))
            return name;
    }
    return QString();
}

qint64 rowCount(const QSqlDatabase& station, const QString& source)
{
    QSqlQuery query(station);
    if (query.exec(QStringLiteral("select count(*) from ") + source) && query.next())
        return query.value(0).toLongLong();
    return -1;
}

// A copy of a source table whose rowid no name reaches, in the station's
// temporary schema, keyed by an integer of its own. Declared before the
// statements that read it, so they are gone when it is dropped.
class WalkCopy
{
public:
    explicit WalkCopy(const QSqlDatabase& station)
        : m_station(station)
    {
    }
    ~WalkCopy()
    {
        if (m_made)
            QSqlQuery(m_station).exec(QStringLiteral("drop table temp.veloka_walk"));
    }

    // Re-points the walk at the copy; false when it cannot be made.
    bool make(Walk& walk)
    {
        QStringList names;
        for (int i = 0; i < walk.columns.size(); ++i)
            names.append(QStringLiteral("c%1").arg(i));
        QSqlQuery query(m_station);
        m_made
            = query.exec(QStringLiteral("create temp table veloka_walk (veloka_key integer primary key, %1)")
                             .arg(names.join(QStringLiteral(", "))));
        if (!m_made
            || !query.exec(
                QStringLiteral("insert into temp.veloka_walk (%1) select %2 from %3")
                    .arg(names.join(QLatin1Char(',')), walk.columns.join(QLatin1Char(',')), walk.relation))) {
            qDebug() << "walk copy false" << query.lastError().text();
            return false;
        }
        walk = { QStringLiteral("temp.veloka_walk"), QStringLiteral("veloka_key"), names };
        return true;
    }

private:
    Q_DISABLE_COPY(WalkCopy)
    QSqlDatabase m_station;
    bool m_made = false;
};

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

// Merges one table batch by batch; Merged when every row the source table
// holds was read and either merged or skipped.
DatabaseImport::Outcome mergeTable(const MergePlan& plan, int batchSize, Transaction& transaction,
    DatabaseImport::Progress* progress, DatabaseImport::Result& result)
{
    using Outcome = DatabaseImport::Outcome;
    const QSqlDatabase station = QSqlDatabase::database();
    const QString source = kSchema + QLatin1Char('.') + plan.name;
    // A missing source table counts as empty; one whose rows cannot be read is damaged.
    const QStringList names = sourceColumns(station, plan.name);
    if (names.isEmpty())
        return Outcome::Merged;
    const qint64 total = rowCount(station, source);
    if (total < 0)
        return Outcome::Damaged;
    result.held += total;
    Walk walk { source, rowidName(station, source, names), {} };
    for (const QString& name : names)
        walk.columns.append(quotedName(name));
    WalkCopy copy(station);
    if (walk.key.isEmpty() && !copy.make(walk))
        return total == 0 ? Outcome::Merged : Outcome::Incomplete;

    QSqlQuery merge(station);
    QSqlQuery next(station);
    next.setForwardOnly(true);
    if (!merge.prepare(mergeStatement(plan, walk, holdsNegativeCards(station, plan)))
        || !next.prepare(stepStatement(plan, walk))) {
        qDebug() << "insert false" << plan.name << merge.lastError().text() << next.lastError().text();
        return Outcome::InsertFailed;
    }
    struct Step
    {
        qint64 last = 0;
        int rows = 0;
        int badCard = 0;
        int badMoney = 0;
    };
    // The next rows after lo; none when the walk cannot read on.
    const auto step = [&](qint64 lo, int count) {
        Step read;
        next.bindValue(QStringLiteral(":lo"), lo);
        next.bindValue(QStringLiteral(":n"), count);
        if (next.exec() && next.next())
            read = { next.value(0).toLongLong(), next.value(1).toInt(), next.value(2).toInt(),
                next.value(3).toInt() };
        next.finish();
        return read;
    };
    // Merges the rows of a step; false when the statement failed.
    const auto mergeStep = [&](qint64 lo, const Step& read) {
        merge.bindValue(QStringLiteral(":lo"), lo);
        merge.bindValue(QStringLiteral(":hi"), read.last);
        const int inserted = merge.exec() ? merge.numRowsAffected() : -1;
        merge.finish();
        if (inserted < 0 || read.badCard + read.badMoney + inserted > read.rows)
            return false;
        result.read += read.rows;
        result.merged += inserted;
        result.skipped += read.rows - inserted;
        result.badCard += read.badCard;
        result.badMoney += read.badMoney;
        transaction.merged(inserted);
        return true;
    };

    qint64 lo = std::numeric_limits<qint64>::min();
    qint64 walked = 0;
    for (;;) {
        const Step batch = step(lo, batchSize);
        // A walk that cannot read on ends here; the count below tells.
        if (batch.rows == 0)
            break;
        if (progress && !progress->rowReached(int(walked) + 1))
            return Outcome::Cancelled;
        walked += batch.rows;
        if (!transaction.begin())
            return Outcome::InsertFailed;

        if (mergeStep(lo, batch)) {
            lo = batch.last;
        } else {
            // A failed statement undoes only its own batch: take its rows one
            // at a time, so those before the failing row stay.
            qDebug() << "batch false" << plan.name << merge.lastError().text();
            for (int i = 0; i < batch.rows; ++i) {
                const Step one = step(lo, 1);
                if (one.rows != 1 || !mergeStep(lo, one)) {
                    qDebug() << "insert false" << plan.name << merge.lastError().text();
                    return Outcome::InsertFailed;
                }
                lo = one.last;
            }
        }
        if (!transaction.commitIfDue())
            return Outcome::InsertFailed;
    }
    if (walked != total) {
        qDebug() << "import short" << plan.name << walked << "of" << total;
        return Outcome::Incomplete;
    }
    return Outcome::Merged;
}

// The server cannot attach the file: the source is read through its own
// connection, its cells checked and turned by the same expressions, and each
// valid row the ledger lacks is inserted with bound values. One transaction
// per table; a refused row undoes the table's rows merged so far in this run,
// a cancel keeps them.
DatabaseImport::Outcome mergeTableIntoServer(const MergePlan& plan, const QSqlDatabase& source, int batchSize,
    DatabaseImport::Progress* progress, DatabaseImport::Result& result)
{
    using Outcome = DatabaseImport::Outcome;
    const QString relation = quotedName(plan.name);
    const QStringList sourceNames = sourceColumns(source, plan.name, QStringLiteral("main"));
    if (sourceNames.isEmpty())
        return Outcome::Merged; // a missing source table counts as empty, as on the file
    const qint64 total = rowCount(source, relation);
    if (total < 0)
        return Outcome::Damaged;
    result.held += total;
    QStringList cells;
    QStringList values;
    QStringList names;
    QStringList placeholders;
    QStringList present;
    for (int i = 0; i < plan.columns.size(); ++i) {
        const MergedColumn& column = plan.columns.at(i);
        const int position = i + 1;
        cells.append(
            position < sourceNames.size() ? quotedName(sourceNames.at(position)) : QStringLiteral("null"));
        values.append(valueExpression(column.kind, cells.last()));
        names.append(column.name);
        placeholders.append(QLatin1Char(':') + column.name);
        if (plan.key.contains(column.name))
            present.append(QStringLiteral("%1 = :%1").arg(column.name));
    }
    const Validity valid = validity(plan, cells);
    // A plain scan reads a table in rowid order without naming rowid, which a
    // column of the source could shadow.
    QSqlQuery rows(source);
    rows.setForwardOnly(true);
    if (!rows.exec(
            QStringLiteral("select %1, (case when %2 then 1 else 0 end), (case when %3 then 1 else 0 end) "
                           "from %4")
                .arg(values.join(QStringLiteral(", ")), valid.card, valid.money, relation)))
        return total == 0 ? Outcome::Merged : Outcome::Incomplete;

    const QSqlDatabase station = QSqlDatabase::database();
    const QString table = SqlDialect::of(station).table(plan.name);
    QSqlQuery held(station);
    QSqlQuery insert(station);
    if (!held.prepare(QStringLiteral("select 1 from %1 where %2 limit 1")
                          .arg(table, present.join(QStringLiteral(" and "))))
        || !insert.prepare(
            QStringLiteral("insert into %1 (%2) values (%3)")
                .arg(table, names.join(QLatin1Char(',')), placeholders.join(QLatin1Char(','))))) {
        qDebug() << "insert false" << plan.name << insert.lastError().text();
        return Outcome::InsertFailed;
    }
    QSqlDatabase writer = station;
    if (!writer.transaction())
        return Outcome::InsertFailed;
    QSqlQuery serialize(station);
    if (!serialize.exec(SqlDialect::of(station).serializeImport())) {
        qDebug() << "import lock" << serialize.lastError().text();
        writer.rollback();
        return Outcome::InsertFailed;
    }
    const int cardColumn = plan.columns.size();
    const int moneyColumn = cardColumn + 1;
    int merged = 0;
    int count = 0;
    while (rows.next()) {
        if (count % batchSize == 0 && progress && !progress->rowReached(count + 1)) {
            result.merged += merged;
            return writer.commit() ? Outcome::Cancelled : Outcome::InsertFailed;
        }
        ++count;
        ++result.read;
        if (rows.value(cardColumn).toInt() == 0 || rows.value(moneyColumn).toInt() == 0) {
            ++(rows.value(cardColumn).toInt() == 0 ? result.badCard : result.badMoney);
            ++result.skipped;
            continue;
        }
        for (int i = 0; i < plan.columns.size(); ++i) {
            const QString name = QLatin1Char(':') + plan.columns.at(i).name;
            insert.bindValue(name, rows.value(i));
            if (plan.key.contains(plan.columns.at(i).name))
                held.bindValue(name, rows.value(i));
        }
        if (!held.exec()) {
            qDebug() << "select false" << plan.name << held.lastError().text();
            writer.rollback();
            return Outcome::InsertFailed;
        }
        const bool found = held.next();
        held.finish();
        if (found) {
            ++result.skipped;
            continue;
        }
        if (!insert.exec()) {
            qDebug() << "insert false" << plan.name << insert.lastError().text();
            writer.rollback();
            return Outcome::InsertFailed;
        }
        ++merged;
    }
    if (!writer.commit())
        return Outcome::InsertFailed;
    result.merged += merged;
    if (count != total) {
        qDebug() << "import short" << plan.name << count << "of" << total;
        return Outcome::Incomplete;
    }
    return Outcome::Merged;
}

} // namespace

bool DatabaseImport::open(const QString& fileName)
{
    const bool opened = openSource(fileName);
    if (!opened)
        AuditTrail::record(
            AuditAction::Import, fileName, AuditTrail::outcome(false, int(Outcome::OpenFailed)));
    return opened;
}

bool DatabaseImport::openSource(const QString& fileName)
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
    // An empty file reads as a database without tables: no station's file.
    QStringList tables;
    for (const MergePlan& plan : mergePlans())
        tables << QLatin1Char('\'') + plan.name + QLatin1Char('\'');
    QSqlQuery probe(source);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master where type = 'table' "
                                   "and lower(name) in (%1)")
                        .arg(tables.join(QLatin1Char(','))))
        || !probe.next() || probe.value(0).toInt() == 0) {
        qDebug() << "open false" << fileName;
        source.close();
        return false;
    }
    qDebug() << "open ok";
    return true;
}

bool DatabaseImport::isStationFile(const QString& fileName)
{
    return isSameFile(fileName,
        QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false).databaseName());
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
    const Result result = mergeSource(progress);
    AuditTrail::record(AuditAction::Import, QSqlDatabase::database(kConnectionName, false).databaseName(),
        AuditTrail::outcome(result.outcome == Outcome::Merged, int(result.outcome))
            + QStringLiteral(" merged %1 skipped %2").arg(result.merged).arg(result.skipped));
    return result;
}

DatabaseImport::Result DatabaseImport::mergeSource(Progress* progress)
{
    Result result;
    const QSqlDatabase source = QSqlDatabase::database(kConnectionName, false);
    if (!source.isOpen())
        return result;
    // A read of a damaged page fails the commit of the whole merge, and a table
    // that cannot be read is no empty one: a damaged file is refused before any
    // row is merged.
    QSqlQuery check(source);
    if (!check.exec(QStringLiteral("pragma quick_check(1)")) || !check.next()
        || check.value(0).toString() != QLatin1String("ok")) {
        qDebug() << "import source damaged" << check.value(0).toString() << check.lastError().text();
        result.outcome = Outcome::Damaged;
        return result;
    }
    check.finish();
    // Table by table in the merge order, until one does not merge.
    const auto eachTable = [&](const std::function<Outcome(const MergePlan&)>& mergeOne) {
        for (const MergePlan& plan : mergePlans()) {
            result.table = plan.table;
            if (progress)
                progress->tableStarted(plan.table, sourceMaximum(source, plan.name));
            result.outcome = mergeOne(plan);
            if (result.outcome != Outcome::Merged)
                break;
        }
    };
    if (SqlDialect::current().isServer()) {
        eachTable([&](const MergePlan& plan) {
            return mergeTableIntoServer(plan, source, m_batchSize, progress, result);
        });
        return result;
    }
    createLookupIndexes();

    const QSqlDatabase station = QSqlDatabase::database();
    // Attaching the live file to itself waits on its own lock and then fails.
    if (isSameFile(source.databaseName(), station.databaseName())) {
        result.outcome = Outcome::SameFile;
        return result;
    }
    const Attachment attachment(station, source.databaseName());
    if (!attachment.attached())
        return result;
    Transaction transaction(station);
    eachTable(
        [&](const MergePlan& plan) { return mergeTable(plan, m_batchSize, transaction, progress, result); });
    if (!transaction.commit()) {
        result.merged -= transaction.lost();
        result.outcome = Outcome::InsertFailed;
    }
    return result;
}
