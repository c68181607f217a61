#include "LoginLockout.h"

#include "AuditTrail.h"
#include "StationClock.h"

QDateTime LoginLockout::lockedUntil(const QString& name)
{
    const AuditRow reset = AuditTrail::lastLoginReset(name);
    if (reset.id == 0 || reset.action != AuditAction::Lockout)
        return QDateTime();
    const qint64 until = reset.time + kLockSecs;
    if (StationClock::secsSinceEpoch() >= until)
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(until);
}

QDateTime LoginLockout::failed(const QString& name, const QString& outcome)
{
    AuditTrail::record(AuditAction::Login, name, outcome);
    const qint64 now = StationClock::secsSinceEpoch();
    const AuditRow reset = AuditTrail::lastLoginReset(name);
    if (AuditTrail::failedLogins(name, reset.id, now - kWindowSecs) < kMaxFailures)
        return QDateTime();
    const QDateTime until = QDateTime::fromSecsSinceEpoch(now + kLockSecs);
    AuditTrail::record(AuditAction::Lockout, name,
        AuditOutcome::Until + QLatin1Char(' ') + until.toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    return until;
}

void LoginLockout::succeeded(const QString& name)
{
    AuditTrail::record(AuditAction::Login, name, AuditOutcome::Ok);
}

void LoginLockout::refused(const QString& name)
{
    AuditTrail::record(AuditAction::Login, name, AuditOutcome::Locked);
}
