#include "BindBlock.h"
#include "CardCrypto.h"
#include "CardImage.h"
#include "CardIssue.h"
#include "CardReader.h"
#include "CardReturn.h"
#include "ChargeFile.h"
#include "Database.h"
#include "PanelModel.h"
#include "SettingCardMaker.h"
#include "StationConfig.h"
#include "VirtualReader.h"

#include <QTemporaryDir>
#include <QtTest>

namespace VR = VirtualReader;

namespace {

const SectorKey OtherKey = { 0x01, 0x02, 0x03, 0x04, 0x05, 0x06 };

QByteArray keyBytes(const SectorKey& key)
{
    return QByteArray(reinterpret_cast<const char*>(key.data()), int(key.size()));
}

// A user card laid out by hand: key A on the sector, image in blocks 2 and 1,
// binding in block 0.
void makeUserCard(quint32 id, int sector, const SectorKey& key, quint32 balance, const QByteArray& bind)
{
    VR::addBlankCard(id);
    QByteArray trailer = VR::block(id, sector * 4 + 3);
    trailer.replace(0, 6, keyBytes(key));
    VR::setBlock(id, sector * 4 + 3, trailer);
    const QByteArray image = makeCardImage(balance, id, 0);
    VR::setBlock(id, sector * 4 + 2, image);
    VR::setBlock(id, sector * 4 + 1, image);
    VR::setBlock(id, sector * 4, bind);
}

void writeConfig(const QString& path, const QString& key, int sector, int limit, int devType)
{
    StationConfig config;
    config.usr_key = key;
    config.usr_sect = quint8(sector);
    config.limit_money = limit;
    config.dev_type = devType;
    QVERIFY(saveConfig(config, path));
}

} // namespace

class TestPanelModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The workflows write config.ini and preset files where they run, and
        // secure their rows in a ledger before they touch a card.
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QVERIFY(openDatabase(m_dir.filePath(QStringLiteral("database.db"))) && createTables());
    }
    void init();

    void cards_are_told_apart_by_their_blocks_data();
    void cards_are_told_apart_by_their_blocks();
    void cards_written_by_the_station_decode();
    void decode_key_comes_from_config_or_typed_text_data();
    void decode_key_comes_from_config_or_typed_text();
    void binding_shows_the_post_of_the_station_kind();
    void one_card_lies_on_the_reader_and_toggles_away();
    void money_text_to_fen_data();
    void money_text_to_fen();
    void charge_file_is_for_this_reader_and_loads_once();
    void state_changes_are_noticed_also_from_another_writer();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PanelModel> m_model;
};

void TestPanelModel::init()
{
    QVERIFY(m_dir.isValid());
    QFile::remove(m_dir.filePath(QStringLiteral("config.ini")));
    m_model = std::make_unique<PanelModel>(m_dir.filePath(QStringLiteral("state.json")));
    VR::reset();
}

void TestPanelModel::cards_are_told_apart_by_their_blocks_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");

    QTest::newRow("blank") << 0 << int(PanelCard::Blank) << "blank card";
    QTest::newRow("user, bound") << 1 << int(PanelCard::User) << "user card  12.34  post 7, port 3";
    QTest::newRow("user, backup copy only") << 2 << int(PanelCard::User) << "(backup block)";
    QTest::newRow("user, copied image") << 3 << int(PanelCard::User) << "(copied from another card)";
    QTest::newRow("user, above the limit")
        << 4 << int(PanelCard::User) << "500.00  not bound  (above the limit)";
    QTest::newRow("car tariff") << 5 << int(PanelCard::Special) << "car tariff card";
    QTest::newRow("blacklist") << 6 << int(PanelCard::Special) << "blacklist card";
    QTest::newRow("another user key") << 7 << int(PanelCard::Unreadable) << "unknown card";
    QTest::newRow("user key, no image yet") << 8 << int(PanelCard::Unreadable) << "does not decode";
    QTest::newRow("unknown type byte") << 9 << int(PanelCard::Unreadable) << "unknown card";
    QTest::newRow("returned: spare-card key") << 10 << int(PanelCard::Spare) << "spare card";
}

void TestPanelModel::cards_are_told_apart_by_their_blocks()
{
    QFETCH(int, setup);
    QFETCH(int, kind);
    QFETCH(QString, text);
    constexpr quint32 Id = 0x0A0B0C0D;
    constexpr int Sector = 0;
    const QByteArray unbound(16, '\0');
    switch (setup) {
    case 0:
        VR::addBlankCard(Id);
        break;
    case 1:
        makeUserCard(Id, Sector, BuiltinKeys::DefaultUser, 1234, makeBindBlock(7, 3));
        break;
    case 2:
        makeUserCard(Id, Sector, BuiltinKeys::DefaultUser, 1234, unbound);
        VR::setBlock(Id, Sector * 4 + 2, QByteArray(16, '\x55'));
        break;
    case 3:
        makeUserCard(Id, Sector, BuiltinKeys::DefaultUser, 1234, unbound);
        VR::setBlock(Id, 2, makeCardImage(1234, Id + 1, 0));
        VR::setBlock(Id, 1, makeCardImage(1234, Id + 1, 0));
        break;
    case 4:
        makeUserCard(Id, Sector, BuiltinKeys::DefaultUser, 50000, unbound);
        break;
    case 5:
    case 6:
    case 9: {
        VR::addBlankCard(Id);
        QByteArray block4(16, '\0');
        block4[7] = char(setup == 5 ? 0x24 : setup == 6 ? 0x31 : 0x7F);
        VR::setBlock(Id, 4, block4);
        QByteArray trailer = VR::block(Id, 7);
        trailer.replace(0, 6, keyBytes(BuiltinKeys::SettingCard));
        VR::setBlock(Id, 7, trailer);
        break;
    }
    case 7:
        makeUserCard(Id, Sector, OtherKey, 1234, unbound);
        break;
    case 10:
        makeUserCard(Id, Sector, BuiltinKeys::SpareCard, 0, unbound);
        VR::setBlock(Id, 1, QByteArray(16, '\0'));
        VR::setBlock(Id, 2, QByteArray(16, '\0'));
        break;
    case 8:
        makeUserCard(Id, Sector, BuiltinKeys::DefaultUser, 0, unbound);
        VR::setBlock(Id, 1, QByteArray(16, '\0'));
        VR::setBlock(Id, 2, QByteArray(16, '\0'));
        break;
    }

    const QList<PanelCard> cards = m_model->cards();
    QCOMPARE(cards.size(), 1);
    QCOMPARE(int(cards.first().kind), kind);
    const QString line = m_model->describe(cards.first());
    QVERIFY2(line.startsWith(QStringLiteral("0A0B0C0D  ")), qPrintable(line));
    QVERIFY2(line.contains(text), qPrintable(line));
}

// The panel reads what the station's own workflows write, through the real
// reader code: an issued user card, a returned one and a bike setting card.
void TestPanelModel::cards_written_by_the_station_decode()
{
    writeConfig(m_dir.filePath(QStringLiteral("config.ini")), QStringLiteral("A1B2C3D4E5F6"), 2, 30000, 0);
    QVERIFY(m_model->loadStationConfig(m_dir.filePath(QStringLiteral("config.ini"))));

    CardReader reader;
    UserCardStation station;
    station.reader = &reader;
    loadConfig(station.config, m_dir.filePath(QStringLiteral("config.ini")));
    const quint32 user = m_model->newBlankCard(true);
    const IssueResult issued
        = CardIssue(station).issueCard(user, CardOwner { QStringLiteral("Li"), {}, {}, {}, {} });
    QCOMPARE(int(issued.outcome), int(IssueResult::Issued));

    const quint32 returned = m_model->newBlankCard(true);
    QCOMPARE(
        int(CardIssue(station).issueOnReader(CardOwner { QStringLiteral("Wu"), {}, {}, {}, {} }).outcome),
        int(IssueResult::Issued));
    QCOMPARE(int(CardReturn(station).returnCard().outcome), int(ReturnResult::Returned));

    const quint32 param = m_model->newBlankCard(true);
    StationConfig config = station.config;
    BikeSettingValues values;
    values.userKeyText = config.usr_key;
    values.userSector = config.usr_sect;
    const SettingCardOutcome made = SettingCardMaker(reader).makeBikeSetting(values, config);
    QVERIFY2(made.made(), qPrintable(QString::number(made.code)));

    const PanelCard userCard = m_model->card(user);
    QCOMPARE(int(userCard.kind), int(PanelCard::User));
    QCOMPARE(userCard.balance, 0u);
    QVERIFY(!userCard.onReader);
    QCOMPARE(int(m_model->card(returned).kind), int(PanelCard::Spare));
    const PanelCard paramCard = m_model->card(param);
    QCOMPARE(int(paramCard.kind), int(PanelCard::Special));
    QCOMPARE(
        m_model->describe(paramCard), PanelModel::idText(param) + "  bike setting card  [on the reader]");
}

void TestPanelModel::decode_key_comes_from_config_or_typed_text_data()
{
    QTest::addColumn<QString>("config"); // empty: no config.ini
    QTest::addColumn<QString>("typedKey"); // empty: nothing typed
    QTest::addColumn<int>("typedSector");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("kind");

    QTest::newRow("no config: built-in key, sector 0") << ""
                                                       << "" << 0 << true << int(PanelCard::Unreadable);
    QTest::newRow("config with the card's key") << R"({"usr_key":"112233445566","usr_sect":5})"
                                                << "" << 0 << true << int(PanelCard::User);
    QTest::newRow("config with a short key is refused") << R"({"usr_key":"11223344","usr_sect":5})"
                                                        << "" << 0 << false << int(PanelCard::Unreadable);
    QTest::newRow("config with a sector beyond the card") << R"({"usr_key":"112233445566","usr_sect":16})"
                                                          << "" << 0 << false << int(PanelCard::Unreadable);
    QTest::newRow("typed key, lower case") << ""
                                           << "112233445566" << 5 << true << int(PanelCard::User);
    QTest::newRow("typed key, wrong sector") << ""
                                             << "112233445566" << 4 << true << int(PanelCard::Unreadable);
    QTest::newRow("typed key with a non-hex digit")
        << ""
        << "11223344556G" << 5 << false << int(PanelCard::Unreadable);
    QTest::newRow("typed sector 16") << ""
                                     << "112233445566" << 16 << false << int(PanelCard::Unreadable);
}

void TestPanelModel::decode_key_comes_from_config_or_typed_text()
{
    QFETCH(QString, config);
    QFETCH(QString, typedKey);
    QFETCH(int, typedSector);
    QFETCH(bool, accepted);
    QFETCH(int, kind);
    constexpr quint32 Id = 0x11111111;
    const SectorKey cardKey = { 0x11, 0x22, 0x33, 0x44, 0x55, 0x66 };
    makeUserCard(Id, 5, cardKey, 100, QByteArray(16, '\0'));

    const QString path = m_dir.filePath(QStringLiteral("config.ini"));
    if (!config.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(config.toUtf8());
        file.close();
        QCOMPARE(m_model->loadStationConfig(path), accepted);
    } else if (!typedKey.isEmpty()) {
        QCOMPARE(m_model->setDecodeKey(typedKey, typedSector), accepted);
    } else {
        QVERIFY(!m_model->loadStationConfig(path));
    }
    if (!accepted) {
        QCOMPARE(m_model->decodeSettings().key, BuiltinKeys::DefaultUser);
        QCOMPARE(m_model->decodeSettings().sector, 0);
    }
    QCOMPARE(int(m_model->card(Id).kind), kind);
}

void TestPanelModel::binding_shows_the_post_of_the_station_kind()
{
    constexpr quint32 Id = 0x22222222;
    makeUserCard(Id, 1, BuiltinKeys::DefaultUser, 100, makeBindBlock(0x12345, 0));
    const QString path = m_dir.filePath(QStringLiteral("config.ini"));

    writeConfig(path, BuiltinKeys::DefaultUserKeyText, 1, 30000, 0);
    QVERIFY(m_model->loadStationConfig(path));
    QVERIFY(m_model->describe(m_model->card(Id)).contains(QStringLiteral("post 9029, all ports")));

    writeConfig(path, BuiltinKeys::DefaultUserKeyText, 1, 30000, 1);
    QVERIFY(m_model->loadStationConfig(path));
    QVERIFY(m_model->describe(m_model->card(Id)).contains(QStringLiteral("post 74565, all ports")));
}

void TestPanelModel::one_card_lies_on_the_reader_and_toggles_away()
{
    const quint32 a = m_model->newBlankCard(false);
    const quint32 b = m_model->newBlankCard(true);
    QVERIFY(m_model->cardOnReader() == b);

    QVERIFY(m_model->toggleOnReader(a));
    QVERIFY(m_model->cardOnReader() == a);
    int onReader = 0;
    for (const PanelCard& card : m_model->cards())
        onReader += card.onReader ? 1 : 0;
    QCOMPARE(onReader, 1);

    QVERIFY(m_model->toggleOnReader(a));
    QVERIFY(!m_model->cardOnReader());
    QVERIFY(!m_model->toggleOnReader(0xDEADBEEF));

    QVERIFY(m_model->toggleOnReader(b));
    QVERIFY(m_model->deleteCard(b));
    QVERIFY(!m_model->cardOnReader());
    QCOMPARE(m_model->cards().size(), 1);
}

void TestPanelModel::money_text_to_fen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("fen"); // -1: refused

    QTest::newRow("whole yuan") << "12" << 1200LL;
    QTest::newRow("one decimal") << "12.3" << 1230LL;
    QTest::newRow("two decimals") << "0.05" << 5LL;
    QTest::newRow("spaces around") << " 7.50 " << 750LL;
    QTest::newRow("largest 32-bit amount") << "42949672.95" << 4294967295LL;
    QTest::newRow("beyond 32 bits") << "42949672.96" << -1LL;
    QTest::newRow("three decimals") << "1.005" << -1LL;
    QTest::newRow("negative") << "-1" << -1LL;
    QTest::newRow("empty") << "" << -1LL;
    QTest::newRow("comma") << "1,5" << -1LL;
    QTest::newRow("bare point") << "." << -1LL;
}

void TestPanelModel::money_text_to_fen()
{
    QFETCH(QString, text);
    QFETCH(qint64, fen);
    const std::optional<quint32> parsed = PanelModel::fenFromText(text);
    if (fen < 0)
        QVERIFY(!parsed);
    else
        QCOMPARE(qint64(parsed.value_or(0)), fen);
}

void TestPanelModel::charge_file_is_for_this_reader_and_loads_once()
{
    m_model->setSerial(321);
    m_model->setMode(VR::ShareMode);
    m_model->setBalance(100);
    const QString path = m_dir.filePath(QStringLiteral("top.chfile"));
    QCOMPARE(m_model->writeChargeFile(path, 50000, 4), PanelModel::ChargeFileResult::Written);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ChargeFile::Contents contents;
    QVERIFY(ChargeFile::parse(bytes, contents));
    QCOMPARE(contents.amount, 50000u);
    QCOMPARE(contents.serial, quint16(321));
    QCOMPARE(contents.version, quint16(4));

    CardReader reader;
    QCOMPARE(reader.writeDevRemain(bytes), 0);
    QCOMPARE(m_model->reader().balance, 50100u);
    QCOMPARE(m_model->reader().chargeVersions, QList<quint16>({ 4 }));
    QVERIFY(reader.writeDevRemain(bytes) != 0);
    QCOMPARE(m_model->reader().balance, 50100u);

    QCOMPARE(m_model->writeChargeFile(m_dir.filePath(QStringLiteral("no/such/dir/x.chfile")), 1, 1),
        PanelModel::ChargeFileResult::NotWritten);
}

void TestPanelModel::state_changes_are_noticed_also_from_another_writer()
{
    FileWatch watch(m_model->stateFile());
    m_model->setSerial(5);
    QVERIFY(watch.changed());
    QVERIFY(!watch.changed());

    // Another process writes through the same file (here: a second model).
    PanelModel other(m_model->stateFile());
    other.setUnplugged(true);
    QVERIFY(watch.changed());
    QVERIFY(m_model->reader().unplugged);
    QVERIFY(!watch.changed());

    QFile::remove(m_model->stateFile());
    QVERIFY(watch.changed());
}

QTEST_GUILESS_MAIN(TestPanelModel)
#include "test_panelmodel.moc"
