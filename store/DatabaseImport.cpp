#include "DatabaseImport.h"

#include "Database.h"
#include "StoreDetail.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace {

enum class Value { Card, Number, Text };

struct MergedColumn
{
    QString name;
    Value kind;
};

// A source table: its columns after id, read by position 1, 2, ..., and the
// look-up that tells whether the station already holds a row.
struct MergeSpec
{
    DatabaseImport::Table table;
    QString name;
    QVector<MergedColumn> columns;
    QString present; // condition of a matching station row; %1 is the card
    bool byCard;
};

const QVector<MergeSpec>& mergeSpecs()
{
    const auto texts = [](const QStringList& names) {
        QVector<MergedColumn> columns;
        for (const QString& name : names)
            columns.append({ name, Value::Text });
        return columns;
    };
    const QString byCard = QStringLiteral("cardnum = %1");
    const QString byCardAndDate = byCard + QStringLiteral(" and date = :date");

    static const QVector<MergeSpec> specs {
        { DatabaseImport::Table::User, QStringLiteral("user"),
            QVector<MergedColumn> { { QStringLiteral("cardnum"), Value::Card } }
                + texts({ "name", "addr", "phone", "carnum", "date", "manager", "sn", "note" }),
            byCard, true },
        { DatabaseImport::Table::Record, QStringLiteral("record"),
            QVector<MergedColumn> { { QStringLiteral("cardnum"), Value::Card } }
                + texts({ "name", "addr", "phone", "carnum", "date", "manager", "pay", "pay_old", "pay_new",
                    "sn", "note" }),
            byCardAndDate, true },
        { DatabaseImport::Table::BackCard, QStringLiteral("backcard"),
            QVector<MergedColumn> { { QStringLiteral("cardnum"), Value::Card } }
                + texts({ "name", "addr", "phone", "carnum", "date", "manager", "pay", "sn", "note" }),
            byCardAndDate, true },
        { DatabaseImport::Table::DevCh, QStringLiteral("devch"),
            { { QStringLiteral("money"), Value::Number }, { QStringLiteral("sn"), Value::Number },
                { QStringLiteral("ver"), Value::Number }, { QStringLiteral("manager"), Value::Text },
                { QStringLiteral("date"), Value::Text } },
            QStringLiteral("date = :date"), false },
    };
    return specs;
}

// The workflows' insert, "insert into record (id,cardnum,...) values
// (:id,:cardnum,...)", with its values taken only when the station has no
// matching row: one statement per source row does the look-up and the insert.
// :id stays unbound so the database numbers rows. Rows written with a signed
// binding hold large card numbers as negative values; both forms count.
QString mergeStatement(const MergeSpec& spec)
{
    QStringList names { QStringLiteral("id") };
    for (const MergedColumn& column : spec.columns)
        names.append(column.name);
    const QString absent
        = QStringLiteral("not exists (select 1 from %1 where %2)").arg(spec.name, spec.present);
    const QString condition = spec.byCard ? absent.arg(QStringLiteral(":cardnum")) + QStringLiteral(" and ")
            + absent.arg(QStringLiteral(":signed"))
                                          : absent;
    return QStringLiteral("insert into %1 (%2) select :%3 where %4")
        .arg(spec.name, names.join(QLatin1Char(',')), names.join(QStringLiteral(",:")), condition);
}

QVariant boundValue(Value kind, const QVariant& source)
{
    switch (kind) {
    case Value::Card:
        return sqlCardNumber(cardNumberFromSql(source));
    case Value::Number:
        return source.toLongLong();
    case Value::Text:
        break;
    }
    return sqlText(source.toString());
}

int sourceMaximum(const QSqlDatabase& source, const QString& table)
{
    QSqlQuery query(source);
    if (query.exec(QStringLiteral("select max(id) from ") + table) && query.next())
        return query.value(0).toInt();
    return 0;
}

// One write transaction at a time on the station's database, committed every
// batch and whenever the merge stops.
class Batches
{
public:
    Batches(QSqlDatabase station, int size)
        : m_station(station)
        , m_size(size)
    {
    }

    // Look-ups and inserts alike run inside the batch: outside a transaction
    // each statement would take and drop the file lock on its own.
    bool begin()
    {
        if (!m_open)
            m_open = m_station.transaction();
        return m_open;
    }

    // One source row handled; commits once the batch is full.
    bool rowDone()
    {
        if (++m_count < m_size)
            return true;
        return commit();
    }

    bool commit()
    {
        m_count = 0;
        if (!m_open)
            return true;
        m_open = false;
        return m_station.commit();
    }

private:
    QSqlDatabase m_station;
    int m_size;
    int m_count = 0;
    bool m_open = false;
};

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

    QSqlDatabase station = QSqlDatabase::database();
    Batches batches(station, m_batchSize);
    for (const MergeSpec& spec : mergeSpecs()) {
        result.table = spec.table;
        if (progress)
            progress->tableStarted(spec.table, sourceMaximum(source, spec.name));

        QSqlQuery merge(station);
        if (!merge.prepare(mergeStatement(spec))) {
            batches.commit();
            result.outcome = Outcome::InsertFailed;
            return result;
        }
        QStringList placeholders;
        for (const MergedColumn& column : spec.columns)
            placeholders.append(QLatin1Char(':') + column.name);

        QSqlQuery rows(source);
        rows.setForwardOnly(true);
        // A missing or unreadable source table counts as empty.
        if (!rows.exec(QStringLiteral("select * from ") + spec.name))
            continue;
        int count = 0;
        while (rows.next()) {
            if (progress && !progress->rowReached(++count)) {
                batches.commit();
                result.outcome = Outcome::Cancelled;
                return result;
            }
            for (int i = 0; i < spec.columns.size(); ++i)
                merge.bindValue(placeholders.at(i), boundValue(spec.columns.at(i).kind, rows.value(i + 1)));
            if (spec.byCard)
                merge.bindValue(QStringLiteral(":signed"), qint64(qint32(cardNumberFromSql(rows.value(1)))));
            if (!batches.begin() || !merge.exec() || !batches.rowDone()) {
                qDebug() << "insert false" << spec.name;
                batches.commit();
                result.outcome = Outcome::InsertFailed;
                return result;
            }
            if (merge.numRowsAffected() == 0) {
                ++result.skipped;
                continue;
            }
            ++result.merged;
        }
    }
    result.outcome = batches.commit() ? Outcome::Merged : Outcome::InsertFailed;
    return result;
}
