#pragma once

#include "Database.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

// Shared by the record benchmarks: station databases filled with typical rows,
// timing and peak memory.
namespace BenchData {

inline double seconds(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e9;
}

// Resident memory now, unlike the peak.
inline long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

inline long peakKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

inline QString stamp(int i)
{
    return QStringLiteral("2024-%1-%2 %3.%4.%5")
        .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
        .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
        .arg(i / 3600 % 24, 2, 10, QLatin1Char('0'))
        .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(i % 60, 2, 10, QLatin1Char('0'));
}

// Rows first..first+count-1 of every record table (or of record alone); row
// i has card i and a time stamp of its own, so equal i means the same row in
// two files.
inline void fill(const QString& path, int first, int count, bool recordOnly = false)
{
    const QString name = QStringLiteral("bench_fill");
    {
        QSqlDatabase db = addStationConnection(path, name);
        db.open();
        QSqlQuery(db).exec(
            QStringLiteral("create table if not exists user (id integer primary key autoincrement,"
                           "cardnum INTEGER,name varchar(32),addr varchar(128),phone varchar(32),"
                           "carnum varchar(32),date varchar(32),manager varchar(32),sn varchar(32),"
                           "note varchar(128),bindchid integer,bindport integer)"));
        QSqlQuery(db).exec(
            QStringLiteral("create table if not exists record (id integer primary key autoincrement,"
                           "cardnum INTEGER,name varchar(32),addr varchar(128),phone varchar(32),"
                           "carnum varchar(32),date varchar(32),manager varchar(32),pay varchar(32),"
                           "pay_old varchar(32),pay_new varchar(32),sn varchar(32),note varchar(128))"));
        QSqlQuery(db).exec(
            QStringLiteral("create table if not exists backcard (id integer primary key autoincrement,"
                           "cardnum INTEGER,name varchar(32),addr varchar(128),phone varchar(32),"
                           "carnum varchar(32),date varchar(32),manager varchar(32),pay varchar(32),"
                           "sn varchar(32),note varchar(128))"));
        QSqlQuery(db).exec(
            QStringLiteral("create table if not exists devch (id integer primary key autoincrement,"
                           "money INTEGER,sn INTEGER,ver INTEGER,manager varchar(32),date varchar(32))"));
        db.transaction();
        QSqlQuery user(db), record(db), back(db), devch(db);
        user.prepare("insert into user (cardnum,name,addr,phone,carnum,date,manager,sn,note) "
                     "values (?,?,?,?,?,?,?,?,?)");
        record.prepare(
            "insert into record (cardnum,name,addr,phone,carnum,date,manager,pay,pay_old,pay_new,sn,note)"
            " values (?,?,?,?,?,?,?,?,?,?,?,?)");
        back.prepare("insert into backcard (cardnum,name,addr,phone,carnum,date,manager,pay,sn,note) "
                     "values (?,?,?,?,?,?,?,?,?,?)");
        devch.prepare("insert into devch (money,sn,ver,manager,date) values (?,?,?,?,?)");
        for (int i = first; i < first + count; ++i) {
            const QVariant card = qint64(3000000000LL + i);
            const QString holder = QStringLiteral("张三%1").arg(i % 997);
            const QString addr = QStringLiteral("北京市海淀区中关村大街%1号").arg(i % 300);
            const QString phone = QStringLiteral("138%1").arg(i % 100000000, 8, 10, QLatin1Char('0'));
            const QString plate = QStringLiteral("京A%1").arg(i % 100000, 5, 10, QLatin1Char('0'));
            const QString date = stamp(i);
            const QVector<QSqlQuery*> holders = recordOnly ? QVector<QSqlQuery*> { &record }
                                                           : QVector<QSqlQuery*> { &user, &record, &back };
            for (QSqlQuery* query : holders) {
                query->addBindValue(card);
                query->addBindValue(holder);
                query->addBindValue(addr);
                query->addBindValue(phone);
                query->addBindValue(plate);
                query->addBindValue(date);
                query->addBindValue(QStringLiteral("admin"));
            }
            record.addBindValue(QStringLiteral("50.00"));
            record.addBindValue(QStringLiteral("12.34"));
            record.addBindValue(QStringLiteral("62.34"));
            record.addBindValue(QStringLiteral("00042"));
            record.addBindValue(QStringLiteral("备注"));
            if (recordOnly) {
                record.exec();
                continue;
            }
            user.addBindValue(QStringLiteral("00042"));
            user.addBindValue(QStringLiteral("备注"));
            back.addBindValue(QStringLiteral("62.34"));
            back.addBindValue(QStringLiteral("00042"));
            back.addBindValue(QStringLiteral("备注"));
            devch.addBindValue(10000 + i % 500);
            devch.addBindValue(42);
            devch.addBindValue(i % 7);
            devch.addBindValue(QStringLiteral("admin"));
            devch.addBindValue(date);
            record.exec();
            user.exec();
            back.exec();
            devch.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(name);
}

// Runs a program and returns its standard output; the figures come last.
inline QString run(
    const QString& program, const QStringList& arguments, const QByteArray& input = QByteArray())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace BenchData
