#pragma once

#include "CardCrypto.h"
#include "UserCardStation.h"
#include "UserStore.h"

// Fills the columns a recharge and a return log row share: the card number,
// the holder texts (left empty when no user row has the card), the time, the
// operator, the amount and the reader. Returns whether the holder was found.
template<typename Row>
bool fillMoneyLogRow(Row& row, const UserCardStation& station, quint32 id, quint32 amount)
{
    const quint32 cardnum = cardNumber(id);
    const UserLookup holder = findUserByCard(cardnum);
    row.cardnum = cardnum;
    if (holder.found()) {
        row.name = holder.row.name;
        row.addr = holder.row.addr;
        row.phone = holder.row.phone;
        row.carnum = holder.row.carnum;
        row.note = holder.row.note;
    }
    row.date = UserCardStation::now();
    row.manager = station.session.managerName;
    row.pay = moneyText(amount);
    row.sn = station.session.readerSerial;
    return holder.found();
}
