#include "AuditTrail.h"
#include "CardReader.h"
#include "Database.h"
#include "KeySequence.h"
#include "PresetFile.h"
#include "SettingCardMaker.h"
#include "StationConfig.h"
#include "VirtualReader.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Outcome = SettingCardOutcome;

QByteArray keyBytes(const SectorKey& key)
{
    return QByteArray(reinterpret_cast<const char*>(key.data()), 6);
}

// Gives sectors 0 to 2 the key as key A and key B, keeping the access bits.
void keyCard(quint32 card, const SectorKey& key)
{
    for (int sector = 0; sector < 3; ++sector) {
        QByteArray trailer = VirtualReader::block(card, sector * 4 + 3);
        trailer.replace(0, 6, keyBytes(key));
        trailer.replace(10, 6, keyBytes(key));
        VirtualReader::setBlock(card, sector * 4 + 3, trailer);
    }
}

QByteArray blocks(quint32 card, int first, int count)
{
    QByteArray data;
    for (int b = first; b < first + count; ++b)
        data += VirtualReader::block(card, b);
    return data;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

BikeSettingValues bikeSetting()
{
    BikeSettingValues v;
    v.userKeyText = QStringLiteral("a1b2c3d4e5f6");
    v.userSector = 3;
    v.maxBalanceYuan = 300;
    return v;
}

CarSettingValues carSetting()
{
    CarSettingValues v;
    v.userKeyText = QStringLiteral("0A0B0C0D0E0F");
    v.userSector = 5;
    v.maxBalanceYuan = 1000;
    return v;
}

CarTariffInput tariffInput(QVector<TariffRowTexts> rows)
{
    CarTariffInput input;
    input.authKeyText = BuiltinKeys::DefaultPostKeyText;
    input.rangeCount = rows.size();
    input.rows = rows;
    return input;
}

} // namespace

class TestSettingCardMaker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void key_sequence_finds_the_card_key_data();
    void key_sequence_finds_the_card_key();
    void setting_card_is_written_and_locked_with_the_setting_key();
    void made_card_is_rewritten_with_the_setting_key();
    void setting_card_updates_configuration_and_reader();
    void car_setting_card_stores_balance_in_four_bytes_and_configuration();
    void parameter_card_refused_on_transport_keyed_blank();
    void parameter_card_made_on_a_used_card();
    void failed_card_leaves_presets_and_configuration();
    void unsaved_configuration_is_not_reported_as_plain_success();
    void bike_checks_refuse_before_anything_is_sent_data();
    void bike_checks_refuse_before_anything_is_sent();
    void car_checks_come_in_their_own_order();
    void tariff_card_checks_key_then_table();
    void tariff_and_car_parameter_cards_are_written();
    void retry_after_partial_write_starts_again_at_block_4();
    void card_kinds_leave_one_audit_row_each();

private:
    QTemporaryDir m_dir;
    CardReader m_reader;
    quint32 m_card = 0;
};

void TestSettingCardMaker::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    VirtualReader::useTemporaryState();
}

void TestSettingCardMaker::init()
{
    VirtualReader::reset();
    m_card = VirtualReader::addBlankCard();
    QVERIFY(VirtualReader::placeCard(m_card));
    for (const QString& path : { PresetFile::BikeSetting, PresetFile::BikeParam, PresetFile::CarSetting,
             PresetFile::CarTariff, PresetFile::CarParam, kConfigFileName })
        QFile::remove(path);
}

void TestSettingCardMaker::key_sequence_finds_the_card_key_data()
{
    QTest::addColumn<QByteArray>("cardKey");
    QTest::addColumn<int>("withAll");
    QTest::addColumn<int>("withoutTransport");
    QTest::newRow("spare card") << keyBytes(BuiltinKeys::SpareCard) << 0 << 0;
    QTest::newRow("default user") << keyBytes(BuiltinKeys::DefaultUser) << 1 << 1;
    QTest::newRow("transport") << keyBytes(BuiltinKeys::Transport) << 2 << -1;
    QTest::newRow("setting card") << keyBytes(BuiltinKeys::SettingCard) << 3 << 2;
    QTest::newRow("foreign key") << QByteArray::fromHex("010203040506") << -1 << -1;
}

void TestSettingCardMaker::key_sequence_finds_the_card_key()
{
    QFETCH(QByteArray, cardKey);
    QFETCH(int, withAll);
    QFETCH(int, withoutTransport);
    SectorKey key {};
    std::copy(cardKey.begin(), cardKey.end(), key.begin());
    const QVector<CardWriteStep> steps = { { 4, QByteArray(16, '\x5A') } };

    keyCard(m_card, key);
    QCOMPARE(KeySequence::run(m_reader, steps, KeySequence::Keys::All), withAll);
    keyCard(m_card, key);
    QCOMPARE(KeySequence::run(m_reader, steps, KeySequence::Keys::WithoutTransport), withoutTransport);
}

void TestSettingCardMaker::setting_card_is_written_and_locked_with_the_setting_key()
{
    const QByteArray accessBits = VirtualReader::block(m_card, 7).mid(6, 4);
    StationConfig config;
    const BikeSettingValues v = bikeSetting();
    QCOMPARE(SettingCardMaker(m_reader).makeBikeSetting(v, config).code, Outcome::Made);

    QCOMPARE(blocks(m_card, 4, 3), BikeSettingImage::buildA(v));
    QCOMPARE(blocks(m_card, 8, 2), BikeSettingImage::buildB(v));
    QCOMPARE(VirtualReader::block(m_card, 10), QByteArray(16, '\0'));
    for (int sector = 0; sector < 3; ++sector) {
        const QByteArray trailer = VirtualReader::block(m_card, sector * 4 + 3);
        QCOMPARE(trailer.left(6), keyBytes(BuiltinKeys::SettingCard));
        QCOMPARE(trailer.mid(6, 4), accessBits);
        QCOMPARE(trailer.mid(10), keyBytes(BuiltinKeys::SettingCard));
    }
    // Sectors beyond 2 keep the key they had.
    QCOMPARE(VirtualReader::block(m_card, 15).left(6), keyBytes(BuiltinKeys::Transport));
}

void TestSettingCardMaker::made_card_is_rewritten_with_the_setting_key()
{
    StationConfig config;
    BikeSettingValues v = bikeSetting();
    QVERIFY(SettingCardMaker(m_reader).makeBikeSetting(v, config).made());
    v.postNumber = 77;
    v.modeIndex = BikeMode::PerUse;
    QVERIFY(SettingCardMaker(m_reader).makeBikeSetting(v, config).made());
    QCOMPARE(blocks(m_card, 4, 3) + blocks(m_card, 8, 2),
        BikeSettingImage::buildA(v) + BikeSettingImage::buildB(v));
    QCOMPARE(KeySequence::run(m_reader, { { 4, BikeSettingImage::buildA(v) } }, KeySequence::Keys::All), 3);
}

void TestSettingCardMaker::setting_card_updates_configuration_and_reader()
{
    StationConfig config;
    config.company = QStringLiteral("Depot");
    const BikeSettingValues v = bikeSetting();
    QCOMPARE(SettingCardMaker(m_reader).makeBikeSetting(v, config).code, Outcome::Made);

    QCOMPARE(config.usr_key, QStringLiteral("a1b2c3d4e5f6")); // as typed
    QCOMPARE(config.usr_sect, quint8(3));
    QCOMPARE(config.limit_money, 30000);
    StationConfig saved;
    loadConfig(saved);
    QCOMPARE(saved.usr_key, config.usr_key);
    QCOMPARE(saved.usr_sect, config.usr_sect);
    QCOMPARE(saved.limit_money, 30000);
    QCOMPARE(saved.company, QStringLiteral("Depot"));

    QCOMPARE(fileBytes(PresetFile::BikeSetting), BikeSettingImage::buildPreset(v));
    QCOMPARE(VirtualReader::cardParam(), QByteArray::fromHex("0103a1b2c3d4e5f60000000000000000"));
}

void TestSettingCardMaker::car_setting_card_stores_balance_in_four_bytes_and_configuration()
{
    StationConfig config;
    const CarSettingValues v = carSetting();
    const QByteArray paramBefore = VirtualReader::cardParam();
    QCOMPARE(SettingCardMaker(m_reader).makeCarSetting(v, config).code, Outcome::Made);

    QCOMPARE(blocks(m_card, 4, 2), CarSettingImage::build(v));
    QCOMPARE(blocks(m_card, 4, 2).mid(CarSettingImage::MaxBalanceFen, 4), QByteArray::fromHex("a0860100"));
    QCOMPARE(VirtualReader::block(m_card, 11).left(6), keyBytes(BuiltinKeys::SettingCard));
    QCOMPARE(config.limit_money, 100000);
    QCOMPARE(config.usr_sect, quint8(5));
    StationConfig saved;
    loadConfig(saved);
    QCOMPARE(saved.limit_money, 100000);
    QCOMPARE(saved.usr_key, QStringLiteral("0A0B0C0D0E0F"));
    QCOMPARE(fileBytes(PresetFile::CarSetting), CarSettingImage::build(v));
    // The car card does not tell the reader about the user card.
    QCOMPARE(VirtualReader::cardParam(), paramBefore);
}

void TestSettingCardMaker::parameter_card_refused_on_transport_keyed_blank()
{
    QCOMPARE(SettingCardMaker(m_reader).makeBikeParam(BikeParamValues()).code, Outcome::WriteFailed);
    QCOMPARE(blocks(m_card, 4, 2), QByteArray(32, '\0'));
    QCOMPARE(VirtualReader::block(m_card, 3).left(6), keyBytes(BuiltinKeys::Transport));
    QVERIFY(!QFile::exists(PresetFile::BikeParam));
}

void TestSettingCardMaker::parameter_card_made_on_a_used_card()
{
    keyCard(m_card, BuiltinKeys::DefaultUser);
    BikeParamValues v;
    v.floatTime = 1234;
    QCOMPARE(SettingCardMaker(m_reader).makeBikeParam(v).code, Outcome::Made);
    QCOMPARE(blocks(m_card, 4, 2), BikeParamImage::build(v));
    QCOMPARE(VirtualReader::block(m_card, 7).left(6), keyBytes(BuiltinKeys::SettingCard));
    QCOMPARE(fileBytes(PresetFile::BikeParam), BikeParamImage::build(v));
}

void TestSettingCardMaker::failed_card_leaves_presets_and_configuration()
{
    keyCard(m_card, { 1, 2, 3, 4, 5, 6 });
    StationConfig config;
    QVERIFY(saveConfig(config));
    const QByteArray configBefore = fileBytes(kConfigFileName);
    QVERIFY(PresetFile::write(PresetFile::BikeSetting, QByteArray(96, '\x01')));

    QCOMPARE(SettingCardMaker(m_reader).makeBikeSetting(bikeSetting(), config).code, Outcome::WriteFailed);
    QCOMPARE(config.usr_key, BuiltinKeys::DefaultUserKeyText);
    QCOMPARE(config.limit_money, 30000);
    QCOMPARE(fileBytes(kConfigFileName), configBefore);
    QCOMPARE(fileBytes(PresetFile::BikeSetting), QByteArray(96, '\x01'));
    QCOMPARE(SettingCardMaker(m_reader).makeCarSetting(carSetting(), config).code, Outcome::WriteFailed);
    QCOMPARE(config.limit_money, 30000);
    QVERIFY(!QFile::exists(PresetFile::CarSetting));
}

void TestSettingCardMaker::unsaved_configuration_is_not_reported_as_plain_success()
{
    // A directory in the way of config.ini makes the save fail.
    QVERIFY(QDir().mkdir(kConfigFileName));
    StationConfig config;
    const Outcome outcome = SettingCardMaker(m_reader).makeCarSetting(carSetting(), config);
    QDir().rmdir(kConfigFileName);
    QCOMPARE(outcome.code, Outcome::MadeConfigUnsaved);
    QVERIFY(outcome.made());
    // The running station still uses the new values.
    QCOMPARE(config.limit_money, 100000);
    QCOMPARE(fileBytes(PresetFile::CarSetting), CarSettingImage::build(carSetting()));
}

void TestSettingCardMaker::bike_checks_refuse_before_anything_is_sent_data()
{
    QTest::addColumn<int>("binding");
    QTest::addColumn<int>("sector");
    QTest::addColumn<QString>("userKey");
    QTest::addColumn<QString>("postKey");
    QTest::addColumn<int>("level5Minutes");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("level");

    const QString key = QStringLiteral("0123456789AB");
    QTest::newRow("binding on, sector 0, before the key check")
        << 1 << 0 << QStringLiteral("bad") << key << 0 << int(Outcome::BindingOnSectorZero) << 0;
    QTest::newRow("binding off, sector 0") << 0 << 0 << key << key << 0 << int(Outcome::Made) << 0;
    QTest::newRow("user key of 11") << 0 << 1 << key.left(11) << key << 0 << int(Outcome::BadUserKey) << 0;
    QTest::newRow("user key with G") << 0 << 1 << QStringLiteral("0123456789AG") << key << 0
                                     << int(Outcome::BadUserKey) << 0;
    QTest::newRow("user key empty") << 0 << 1 << QString() << key << 0 << int(Outcome::BadUserKey) << 0;
    QTest::newRow("lower-case keys") << 1 << 1 << QStringLiteral("abcdef012345")
                                     << QStringLiteral("5d0e8a2c7f13") << 0 << int(Outcome::Made) << 0;
    QTest::newRow("post key of 13") << 0 << 1 << key << key + "0" << 0 << int(Outcome::BadPostKey) << 0;
    QTest::newRow("1093 minutes, before the post key")
        << 0 << 1 << key << QString() << 1093 << int(Outcome::RateTooLarge) << 5;
    QTest::newRow("1092 minutes") << 0 << 1 << key << key << 1092 << int(Outcome::Made) << 0;
}

void TestSettingCardMaker::bike_checks_refuse_before_anything_is_sent()
{
    QFETCH(int, binding);
    QFETCH(int, sector);
    QFETCH(QString, userKey);
    QFETCH(QString, postKey);
    QFETCH(int, level5Minutes);
    QFETCH(int, code);
    QFETCH(int, level);

    BikeSettingValues v;
    v.binding = quint8(binding);
    v.userSector = quint8(sector);
    v.userKeyText = userKey;
    v.postKeyText = postKey;
    if (level5Minutes) {
        v.modeIndex = BikeMode::FixedFee;
        v.rates = BikeDefaultMinuteRates;
        v.rates[4] = quint16(level5Minutes);
    }
    StationConfig config;
    VirtualReader::resetCounters();
    const Outcome outcome = SettingCardMaker(m_reader).makeBikeSetting(v, config);
    QCOMPARE(int(outcome.code), code);
    QCOMPARE(outcome.level, level);
    if (code != Outcome::Made) {
        QCOMPARE(VirtualReader::counters().reportsWritten, 0);
        QCOMPARE(config.usr_key, BuiltinKeys::DefaultUserKeyText);
    } else {
        QCOMPARE(blocks(m_card, 4, 3), BikeSettingImage::buildA(v));
    }
}

void TestSettingCardMaker::car_checks_come_in_their_own_order()
{
    StationConfig config;
    CarSettingValues v = carSetting();
    v.binding = 1;
    v.userSector = 0;
    v.userKeyText = QStringLiteral("0123456789AG");
    v.postKeyText.clear();
    SettingCardMaker maker(m_reader);
    QCOMPARE(maker.makeCarSetting(v, config).code, Outcome::BadUserKey);
    v.userKeyText = QStringLiteral("0123456789ab");
    QCOMPARE(maker.makeCarSetting(v, config).code, Outcome::BindingOnSectorZero);
    v.binding = 0;
    QCOMPARE(maker.makeCarSetting(v, config).code, Outcome::BadPostKey);
    v.postKeyText = QStringLiteral("5D0E8A2C7F1");
    QCOMPARE(maker.makeCarSetting(v, config).code, Outcome::BadPostKey);
    QCOMPARE(blocks(m_card, 4, 2), QByteArray(32, '\0'));
    v.postKeyText = BuiltinKeys::DefaultPostKeyText;
    QCOMPARE(maker.makeCarSetting(v, config).code, Outcome::Made);
    QCOMPARE(config.usr_sect, quint8(0));
}

void TestSettingCardMaker::tariff_card_checks_key_then_table()
{
    SettingCardMaker maker(m_reader);
    CarTariffInput input = tariffInput({ { "0", "8", "100" }, { "9", "24", "100" } });
    input.authKeyText = QStringLiteral("XYZ");
    VirtualReader::resetCounters();
    QCOMPARE(maker.makeCarTariff(input).code, Outcome::BadPostKey);
    input.authKeyText = BuiltinKeys::DefaultPostKeyText;
    const Outcome outcome = maker.makeCarTariff(input);
    QCOMPARE(outcome.code, Outcome::BadTariff);
    QCOMPARE(outcome.tariff.code, TariffCheck::NotContiguous);
    QCOMPARE(outcome.tariff.row, 2);
    QCOMPARE(maker.makeCarTariff(tariffInput({ { "0", "24", "70000" } })).tariff.code,
        TariffCheck::RateOutOfRange);
    QCOMPARE(VirtualReader::counters().reportsWritten, 0);
    QVERIFY(!QFile::exists(PresetFile::CarTariff));
}

void TestSettingCardMaker::tariff_and_car_parameter_cards_are_written()
{
    SettingCardMaker maker(m_reader);
    CarTariffInput input = tariffInput({ { "0", "06", "120" }, { "6", "24", "80" }, { "x", "y", "z" } });
    input.rangeCount = 2;
    input.lossPercent = 7;
    input.serviceFeeFen = 300;
    QCOMPARE(maker.makeCarTariff(input).code, Outcome::Made);
    CarTariffValues expected;
    expected.lossPercent = 7;
    expected.serviceFeeFen = 300;
    expected.ranges = { { 0, 6, 120 }, { 6, 24, 80 } };
    QCOMPARE(blocks(m_card, 4, 3), CarTariffImage::build(expected));
    QCOMPARE(fileBytes(PresetFile::CarTariff), CarTariffImage::build(expected));

    CarParamValues param;
    param.maxCurrentA = 20;
    QCOMPARE(maker.makeCarParam(param).code, Outcome::Made); // now keyed with the setting key
    QCOMPARE(VirtualReader::block(m_card, 4), CarParamImage::build(param));
    QCOMPARE(fileBytes(PresetFile::CarParam), CarParamImage::build(param));
}

void TestSettingCardMaker::retry_after_partial_write_starts_again_at_block_4()
{
    // The transport key writes both images and locks sectors 0 and 1; the key
    // change of sector 2 reaches the card but its answer is lost, so the
    // transport key counts as failed and the setting key must write the whole
    // card again, image A at block 4 and image B at block 8.
    // Write frames before it: one per refused key, five data blocks, two trailers.
    VirtualReader::Fault lost;
    lost.kind = VirtualReader::Fault::NoAnswer;
    lost.command = 0x5503;
    lost.afterFrames = 1 + 1 + 5 + 2;
    VirtualReader::armFault(lost);

    StationConfig config;
    const BikeSettingValues v = bikeSetting();
    QCOMPARE(KeySequence::run(m_reader,
                 { { BikeSettingImage::BlockA, BikeSettingImage::buildA(v) },
                     { BikeSettingImage::BlockB, BikeSettingImage::buildB(v) } },
                 KeySequence::Keys::All),
        3);
    QCOMPARE(blocks(m_card, 4, 3), BikeSettingImage::buildA(v));
    QCOMPARE(blocks(m_card, 8, 2), BikeSettingImage::buildB(v));
    QCOMPARE(VirtualReader::block(m_card, 10), QByteArray(16, '\0'));
    QCOMPARE(VirtualReader::block(m_card, 11).left(6), keyBytes(BuiltinKeys::SettingCard));
}

void TestSettingCardMaker::card_kinds_leave_one_audit_row_each()
{
    QVERIFY(prepareDatabase(m_dir.filePath(kDatabaseFileName)).opened);
    SettingCardMaker maker(m_reader);
    CarTariffInput tariff = tariffInput({ { "0", "24", "100" } });
    tariff.rangeCount = 1;
    QCOMPARE(maker.makeCarTariff(tariff).code, Outcome::Made);
    QCOMPARE(maker.makeCarParam(CarParamValues()).code, Outcome::Made);
    QVERIFY(VirtualReader::placeCard(VirtualReader::addBlankCard()));
    QCOMPARE(maker.makeBikeParam(BikeParamValues()).code, Outcome::WriteFailed);
    QVERIFY(VirtualReader::placeCard(VirtualReader::addBlankCard()));
    StationConfig config;
    QCOMPARE(maker.makeBikeSetting(bikeSetting(), config).code, Outcome::Made);

    QStringList trail;
    for (const AuditRow& row : AuditTrail::page(AuditFilter(), 0, 10))
        trail.prepend(
            row.action + QLatin1Char(':') + row.subject + QLatin1Char(':') + row.outcome.section(' ', 0, 0));
    QCOMPARE(trail,
        QStringList({ "tariff card::ok", "parameter card::ok", "parameter card::failed",
            "config change:config.ini:ok", "setting card::ok" }));
    QSqlDatabase::database().close();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
}

QTEST_GUILESS_MAIN(TestSettingCardMaker)
#include "test_settingcardmaker.moc"
