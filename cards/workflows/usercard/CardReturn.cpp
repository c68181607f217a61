#include "CardReturn.h"

#include "AuditTrail.h"
#include "CardCrypto.h"
#include "CardImage.h"
#include "MoneyLogRow.h"

#include <QDebug>

namespace {
// Sectors of a setting card that carry the setting-card key.
constexpr quint8 SettingSectors[] = { 0, 1, 2 };
constexpr quint8 SettingFirstBlock = 4;
constexpr int WipedBlocks = 3;
} // namespace

CardReturn::CardReturn(const UserCardStation& station)
    : m_station(station)
{
}

ReturnResult CardReturn::returnCard()
{
    const ReturnResult result = takeBack();
    const bool done
        = result.outcome == ReturnResult::Returned || result.outcome == ReturnResult::SettingCardReturned;
    AuditTrail::record(AuditAction::CardReturn, AuditTrail::cardSubject(cardNumber(result.id)),
        AuditTrail::outcome(done, result.outcome) + QLatin1Char(' ') + moneyText(result.amount));
    return result;
}

ReturnResult CardReturn::takeBack()
{
    ReturnResult result;
    SectorKey userKey;
    if (!m_station.userKey(userKey)) {
        result.outcome = ReturnResult::BadUserKey;
        return result;
    }
    CardReader& reader = *m_station.reader;
    reader.sendPreamble();
    QByteArray blocks;
    result.code = reader.readBlocks(m_station.block(1), 2, userKey, result.id, blocks);
    qDebug() << "m_card->read:" << result.code;
    if (result.code != ReaderResult::Ok)
        return returnSettingCard();

    qDebug() << "card_read==0";
    const CardImageCheck check
        = checkCardImage(blocks.mid(16, 16), blocks.mid(0, 16), result.id, m_station.limitMoney());
    switch (check.outcome) {
    case CardImageCheck::Invalid:
        qDebug() << "crc!=pDat->crc";
        result.outcome = ReturnResult::InvalidCard;
        return result;
    case CardImageCheck::IdMismatch:
        qDebug() << "id!=pDat->id";
        result.outcome = ReturnResult::IdMismatch;
        return result;
    case CardImageCheck::BalanceAboveLimit:
        result.outcome = ReturnResult::BalanceInvalid;
        return result;
    case CardImageCheck::Accepted:
        break;
    }
    result.amount = check.image.balance;

    // Written also when the holder is unknown, with empty holder texts: money
    // that leaves a card is always on record. It is secured before the key
    // change and committed once the card is handed back.
    LedgerWrite ledger;
    ledger.deliver();
    ReturnRow row;
    result.holderFound = fillMoneyLogRow(row, m_station, result.id, result.amount);
    result.ledger = ledger.secure(LedgerEntry::make(row));
    if (result.ledger != LedgerSecure::Secured) {
        result.outcome = ReturnResult::LedgerUnavailable;
        return result;
    }

    result.code = reader.changeSectorKey(m_station.sector(), userKey, BuiltinKeys::SpareCard);
    result.outcome = confirmKeyChange(userKey, result.id);
    if (result.outcome != ReturnResult::Returned) {
        if (result.code == ReaderResult::Ok)
            result.code = ReaderResult::Transfer;
        return result;
    }
    result.code = ReaderResult::Ok;
    result.record = ledger.keep();

    if (m_station.readerInfo.isShareMode())
        refund(result);

    // The wipe is read back: "returned" tells the operator the card is blank.
    const QByteArray zeros(16 * WipedBlocks, '\0');
    quint32 id = 0;
    QByteArray wiped;
    result.wiped = reader.writeBlocks(m_station.block(0), WipedBlocks, BuiltinKeys::SpareCard, id, zeros)
            == ReaderResult::Ok
        && reader.readBlocks(m_station.block(0), WipedBlocks, BuiltinKeys::SpareCard, id, wiped)
            == ReaderResult::Ok
        && wiped == zeros;
    return result;
}

// Only sector 2 decides: sectors 0 and 1 may already carry the spare-card key
// from an earlier, interrupted return.
ReturnResult CardReturn::returnSettingCard()
{
    ReturnResult result;
    CardReader& reader = *m_station.reader;
    QByteArray blocks;
    result.code = reader.readBlocks(SettingFirstBlock, 2, BuiltinKeys::SettingCard, result.id, blocks);
    if (result.code != ReaderResult::Ok) {
        result.outcome = ReturnResult::WrongKey;
        return result;
    }
    for (quint8 sector : SettingSectors)
        result.code = reader.changeSectorKey(sector, BuiltinKeys::SettingCard, BuiltinKeys::SpareCard);
    result.outcome = result.code == ReaderResult::Ok ? ReturnResult::SettingCardReturned
                                                     : ReturnResult::SettingCardFailed;
    return result;
}

// The trailer write is not verified by the reader: its answer may be lost
// after it went through, or it may answer success without sticking. Which key
// the card carries decides, so that money is neither refunded while it stays
// on the card nor left behind unseen.
ReturnResult::Outcome CardReturn::confirmKeyChange(const SectorKey& userKey, quint32 id)
{
    CardReader& reader = *m_station.reader;
    quint32 readId = 0;
    QByteArray block;
    if (reader.readBlocks(m_station.block(1), 1, BuiltinKeys::SpareCard, readId, block) == ReaderResult::Ok
        && readId == id)
        return ReturnResult::Returned;
    if (reader.readBlocks(m_station.block(1), 1, userKey, readId, block) == ReaderResult::Ok && readId == id)
        return ReturnResult::KeyChangeFailed;
    return ReturnResult::KeyChangeUncertain;
}

// As with the deduction, a refund whose answer was lost may have been booked:
// the reader balance before and after tells.
void CardReturn::refund(ReturnResult& result)
{
    CardReader& reader = *m_station.reader;
    ReaderRemain before;
    const bool knowBefore = reader.readDevRemain(before) == ReaderResult::Ok;
    const int code
        = reader.refundDevRemain(ReaderRecords::refundRecord(result.amount, m_station.readerInfo.serial()));
    if (code == ReaderResult::Ok) {
        result.refund = ReturnResult::Refunded;
        return;
    }
    qDebug() << "refundDevRemain:" << code;
    ReaderRemain after;
    const bool booked = knowBefore && reader.readDevRemain(after) == ReaderResult::Ok
        && quint64(before.balance()) + result.amount == after.balance();
    result.refund = booked ? ReturnResult::Refunded : ReturnResult::RefundFailed;
}
