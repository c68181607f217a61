#pragma once

#include "Database.h"
#include "IdRuns.h"

#include <QList>
#include <QString>
#include <QStringList>

// Administrator accounts (table man).
struct ManRow
{
    qint64 id = 0;
    QString name;
    QString pwd;
    QString date; // kManTimeFormat
    QString note;
};

struct ManLookup
{
    LookupStatus status = LookupStatus::Failed;
    ManRow row; // the first row when found
    bool found() const { return status == LookupStatus::Found; }
};

// The typed name is a LIKE pattern ("%" and "_" match, ASCII case ignored),
// bound as a parameter so quotes are plain characters. Callers compare the
// found name exactly where an exact match matters.
ManLookup findManLike(const QString& pattern);

// All accounts in query order; empty when the statement fails.
QList<ManRow> listMen();
// The ids of every account, for a list that reads the rows it shows by id
// range. False when the statement failed.
bool manIds(IdRuns& out);
QStringList manNames();

bool insertMan(const QString& name, const QString& pwd, const QString& note, const QDateTime& now);
// A new account with an empty note.
bool addMan(const QString& name, const QString& pwd, const QDateTime& now = QDateTime::currentDateTime());
// Rewrites name, password, date and an empty note of the account with this
// id; false when there is no such account (any more).
bool changeMan(
    qint64 id, const QString& name, const QString& pwd, const QDateTime& now = QDateTime::currentDateTime());
bool deleteMan(qint64 id);
