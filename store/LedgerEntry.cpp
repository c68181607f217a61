#include "LedgerEntry.h"

#include "SqlDialect.h"

#include <QJsonValue>
#include <QUuid>

namespace {

const QString kKey = QStringLiteral("key");
const QString kTable = QStringLiteral("table");
const QString kDo = QStringLiteral("do");
const QString kValues = QStringLiteral("values");

// Card number, holder texts, date, operator and reader: the columns that
// StoreDetail's bindHolderColumns binds.
template<typename Row>
void putHolder(QJsonObject& values, const Row& row)
{
    values[QStringLiteral("cardnum")] = qint64(row.cardnum);
    values[QStringLiteral("name")] = row.name;
    values[QStringLiteral("addr")] = row.addr;
    values[QStringLiteral("phone")] = row.phone;
    values[QStringLiteral("carnum")] = row.carnum;
    values[QStringLiteral("date")] = row.date;
    values[QStringLiteral("manager")] = row.manager;
    values[QStringLiteral("sn")] = row.sn;
    values[QStringLiteral("note")] = row.note;
}

template<typename Row>
void takeHolder(const QJsonObject& values, Row& row)
{
    row.cardnum = quint32(values.value(QStringLiteral("cardnum")).toDouble());
    row.name = values.value(QStringLiteral("name")).toString();
    row.addr = values.value(QStringLiteral("addr")).toString();
    row.phone = values.value(QStringLiteral("phone")).toString();
    row.carnum = values.value(QStringLiteral("carnum")).toString();
    row.date = values.value(QStringLiteral("date")).toString();
    row.manager = values.value(QStringLiteral("manager")).toString();
    row.sn = values.value(QStringLiteral("sn")).toString();
    row.note = values.value(QStringLiteral("note")).toString();
}

qint64 number(const QJsonObject& values, const char* name)
{
    return qint64(values.value(QLatin1String(name)).toDouble());
}

QString text(const QJsonObject& values, const char* name)
{
    return values.value(QLatin1String(name)).toString();
}

// Per kind of row: its table and what is done with it, its values, and the
// store functions that write it and look for it.
struct Kind
{
    const char* table;
    const char* action;
};

Kind kindOf(const RechargeRow&)
{
    return { "record", "insert" };
}
Kind kindOf(const ReturnRow&)
{
    return { "backcard", "insert" };
}
Kind kindOf(const DevChRow&)
{
    return { "devch", "insert" };
}
Kind kindOf(const UserRow&)
{
    return { "user", "save" };
}
Kind kindOf(const BindingRow&)
{
    return { "user", "bind" };
}

void put(QJsonObject& values, const RechargeRow& r)
{
    putHolder(values, r);
    values[QStringLiteral("pay")] = r.pay;
    values[QStringLiteral("pay_old")] = r.payOld;
    values[QStringLiteral("pay_new")] = r.payNew;
}
void put(QJsonObject& values, const ReturnRow& r)
{
    putHolder(values, r);
    values[QStringLiteral("pay")] = r.pay;
}
void put(QJsonObject& values, const DevChRow& r)
{
    values[QStringLiteral("money")] = qint64(r.money);
    values[QStringLiteral("sn")] = qint64(r.sn);
    values[QStringLiteral("ver")] = qint64(r.ver);
    values[QStringLiteral("manager")] = r.manager;
    values[QStringLiteral("date")] = r.date;
}
void put(QJsonObject& values, const UserRow& r)
{
    putHolder(values, r);
}
void put(QJsonObject& values, const BindingRow& r)
{
    values[QStringLiteral("cardnum")] = qint64(r.cardnum);
    values[QStringLiteral("bindchid")] = r.bindchid;
    values[QStringLiteral("bindport")] = r.bindport;
}

void take(const QJsonObject& values, RechargeRow& r)
{
    takeHolder(values, r);
    r.pay = text(values, "pay");
    r.payOld = text(values, "pay_old");
    r.payNew = text(values, "pay_new");
}
void take(const QJsonObject& values, ReturnRow& r)
{
    takeHolder(values, r);
    r.pay = text(values, "pay");
}
void take(const QJsonObject& values, DevChRow& r)
{
    r.money = quint32(number(values, "money"));
    r.sn = quint32(number(values, "sn"));
    r.ver = quint32(number(values, "ver"));
    r.manager = text(values, "manager");
    r.date = text(values, "date");
}
void take(const QJsonObject& values, UserRow& r)
{
    takeHolder(values, r);
}
void take(const QJsonObject& values, BindingRow& r)
{
    r.cardnum = quint32(number(values, "cardnum"));
    r.bindchid = number(values, "bindchid");
    r.bindport = number(values, "bindport");
}

bool write(const RechargeRow& r, const QString& key)
{
    return insertRechargeRow(r, key);
}
bool write(const ReturnRow& r, const QString& key)
{
    return insertReturnRow(r, key);
}
bool write(const DevChRow& r, const QString& key)
{
    return insertDevChRow(r, key);
}
bool write(const UserRow& r, const QString&)
{
    const OwnerSave save = saveCardOwner(r);
    return save == OwnerSave::Inserted || save == OwnerSave::Updated;
}
bool write(const BindingRow& r, const QString&)
{
    const UserLookup holder = findUserByCard(r.cardnum);
    return holder.found() && setUserBinding(holder.row.id, r.bindchid, r.bindport);
}

LookupStatus find(const RechargeRow& r, const QString& key)
{
    return SqlDialect::current().keysRows() ? findKeyedRow(QStringLiteral("record"), key)
                                            : findRechargeRow(r);
}
LookupStatus find(const ReturnRow& r, const QString& key)
{
    return SqlDialect::current().keysRows() ? findKeyedRow(QStringLiteral("backcard"), key)
                                            : findReturnRow(r);
}
LookupStatus find(const DevChRow& r, const QString& key)
{
    return SqlDialect::current().keysRows() ? findKeyedRow(QStringLiteral("devch"), key) : findDevChRow(r);
}
LookupStatus find(const UserRow& r, const QString&)
{
    return findOwnerRow(r);
}
LookupStatus find(const BindingRow& r, const QString&)
{
    const UserLookup holder = findUserByCard(r.cardnum);
    // Without a user row nothing can carry the binding, as at the bind itself;
    // only a replaced database file gets here.
    if (holder.status != LookupStatus::Found)
        return holder.status == LookupStatus::NotFound ? LookupStatus::Found : LookupStatus::Failed;
    return holder.row.bindchid == r.bindchid && holder.row.bindport == r.bindport ? LookupStatus::Found
                                                                                  : LookupStatus::NotFound;
}

// The row of each kind, in the variant's order, tried against table and action.
template<size_t I = 0>
bool rowOfKind(const QString& table, const QString& action, LedgerEntry::Row& row)
{
    if constexpr (I == std::variant_size_v<LedgerEntry::Row>) {
        return false;
    } else {
        const Kind kind = kindOf(std::variant_alternative_t<I, LedgerEntry::Row>());
        if (table == QLatin1String(kind.table) && action == QLatin1String(kind.action)) {
            row.emplace<I>();
            return true;
        }
        return rowOfKind<I + 1>(table, action, row);
    }
}

} // namespace

LedgerEntry LedgerEntry::make(Row row)
{
    return LedgerEntry { QUuid::createUuid().toString(QUuid::WithoutBraces), std::move(row) };
}

QString LedgerEntry::table() const
{
    return QLatin1String(std::visit([](const auto& r) { return kindOf(r); }, row).table);
}

QJsonObject LedgerEntry::toJson() const
{
    QJsonObject values;
    std::visit([&values](const auto& r) { put(values, r); }, row);
    const Kind kind = std::visit([](const auto& r) { return kindOf(r); }, row);
    return QJsonObject { { kKey, key }, { kTable, QLatin1String(kind.table) },
        { kDo, QLatin1String(kind.action) }, { kValues, values } };
}

std::optional<LedgerEntry> LedgerEntry::fromJson(const QJsonObject& object)
{
    LedgerEntry entry;
    entry.key = object.value(kKey).toString();
    const QJsonValue values = object.value(kValues);
    if (entry.key.isEmpty() || !values.isObject()
        || !rowOfKind(object.value(kTable).toString(), object.value(kDo).toString(), entry.row))
        return std::nullopt;
    std::visit([&values](auto& r) { take(values.toObject(), r); }, entry.row);
    return entry;
}

bool writeLedgerEntry(const LedgerEntry& entry)
{
    return std::visit([&entry](const auto& r) { return write(r, entry.key); }, entry.row);
}

LookupStatus findLedgerEntry(const LedgerEntry& entry)
{
    return std::visit([&entry](const auto& r) { return find(r, entry.key); }, entry.row);
}
