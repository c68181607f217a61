#include "SettingCardMaker.h"

#include "AuditTrail.h"
#include "CardCrypto.h"
#include "CardReader.h"
#include "KeySequence.h"
#include "PresetFile.h"
#include "StationConfig.h"

namespace {

using Outcome = SettingCardOutcome;

Outcome outcome(Outcome::Code code, int level = 0)
{
    Outcome o;
    o.code = code;
    o.level = level;
    return o;
}

// The station's own user-card work must match what the posts were told.
bool adoptUserCard(StationConfig& config, const QString& keyText, quint8 sector, quint32 limitFen)
{
    config.usr_key = keyText;
    config.usr_sect = sector;
    config.limit_money = qint32(limitFen);
    const bool saved = saveConfig(config);
    AuditTrail::record(AuditAction::ConfigChange, QStringLiteral("config.ini"), AuditTrail::outcome(saved));
    return saved;
}

// The trail's row for a card the maker was asked to write.
SettingCardOutcome audited(const QString& action, const SettingCardOutcome& made)
{
    AuditTrail::record(action, QString(), AuditTrail::outcome(made.made(), made.code));
    return made;
}

} // namespace

SettingCardMaker::SettingCardMaker(CardReader& reader)
    : m_reader(reader)
{
}

SettingCardOutcome SettingCardMaker::makeBikeSetting(const BikeSettingValues& values, StationConfig& config)
{
    return audited(AuditAction::SettingCard, writeBikeSetting(values, config));
}

SettingCardOutcome SettingCardMaker::writeBikeSetting(const BikeSettingValues& values, StationConfig& config)
{
    if (values.binding != 0 && values.userSector == 0)
        return outcome(Outcome::BindingOnSectorZero);
    if (!isValidKeyText(values.userKeyText))
        return outcome(Outcome::BadUserKey);
    if (const int level = values.oversizedRateLevel())
        return outcome(Outcome::RateTooLarge, level);
    if (!isValidKeyText(values.postKeyText))
        return outcome(Outcome::BadPostKey);

    const QVector<CardWriteStep> steps = {
        { BikeSettingImage::BlockA, BikeSettingImage::buildA(values) },
        { BikeSettingImage::BlockB, BikeSettingImage::buildB(values) },
    };
    if (KeySequence::run(m_reader, steps, KeySequence::Keys::All) < 0)
        return outcome(Outcome::WriteFailed);

    const bool saved = adoptUserCard(config, values.userKeyText, values.userSector, values.maxBalanceFen());
    PresetFile::write(PresetFile::BikeSetting, BikeSettingImage::buildPreset(values));
    m_reader.writeDevCardParam(BikeSettingImage::readerCardParam(values));
    return outcome(saved ? Outcome::Made : Outcome::MadeConfigUnsaved);
}

SettingCardOutcome SettingCardMaker::makeBikeParam(const BikeParamValues& values)
{
    return audited(AuditAction::ParameterCard, writeBikeParam(values));
}

SettingCardOutcome SettingCardMaker::writeBikeParam(const BikeParamValues& values)
{
    const QByteArray image = BikeParamImage::build(values);
    if (KeySequence::run(m_reader, { { BikeParamImage::Block, image } }, KeySequence::Keys::WithoutTransport)
        < 0)
        return outcome(Outcome::WriteFailed);
    PresetFile::write(PresetFile::BikeParam, image);
    return outcome(Outcome::Made);
}

SettingCardOutcome SettingCardMaker::makeCarSetting(const CarSettingValues& values, StationConfig& config)
{
    return audited(AuditAction::SettingCard, writeCarSetting(values, config));
}

SettingCardOutcome SettingCardMaker::writeCarSetting(const CarSettingValues& values, StationConfig& config)
{
    if (!isValidKeyText(values.userKeyText))
        return outcome(Outcome::BadUserKey);
    if (values.binding != 0 && values.userSector == 0)
        return outcome(Outcome::BindingOnSectorZero);
    if (!isValidKeyText(values.postKeyText))
        return outcome(Outcome::BadPostKey);

    const QByteArray image = CarSettingImage::build(values);
    if (KeySequence::run(m_reader, { { CarSettingImage::Block, image } }, KeySequence::Keys::All) < 0)
        return outcome(Outcome::WriteFailed);

    const bool saved = adoptUserCard(config, values.userKeyText, values.userSector, values.maxBalanceFen());
    PresetFile::write(PresetFile::CarSetting, image);
    return outcome(saved ? Outcome::Made : Outcome::MadeConfigUnsaved);
}

SettingCardOutcome SettingCardMaker::makeCarTariff(const CarTariffInput& input)
{
    return audited(AuditAction::TariffCard, writeCarTariff(input));
}

SettingCardOutcome SettingCardMaker::writeCarTariff(const CarTariffInput& input)
{
    if (!isValidKeyText(input.authKeyText))
        return outcome(Outcome::BadPostKey);
    CarTariffValues values;
    values.lossPercent = input.lossPercent;
    values.serviceFeeFen = input.serviceFeeFen;
    values.authKeyText = input.authKeyText;
    const TariffCheck check = checkTariffRows(input.rows, input.rangeCount, values.ranges);
    if (check.code != TariffCheck::Ok) {
        Outcome o = outcome(Outcome::BadTariff, check.row);
        o.tariff = check;
        return o;
    }

    const QByteArray image = CarTariffImage::build(values);
    if (KeySequence::run(m_reader, { { CarTariffImage::Block, image } }, KeySequence::Keys::All) < 0)
        return outcome(Outcome::WriteFailed);
    PresetFile::write(PresetFile::CarTariff, image);
    return outcome(Outcome::Made);
}

SettingCardOutcome SettingCardMaker::makeCarParam(const CarParamValues& values)
{
    return audited(AuditAction::ParameterCard, writeCarParam(values));
}

SettingCardOutcome SettingCardMaker::writeCarParam(const CarParamValues& values)
{
    const QByteArray image = CarParamImage::build(values);
    if (KeySequence::run(m_reader, { { CarParamImage::Block, image } }, KeySequence::Keys::All) < 0)
        return outcome(Outcome::WriteFailed);
    PresetFile::write(PresetFile::CarParam, image);
    return outcome(Outcome::Made);
}
