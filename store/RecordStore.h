#pragma once

#include "Database.h"

#include <QString>

// Rows of the three history tables. Money columns of record and backcard hold
// money text ("12.34"); devch holds fen. Each insert logs "inserted!" or
// "insert false" and leaves the id to the database. The key is the outbox
// entry's: on the server the row carries it and a second insert with the same
// key stores nothing; the station file ignores it.

struct RechargeRow
{
    quint32 cardnum = 0;
    QString name; // holder data from the user row, empty without one
    QString addr;
    QString phone;
    QString carnum;
    QString date; // kRecordTimeFormat
    QString manager;
    QString pay;
    QString payOld;
    QString payNew;
    QString sn;
    QString note;
};
bool insertRechargeRow(const RechargeRow& row, const QString& key = QString());

struct ReturnRow
{
    quint32 cardnum = 0;
    QString name;
    QString addr;
    QString phone;
    QString carnum;
    QString date;
    QString manager;
    QString pay;
    QString sn;
    QString note;
};
bool insertReturnRow(const ReturnRow& row, const QString& key = QString());

struct DevChRow
{
    quint32 money = 0; // fen
    quint32 sn = 0;
    quint32 ver = 0;
    QString manager;
    QString date;
};
bool insertDevChRow(const DevChRow& row, const QString& key = QString());

// Whether a row with every column equal to this one is stored already.
LookupStatus findRechargeRow(const RechargeRow& row);
LookupStatus findReturnRow(const ReturnRow& row);
LookupStatus findDevChRow(const DevChRow& row);

// On the server: whether the table holds the row with this key.
LookupStatus findKeyedRow(const QString& table, const QString& key);
