#pragma once

#include "CarCardImages.h"
#include "SettingCardImages.h"
#include "TariffTable.h"

#include <QString>
#include <QVector>

class CardReader;
struct StationConfig;

// What became of one configuration card; the window turns it into a message.
struct SettingCardOutcome
{
    enum Code {
        Made,
        // The card is made and the configuration changed in memory, but
        // config.ini could not be written.
        MadeConfigUnsaved,
        WriteFailed, // no key made the card
        BindingOnSectorZero,
        BadUserKey,
        BadPostKey, // post key or, on the tariff card, the authentication key
        RateTooLarge, // level: a fixed-fee rate in minutes whose seconds exceed 16 bits
        BadTariff, // tariff holds the failed table rule
    };
    Code code = WriteFailed;
    int level = 0;
    TariffCheck tariff;

    bool made() const { return code == Made || code == MadeConfigUnsaved; }
};

// The tariff form as typed: the table cells stay text until checked.
struct CarTariffInput
{
    quint8 lossPercent = 0;
    quint16 serviceFeeFen = 100;
    QString authKeyText;
    int rangeCount = 0;
    QVector<TariffRowTexts> rows;
};

// Makes the configuration cards of charging posts on the card lying on the
// reader. Checks come first and write nothing; a card that fails leaves the
// preset files and the configuration as they were.
class SettingCardMaker
{
public:
    explicit SettingCardMaker(CardReader& reader);

    // On success the configuration takes the user key as typed, the sector and
    // the maximum balance, and is saved; the preset is written and the reader
    // learns the user-card sector and key.
    SettingCardOutcome makeBikeSetting(const BikeSettingValues& values, StationConfig& config);
    SettingCardOutcome makeBikeParam(const BikeParamValues& values);
    SettingCardOutcome makeCarSetting(const CarSettingValues& values, StationConfig& config);
    SettingCardOutcome makeCarTariff(const CarTariffInput& input);
    SettingCardOutcome makeCarParam(const CarParamValues& values);

private:
    SettingCardOutcome writeBikeSetting(const BikeSettingValues& values, StationConfig& config);
    SettingCardOutcome writeBikeParam(const BikeParamValues& values);
    SettingCardOutcome writeCarSetting(const CarSettingValues& values, StationConfig& config);
    SettingCardOutcome writeCarTariff(const CarTariffInput& input);
    SettingCardOutcome writeCarParam(const CarParamValues& values);

    CardReader& m_reader;
};
