#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// The stored names of what the audit trail records; the viewer translates them.
namespace AuditAction {
inline const QString Login = QStringLiteral("login");
inline const QString Lockout = QStringLiteral("lockout");
inline const QString Logout = QStringLiteral("logout");
inline const QString AdminAdd = QStringLiteral("admin add");
inline const QString AdminChange = QStringLiteral("admin change");
inline const QString AdminDelete = QStringLiteral("admin delete");
inline const QString CardIssue = QStringLiteral("card issue");
inline const QString CardRecharge = QStringLiteral("card recharge");
inline const QString CardReturn = QStringLiteral("card return");
inline const QString CardBind = QStringLiteral("card bind");
inline const QString SettingCard = QStringLiteral("setting card");
inline const QString ParameterCard = QStringLiteral("parameter card");
inline const QString TariffCard = QStringLiteral("tariff card");
inline const QString BlacklistCard = QStringLiteral("blacklist card");
inline const QString ReaderTopUp = QStringLiteral("reader top-up");
inline const QString FirmwareUpgrade = QStringLiteral("firmware upgrade");
inline const QString Backup = QStringLiteral("backup");
inline const QString Import = QStringLiteral("import");
inline const QString ConfigChange = QStringLiteral("config change");

// Every action, in the viewer's filter order.
const QStringList& all();
} // namespace AuditAction

// Stored outcomes the lock-out and the viewer look for; other outcomes are
// "failed N", N being the workflow's outcome number.
namespace AuditOutcome {
inline const QString Ok = QStringLiteral("ok");
inline const QString WrongName = QStringLiteral("wrong name");
inline const QString WrongPassword = QStringLiteral("wrong password");
inline const QString Locked = QStringLiteral("locked");
inline const QString Failed = QStringLiteral("failed");
inline const QString Until = QStringLiteral("until");
} // namespace AuditOutcome

struct AuditRow
{
    qint64 id = 0;
    qint64 time = 0; // seconds since 1970-01-01 UTC
    QString manager;
    QString sn;
    QString action;
    QString subject;
    QString outcome;
};

struct AuditFilter
{
    QDateTime from; // invalid: open
    QDateTime to; // exclusive; invalid: open
    QString manager; // empty: every operator
    QString action; // empty: every action
};

// The audit table: who did what to which card or account, and how it ended.
// Rows are only ever added. A failed write is logged and otherwise ignored:
// the trail never stands in the way of the work it records.
class AuditTrail
{
public:
    // Who and where, for the rows that follow (the logged-in operator, the
    // reader serial once known).
    static void setOperator(const QString& name);
    static void setStationSerial(const QString& serial);
    static QString currentOperator();

    static bool record(const QString& action, const QString& subject, const QString& outcome);
    // "ok", or "failed N" with the outcome number of a workflow.
    static QString outcome(bool done, int code);
    static QString outcome(bool done) { return done ? AuditOutcome::Ok : AuditOutcome::Failed; }
    static QString cardSubject(quint32 cardnum) { return QString::number(cardnum); }
    // A card bind's outcome: outcome() followed by "POST/PORT".
    static QString bindOutcome(bool done, int code, quint32 post, quint32 port);

    // Newest first: at most limit rows after the row with id beforeId (0: from the newest).
    static QVector<AuditRow> page(const AuditFilter& filter, qint64 beforeId, int limit);
    // The same rows by position, for a jump into the middle.
    static QVector<AuditRow> pageAt(const AuditFilter& filter, int offset, int limit);
    static int count(const AuditFilter& filter);
    static QStringList managers();

    // The successful binds of the card, oldest first; false when the table
    // could not be read.
    struct Bind
    {
        AuditRow row;
        quint32 post = 0;
        quint32 port = 0;
    };
    static bool cardBinds(quint32 cardnum, QVector<Bind>& binds);

    // The newest successful login or lock-out of the name: id 0 when none.
    static AuditRow lastLoginReset(const QString& name);
    // Failed logins of the name in rows after afterId at or after the time.
    static int failedLogins(const QString& name, qint64 afterId, qint64 sinceSecs);
};
