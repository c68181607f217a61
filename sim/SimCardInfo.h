#pragma once

#include "BlacklistCard.h"
#include "SettingCardImages.h"
#include "VirtualReader.h"

#include <QString>

// How the reader's tools name a card: the panel and the command-line tool
// print the same words for the same card.
namespace SimCardInfo {

// Block that carries a special card's type byte.
inline constexpr int TypeBlock = 4;

// The type byte of the card's type block, 0 when the card has no such block.
inline quint8 specialType(quint32 id)
{
    const QByteArray typeBlock = VirtualReader::block(id, TypeBlock);
    return typeBlock.size() > SpecialCardType::Offset ? quint8(typeBlock.at(SpecialCardType::Offset)) : 0;
}

// Empty for a type byte no special card carries.
inline QString specialTypeName(quint8 type)
{
    switch (type) {
    case SpecialCardType::BikeSetting:
        return QStringLiteral("bike setting card");
    case SpecialCardType::BikeParam:
        return QStringLiteral("bike parameter card");
    case SpecialCardType::CarSetting:
        return QStringLiteral("car setting card");
    case SpecialCardType::CarTariff:
        return QStringLiteral("car tariff card");
    case SpecialCardType::CarParam:
        return QStringLiteral("car parameter card");
    case BlacklistCard::CardType:
        return QStringLiteral("blacklist card");
    default:
        return QString();
    }
}

} // namespace SimCardInfo
