#pragma once

#include "BuiltinKeys.h"
#include "CardReader.h"
#include "LoginSession.h"
#include "ReaderRecords.h"
#include "StationConfig.h"

#include <QString>

// What every user-card workflow works with: the menu's reader (not owned) and
// copies of the settings, the reader identity read at start-up and the
// operator's session.
struct UserCardStation
{
    CardReader* reader = nullptr;
    StationConfig config;
    ReaderInfo readerInfo;
    LoginSession session;

    quint8 sector() const { return config.usr_sect; }
    // Absolute block number of block b of the user sector; wraps like the reader's byte.
    quint8 block(int b) const { return quint8(config.usr_sect * 4 + b); }
    // A negative limit allows nothing; cast as it is it would allow any amount.
    quint32 limitMoney() const { return quint32(qMax(config.limit_money, 0)); }
    // False when usr_key is not twelve hexadecimal digits: the card must not
    // be touched with a key made from a partial text.
    bool userKey(SectorKey& key) const;
    // Record time stamp of "now".
    static QString now();
};
