#pragma once

#include "BuiltinKeys.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

// Plain (unencrypted, unchecked) images of the cards that configure charging
// posts. Every image starts at block 4; byte 7 of that block names the card.
namespace SpecialCardType {
inline constexpr int Offset = 7;
inline constexpr quint8 BikeSetting = 0x21;
inline constexpr quint8 BikeParam = 0x22;
inline constexpr quint8 CarSetting = 0x23;
inline constexpr quint8 CarTariff = 0x24;
inline constexpr quint8 CarParam = 0x25;
} // namespace SpecialCardType

// Keys sit in the images as six plain bytes; the form shows them as hex text.
namespace SpecialCardKey {
// Writes the six bytes of a valid key text at p; an invalid text gives zeros.
void put(quint8* p, const QString& text);
QString text(const QByteArray& image, int offset);
} // namespace SpecialCardKey

// Charging modes of the bike setting card, in the order of the mode combo box.
// The card stores a code that skips 2; the fixed-fee mode keeps its rates in
// minutes on screen and in seconds on the card.
namespace BikeMode {
inline constexpr int Time = 0;
inline constexpr int PerUse = 1;
inline constexpr int Meter = 2;
inline constexpr int FixedFee = 3;
inline constexpr int Home = 4;
inline constexpr int Free = 5;
inline constexpr int Count = 6;
quint8 cardCode(int modeIndex);
// Longest fixed-fee rate whose seconds still fit the 16-bit rate field.
inline constexpr int MaxFixedFeeMinutes = 65535 / 60;
} // namespace BikeMode

inline constexpr int BikeLevels = 8;
inline constexpr std::array<quint16, BikeLevels> BikeDefaultPowers
    = { 120, 220, 350, 500, 700, 1000, 1500, 2000 };
inline constexpr std::array<quint16, BikeLevels> BikeDefaultFenRates = { 20, 25, 30, 40, 50, 80, 100, 150 };
inline constexpr std::array<quint16, BikeLevels> BikeDefaultMinuteRates
    = { 300, 240, 180, 150, 120, 90, 60, 30 };

// The bike setting card as the operator sets it: hours, yuan, and rates in the
// unit shown (fen, or minutes in the fixed-fee mode). Keys are kept as typed;
// building the image needs both to be valid key texts.
struct BikeSettingValues
{
    QString userKeyText;
    quint8 userSector = 1;
    quint8 modeIndex = BikeMode::Time;
    quint8 maxHours = 10;
    quint16 maxBalanceYuan = 300;
    quint8 levelCount = BikeLevels;
    std::array<quint16, BikeLevels> powers = BikeDefaultPowers;
    std::array<quint16, BikeLevels> rates = BikeDefaultFenRates;
    quint16 meterRate = 150;
    quint16 meterDegree = 30;
    quint16 meterMaxPower = 2000;
    quint16 fixedFee = 100;
    QString postKeyText = BuiltinKeys::DefaultPostKeyText;
    quint8 keyLock = 0;
    quint16 postNumber = 1;
    quint8 binding = 0;

    quint32 maxBalanceFen() const { return quint32(maxBalanceYuan) * 100; }
    // 1-based level whose rate cannot be stored (minutes × 60 above 16 bits), or 0.
    int oversizedRateLevel() const;
};

namespace BikeSettingImage {
inline constexpr int SizeA = 48; // blocks 4, 5, 6
inline constexpr int SizeB = 32; // blocks 8, 9
inline constexpr int FormRecordSize = 16;
inline constexpr int PresetSize = SizeA + SizeB + FormRecordSize;
inline constexpr quint8 BlockA = 4;
inline constexpr quint8 BlockB = 8;

// Image A.
inline constexpr int UserKey = 0;
inline constexpr int UserSector = 8;
inline constexpr int ModeCode = 9;
inline constexpr int MaxSeconds = 10;
inline constexpr int MaxBalanceFen = 12;
inline constexpr int LevelCount = 14;
inline constexpr int Powers = 16;
inline constexpr int Rates = 32;
// Image B.
inline constexpr int MeterRate = 0;
inline constexpr int MeterDegree = 2;
inline constexpr int MeterMaxPower = 4;
inline constexpr int FixedFee = 6;
inline constexpr int PostKey = 8;
inline constexpr int KeyLock = 14;
inline constexpr int PostNumber = 16;
inline constexpr int Binding = 18;
// Form record of the preset: the mode combo index.
inline constexpr int FormModeIndex = 0;

// Both keys must be valid key texts and no rate oversized.
QByteArray buildA(const BikeSettingValues& values);
QByteArray buildB(const BikeSettingValues& values);
// image A, image B and the form record, as kept in the preset file.
QByteArray buildPreset(const BikeSettingValues& values);
// False when the preset is shorter than PresetSize.
bool parsePreset(const QByteArray& preset, BikeSettingValues& values);
// The reader's card-parameter record: 1, sector, user key, eight zeros.
QByteArray readerCardParam(const BikeSettingValues& values);
} // namespace BikeSettingImage

struct BikeParamValues
{
    quint8 plugInPower = 40; // W
    quint8 pullOutPower = 3; // 0.1 W
    quint8 floatPercent = 20;
    quint8 plugInCheckTime = 40; // s
    quint8 pullOutPowerTime = 10; // s
    quint8 plugInPowerTime = 10; // s
    quint16 floatTime = 3600; // s
    quint16 floatCheckTime = 1800; // s
    quint16 overloadPower = 80; // W
    quint16 overloadStart = 300; // s
    quint16 overloadCheck = 30; // s
    quint8 pullOutJudgeTime = 5; // s
    quint8 pullOutSwitch = 0; // 0 off, 1 on
    quint8 autoStopSwitch = 0; // 0 on, 1 off
    quint8 refundSwitch = 0; // 0 on, 1 off
    quint8 deviceSwitch = 0; // 0 allowed, 1 forbidden
    quint8 interferencePower = 10; // 0.1 W
    quint16 interferenceTime = 300; // s
    quint16 floatSecondStart = 18000; // s
    quint16 floatSecondCheck = 300; // s
};

namespace BikeParamImage {
inline constexpr int Size = 32; // blocks 4, 5
inline constexpr quint8 Block = 4;

inline constexpr int PlugInPower = 0;
inline constexpr int PullOutPower = 1;
inline constexpr int FloatPercent = 2;
inline constexpr int PlugInCheckTime = 4;
inline constexpr int PullOutPowerTime = 5;
inline constexpr int PlugInPowerTime = 6;
inline constexpr int FloatTime = 8;
inline constexpr int FloatCheckTime = 10;
inline constexpr int OverloadPower = 12;
inline constexpr int OverloadStart = 14;
inline constexpr int OverloadCheck = 16;
inline constexpr int PullOutJudgeTime = 18;
inline constexpr int PullOutSwitch = 19;
inline constexpr int AutoStopSwitch = 20;
inline constexpr int RefundSwitch = 21;
inline constexpr int DeviceSwitch = 22;
inline constexpr int InterferencePower = 23;
inline constexpr int InterferenceTime = 24;
inline constexpr int FloatSecondStart = 26;
inline constexpr int FloatSecondCheck = 28;

QByteArray build(const BikeParamValues& values);
// False when the image is shorter than Size.
bool parse(const QByteArray& image, BikeParamValues& values);
} // namespace BikeParamImage
