#pragma once

#include <QDateTime>
#include <QString>

// Refuses a login name for a while after repeated failures. The count lives
// in the audit trail, so every station sharing the ledger sees it and it
// survives a restart: failures since the name's last success or lock-out,
// within the window, by the station clock.
class LoginLockout
{
public:
    static constexpr int kMaxFailures = 5;
    static constexpr qint64 kWindowSecs = 10 * 60;
    static constexpr qint64 kLockSecs = 5 * 60;

    // Invalid when the name may try now; else the end of its lock.
    static QDateTime lockedUntil(const QString& name);
    // Records the failed attempt (outcome: wrong name or password); the end
    // of the lock when this failure started one, else invalid.
    static QDateTime failed(const QString& name, const QString& outcome);
    static void succeeded(const QString& name);
    // Records an attempt refused while locked.
    static void refused(const QString& name);
};
