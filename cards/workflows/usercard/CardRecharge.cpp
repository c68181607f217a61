#include "CardRecharge.h"

#include "AuditTrail.h"
#include "CardCrypto.h"
#include "CardImage.h"
#include "MoneyLogRow.h"

#include <QDebug>
#include <limits>

CardRecharge::CardRecharge(const UserCardStation& station)
    : m_station(station)
{
}

RechargeResult CardRecharge::recharge(quint32 expectedId, quint32 yuan)
{
    const RechargeResult result = rechargeCard(expectedId, yuan);
    audit(result);
    return result;
}

void CardRecharge::audit(const RechargeResult& result)
{
    const bool done = result.outcome == RechargeResult::Recharged;
    AuditTrail::record(AuditAction::CardRecharge, AuditTrail::cardSubject(cardNumber(result.id)),
        AuditTrail::outcome(done, result.outcome) + QLatin1Char(' ') + moneyText(result.amount));
}

RechargeResult CardRecharge::rechargeCard(quint32 expectedId, quint32 yuan)
{
    RechargeResult result;
    // In 64 bits: yuan * 100 wraps above 2^32 fen and would credit a few fen
    // instead of refusing. amount is taken into the result once it fits.
    const quint64 amount = quint64(yuan) * 100;
    SectorKey key;
    if (!m_station.userKey(key)) {
        result.outcome = RechargeResult::BadUserKey;
        return result;
    }
    CardReader& reader = *m_station.reader;
    const bool share = m_station.readerInfo.isShareMode();

    if (share) {
        ReaderRemain remain;
        result.code = reader.readDevRemain(remain);
        if (result.code != ReaderResult::Ok) {
            result.outcome = RechargeResult::ReaderBalanceUnread;
            return result;
        }
        result.readerBalance = remain.balance();
        qDebug() << "remain:" << result.readerBalance;
        if (result.readerBalance < amount) {
            result.outcome = RechargeResult::ReaderBalanceShort;
            return result;
        }
    }

    reader.sendPreamble();
    QByteArray blocks;
    result.code = reader.readBlocks(m_station.block(1), 2, key, result.id, blocks);
    if (result.code != ReaderResult::Ok) {
        result.outcome = RechargeResult::ReadFailed;
        return result;
    }
    if (result.id != expectedId) {
        result.outcome = RechargeResult::WrongCard;
        return result;
    }
    const CardImageCheck check
        = checkCardImage(blocks.mid(16, 16), blocks.mid(0, 16), result.id, m_station.limitMoney());
    switch (check.outcome) {
    case CardImageCheck::Invalid:
        result.outcome = RechargeResult::InvalidCard;
        return result;
    case CardImageCheck::IdMismatch:
        result.outcome = RechargeResult::IdMismatch;
        return result;
    case CardImageCheck::BalanceAboveLimit:
        result.outcome = RechargeResult::BalanceInvalid;
        return result;
    case CardImageCheck::Accepted:
        break;
    }

    result.oldBalance = check.image.balance;
    const quint64 newBalance = result.oldBalance + amount;
    if (newBalance > m_station.limitMoney()) {
        result.outcome = RechargeResult::OverLimit;
        return result;
    }
    result.amount = quint32(amount);
    result.newBalance = quint32(newBalance);

    // The row is in the ledger's write transaction before the card changes;
    // the commit follows the write, so the card never holds money the
    // ledger does not know of.
    LedgerWrite ledger;
    result.entry = LedgerEntry::make(recordRow(result));
    result.ledger = ledger.secure(result.entry);
    if (result.ledger != LedgerSecure::Secured) {
        result.outcome = RechargeResult::LedgerUnavailable;
        return result;
    }

    const QByteArray image = makeCardImage(result.newBalance, result.id, check.image.reserved);
    quint32 otherId = 0;
    result.code = reader.writeSectorVerified(m_station.sector(), key, image, result.id, &otherId);
    if (result.code == ReaderResult::OtherCard)
        restoreOtherCard(key, otherId);
    if (result.code != ReaderResult::Ok) {
        result.outcome = confirmWrite(key, result);
        if (result.outcome != RechargeResult::Recharged)
            return result;
    }
    result.outcome = RechargeResult::Recharged;
    result.code = ReaderResult::Ok;
    result.record = ledger.keep();

    if (share)
        deduct(result);
    return result;
}

std::optional<RechargeResult> CardRecharge::settle(
    const RechargeResult& uncertain, const CardQueryResult& read)
{
    if (uncertain.outcome != RechargeResult::WriteUncertain || read.outcome != CardQueryResult::Read
        || read.id != uncertain.id || read.balance != uncertain.newBalance)
        return std::nullopt;
    RechargeResult result = uncertain;
    result.outcome = RechargeResult::Recharged;
    result.code = ReaderResult::Ok;
    result.record = LedgerWrite::record(result.entry);
    if (m_station.readerInfo.isShareMode()) {
        ReaderRemain remain;
        result.readerBalance
            = m_station.reader->readDevRemain(remain) == ReaderResult::Ok ? remain.balance() : 0;
        deduct(result);
    }
    audit(result);
    return result;
}

// writeSectorVerified gives up on block 1 after block 2 already took the new
// image, and a verify read can fail after the write went through. The card is
// read back so that a credited card is never reported as unchanged.
RechargeResult::Outcome CardRecharge::confirmWrite(const SectorKey& key, const RechargeResult& result)
{
    CardReader& reader = *m_station.reader;
    quint32 id = 0;
    QByteArray blocks;
    if (reader.readBlocks(m_station.block(1), 2, key, id, blocks) != ReaderResult::Ok || id != result.id)
        return RechargeResult::WriteUncertain;
    const CardImageCheck check
        = checkCardImage(blocks.mid(16, 16), blocks.mid(0, 16), id, m_station.limitMoney());
    if (check.outcome != CardImageCheck::Accepted)
        return RechargeResult::WriteUncertain;
    if (check.image.balance == result.newBalance)
        return RechargeResult::Recharged;
    if (check.image.balance == result.oldBalance)
        return RechargeResult::WriteFailed;
    return RechargeResult::WriteUncertain;
}

// A card laid on the reader during the write took this card's image into one
// of its copies; its other copy, still its own, is written over it.
void CardRecharge::restoreOtherCard(const SectorKey& key, quint32 otherId)
{
    CardReader& reader = *m_station.reader;
    quint32 id = 0;
    QByteArray blocks;
    if (reader.readBlocks(m_station.block(1), 2, key, id, blocks) != ReaderResult::Ok || id != otherId) {
        qDebug() << "card" << otherId << "left with another card's image";
        return;
    }
    const auto own = [&](const QByteArray& copy) {
        return checkCardImage(copy, copy, id, std::numeric_limits<quint32>::max()).outcome
            == CardImageCheck::Accepted;
    };
    const QByteArray backup = blocks.mid(0, 16);
    const QByteArray main = blocks.mid(16, 16);
    const bool mainOwn = own(main);
    if (mainOwn == own(backup))
        return;
    const int target = mainOwn ? 1 : 2;
    const int code = reader.writeBlocks(m_station.block(target), 1, key, id, mainOwn ? main : backup);
    qDebug() << "restored card" << otherId << "block" << target << ":" << code;
}

// A deduction whose answer was lost may still have been booked: the reader
// balance is read again and compared with the one read before.
void CardRecharge::deduct(RechargeResult& result)
{
    CardReader& reader = *m_station.reader;
    const int code = reader.deductDevRemain(ReaderRecords::deductRecord(result.amount));
    if (code == ReaderResult::Ok) {
        result.deduction = RechargeResult::Deducted;
        return;
    }
    qDebug() << "deductDevRemain:" << code;
    ReaderRemain remain;
    const bool booked = reader.readDevRemain(remain) == ReaderResult::Ok
        && quint64(remain.balance()) + result.amount == result.readerBalance;
    result.deduction = booked ? RechargeResult::Deducted : RechargeResult::DeductFailed;
}

RechargeRow CardRecharge::recordRow(const RechargeResult& result) const
{
    RechargeRow row;
    fillMoneyLogRow(row, m_station, result.id, result.amount);
    row.payOld = moneyText(result.oldBalance);
    row.payNew = moneyText(result.newBalance);
    return row;
}
