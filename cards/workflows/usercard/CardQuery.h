#pragma once

#include "BindBlock.h"
#include "UserCardStation.h"
#include "UserStore.h"

// Reading a user card: its value image, binding and holder.
struct CardQueryResult
{
    enum Outcome {
        Read, // every check passed; holder may still be missing
        BadUserKey, // usr_key is not twelve hex digits; the card was not touched
        ReadFailed, // the block read failed (code)
        InvalidCard, // neither copy of the image is intact
        IdMismatch, // the image belongs to another card
        BalanceInvalid, // balance above limit_money
    };

    Outcome outcome = ReadFailed;
    int code = 0; // reader result of the block read
    quint32 id = 0; // set once the blocks were read (also for the image refusals)
    quint32 balance = 0; // fen
    Binding binding;
    UserLookup holder;

    // The id was read from the card: the dialog takes it as the card in hand.
    bool idRead() const { return outcome != BadUserKey && outcome != ReadFailed; }
};

class CardQuery
{
public:
    explicit CardQuery(const UserCardStation& station);
    CardQueryResult read();

private:
    UserCardStation m_station;
};
