#include "DatabaseBackup.h"

#include "AuditTrail.h"
#include "Database.h"
#include "FileSync.h"
#include "ServerConnection.h"
#include "SqlDialect.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>
#include <cstdio>

namespace {

const QString kSnapshotConnection = QStringLiteral("veloka_snapshot");
constexpr int kPageRows = 2000;

QString partialPath(const QFileInfo& target)
{
    return target.absolutePath() + QStringLiteral("/.") + QUuid::createUuid().toString(QUuid::WithoutBraces)
        + QStringLiteral(".db.part");
}

// The copy reaches the disk before it takes the target's name, and the name
// after: a power cut after "done" must not leave an empty or short backup.
bool renameOver(const QString& partial, const QFileInfo& target)
{
    if (syncFile(partial)
        && std::rename(QFile::encodeName(partial).constData(),
               QFile::encodeName(target.absoluteFilePath()).constData())
            == 0) {
        syncFolderOf(target.absoluteFilePath());
        return true;
    }
    QFile::remove(partial);
    return false;
}

// Copies one table page by page of ids, so that memory stays flat however
// long the history.
bool copyTable(const LedgerTable& table, const SqlDialect& from, QSqlDatabase& to)
{
    const QString columns = table.columns.join(QLatin1Char(','));
    QStringList placeholders;
    for (const QString& column : table.columns)
        placeholders.append(QLatin1Char(':') + column);
    QSqlQuery read;
    QSqlQuery write(to);
    if (!read.prepare(QStringLiteral("select %1 from %2 where id > :last order by id limit %3")
                          .arg(columns, from.table(table.name))
                          .arg(kPageRows))
        || !write.prepare(QStringLiteral("insert into %1 (%2) values (%3)")
                              .arg(table.name, columns, placeholders.join(QLatin1Char(','))))) {
        qDebug() << "snapshot" << table.name << read.lastError().text() << write.lastError().text();
        return false;
    }
    qint64 last = -1;
    for (;;) {
        read.bindValue(QStringLiteral(":last"), last);
        if (!read.exec()) {
            qDebug() << "snapshot read" << table.name << read.lastError().text();
            return false;
        }
        int rows = 0;
        while (read.next()) {
            ++rows;
            for (int i = 0; i < table.columns.size(); ++i)
                write.bindValue(i, read.value(i));
            if (!write.exec()) {
                qDebug() << "snapshot write" << table.name << write.lastError().text();
                return false;
            }
            last = read.value(0).toLongLong();
        }
        if (rows < kPageRows)
            return true;
    }
}

bool writeSnapshot(const QString& path)
{
    QSqlDatabase to = addStationConnection(path, kSnapshotConnection);
    if (!to.open())
        return false;
    for (const SqlDialect::SchemaStep& step : SqlDialect(SqlDialect::Backend::SQLite).schemaSteps()) {
        if (!QSqlQuery(to).exec(step.statement) && step.examined)
            return false;
    }
    const SqlDialect from = SqlDialect::current();
    QSqlQuery view;
    if (!to.transaction() || !view.exec(from.beginSnapshot()))
        return false;
    bool ok = true;
    for (const LedgerTable& table : ledgerTables())
        ok = ok && copyTable(table, from, to);
    QSqlQuery().exec(QStringLiteral("commit"));
    ok = to.commit() && ok;
    to.close();
    return ok;
}

} // namespace

namespace DatabaseBackup {

QString targetPath(const QString& folder)
{
    return folder + QLatin1Char('/') + kDatabaseFileName;
}

namespace {

Outcome copyFile(const QString& source, const QString& target)
{
    const QFileInfo from(source);
    const QFileInfo to(target);
    // Replacing the target would delete the live database itself.
    if (to.exists() && from.canonicalFilePath() == to.canonicalFilePath())
        return Outcome::SameFile;

    const QString partial = partialPath(to);
    if (!QFile::copy(source, partial)) {
        qDebug() << "backup copy failed" << source << partial;
        QFile::remove(partial);
        return Outcome::CopyFailed;
    }
    return renameOver(partial, to) ? Outcome::Copied : Outcome::CopyFailed;
}

Outcome snapshotFile(const QString& target)
{
    const QSqlDatabase live = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    const QFileInfo to(target);
    if (!SqlDialect::of(live).isServer() && to.exists()
        && QFileInfo(live.databaseName()).canonicalFilePath() == to.canonicalFilePath())
        return Outcome::SameFile;
    const QString partial = partialPath(to);
    const bool ok = writeSnapshot(partial);
    QSqlDatabase::removeDatabase(kSnapshotConnection);
    if (!ok) {
        qDebug() << "snapshot failed" << target;
        QFile::remove(partial);
        return Outcome::CopyFailed;
    }
    return renameOver(partial, to) ? Outcome::Copied : Outcome::CopyFailed;
}

Outcome audited(Outcome outcome, const QString& target)
{
    AuditTrail::record(
        AuditAction::Backup, target, AuditTrail::outcome(outcome == Outcome::Copied, int(outcome)));
    return outcome;
}

} // namespace

Outcome copy(const QString& source, const QString& target)
{
    return audited(copyFile(source, target), target);
}

Outcome snapshot(const QString& target)
{
    return audited(snapshotFile(target), target);
}

Outcome backup(const QString& target)
{
    QSqlDatabase live = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (SqlDialect::of(live).isServer())
        return snapshot(target);
    // Another program writing the ledger rewrites pages in place while it
    // commits; a read lock held over the copy keeps it out until the copy is
    // whole, and a writer that does not let go fails the backup.
    QSqlQuery lock(live);
    if (!live.transaction())
        return audited(Outcome::CopyFailed, target);
    if (!lock.exec(QStringLiteral("select count(*) from sqlite_master"))) {
        qDebug() << "backup lock failed" << lock.lastError().text();
        live.rollback();
        return audited(Outcome::CopyFailed, target);
    }
    lock.finish();
    const Outcome outcome = copyFile(live.databaseName(), target);
    live.rollback(); // before the audit row, which the rollback would take along
    return audited(outcome, target);
}

} // namespace DatabaseBackup
