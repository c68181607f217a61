#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <functional>

inline const QString kDatabaseFileName = QStringLiteral("database.db");
// Time stamps of the four record tables, and of the man table.
inline const QString kRecordTimeFormat = QStringLiteral("yyyy-MM-dd hh.mm.ss");
inline const QString kManTimeFormat = QStringLiteral("yyyyMMdd hhmmss");

// Shared by every look-up: a failed statement is told apart from an empty result.
enum class LookupStatus { Found, NotFound, Failed };

// Registers a connection with the station's driver, file and credentials (the
// default connection unless named, e.g. "db2" for an import) without opening it.
QSqlDatabase addStationConnection(
    const QString& fileName, const QString& connectionName = QLatin1String(QSqlDatabase::defaultConnection));

// Whether two paths name one existing file: the same device and inode, so a
// symbolic or hard link to it counts.
bool isSameFile(const QString& first, const QString& second);

// Opens the default connection; logs "open ok" or "open false".
bool openDatabase(const QString& fileName = kDatabaseFileName);

// Runs the five create statements and the two column additions of the user
// table; false when any create statement failed (each is logged).
bool createTables();

enum class SeedOutcome { AdminPresent, Inserted, InsertFailed };
// Makes sure an account matching "admin" (any letter case) exists.
SeedOutcome seedAdministrator(const QDateTime& now = QDateTime::currentDateTime());

struct DatabaseStartup
{
    bool opened = false; // false: "打开数据库失败", the login window closes
    bool inUse = false; // another program kept the file locked through the wait (opened is false)
    bool seedFailed = false; // true: "插入数据失败"
    bool schemaMissing = false; // the server lacks ledger tables this role may not create
    QString serverError; // why the server failed: libpq's words or the missing tables
};

// How long the start waits for a file that another program holds locked.
inline constexpr int kDefaultDatabaseOpenWaitMs = 5000;
void setDatabaseOpenWait(int ms);

// The login window's start-up step: open, check the file by a real read,
// create or upgrade, seed. After a failed open the later steps still run, as
// they only fail and log then; a file that is no database, or stays locked,
// is closed at once instead, so nothing waits on it later. While the lock is
// waited for, whileWaiting is called every few tenths of a second.
DatabaseStartup prepareDatabase(
    const QString& fileName = kDatabaseFileName, const std::function<void()>& whileWaiting = {});
