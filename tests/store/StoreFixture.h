#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

// The station keeps its one connection for the whole run; tests open a fresh
// file per case and must drop the default connection in between.
inline void dropDefaultConnection()
{
    const QString name = QLatin1String(QSqlDatabase::defaultConnection);
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

inline QStringList columnNames(const QString& table)
{
    QStringList names;
    QSqlQuery query(QStringLiteral("pragma table_info(%1)").arg(table));
    while (query.next())
        names.append(query.value(1).toString());
    return names;
}

inline int rowCount(const QString& table)
{
    QSqlQuery query(QStringLiteral("select count(*) from %1").arg(table));
    return query.next() ? query.value(0).toInt() : -1;
}
