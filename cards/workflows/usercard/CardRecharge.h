#pragma once

#include "CardQuery.h"
#include "LedgerWrite.h"
#include "UserCardStation.h"

#include <optional>

// Topping up a user card, paid from the reader balance in share mode, with a
// record row.
struct RechargeResult
{
    enum Outcome {
        Recharged, // the card carries the new balance (see deduction and record)
        BadUserKey, // usr_key is not twelve hex digits; nothing was touched
        ReaderBalanceUnread, // share mode: readDevRemain failed (code); nothing was touched
        ReaderBalanceShort, // share mode: the reader cannot cover the amount
        ReadFailed, // the card read failed (code)
        WrongCard, // another card than the one read before
        InvalidCard, // neither copy of the image is intact
        IdMismatch, // the image belongs to another card
        BalanceInvalid, // the card already holds more than limit_money
        OverLimit, // the new balance would exceed limit_money
        LedgerUnavailable, // the row could not be secured (ledger says why); nothing was written
        WriteFailed, // the card still holds the old balance
        WriteUncertain, // the write failed and the card could not be read back:
                        // it may hold the old or the new balance; nothing is recorded
                        // or deducted until a later read tells (CardRecharge::settle)
    };
    enum Deduction {
        NoDeduction, // sale mode, or no recharge
        Deducted,
        DeductFailed, // the card was credited but the reader kept the amount
    };

    Outcome outcome = ReadFailed;
    int code = 0; // reader result of the failing step
    quint32 id = 0;
    quint32 amount = 0; // fen; set once the new balance is within limit_money
    quint32 oldBalance = 0;
    quint32 newBalance = 0;
    quint32 readerBalance = 0; // share mode, as read before the recharge
    Deduction deduction = NoDeduction;
    LedgerSecure ledger = LedgerSecure::Secured;
    LedgerKept record = LedgerKept::Lost; // Recharged: where the record row went
    LedgerEntry entry; // the record row, once secured

    // Refusals before the card was touched leave the earlier read usable.
    bool consumesRead() const
    {
        return outcome != BadUserKey && outcome != ReaderBalanceUnread && outcome != ReaderBalanceShort
            && outcome != LedgerUnavailable;
    }
};

class CardRecharge
{
public:
    explicit CardRecharge(const UserCardStation& station);
    // Adds yuan whole yuan to the card with id expectedId.
    RechargeResult recharge(quint32 expectedId, quint32 yuan);
    // A later read of the card an uncertain write left behind: when it shows
    // the new balance the recharge did happen, and its row (and in share mode
    // the deduction) is due now. Then the recharge as it turned out.
    std::optional<RechargeResult> settle(const RechargeResult& uncertain, const CardQueryResult& read);

private:
    RechargeResult rechargeCard(quint32 expectedId, quint32 yuan);
    static void audit(const RechargeResult& result);
    // After a failed write: which balance the card holds now.
    RechargeResult::Outcome confirmWrite(const SectorKey& key, const RechargeResult& result);
    void restoreOtherCard(const SectorKey& key, quint32 otherId);
    void deduct(RechargeResult& result);
    RechargeRow recordRow(const RechargeResult& result) const;

    UserCardStation m_station;
};
