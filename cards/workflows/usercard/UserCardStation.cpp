#include "UserCardStation.h"

#include "CardCrypto.h"
#include "Database.h"

#include <QDateTime>

bool UserCardStation::userKey(SectorKey& key) const
{
    return isValidKeyText(config.usr_key) && keyFromHex(config.usr_key, key);
}

QString UserCardStation::now()
{
    return QDateTime::currentDateTime().toString(kRecordTimeFormat);
}
