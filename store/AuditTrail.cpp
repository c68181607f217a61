#include "AuditTrail.h"

#include "LedgerLock.h"
#include "StationClock.h"
#include "StoreDetail.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString& operatorName()
{
    static QString name;
    return name;
}

QString& stationSerial()
{
    static QString serial;
    return serial;
}

const char* const kColumns = "id, time, manager, sn, action, subject, outcome";

AuditRow auditFromQuery(const QSqlQuery& query)
{
    AuditRow row;
    row.id = query.value(0).toLongLong();
    row.time = query.value(1).toLongLong();
    row.manager = query.value(2).toString();
    row.sn = query.value(3).toString();
    row.action = query.value(4).toString();
    row.subject = query.value(5).toString();
    row.outcome = query.value(6).toString();
    return row;
}

// The filter's terms, each bound by name; extra terms come first.
QString whereClause(const AuditFilter& filter, QStringList terms = {})
{
    if (filter.from.isValid())
        terms << QStringLiteral("time >= :from");
    if (filter.to.isValid())
        terms << QStringLiteral("time < :to");
    if (!filter.manager.isEmpty())
        terms << QStringLiteral("manager = :manager");
    if (!filter.action.isEmpty())
        terms << QStringLiteral("action = :action");
    return terms.isEmpty() ? QString() : QStringLiteral(" where ") + terms.join(QLatin1String(" and "));
}

void bindFilter(QSqlQuery& query, const AuditFilter& filter)
{
    if (filter.from.isValid())
        query.bindValue(QStringLiteral(":from"), filter.from.toSecsSinceEpoch());
    if (filter.to.isValid())
        query.bindValue(QStringLiteral(":to"), filter.to.toSecsSinceEpoch());
    if (!filter.manager.isEmpty())
        query.bindValue(QStringLiteral(":manager"), filter.manager);
    if (!filter.action.isEmpty())
        query.bindValue(QStringLiteral(":action"), filter.action);
}

QVector<AuditRow> readRows(QSqlQuery& query)
{
    QVector<AuditRow> rows;
    if (!execReading(query))
        return rows;
    while (query.next())
        rows.append(auditFromQuery(query));
    return rows;
}

} // namespace

const QStringList& AuditAction::all()
{
    static const QStringList actions { Login, Lockout, Logout, AdminAdd, AdminChange, AdminDelete, CardIssue,
        CardRecharge, CardReturn, CardBind, SettingCard, ParameterCard, TariffCard, BlacklistCard,
        ReaderTopUp, FirmwareUpgrade, Backup, Import, ConfigChange };
    return actions;
}

void AuditTrail::setOperator(const QString& name)
{
    operatorName() = name;
}

void AuditTrail::setStationSerial(const QString& serial)
{
    stationSerial() = serial;
}

QString AuditTrail::currentOperator()
{
    return operatorName();
}

bool AuditTrail::record(const QString& action, const QString& subject, const QString& outcome)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("insert into audit (time, manager, sn, action, subject, outcome) "
                                 "values (:time, :manager, :sn, :action, :subject, :outcome)"));
    query.bindValue(QStringLiteral(":time"), StationClock::secsSinceEpoch());
    query.bindValue(QStringLiteral(":manager"), sqlText(operatorName()));
    query.bindValue(QStringLiteral(":sn"), sqlText(stationSerial()));
    query.bindValue(QStringLiteral(":action"), action);
    query.bindValue(QStringLiteral(":subject"), sqlText(subject));
    query.bindValue(QStringLiteral(":outcome"), outcome);
    const bool ok = query.exec();
    if (!ok)
        qWarning() << "audit row lost:" << action << subject << outcome << query.lastError().text();
    return ok;
}

QString AuditTrail::outcome(bool done, int code)
{
    return done ? AuditOutcome::Ok : AuditOutcome::Failed + QStringLiteral(" %1").arg(code);
}

QString AuditTrail::bindOutcome(bool done, int code, quint32 post, quint32 port)
{
    return outcome(done, code) + QStringLiteral(" %1/%2").arg(post).arg(port);
}

QVector<AuditRow> AuditTrail::page(const AuditFilter& filter, qint64 beforeId, int limit)
{
    QStringList terms;
    if (beforeId > 0)
        terms << QStringLiteral("id < :before");
    QSqlQuery query;
    query.prepare(QStringLiteral("select %1 from audit%2 order by id desc limit :limit")
                      .arg(QLatin1String(kColumns), whereClause(filter, terms)));
    bindFilter(query, filter);
    if (beforeId > 0)
        query.bindValue(QStringLiteral(":before"), beforeId);
    query.bindValue(QStringLiteral(":limit"), limit);
    return readRows(query);
}

QVector<AuditRow> AuditTrail::pageAt(const AuditFilter& filter, int offset, int limit)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("select %1 from audit%2 order by id desc limit :limit offset :offset")
                      .arg(QLatin1String(kColumns), whereClause(filter)));
    bindFilter(query, filter);
    query.bindValue(QStringLiteral(":limit"), limit);
    query.bindValue(QStringLiteral(":offset"), offset);
    return readRows(query);
}

int AuditTrail::count(const AuditFilter& filter)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("select count(*) from audit") + whereClause(filter));
    bindFilter(query, filter);
    if (!execReading(query) || !query.next())
        return 0;
    return query.value(0).toInt();
}

QStringList AuditTrail::managers()
{
    QStringList names;
    QSqlQuery query;
    if (!query.exec(
            QStringLiteral("select distinct manager from audit where manager <> '' order by manager")))
        return names;
    while (query.next())
        names.append(query.value(0).toString());
    return names;
}

bool AuditTrail::cardBinds(quint32 cardnum, QVector<Bind>& binds)
{
    static const QRegularExpression kBound(QStringLiteral("^ok ([0-9]{1,10})/([0-9]{1,3})$"));
    QSqlQuery query;
    query.setForwardOnly(true);
    // Over the (subject, action) index: the card's own rows only.
    query.prepare(QStringLiteral("select %1 from audit where subject = :subject and action = :bind "
                                 "and outcome like :ok order by id")
                      .arg(QLatin1String(kColumns)));
    query.bindValue(QStringLiteral(":subject"), cardSubject(cardnum));
    query.bindValue(QStringLiteral(":bind"), AuditAction::CardBind);
    query.bindValue(QStringLiteral(":ok"), AuditOutcome::Ok + QStringLiteral(" %"));
    if (!query.exec())
        return false;
    while (query.next()) {
        Bind bind { auditFromQuery(query) };
        const QRegularExpressionMatch match = kBound.match(bind.row.outcome);
        if (!match.hasMatch())
            continue;
        bind.post = match.captured(1).toUInt();
        bind.port = match.captured(2).toUInt();
        binds.append(bind);
    }
    return true;
}

AuditRow AuditTrail::lastLoginReset(const QString& name)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("select %1 from audit where subject = :name and "
                                 "((action = :login and outcome = :ok) or action = :lockout) "
                                 "order by id desc limit 1")
                      .arg(QLatin1String(kColumns)));
    query.bindValue(QStringLiteral(":name"), name);
    query.bindValue(QStringLiteral(":login"), AuditAction::Login);
    query.bindValue(QStringLiteral(":ok"), AuditOutcome::Ok);
    query.bindValue(QStringLiteral(":lockout"), AuditAction::Lockout);
    const QVector<AuditRow> rows = readRows(query);
    return rows.isEmpty() ? AuditRow() : rows.first();
}

int AuditTrail::failedLogins(const QString& name, qint64 afterId, qint64 sinceSecs)
{
    QSqlQuery query;
    query.prepare(
        QStringLiteral("select count(*) from audit where subject = :name and action = :login "
                       "and outcome in (:wrongName, :wrongPassword) and id > :after and time >= :since"));
    query.bindValue(QStringLiteral(":name"), name);
    query.bindValue(QStringLiteral(":login"), AuditAction::Login);
    query.bindValue(QStringLiteral(":wrongName"), AuditOutcome::WrongName);
    query.bindValue(QStringLiteral(":wrongPassword"), AuditOutcome::WrongPassword);
    query.bindValue(QStringLiteral(":after"), afterId);
    query.bindValue(QStringLiteral(":since"), sinceSecs);
    if (!query.exec() || !query.next())
        return 0;
    return query.value(0).toInt();
}
