#include "CarCardImages.h"
#include "PresetFile.h"
#include "SettingCardImages.h"
#include "TariffTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(TariffCheck::Code)
Q_DECLARE_METATYPE(TariffRowTexts)

namespace {

// Each field holds a value no other field has, so a swapped or misplaced
// field shows in the bytes.
BikeSettingValues distinctBikeSetting()
{
    BikeSettingValues v;
    v.userKeyText = QStringLiteral("0123456789ab");
    v.userSector = 9;
    v.modeIndex = BikeMode::FixedFee;
    v.maxHours = 10;
    v.maxBalanceYuan = 300;
    v.levelCount = 6;
    v.rates = BikeDefaultMinuteRates;
    v.meterRate = 0x0102;
    v.meterDegree = 0x0304;
    v.meterMaxPower = 0x0506;
    v.fixedFee = 0x0708;
    v.postKeyText = QStringLiteral("5D0E8A2C7F13");
    v.keyLock = 1;
    v.postNumber = 0x1234;
    v.binding = 1;
    return v;
}

BikeParamValues distinctBikeParam()
{
    // Byte at offset k holds 0x40 + k, so the expected image spells its offsets.
    BikeParamValues v;
    v.plugInPower = 0x40;
    v.pullOutPower = 0x41;
    v.floatPercent = 0x42;
    v.plugInCheckTime = 0x44;
    v.pullOutPowerTime = 0x45;
    v.plugInPowerTime = 0x46;
    v.floatTime = 0x4948;
    v.floatCheckTime = 0x4B4A;
    v.overloadPower = 0x4D4C;
    v.overloadStart = 0x4F4E;
    v.overloadCheck = 0x5150;
    v.pullOutJudgeTime = 0x52;
    v.pullOutSwitch = 0x53;
    v.autoStopSwitch = 0x54;
    v.refundSwitch = 0x55;
    v.deviceSwitch = 0x56;
    v.interferencePower = 0x57;
    v.interferenceTime = 0x5958;
    v.floatSecondStart = 0x5B5A;
    v.floatSecondCheck = 0x5D5C;
    return v;
}

CarSettingValues distinctCarSetting()
{
    CarSettingValues v;
    v.userKeyText = QStringLiteral("A1A2A3A4A5A6");
    v.userSector = 9;
    v.modeIndex = 3;
    v.refundSwitch = 1;
    v.preDeductFen = 0x1234;
    v.maxBalanceYuan = 1000;
    v.binding = 1;
    v.keyLock = 1;
    v.postKeyText = QStringLiteral("b1b2b3b4b5b6");
    return v;
}

CarTariffValues distinctTariff()
{
    CarTariffValues v;
    v.lossPercent = 5;
    v.serviceFeeFen = 0x0102;
    v.authKeyText = QStringLiteral("C1C2C3C4C5C6");
    v.ranges = { { 0, 6, 0x0201 }, { 6, 20, 0x0403 }, { 20, 24, 0xFFFF } };
    return v;
}

QVector<TariffRowTexts> rows(std::initializer_list<TariffRowTexts> list)
{
    return QVector<TariffRowTexts>(list);
}

} // namespace

class TestSettingCardImages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void bike_setting_images_follow_the_layout();
    void bike_mode_codes_skip_two_data();
    void bike_mode_codes_skip_two();
    void fixed_fee_rates_above_1092_minutes_do_not_fit();
    void bike_parameter_image_follows_the_layout();
    void car_images_follow_the_layout();
    void car_balance_takes_four_bytes();
    void images_read_back_from_presets();
    void fixed_fee_minutes_survive_the_preset();
    void preset_shorter_than_its_size_counts_as_missing_data();
    void preset_shorter_than_its_size_counts_as_missing();
    void preset_write_replaces_the_whole_file();

    void tariff_rules_data();
    void tariff_rules();
    void tariff_leading_zero_is_a_whole_hour();

private:
    QTemporaryDir m_dir;
};

void TestSettingCardImages::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestSettingCardImages::bike_setting_images_follow_the_layout()
{
    const BikeSettingValues v = distinctBikeSetting();
    const QByteArray a = BikeSettingImage::buildA(v);
    QCOMPARE(a.toHex().toUpper(),
        QByteArray("0123456789AB"
                   "00"
                   "21"
                   "09"
                   "04"
                   "A08C"
                   "3075"
                   "06"
                   "00"
                   "7800"
                   "DC00"
                   "5E01"
                   "F401"
                   "BC02"
                   "E803"
                   "DC05"
                   "D007"
                   "5046"
                   "4038"
                   "302A"
                   "2823"
                   "201C"
                   "1815"
                   "100E"
                   "0807"));
    const QByteArray b = BikeSettingImage::buildB(v);
    QCOMPARE(b.toHex().toUpper(),
        QByteArray("0201"
                   "0403"
                   "0605"
                   "0807"
                   "5D0E8A2C7F13"
                   "01"
                   "00"
                   "3412"
                   "01"
                   "00000000000000000000000000"));
    // Reader record: 1, sector, user key, zeros.
    QCOMPARE(BikeSettingImage::readerCardParam(v).toHex().toUpper(),
        QByteArray("01"
                   "09"
                   "0123456789AB"
                   "0000000000000000"));
    const QByteArray preset = BikeSettingImage::buildPreset(v);
    QCOMPARE(preset.size(), 96);
    QCOMPARE(preset.left(80), a + b);
    QCOMPARE(preset.mid(80), QByteArray::fromHex("03000000000000000000000000000000"));
}

void TestSettingCardImages::bike_mode_codes_skip_two_data()
{
    QTest::addColumn<int>("modeIndex");
    QTest::addColumn<int>("code");
    QTest::newRow("time") << 0 << 0;
    QTest::newRow("per use") << 1 << 1;
    QTest::newRow("meter") << 2 << 3;
    QTest::newRow("fixed fee") << 3 << 4;
    QTest::newRow("home") << 4 << 5;
    QTest::newRow("free") << 5 << 6;
}

void TestSettingCardImages::bike_mode_codes_skip_two()
{
    QFETCH(int, modeIndex);
    QFETCH(int, code);
    BikeSettingValues v;
    v.userKeyText = QStringLiteral("000000000000");
    v.modeIndex = quint8(modeIndex);
    const QByteArray a = BikeSettingImage::buildA(v);
    QCOMPARE(int(quint8(a[BikeSettingImage::ModeCode])), code);
    // Only the fixed-fee mode turns its rates into seconds.
    QCOMPARE(quint8(a[BikeSettingImage::Rates]), quint8(modeIndex == BikeMode::FixedFee ? 20 * 60 : 20));
}

void TestSettingCardImages::fixed_fee_rates_above_1092_minutes_do_not_fit()
{
    BikeSettingValues v;
    v.modeIndex = BikeMode::FixedFee;
    v.rates = BikeDefaultMinuteRates;
    v.rates[4] = 1092;
    QCOMPARE(v.oversizedRateLevel(), 0);
    v.rates[4] = 1093;
    v.rates[6] = 5000;
    QCOMPARE(v.oversizedRateLevel(), 5);
    v.modeIndex = BikeMode::Time;
    v.rates.fill(65535);
    QCOMPARE(v.oversizedRateLevel(), 0);
}

void TestSettingCardImages::bike_parameter_image_follows_the_layout()
{
    QCOMPARE(BikeParamImage::build(distinctBikeParam()).toHex().toUpper(),
        QByteArray("40414200444546224849"
                   "4A4B4C4D4E4F5051"
                   "525354555657"
                   "58595A5B5C5D"
                   "0000"));
}

void TestSettingCardImages::car_images_follow_the_layout()
{
    QCOMPARE(CarSettingImage::build(distinctCarSetting()).toHex().toUpper(),
        QByteArray("A1A2A3A4A5A6"
                   "09"
                   "23"
                   "03"
                   "01"
                   "3412"
                   "A0860100"
                   "01"
                   "01"
                   "B1B2B3B4B5B6"
                   "0000000000000000"));
    QCOMPARE(CarTariffImage::build(distinctTariff()).toHex().toUpper(),
        QByteArray("03"
                   "05"
                   "0201"
                   "000000"
                   "24"
                   "C1C2C3C4C5C6"
                   "0000"
                   "00060102"
                   "06140304"
                   "1418FFFF"
                   "00000000"
                   "00000000000000000000000000000000"));
    CarParamValues p;
    p.minCheckSwitch = 0;
    p.minCurrentCentiA = 0x0102;
    QCOMPARE(CarParamImage::build(p).toHex().toUpper(),
        QByteArray("20"
                   "18"
                   "0201"
                   "A401"
                   "00"
                   "25"
                   "0000000000000000"));
}

void TestSettingCardImages::car_balance_takes_four_bytes()
{
    CarSettingValues v = distinctCarSetting();
    v.maxBalanceYuan = 9999;
    const QByteArray image = CarSettingImage::build(v);
    QCOMPARE(image.mid(CarSettingImage::MaxBalanceFen, 4).toHex(), QByteArray("dc410f00")); // 999900
    CarSettingValues back;
    QVERIFY(CarSettingImage::parse(image, back));
    QCOMPARE(back.maxBalanceYuan, quint16(9999));
}

void TestSettingCardImages::images_read_back_from_presets()
{
    const BikeSettingValues bike = distinctBikeSetting();
    BikeSettingValues bikeBack;
    QVERIFY(BikeSettingImage::parsePreset(BikeSettingImage::buildPreset(bike), bikeBack));
    QCOMPARE(BikeSettingImage::buildPreset(bikeBack), BikeSettingImage::buildPreset(bike));
    // Keys come back in upper case, whatever case they were typed in.
    QCOMPARE(bikeBack.userKeyText, QStringLiteral("0123456789AB"));
    QCOMPARE(bikeBack.maxHours, quint8(10));
    QCOMPARE(bikeBack.maxBalanceYuan, quint16(300));

    BikeParamValues param;
    QVERIFY(BikeParamImage::parse(BikeParamImage::build(distinctBikeParam()), param));
    QCOMPARE(BikeParamImage::build(param), BikeParamImage::build(distinctBikeParam()));

    CarSettingValues car;
    QVERIFY(CarSettingImage::parse(CarSettingImage::build(distinctCarSetting()), car));
    QCOMPARE(CarSettingImage::build(car), CarSettingImage::build(distinctCarSetting()));
    QCOMPARE(car.postKeyText, QStringLiteral("B1B2B3B4B5B6"));

    CarTariffValues tariff;
    QVERIFY(CarTariffImage::parse(CarTariffImage::build(distinctTariff()), tariff));
    QCOMPARE(tariff.ranges, distinctTariff().ranges);
    QCOMPARE(CarTariffImage::build(tariff), CarTariffImage::build(distinctTariff()));

    CarParamValues carParam;
    carParam.maxCurrentA = 17;
    carParam.maxHours = 99;
    carParam.minCurrentCentiA = 3200;
    carParam.minCheckSeconds = 65535;
    carParam.minCheckSwitch = 0;
    CarParamValues carParamBack;
    QVERIFY(CarParamImage::parse(CarParamImage::build(carParam), carParamBack));
    QCOMPARE(CarParamImage::build(carParamBack), CarParamImage::build(carParam));
}

void TestSettingCardImages::fixed_fee_minutes_survive_the_preset()
{
    BikeSettingValues v = distinctBikeSetting();
    const QByteArray preset = BikeSettingImage::buildPreset(v);
    for (int k = 0; k < BikeLevels; ++k) {
        const int stored = quint8(preset[BikeSettingImage::Rates + 2 * k])
            | (quint8(preset[BikeSettingImage::Rates + 2 * k + 1]) << 8);
        QCOMPARE(stored, BikeDefaultMinuteRates[size_t(k)] * 60);
    }
    BikeSettingValues back;
    QVERIFY(BikeSettingImage::parsePreset(preset, back));
    QCOMPARE(back.modeIndex, quint8(BikeMode::FixedFee));
    QCOMPARE(back.rates, BikeDefaultMinuteRates);
}

void TestSettingCardImages::preset_shorter_than_its_size_counts_as_missing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    QTest::newRow("set.bin") << PresetFile::BikeSetting << int(BikeSettingImage::PresetSize);
    QTest::newRow("par.bin") << PresetFile::BikeParam << int(BikeParamImage::Size);
    QTest::newRow("cartc.bin") << PresetFile::CarSetting << int(CarSettingImage::Size);
    QTest::newRow("carrate.bin") << PresetFile::CarTariff << int(CarTariffImage::Size);
    QTest::newRow("carpar.bin") << PresetFile::CarParam << int(CarParamImage::Size);
}

void TestSettingCardImages::preset_shorter_than_its_size_counts_as_missing()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    QFile::remove(path);
    QByteArray bytes("untouched");
    QVERIFY(!PresetFile::read(path, size, bytes));
    QVERIFY(PresetFile::write(path, QByteArray(size - 1, '\x11')));
    QVERIFY(!PresetFile::read(path, size, bytes));
    QCOMPARE(bytes, QByteArray("untouched"));
    QVERIFY(PresetFile::write(path, QByteArray(size, '\x22')));
    QVERIFY(PresetFile::read(path, size, bytes));
    QCOMPARE(bytes, QByteArray(size, '\x22'));
}

void TestSettingCardImages::preset_write_replaces_the_whole_file()
{
    QVERIFY(PresetFile::write(PresetFile::CarParam, QByteArray(40, 'x')));
    QVERIFY(PresetFile::write(PresetFile::CarParam, QByteArray(16, 'y')));
    QFile file(PresetFile::CarParam);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(16, 'y'));
}

void TestSettingCardImages::tariff_rules_data()
{
    QTest::addColumn<QVector<TariffRowTexts>>("table");
    QTest::addColumn<int>("count");
    QTest::addColumn<TariffCheck::Code>("code");
    QTest::addColumn<int>("row");

    const QString null;
    QTest::newRow("one range 0-24") << rows({ { "0", "24", "100" } }) << 1 << TariffCheck::Ok << 0;
    QTest::newRow("one range 0-23") << rows({ { "0", "23", "100" } }) << 1 << TariffCheck::LastNotToTwentyFour
                                    << 1;
    QTest::newRow("gap at range 2") << rows({ { "0", "8", "100" }, { "9", "24", "100" } }) << 2
                                    << TariffCheck::NotContiguous << 2;
    QTest::newRow("first from 1") << rows({ { "1", "24", "100" } }) << 1 << TariffCheck::FirstNotFromZero
                                  << 1;
    QTest::newRow("start 6.5") << rows({ { "0", "6", "100" }, { "6.5", "24", "100" } }) << 2
                               << TariffCheck::BadStart << 2;
    QTest::newRow("end 6h") << rows({ { "0", "6h", "100" }, { "6", "24", "100" } }) << 2
                            << TariffCheck::BadEnd << 1;
    QTest::newRow("rate 1.5") << rows({ { "0", "24", "1.5" } }) << 1 << TariffCheck::BadRate << 1;
    QTest::newRow("empty cell") << rows({ { "0", "", "100" } }) << 1 << TariffCheck::BadEnd << 1;
    QTest::newRow("missing cells") << rows({ { "0", "24", null } }) << 1 << TariffCheck::BadRate << 1;
    QTest::newRow("raised count, rows not filled")
        << rows({ { "0", "12", "100" }, { "12", "24", "100" }, { null, null, null } }) << 3
        << TariffCheck::BadStart << 3;
    QTest::newRow("count above the rows")
        << rows({ { "0", "24", "100" } }) << 2 << TariffCheck::BadStart << 2;
    QTest::newRow("rows beyond the count ignored")
        << rows({ { "0", "24", "100" }, { "x", "y", "z" } }) << 1 << TariffCheck::Ok << 0;
    QTest::newRow("hour 256") << rows({ { "0", "256", "100" }, { "256", "24", "100" } }) << 2
                              << TariffCheck::HourOutOfRange << 1;
    QTest::newRow("hour 255 fits") << rows({ { "0", "255", "100" }, { "255", "24", "100" } }) << 2
                                   << TariffCheck::Ok << 0;
    QTest::newRow("negative hour") << rows({ { "0", "6", "100" }, { "-6", "24", "100" } }) << 2
                                   << TariffCheck::HourOutOfRange << 2;
    QTest::newRow("rate 65536") << rows({ { "0", "6", "65535" }, { "6", "24", "65536" } }) << 2
                                << TariffCheck::RateOutOfRange << 2;
    QTest::newRow("backwards and empty ranges")
        << rows({ { "0", "12", "1" }, { "12", "8", "2" }, { "8", "8", "3" }, { "8", "24", "4" } }) << 4
        << TariffCheck::Ok << 0;
}

void TestSettingCardImages::tariff_rules()
{
    QFETCH(QVector<TariffRowTexts>, table);
    QFETCH(int, count);
    QFETCH(TariffCheck::Code, code);
    QFETCH(int, row);
    QVector<TariffRange> ranges;
    const TariffCheck check = checkTariffRows(table, count, ranges);
    QCOMPARE(check.code, code);
    QCOMPARE(check.row, row);
    if (code == TariffCheck::Ok)
        QCOMPARE(ranges.size(), count);
}

void TestSettingCardImages::tariff_leading_zero_is_a_whole_hour()
{
    QVector<TariffRange> ranges;
    const TariffCheck check
        = checkTariffRows(rows({ { "00", "06", "0100" }, { "6", "24", "7" } }), 2, ranges);
    QCOMPARE(check.code, TariffCheck::Ok);
    QCOMPARE(ranges, (QVector<TariffRange> { { 0, 6, 100 }, { 6, 24, 7 } }));
}

QTEST_GUILESS_MAIN(TestSettingCardImages)
#include "test_settingcardimages.moc"
