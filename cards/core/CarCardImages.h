#pragma once

#include "BuiltinKeys.h"
#include "SettingCardImages.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

// The car setting card as the operator sets it. Unlike the bike card the mode
// is stored as the combo index itself and the balance takes four bytes.
struct CarSettingValues
{
    QString userKeyText;
    quint8 userSector = 1;
    quint8 modeIndex = 1; // 0 meter, 1 fixed fee, 2 home, 3 free per swipe
    quint8 refundSwitch = 0; // 0 on, 1 off
    quint16 preDeductFen = 1000;
    quint16 maxBalanceYuan = 1000;
    quint8 binding = 0;
    quint8 keyLock = 0;
    QString postKeyText = BuiltinKeys::DefaultPostKeyText;

    quint32 maxBalanceFen() const { return quint32(maxBalanceYuan) * 100; }
};

namespace CarSettingImage {
inline constexpr int Size = 32; // blocks 4, 5
inline constexpr quint8 Block = 4;

inline constexpr int UserKey = 0;
inline constexpr int UserSector = 6;
inline constexpr int Mode = 8;
inline constexpr int RefundSwitch = 9;
inline constexpr int PreDeduct = 10;
inline constexpr int MaxBalanceFen = 12;
inline constexpr int Binding = 16;
inline constexpr int KeyLock = 17;
inline constexpr int PostKey = 18;

// Both keys must be valid key texts.
QByteArray build(const CarSettingValues& values);
// False when the image is shorter than Size.
bool parse(const QByteArray& image, CarSettingValues& values);
} // namespace CarSettingImage

// One time-of-day range of the tariff card: whole hours and a rate in fen.
struct TariffRange
{
    quint8 startHour = 0;
    quint8 endHour = 0;
    quint16 rateFen = 0;

    bool operator==(const TariffRange& o) const
    {
        return startHour == o.startHour && endHour == o.endHour && rateFen == o.rateFen;
    }
};

inline constexpr int TariffMaxRanges = 8;

struct CarTariffValues
{
    quint8 lossPercent = 0;
    quint16 serviceFeeFen = 100;
    QString authKeyText = BuiltinKeys::DefaultPostKeyText;
    // One entry per range in use, 1 to TariffMaxRanges.
    QVector<TariffRange> ranges = { { 0, 6, 100 }, { 6, 12, 100 }, { 12, 18, 100 }, { 18, 24, 100 } };
};

namespace CarTariffImage {
inline constexpr int Size = 48; // blocks 4, 5, 6
inline constexpr quint8 Block = 4;

inline constexpr int RangeCount = 0;
inline constexpr int LossPercent = 1;
inline constexpr int ServiceFee = 2;
inline constexpr int AuthKey = 8;
inline constexpr int Ranges = 16;
inline constexpr int RangeSize = 4;
inline constexpr int RangeStart = 0;
inline constexpr int RangeEnd = 1;
inline constexpr int RangeRate = 2;

// The key must be a valid key text; ranges beyond TariffMaxRanges are not stored.
QByteArray build(const CarTariffValues& values);
// False when the image is shorter than Size. A range count outside 1..8 is
// taken as the nearest count the form can show.
bool parse(const QByteArray& image, CarTariffValues& values);
} // namespace CarTariffImage

struct CarParamValues
{
    quint8 maxCurrentA = 32;
    quint8 maxHours = 24;
    quint16 minCurrentCentiA = 50;
    quint16 minCheckSeconds = 420;
    quint8 minCheckSwitch = 1; // 0 off, 1 on
};

namespace CarParamImage {
inline constexpr int Size = 16; // block 4
inline constexpr quint8 Block = 4;

inline constexpr int MaxCurrent = 0;
inline constexpr int MaxHours = 1;
inline constexpr int MinCurrent = 2;
inline constexpr int MinCheckTime = 4;
inline constexpr int MinCheckSwitch = 6;

QByteArray build(const CarParamValues& values);
// False when the image is shorter than Size.
bool parse(const QByteArray& image, CarParamValues& values);
} // namespace CarParamImage
