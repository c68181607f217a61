#pragma once

#include "LedgerWrite.h"
#include "UserCardStation.h"

// Binding a card to one post and port (post 0 unbinds), on the card and in
// the holder's user row.
struct BindResult
{
    enum Outcome {
        Bound,
        Unbound,
        SectorZero, // block 0 of sector 0 is the card's maker block
        BadUserKey, // usr_key is not twelve hex digits; nothing was touched
        ReadFailed, // (code)
        WriteFailed, // the write failed or did not read back (code)
        NotRegistered, // the card is bound but has no user row
        StoreFailed, // the card is bound, but neither the ledger nor the outbox took its binding
        LedgerUnavailable, // the binding could not be secured (ledger says why); the card was not touched
    };

    Outcome outcome = ReadFailed;
    int code = 0;
    quint32 id = 0;
    quint32 post = 0;
    quint8 port = 0; // 0 when post is 0
    LedgerSecure ledger = LedgerSecure::Secured;
    LedgerKept record = LedgerKept::Lost; // Bound, Unbound: where the binding went
};

class CardBind
{
public:
    explicit CardBind(const UserCardStation& station);
    BindResult bind(quint32 post, quint8 port);

private:
    BindResult writeBinding(quint32 post, quint8 port);
    UserCardStation m_station;
};
