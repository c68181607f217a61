#include "SettingCardImages.h"

#include "CardCrypto.h"

#include <algorithm>

void SpecialCardKey::put(quint8* p, const QString& text)
{
    SectorKey key {};
    if (!isValidKeyText(text) || !keyFromHex(text, key))
        key.fill(0);
    std::copy(key.begin(), key.end(), p);
}

QString SpecialCardKey::text(const QByteArray& image, int offset)
{
    SectorKey key {};
    for (int i = 0; i < int(key.size()); ++i)
        key[size_t(i)] = quint8(image.at(offset + i));
    return keyToHex(key);
}

quint8 BikeMode::cardCode(int modeIndex)
{
    // Code 2 was retired on the posts; the modes after it keep their old codes.
    return quint8(modeIndex < Meter ? modeIndex : modeIndex + 1);
}

int BikeSettingValues::oversizedRateLevel() const
{
    if (modeIndex != BikeMode::FixedFee)
        return 0;
    for (int k = 0; k < BikeLevels; ++k) {
        if (rates[size_t(k)] > BikeMode::MaxFixedFeeMinutes)
            return k + 1;
    }
    return 0;
}

QByteArray BikeSettingImage::buildA(const BikeSettingValues& v)
{
    std::array<quint8, SizeA> buffer {};
    quint8* p = buffer.data();
    SpecialCardKey::put(p + UserKey, v.userKeyText);
    p[SpecialCardType::Offset] = SpecialCardType::BikeSetting;
    p[UserSector] = v.userSector;
    p[ModeCode] = BikeMode::cardCode(v.modeIndex);
    writeLe16(p + MaxSeconds, quint16(v.maxHours * 3600));
    writeLe16(p + MaxBalanceFen, quint16(v.maxBalanceFen()));
    p[LevelCount] = v.levelCount;
    const int rateFactor = v.modeIndex == BikeMode::FixedFee ? 60 : 1;
    for (int k = 0; k < BikeLevels; ++k) {
        writeLe16(p + Powers + 2 * k, v.powers[size_t(k)]);
        writeLe16(p + Rates + 2 * k, quint16(v.rates[size_t(k)] * rateFactor));
    }
    return toBytes(buffer);
}

QByteArray BikeSettingImage::buildB(const BikeSettingValues& v)
{
    std::array<quint8, SizeB> buffer {};
    quint8* p = buffer.data();
    writeLe16(p + MeterRate, v.meterRate);
    writeLe16(p + MeterDegree, v.meterDegree);
    writeLe16(p + MeterMaxPower, v.meterMaxPower);
    writeLe16(p + FixedFee, v.fixedFee);
    SpecialCardKey::put(p + PostKey, v.postKeyText);
    p[KeyLock] = v.keyLock;
    writeLe16(p + PostNumber, v.postNumber);
    p[Binding] = v.binding;
    return toBytes(buffer);
}

QByteArray BikeSettingImage::buildPreset(const BikeSettingValues& v)
{
    QByteArray record(FormRecordSize, '\0');
    record[FormModeIndex] = char(v.modeIndex);
    return buildA(v) + buildB(v) + record;
}

bool BikeSettingImage::parsePreset(const QByteArray& preset, BikeSettingValues& v)
{
    if (preset.size() < PresetSize)
        return false;
    const quint8* a = bytesOf(preset);
    const quint8* b = a + SizeA;
    const quint8* record = b + SizeB;

    v.modeIndex = record[FormModeIndex] < BikeMode::Count ? record[FormModeIndex] : BikeMode::Time;
    v.userKeyText = SpecialCardKey::text(preset, UserKey);
    v.userSector = a[UserSector];
    v.maxHours = quint8(readLe16(a + MaxSeconds) / 3600);
    v.maxBalanceYuan = quint16(readLe16(a + MaxBalanceFen) / 100);
    v.levelCount = a[LevelCount];
    const int rateFactor = v.modeIndex == BikeMode::FixedFee ? 60 : 1;
    for (int k = 0; k < BikeLevels; ++k) {
        v.powers[size_t(k)] = readLe16(a + Powers + 2 * k);
        v.rates[size_t(k)] = quint16(readLe16(a + Rates + 2 * k) / rateFactor);
    }

    v.meterRate = readLe16(b + MeterRate);
    v.meterDegree = readLe16(b + MeterDegree);
    v.meterMaxPower = readLe16(b + MeterMaxPower);
    v.fixedFee = readLe16(b + FixedFee);
    v.postKeyText = SpecialCardKey::text(preset, SizeA + PostKey);
    v.keyLock = b[KeyLock];
    v.postNumber = readLe16(b + PostNumber);
    v.binding = b[Binding];
    return true;
}

QByteArray BikeSettingImage::readerCardParam(const BikeSettingValues& v)
{
    std::array<quint8, 16> buffer {};
    buffer[0] = 1;
    buffer[1] = v.userSector;
    SpecialCardKey::put(buffer.data() + 2, v.userKeyText);
    return toBytes(buffer);
}

QByteArray BikeParamImage::build(const BikeParamValues& v)
{
    std::array<quint8, Size> buffer {};
    quint8* p = buffer.data();
    p[PlugInPower] = v.plugInPower;
    p[PullOutPower] = v.pullOutPower;
    p[FloatPercent] = v.floatPercent;
    p[PlugInCheckTime] = v.plugInCheckTime;
    p[PullOutPowerTime] = v.pullOutPowerTime;
    p[PlugInPowerTime] = v.plugInPowerTime;
    p[SpecialCardType::Offset] = SpecialCardType::BikeParam;
    writeLe16(p + FloatTime, v.floatTime);
    writeLe16(p + FloatCheckTime, v.floatCheckTime);
    writeLe16(p + OverloadPower, v.overloadPower);
    writeLe16(p + OverloadStart, v.overloadStart);
    writeLe16(p + OverloadCheck, v.overloadCheck);
    p[PullOutJudgeTime] = v.pullOutJudgeTime;
    p[PullOutSwitch] = v.pullOutSwitch;
    p[AutoStopSwitch] = v.autoStopSwitch;
    p[RefundSwitch] = v.refundSwitch;
    p[DeviceSwitch] = v.deviceSwitch;
    p[InterferencePower] = v.interferencePower;
    writeLe16(p + InterferenceTime, v.interferenceTime);
    writeLe16(p + FloatSecondStart, v.floatSecondStart);
    writeLe16(p + FloatSecondCheck, v.floatSecondCheck);
    return toBytes(buffer);
}

bool BikeParamImage::parse(const QByteArray& image, BikeParamValues& v)
{
    if (image.size() < Size)
        return false;
    const quint8* p = bytesOf(image);
    v.plugInPower = p[PlugInPower];
    v.pullOutPower = p[PullOutPower];
    v.floatPercent = p[FloatPercent];
    v.plugInCheckTime = p[PlugInCheckTime];
    v.pullOutPowerTime = p[PullOutPowerTime];
    v.plugInPowerTime = p[PlugInPowerTime];
    v.floatTime = readLe16(p + FloatTime);
    v.floatCheckTime = readLe16(p + FloatCheckTime);
    v.overloadPower = readLe16(p + OverloadPower);
    v.overloadStart = readLe16(p + OverloadStart);
    v.overloadCheck = readLe16(p + OverloadCheck);
    v.pullOutJudgeTime = p[PullOutJudgeTime];
    v.pullOutSwitch = p[PullOutSwitch];
    v.autoStopSwitch = p[AutoStopSwitch];
    v.refundSwitch = p[RefundSwitch];
    v.deviceSwitch = p[DeviceSwitch];
    v.interferencePower = p[InterferencePower];
    v.interferenceTime = readLe16(p + InterferenceTime);
    v.floatSecondStart = readLe16(p + FloatSecondStart);
    v.floatSecondCheck = readLe16(p + FloatSecondCheck);
    return true;
}
