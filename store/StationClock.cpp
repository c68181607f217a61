#include "StationClock.h"

namespace {

QDateTime& testTime()
{
    static QDateTime time;
    return time;
}

} // namespace

QDateTime StationClock::now()
{
    return testTime().isValid() ? testTime() : QDateTime::currentDateTime();
}

void StationClock::setTestTime(const QDateTime& time)
{
    testTime() = time;
}

void StationClock::advance(qint64 seconds)
{
    testTime() = now().addSecs(seconds);
}

void StationClock::useSystemTime()
{
    testTime() = QDateTime();
}
