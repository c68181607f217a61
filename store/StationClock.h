#pragma once

#include <QDateTime>

// The station's notion of "now" for what is judged by time (the audit trail,
// the login lock-out). Tests fix it and move it on; the station always reads
// the system clock.
class StationClock
{
public:
    static QDateTime now();
    static qint64 secsSinceEpoch() { return now().toSecsSinceEpoch(); }

    // Test clock: now() answers this instant until advanced or reset.
    static void setTestTime(const QDateTime& time);
    static void advance(qint64 seconds);
    static void useSystemTime();
};
