#include "CardCrypto.h"

#include <QtTest>

class TestCardCrypto : public QObject
{
    Q_OBJECT

private slots:
    void crc_matches_reference_vectors_data();
    void crc_matches_reference_vectors();
    void aes_matches_fips197_vector();
    void aes_round_trips_with_builtin_keys();
    void key_text_conversion_data();
    void key_text_conversion();
    void key_is_shown_as_uppercase_pairs();
    void card_number_reverses_id_bytes();
    void card_id_text_is_eight_uppercase_digits();
    void money_text_has_two_fen_digits_data();
    void money_text_has_two_fen_digits();
    void default_user_key_equals_its_text();
};

void TestCardCrypto::crc_matches_reference_vectors_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<quint32>("crc");
    QTest::newRow("empty") << QByteArray() << 0xFFFFFFFFu;
    QTest::newRow("abc") << QByteArray("abc") << 0x9C518B2Cu;
    QTest::newRow("twelve zeros") << QByteArray(12, '\0') << 0x5632EEB0u;
}

void TestCardCrypto::crc_matches_reference_vectors()
{
    QFETCH(QByteArray, input);
    QFETCH(quint32, crc);
    QCOMPARE(cardCrc32(input), crc);
}

void TestCardCrypto::aes_matches_fips197_vector()
{
    // FIPS-197 appendix C.1.
    const CipherKey key
        = { 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f };
    QByteArray block = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    encryptBlock(reinterpret_cast<quint8*>(block.data()), key);
    QCOMPARE(block.toHex(), QByteArray("69c4e0d86a7b0430d8cdb78070b4c55a"));
    decryptBlock(reinterpret_cast<quint8*>(block.data()), key);
    QCOMPARE(block.toHex(), QByteArray("00112233445566778899aabbccddeeff"));
}

void TestCardCrypto::aes_round_trips_with_builtin_keys()
{
    for (const CipherKey& key : { BuiltinKeys::Card, BuiltinKeys::ChargeFile }) {
        QByteArray block = QByteArray::fromHex("0102030405060708090a0b0c0d0e0f10");
        const QByteArray plain = block;
        encryptBlock(reinterpret_cast<quint8*>(block.data()), key);
        QVERIFY(block != plain);
        decryptBlock(reinterpret_cast<quint8*>(block.data()), key);
        QCOMPARE(block, plain);
    }
    QVERIFY(BuiltinKeys::Card != BuiltinKeys::ChargeFile);
}

void TestCardCrypto::key_text_conversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("twelveDigits");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("upper") << "7E31C94A0D58" << true << true << QByteArray::fromHex("7E31C94A0D58");
    QTest::newRow("lower") << "7e31c94a0d58" << true << true << QByteArray::fromHex("7E31C94A0D58");
    QTest::newRow("empty") << "" << false << false << QByteArray();
    QTest::newRow("odd length") << "7E31C94A0D5" << false << false << QByteArray();
    QTest::newRow("letter G") << "7E31C94A0D5G" << false << false << QByteArray();
    QTest::newRow("space") << "7E31C94A0D 8" << false << false << QByteArray();
    QTest::newRow("too long") << "7E31C94A0D5800" << false << false << QByteArray();
    QTest::newRow("short even") << "7E31" << true << false << QByteArray();
}

void TestCardCrypto::key_text_conversion()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(bool, twelveDigits);
    QFETCH(QByteArray, bytes);
    SectorKey key {};
    QCOMPARE(keyFromHex(text, key), accepted);
    QCOMPARE(isValidKeyText(text), twelveDigits);
    if (twelveDigits)
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(key.data()), 6), bytes);
}

void TestCardCrypto::key_is_shown_as_uppercase_pairs()
{
    QCOMPARE(keyToHex({ 0x0a, 0xbc, 0x00, 0xff, 0x10, 0x01 }), QStringLiteral("0ABC00FF1001"));
}

void TestCardCrypto::card_number_reverses_id_bytes()
{
    // Id bytes A1 B2 C3 D4 arrive as the little-endian value 0xD4C3B2A1.
    QCOMPARE(cardNumber(0xD4C3B2A1u), 2712847316u);
    QCOMPARE(cardNumber(0xFFFFFFFFu), 4294967295u);
    QCOMPARE(cardNumber(cardNumber(0x12345678u)), 0x12345678u);
}

void TestCardCrypto::card_id_text_is_eight_uppercase_digits()
{
    QCOMPARE(cardIdText(0x00A1B2C3u), QStringLiteral("00A1B2C3"));
    QCOMPARE(cardIdText(0u), QStringLiteral("00000000"));
    QCOMPARE(cardIdText(0xFFFFFFFFu), QStringLiteral("FFFFFFFF"));
}

void TestCardCrypto::money_text_has_two_fen_digits_data()
{
    QTest::addColumn<quint32>("fen");
    QTest::addColumn<QString>("text");
    QTest::newRow("654321") << 654321u << "6543.21";
    QTest::newRow("5") << 5u << "0.05";
    QTest::newRow("0") << 0u << "0.00";
    QTest::newRow("1005") << 1005u << "10.05";
    QTest::newRow("100000") << 100000u << "1000.00";
    QTest::newRow("u32 max") << 4294967295u << "42949672.95";
}

void TestCardCrypto::money_text_has_two_fen_digits()
{
    QFETCH(quint32, fen);
    QFETCH(QString, text);
    QCOMPARE(moneyText(fen), text);
}

void TestCardCrypto::default_user_key_equals_its_text()
{
    SectorKey key {};
    QVERIFY(keyFromHex(BuiltinKeys::DefaultUserKeyText, key));
    QCOMPARE(key, BuiltinKeys::DefaultUser);
}

QTEST_GUILESS_MAIN(TestCardCrypto)
#include "test_cardcrypto.moc"
