#pragma once

#include "Database.h"

#include <QString>
#include <optional>

// One row of the user table: the holder of an issued card.
struct UserRow
{
    qint64 id = 0; // assigned by the database; ignored on insert
    quint32 cardnum = 0;
    QString name;
    QString addr;
    QString phone;
    QString carnum;
    QString date; // kRecordTimeFormat
    QString manager;
    QString sn;
    QString note;
    std::optional<qint64> bindchid; // empty until the card is first bound
    std::optional<qint64> bindport;
};

struct UserLookup
{
    LookupStatus status = LookupStatus::Failed;
    UserRow row; // the first row when found
    bool found() const { return status == LookupStatus::Found; }
};

UserLookup findUserByCard(quint32 cardnum);
// Whether a user row holds exactly this holder: card number, holder texts,
// date, operator and reader (the binding is not compared).
LookupStatus findOwnerRow(const UserRow& owner);

// Issue: a new row ("inserted!"/"insert false"), or the existing one rewritten
// by id with its binding kept ("modfyed!"/"modfy false").
bool insertUser(const UserRow& user);
bool updateUser(qint64 id, const UserRow& user);

enum class OwnerSave { Inserted, InsertFailed, Updated, UpdateFailed, LookupFailed };
// Looks the card up ("cardnum no"/"cardnum haved") and inserts or updates.
// A failed look-up writes nothing, so a card never gets a second row.
OwnerSave saveCardOwner(const UserRow& owner);

// Binding by row id; 0/0 records an unbinding.
bool setUserBinding(qint64 id, qint64 bindchid, qint64 bindport);
