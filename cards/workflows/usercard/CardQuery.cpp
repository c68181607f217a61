#include "CardQuery.h"

#include "CardCrypto.h"
#include "CardImage.h"

#include <QDebug>

CardQuery::CardQuery(const UserCardStation& station)
    : m_station(station)
{
}

CardQueryResult CardQuery::read()
{
    CardQueryResult result;
    SectorKey key;
    if (!m_station.userKey(key)) {
        result.outcome = CardQueryResult::BadUserKey;
        return result;
    }
    CardReader& reader = *m_station.reader;
    reader.sendPreamble();

    QByteArray blocks;
    result.code = reader.readBlocks(m_station.block(0), 3, key, result.id, blocks);
    if (result.code != ReaderResult::Ok) {
        result.outcome = CardQueryResult::ReadFailed;
        return result;
    }

    const QByteArray block0 = blocks.mid(0, 16);
    const QByteArray block1 = blocks.mid(16, 16);
    const QByteArray block2 = blocks.mid(32, 16);
    const CardImageCheck check = checkCardImage(block2, block1, result.id, m_station.limitMoney());
    if (check.source != CardImageCheck::Block2)
        qDebug() << "主扇区校验不对";
    switch (check.outcome) {
    case CardImageCheck::Invalid:
        result.outcome = CardQueryResult::InvalidCard;
        return result;
    case CardImageCheck::IdMismatch:
        qDebug() << "m_uid!=pDat->id" << Qt::hex << result.id << check.image.id;
        result.outcome = CardQueryResult::IdMismatch;
        return result;
    case CardImageCheck::BalanceAboveLimit:
        result.balance = check.image.balance;
        result.outcome = CardQueryResult::BalanceInvalid;
        return result;
    case CardImageCheck::Accepted:
        break;
    }

    result.outcome = CardQueryResult::Read;
    result.balance = check.image.balance;
    result.binding = readBinding(block0);
    result.holder = findUserByCard(cardNumber(result.id));
    return result;
}
