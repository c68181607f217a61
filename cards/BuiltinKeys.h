#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

// The station's built-in secrets. They are identical in every copy of the
// station and on every card and charge file it has made, so they must never
// change once cards are in the field. Nothing else in the code base spells
// these bytes out.

using SectorKey = std::array<quint8, 6>;
using CipherKey = std::array<quint8, 16>;

namespace BuiltinKeys {

// Factory key of a blank card: cards of this kind ship with FF..FF in every sector.
inline constexpr SectorKey Transport = { 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF };

// Key a returned user card is left with; the first key tried when issuing.
inline constexpr SectorKey SpareCard = { 0xA3, 0x5C, 0x91, 0xE7, 0x2B, 0x4D };

// Key of sectors 0 to 2 of setting, parameter, tariff and blacklist cards.
inline constexpr SectorKey SettingCard = { 0x6F, 0xD2, 0x18, 0xB9, 0xC4, 0x70 };

// Default user-card key; equals the bytes of DefaultUserKeyText.
inline constexpr SectorKey DefaultUser = { 0x7E, 0x31, 0xC9, 0x4A, 0x0D, 0x58 };
inline const QString DefaultUserKeyText = QStringLiteral("7E31C94A0D58");

// AES-128 key of the user-card value image and of the reader's refund record.
inline constexpr CipherKey Card
    = { 0x3B, 0x8E, 0x51, 0xC7, 0x0A, 0xF4, 0x96, 0x2D, 0xE1, 0x74, 0x5F, 0xB8, 0x23, 0x9C, 0x6A, 0x07 };

// AES-128 key of the first block of a reader charge file.
inline constexpr CipherKey ChargeFile
    = { 0xD5, 0x19, 0x7C, 0x42, 0xAE, 0x63, 0x0B, 0xF8, 0x8D, 0x31, 0xC6, 0x5A, 0x97, 0x2E, 0xE4, 0x10 };

// Password that unlocks the parameter cards of the setting-card window.
inline const QString AccessPassword = QStringLiteral("qz482915736");

// Default post key offered on setting and tariff cards.
inline const QString DefaultPostKeyText = QStringLiteral("5D0E8A2C7F13");

} // namespace BuiltinKeys
