#pragma once

#include "LedgerWrite.h"
#include "UserCardStation.h"

// Taking a card back: a backcard row is secured, the sector gets the spare-card
// key, the row is committed, the whole balance is refunded (to the reader in
// share mode) and the sector's data blocks are wiped. A setting card laid on the reader is handed
// back to the spare-card key instead.
struct ReturnResult
{
    enum Outcome {
        Returned,
        BadUserKey, // usr_key is not twelve hex digits; nothing was touched
        WrongKey, // neither a user card nor a setting card: "密码错误"
        SettingCardReturned,
        SettingCardFailed, // sector 2 of the setting card kept its key
        InvalidCard,
        IdMismatch,
        BalanceInvalid,
        KeyChangeFailed, // the card still carries the user key and its money
        KeyChangeUncertain, // the key change failed and the card could not be read
                            // back: its money may be locked under the spare-card key;
                            // nothing was refunded, so no row is recorded
        LedgerUnavailable, // the row could not be secured (ledger says why); the card was not changed
    };
    enum Refund {
        NoRefund, // sale mode, or nothing returned
        Refunded,
        RefundFailed, // the reader balance did not get the amount back
    };

    Outcome outcome = WrongKey;
    int code = 0;
    quint32 id = 0;
    quint32 amount = 0; // fen, the whole card balance
    Refund refund = NoRefund;
    LedgerSecure ledger = LedgerSecure::Secured;
    LedgerKept record = LedgerKept::Lost; // Returned: where the backcard row went
    bool holderFound = false;
    bool wiped = false; // blocks 0 to 2 read back as zeros
};

class CardReturn
{
public:
    explicit CardReturn(const UserCardStation& station);
    ReturnResult returnCard();

private:
    ReturnResult takeBack();
    ReturnResult returnSettingCard();
    // After the key change: does the trailer carry the spare-card key?
    ReturnResult::Outcome confirmKeyChange(const SectorKey& userKey, quint32 id);
    void refund(ReturnResult& result);

    UserCardStation m_station;
};
