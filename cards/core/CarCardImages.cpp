#include "CarCardImages.h"

#include "CardCrypto.h"

#include <algorithm>

QByteArray CarSettingImage::build(const CarSettingValues& v)
{
    std::array<quint8, Size> buffer {};
    quint8* p = buffer.data();
    SpecialCardKey::put(p + UserKey, v.userKeyText);
    p[UserSector] = v.userSector;
    p[SpecialCardType::Offset] = SpecialCardType::CarSetting;
    p[Mode] = v.modeIndex;
    p[RefundSwitch] = v.refundSwitch;
    writeLe16(p + PreDeduct, v.preDeductFen);
    writeLe32(p + MaxBalanceFen, v.maxBalanceFen());
    p[Binding] = v.binding;
    p[KeyLock] = v.keyLock;
    SpecialCardKey::put(p + PostKey, v.postKeyText);
    return toBytes(buffer);
}

bool CarSettingImage::parse(const QByteArray& image, CarSettingValues& v)
{
    if (image.size() < Size)
        return false;
    const quint8* p = bytesOf(image);
    v.userKeyText = SpecialCardKey::text(image, UserKey);
    v.userSector = p[UserSector];
    v.modeIndex = p[Mode];
    v.refundSwitch = p[RefundSwitch];
    v.preDeductFen = readLe16(p + PreDeduct);
    v.maxBalanceYuan = quint16(std::min<quint32>(readLe32(p + MaxBalanceFen) / 100, 0xFFFF));
    v.binding = p[Binding];
    v.keyLock = p[KeyLock];
    v.postKeyText = SpecialCardKey::text(image, PostKey);
    return true;
}

QByteArray CarTariffImage::build(const CarTariffValues& v)
{
    std::array<quint8, Size> buffer {};
    quint8* p = buffer.data();
    const int n = std::min(int(v.ranges.size()), TariffMaxRanges);
    p[RangeCount] = quint8(n);
    p[LossPercent] = v.lossPercent;
    writeLe16(p + ServiceFee, v.serviceFeeFen);
    p[SpecialCardType::Offset] = SpecialCardType::CarTariff;
    SpecialCardKey::put(p + AuthKey, v.authKeyText);
    for (int i = 0; i < n; ++i) {
        quint8* r = p + Ranges + RangeSize * i;
        r[RangeStart] = v.ranges[i].startHour;
        r[RangeEnd] = v.ranges[i].endHour;
        writeLe16(r + RangeRate, v.ranges[i].rateFen);
    }
    return toBytes(buffer);
}

bool CarTariffImage::parse(const QByteArray& image, CarTariffValues& v)
{
    if (image.size() < Size)
        return false;
    const quint8* p = bytesOf(image);
    const int n = std::clamp(int(p[RangeCount]), 1, TariffMaxRanges);
    v.lossPercent = p[LossPercent];
    v.serviceFeeFen = readLe16(p + ServiceFee);
    v.authKeyText = SpecialCardKey::text(image, AuthKey);
    v.ranges.clear();
    for (int i = 0; i < n; ++i) {
        const quint8* r = p + Ranges + RangeSize * i;
        v.ranges.append({ r[RangeStart], r[RangeEnd], readLe16(r + RangeRate) });
    }
    return true;
}

QByteArray CarParamImage::build(const CarParamValues& v)
{
    std::array<quint8, Size> buffer {};
    quint8* p = buffer.data();
    p[MaxCurrent] = v.maxCurrentA;
    p[MaxHours] = v.maxHours;
    writeLe16(p + MinCurrent, v.minCurrentCentiA);
    writeLe16(p + MinCheckTime, v.minCheckSeconds);
    p[MinCheckSwitch] = v.minCheckSwitch;
    p[SpecialCardType::Offset] = SpecialCardType::CarParam;
    return toBytes(buffer);
}

bool CarParamImage::parse(const QByteArray& image, CarParamValues& v)
{
    if (image.size() < Size)
        return false;
    const quint8* p = bytesOf(image);
    v.maxCurrentA = p[MaxCurrent];
    v.maxHours = p[MaxHours];
    v.minCurrentCentiA = readLe16(p + MinCurrent);
    v.minCheckSeconds = readLe16(p + MinCheckTime);
    v.minCheckSwitch = p[MinCheckSwitch];
    return true;
}
