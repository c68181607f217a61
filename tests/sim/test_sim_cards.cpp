#include "SimTestSupport.h"

#include <QtTest>

using namespace SimTest;
namespace VR = VirtualReader;

namespace {
const SectorKey KeyA = { 0x11, 0x22, 0x33, 0x44, 0x55, 0x66 };
const SectorKey KeyB = { 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6 };
const SectorKey OtherKey = { 0x01, 0x02, 0x03, 0x04, 0x05, 0x06 };
constexpr quint32 CardId = 0x04030201;
constexpr int Trailer1 = 7; // trailer of sector 1
constexpr int Data1 = 5; // a data block of sector 1
const QByteArray Pattern = QByteArray::fromHex("00112233445566778899AABBCCDDEEFF");
} // namespace

// The card rules of the virtual reader, driven with hand-built frames.
class TestSimCards : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VR::useTemporaryState(); }
    void init()
    {
        VR::reset();
        VR::addBlankCard(CardId);
        VR::placeCard(CardId);
    }

    void blank_card_carries_transport_key_and_bits();
    void access_conditions_decide_reads_and_writes_data();
    void access_conditions_decide_reads_and_writes();
    void trailer_read_hides_key_a_and_unreadable_key_b_data();
    void trailer_read_hides_key_a_and_unreadable_key_b();
    void trailer_parts_change_only_with_the_right_key_data();
    void trailer_parts_change_only_with_the_right_key();
    void malformed_access_bits_are_refused_and_kill_a_damaged_sector();
    void maker_block_is_read_only();
    void card_presence_key_and_block_range_are_checked();
    void broken_or_unknown_requests_get_their_own_status();
};

void TestSimCards::blank_card_carries_transport_key_and_bits()
{
    const QByteArray expected = QByteArray(6, '\0') + QByteArray::fromHex("FF078069FFFFFFFFFFFF");
    for (int sector = 0; sector < 16; ++sector) {
        QByteArray data;
        QCOMPARE(readBlock(sector * 4 + 3, BuiltinKeys::Transport, &data), int(SimStatus::Ok));
        QCOMPARE(data, expected);
        QCOMPARE(VR::block(CardId, sector * 4 + 3).left(6), keyBytes(BuiltinKeys::Transport));
    }
    // The id goes out as the UID bytes; the station reads them little-endian.
    const QByteArray reply = exchange(SimCommand::ReadCardId, QByteArray());
    QCOMPARE(reply, QByteArray::fromHex("0001020304"));
}

void TestSimCards::access_conditions_decide_reads_and_writes_data()
{
    QTest::addColumn<int>("dataCondition");
    QTest::addColumn<int>("trailerCondition");
    QTest::addColumn<bool>("useKeyB");
    QTest::addColumn<int>("readStatus");
    QTest::addColumn<int>("writeStatus");
    const int ok = SimStatus::Ok, auth = SimStatus::AuthFailed, noRead = SimStatus::ReadRefused,
              noWrite = SimStatus::WriteRefused;
    QTest::newRow("000 with key A") << 0 << 1 << false << ok << ok;
    QTest::newRow("readable key B cannot authenticate") << 0 << 1 << true << auth << auth;
    QTest::newRow("readable key B under 000 trailer") << 0 << 0 << true << auth << auth;
    QTest::newRow("001 decrement only") << 1 << 3 << false << ok << noWrite;
    QTest::newRow("010 read only") << 2 << 3 << true << ok << noWrite;
    QTest::newRow("011 shuts key A out") << 3 << 3 << false << noRead << noWrite;
    QTest::newRow("011 with key B") << 3 << 3 << true << ok << ok;
    QTest::newRow("100 key A reads only") << 4 << 3 << false << ok << noWrite;
    QTest::newRow("100 key B writes") << 4 << 3 << true << ok << ok;
    QTest::newRow("101 key A shut out") << 5 << 3 << false << noRead << noWrite;
    QTest::newRow("101 key B reads only") << 5 << 3 << true << ok << noWrite;
    QTest::newRow("110 key A reads only") << 6 << 4 << false << ok << noWrite;
    QTest::newRow("110 key B writes") << 6 << 4 << true << ok << ok;
    QTest::newRow("111 locked") << 7 << 3 << true << noRead << noWrite;
}

void TestSimCards::access_conditions_decide_reads_and_writes()
{
    QFETCH(int, dataCondition);
    QFETCH(int, trailerCondition);
    QFETCH(bool, useKeyB);
    QFETCH(int, readStatus);
    QFETCH(int, writeStatus);
    const QByteArray stored = QByteArray(16, '\x5A');
    QVERIFY(VR::setBlock(CardId, Data1, stored));
    QVERIFY(VR::setBlock(CardId, Trailer1,
        trailer(KeyA, accessBits(dataCondition, dataCondition, dataCondition, trailerCondition), KeyB)));
    const SectorKey& key = useKeyB ? KeyB : KeyA;

    QByteArray data;
    QCOMPARE(readBlock(Data1, key, &data), readStatus);
    QCOMPARE(data, readStatus == SimStatus::Ok ? stored : QByteArray(16, '\0'));
    QCOMPARE(writeBlock(Data1, key, Pattern), writeStatus);
    QCOMPARE(VR::block(CardId, Data1), writeStatus == SimStatus::Ok ? Pattern : stored);
}

void TestSimCards::trailer_read_hides_key_a_and_unreadable_key_b_data()
{
    QTest::addColumn<int>("trailerCondition");
    QTest::addColumn<bool>("useKeyB");
    QTest::addColumn<bool>("keyBShown");
    QTest::newRow("001 key B readable") << 1 << false << true;
    QTest::newRow("000 key B readable") << 0 << false << true;
    QTest::newRow("011 with key A") << 3 << false << false;
    QTest::newRow("011 with key B") << 3 << true << false;
    QTest::newRow("111 with key A") << 7 << false << false;
}

void TestSimCards::trailer_read_hides_key_a_and_unreadable_key_b()
{
    QFETCH(int, trailerCondition);
    QFETCH(bool, useKeyB);
    QFETCH(bool, keyBShown);
    const QByteArray access = accessBits(0, 0, 0, trailerCondition);
    QVERIFY(VR::setBlock(CardId, Trailer1, trailer(KeyA, access, KeyB)));
    QByteArray data;
    QCOMPARE(readBlock(Trailer1, useKeyB ? KeyB : KeyA, &data), int(SimStatus::Ok));
    QCOMPARE(data.left(6), QByteArray(6, '\0'));
    QCOMPARE(data.mid(6, 4), access);
    QCOMPARE(data.mid(10), keyBShown ? keyBytes(KeyB) : QByteArray(6, '\0'));
}

void TestSimCards::trailer_parts_change_only_with_the_right_key_data()
{
    QTest::addColumn<int>("trailerCondition");
    QTest::addColumn<bool>("useKeyB");
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("status");
    const int ok = SimStatus::Ok, refused = SimStatus::WriteRefused;
    QTest::newRow("001 key A changes key A") << 1 << false << "keyA" << ok;
    QTest::newRow("001 key A changes the access bits") << 1 << false << "access" << ok;
    QTest::newRow("000 access bits frozen") << 0 << false << "access" << refused;
    QTest::newRow("011 key A cannot change key A") << 3 << false << "keyA" << refused;
    QTest::newRow("011 key B changes key A") << 3 << true << "keyA" << ok;
    QTest::newRow("011 key B changes the access bits") << 3 << true << "access" << ok;
    QTest::newRow("100 key B cannot change the access bits") << 4 << true << "access" << refused;
    QTest::newRow("100 key B changes key B") << 4 << true << "keyB" << ok;
    QTest::newRow("110 nothing changes") << 6 << true << "keyA" << refused;
    QTest::newRow("110 identical rewrite passes") << 6 << false << "none" << ok;
}

void TestSimCards::trailer_parts_change_only_with_the_right_key()
{
    QFETCH(int, trailerCondition);
    QFETCH(bool, useKeyB);
    QFETCH(QString, part);
    QFETCH(int, status);
    const QByteArray stored = trailer(KeyA, accessBits(0, 0, 0, trailerCondition), KeyB);
    QVERIFY(VR::setBlock(CardId, Trailer1, stored));
    QByteArray written = stored;
    if (part == "keyA")
        written.replace(0, 6, keyBytes(OtherKey));
    else if (part == "keyB")
        written.replace(10, 6, keyBytes(OtherKey));
    else if (part == "access")
        written.replace(6, 4, accessBits(4, 4, 4, 3));
    QCOMPARE(writeBlock(Trailer1, useKeyB ? KeyB : KeyA, written), status);
    QCOMPARE(VR::block(CardId, Trailer1), status == SimStatus::Ok ? written : stored);
}

void TestSimCards::malformed_access_bits_are_refused_and_kill_a_damaged_sector()
{
    const QByteArray before = VR::block(CardId, Trailer1);
    QByteArray bad = trailer(KeyA, QByteArray::fromHex("FF178069"), KeyB);
    QCOMPARE(writeBlock(Trailer1, BuiltinKeys::Transport, bad), int(SimStatus::BadAccessBits));
    QCOMPARE(VR::block(CardId, Trailer1), before);

    // A sector whose bits were damaged behind the reader's back no longer opens.
    QVERIFY(VR::setBlock(CardId, Trailer1, bad));
    QCOMPARE(readBlock(Data1, KeyA), int(SimStatus::AuthFailed));
    QCOMPARE(readBlock(9, BuiltinKeys::Transport), int(SimStatus::Ok)); // sector 2 unharmed
}

void TestSimCards::maker_block_is_read_only()
{
    const QByteArray maker = VR::block(CardId, 0);
    QCOMPARE(maker.left(5), QByteArray::fromHex("0102030404")); // UID and its XOR check byte
    QCOMPARE(writeBlock(0, BuiltinKeys::Transport, Pattern), int(SimStatus::WriteRefused));
    QCOMPARE(VR::block(CardId, 0), maker);
    QByteArray data;
    QCOMPARE(readBlock(0, BuiltinKeys::Transport, &data), int(SimStatus::Ok));
    QCOMPARE(data, maker);
}

void TestSimCards::card_presence_key_and_block_range_are_checked()
{
    QCOMPARE(readBlock(1, OtherKey), int(SimStatus::AuthFailed));
    QCOMPARE(writeBlock(1, OtherKey, Pattern), int(SimStatus::AuthFailed));
    QCOMPARE(VR::block(CardId, 1), QByteArray(16, '\0'));
    QCOMPARE(readBlock(64, BuiltinKeys::Transport), int(SimStatus::NoSuchBlock));

    const QByteArray reply
        = exchange(SimCommand::ReadBlock, QByteArray(1, '\1') + keyBytes(BuiltinKeys::Transport));
    QCOMPARE(reply.mid(1, 4), VR::uidBytes(CardId));

    VR::removeCard();
    QCOMPARE(readBlock(1, BuiltinKeys::Transport), int(SimStatus::NoCard));
    QCOMPARE(exchange(SimCommand::ReadCardId, QByteArray()), QByteArray::fromHex("1000000000"));
    // Only one card lies on the reader: laying another takes the first away.
    const quint32 second = VR::addBlankCard();
    QVERIFY(VR::placeCard(CardId));
    QVERIFY(VR::placeCard(second));
    QCOMPARE(VR::cardOnReader(), std::optional<quint32>(second));
    QVERIFY(!VR::placeCard(0xDEADBEEF));
}

void TestSimCards::broken_or_unknown_requests_get_their_own_status()
{
    QByteArray corrupted = frame(SimCommand::ReadCardId, QByteArray());
    corrupted[6] = char(corrupted[6] ^ 1);
    QCOMPARE(exchangeFrame(corrupted), QByteArray(1, char(SimStatus::BadFrame)));
    QCOMPARE(exchange(0x5599, QByteArray()), QByteArray(1, char(SimStatus::BadCommand)));
    const QByteArray shortRead = exchange(SimCommand::ReadBlock, QByteArray(6, '\xFF'));
    QCOMPARE(shortRead.size(), 21);
    QCOMPARE(int(quint8(shortRead[0])), int(SimStatus::BadCommand));
    QCOMPARE(exchange(SimCommand::ReadDevMem, QByteArray::fromHex("F9010800")).left(1),
        QByteArray(1, char(SimStatus::BadAddress)));
}

QTEST_GUILESS_MAIN(TestSimCards)
#include "test_sim_cards.moc"
