#pragma once

#include "BindBlock.h"
#include "BuiltinKeys.h"
#include "CardCrypto.h"
#include "CardImage.h"
#include "Database.h"
#include "Outbox.h"
#include "UserCardStation.h"
#include "UserStore.h"
#include "VirtualReader.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>
#include <QVector>

// Cards, reader and database for the user-card tests: the virtual reader on a
// temporary state file and a fresh station database in a temporary folder.
namespace Fixture {

inline constexpr quint8 UserSector = 3;
inline constexpr quint32 Limit = 50000;
inline const QByteArray AccessBits = QByteArray::fromHex("FF078069");

inline QByteArray keyBytes(const SectorKey& key)
{
    return QByteArray(reinterpret_cast<const char*>(key.data()), 6);
}

inline QByteArray trailer(const SectorKey& key)
{
    return keyBytes(key) + AccessBits + keyBytes(key);
}

inline void setSectorKey(quint32 id, quint8 sector, const SectorKey& key)
{
    VirtualReader::setBlock(id, sector * 4 + 3, trailer(key));
}

inline SectorKey sectorKeyA(quint32 id, quint8 sector)
{
    const QByteArray t = VirtualReader::block(id, sector * 4 + 3);
    SectorKey key {};
    for (int i = 0; i < 6; ++i)
        key[size_t(i)] = quint8(t.at(i));
    return key;
}

// A card as the station leaves it after issue: image in blocks 2 and 1, user key.
inline quint32 issuedCard(quint32 balance, quint32 id = 0)
{
    id = id ? VirtualReader::addBlankCard(id) : VirtualReader::addBlankCard();
    const QByteArray image = makeCardImage(balance, id, 0);
    VirtualReader::setBlock(id, UserSector * 4 + 1, image);
    VirtualReader::setBlock(id, UserSector * 4 + 2, image);
    setSectorKey(id, UserSector, BuiltinKeys::DefaultUser);
    return id;
}

// Balance of the image a user-key read would accept, or -1.
inline qint64 cardBalance(quint32 id)
{
    const CardImageCheck check = checkCardImage(VirtualReader::block(id, UserSector * 4 + 2),
        VirtualReader::block(id, UserSector * 4 + 1), id, 0xFFFFFFFFu);
    return check.outcome == CardImageCheck::Accepted ? qint64(check.image.balance) : -1;
}

inline QByteArray userBlocks(quint32 id)
{
    QByteArray out;
    for (int b = 0; b < 3; ++b)
        out += VirtualReader::block(id, UserSector * 4 + b);
    return out;
}

inline UserCardStation station(CardReader* reader, bool shareMode = false)
{
    UserCardStation s;
    s.reader = reader;
    s.config.company = QStringLiteral("Veloka");
    s.config.usr_sect = UserSector;
    s.config.limit_money = qint32(Limit);
    s.readerInfo.bytes[0] = shareMode ? ReaderInfo::ShareMode : ReaderInfo::SaleMode;
    s.readerInfo.bytes[1] = 7;
    s.session.managerName = QStringLiteral("admin");
    s.session.readerSerial = QStringLiteral("00007");
    return s;
}

inline UserRow holder(quint32 id, const QString& name)
{
    UserRow row;
    row.cardnum = cardNumber(id);
    row.name = name;
    row.addr = QStringLiteral("1 Lake Road");
    row.phone = QStringLiteral("13800000000");
    row.carnum = QStringLiteral("A12345");
    row.note = QStringLiteral("vip");
    return row;
}

// The rows of one table for one card, every column by name.
inline QVector<QSqlRecord> rows(const QString& table, quint32 id)
{
    QVector<QSqlRecord> out;
    QSqlQuery query;
    query.prepare(QStringLiteral("select * from %1 where cardnum = :cardnum order by id").arg(table));
    query.bindValue(QStringLiteral(":cardnum"), QVariant(qulonglong(cardNumber(id))));
    query.exec();
    while (query.next())
        out.append(query.record());
    return out;
}

// One temporary database and outbox per test program; every table emptied per test.
inline void openDatabase(QTemporaryDir& dir)
{
    ::openDatabase(dir.filePath(QStringLiteral("database.db")));
    createTables();
    Outbox::setStationPath(dir.filePath(Outbox::kFileName));
}

inline void clearTables()
{
    QSqlQuery query;
    for (const char* table : { "user", "record", "backcard" })
        query.exec(QStringLiteral("delete from %1").arg(QLatin1String(table)));
    QFile::remove(Outbox::stationPath());
}

inline void freshReader()
{
    VirtualReader::reset();
    VirtualReader::setSerial(7);
}

} // namespace Fixture
