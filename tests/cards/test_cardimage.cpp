#include "BindBlock.h"
#include "CardCrypto.h"
#include "CardImage.h"

#include <QtTest>

namespace {

constexpr quint32 CardId = 0xD4C3B2A1u;
constexpr quint32 Limit = 100000;

QByteArray decrypt(QByteArray block)
{
    decryptBlock(reinterpret_cast<quint8*>(block.data()), BuiltinKeys::Card);
    return block;
}

QByteArray encrypt(QByteArray block)
{
    encryptBlock(reinterpret_cast<quint8*>(block.data()), BuiltinKeys::Card);
    return block;
}

} // namespace

Q_DECLARE_METATYPE(CardImageCheck::Outcome)
Q_DECLARE_METATYPE(CardImageCheck::Source)

class TestCardImage : public QObject
{
    Q_OBJECT

private slots:
    void image_layout_is_encrypted_with_crc_and_fresh_random();
    void image_check_outcomes_data();
    void image_check_outcomes();
    void image_stored_unencrypted_is_invalid();
    void bind_block_reading_data();
    void bind_block_reading();
    void bind_block_layout();
};

void TestCardImage::image_layout_is_encrypted_with_crc_and_fresh_random()
{
    const QByteArray cipher = makeCardImage(12345, CardId, 0x5A);
    QCOMPARE(cipher.size(), 16);
    const QByteArray plain = decrypt(cipher);
    QCOMPARE(plain.mid(0, 4).toHex(), QByteArray("39300000"));
    QCOMPARE(plain.mid(4, 4).toHex(), QByteArray("a1b2c3d4"));
    QCOMPARE(quint8(plain[10]), quint8(1));
    QCOMPARE(quint8(plain[11]), quint8(0x5A));
    const auto* p = reinterpret_cast<const quint8*>(plain.constData());
    QCOMPARE(readLe32(p + 12), cardCrc32(p, 12));

    // The random field changes between writes, so the cipher bytes do too.
    QSet<QByteArray> randoms;
    for (int i = 0; i < 8; ++i)
        randoms.insert(decrypt(makeCardImage(12345, CardId, 0x5A)).mid(8, 2));
    QVERIFY(randoms.size() > 1);
}

void TestCardImage::image_check_outcomes_data()
{
    QTest::addColumn<QByteArray>("block2");
    QTest::addColumn<QByteArray>("block1");
    QTest::addColumn<quint32>("readerId");
    QTest::addColumn<CardImageCheck::Outcome>("outcome");
    QTest::addColumn<CardImageCheck::Source>("source");
    QTest::addColumn<quint32>("balance");

    const QByteArray good = makeCardImage(5000, CardId, 0);
    const QByteArray older = makeCardImage(4000, CardId, 0);
    QByteArray torn = good;
    torn[3] = char(torn[3] ^ 0x40);

    QTest::newRow("main copy") << good << older << CardId << CardImageCheck::Accepted
                               << CardImageCheck::Block2 << 5000u;
    QTest::newRow("torn block 2 read from block 1")
        << torn << older << CardId << CardImageCheck::Accepted << CardImageCheck::Block1 << 4000u;
    QTest::newRow("block 2 of zeros read from block 1")
        << QByteArray(16, '\0') << older << CardId << CardImageCheck::Accepted << CardImageCheck::Block1
        << 4000u;
    QTest::newRow("both copies bad") << torn << torn << CardId << CardImageCheck::Invalid
                                     << CardImageCheck::None << 0u;
    QTest::newRow("blank card") << QByteArray(16, '\0') << QByteArray(16, '\0') << CardId
                                << CardImageCheck::Invalid << CardImageCheck::None << 0u;
    QTest::newRow("short blocks") << good.left(15) << QByteArray() << CardId << CardImageCheck::Invalid
                                  << CardImageCheck::None << 0u;
    QTest::newRow("copied onto another card")
        << good << good << 0x11223344u << CardImageCheck::IdMismatch << CardImageCheck::Block2 << 5000u;
    QTest::newRow("balance at the limit") << makeCardImage(Limit, CardId, 0) << QByteArray() << CardId
                                          << CardImageCheck::Accepted << CardImageCheck::Block2 << Limit;
    QTest::newRow("one fen above the limit")
        << makeCardImage(Limit + 1, CardId, 0) << QByteArray() << CardId << CardImageCheck::BalanceAboveLimit
        << CardImageCheck::Block2 << Limit + 1;
    // Unsigned comparison: a top-bit balance is far above the limit, not negative.
    QTest::newRow("top-bit balance") << makeCardImage(0x80000000u, CardId, 0) << QByteArray() << CardId
                                     << CardImageCheck::BalanceAboveLimit << CardImageCheck::Block2
                                     << 0x80000000u;
}

void TestCardImage::image_check_outcomes()
{
    QFETCH(QByteArray, block2);
    QFETCH(QByteArray, block1);
    QFETCH(quint32, readerId);
    QFETCH(CardImageCheck::Outcome, outcome);
    QFETCH(CardImageCheck::Source, source);
    QFETCH(quint32, balance);

    const CardImageCheck check = checkCardImage(block2, block1, readerId, Limit);
    QCOMPARE(check.outcome, outcome);
    QCOMPARE(check.source, source);
    QCOMPARE(check.image.balance, balance);
    if (source != CardImageCheck::None)
        QCOMPARE(check.image.id, CardId);
}

void TestCardImage::image_stored_unencrypted_is_invalid()
{
    // A plain image with a correct crc, stored without encryption, must not
    // pass: the crc is checked on the decrypted bytes.
    CardImage image;
    image.balance = 100;
    image.id = CardId;
    QByteArray plain = image.toBytes();
    image.crc = cardCrc32(reinterpret_cast<const quint8*>(plain.constData()), 12);
    plain = image.toBytes();
    QCOMPARE(checkCardImage(plain, plain, CardId, Limit).outcome, CardImageCheck::Invalid);
    QCOMPARE(checkCardImage(encrypt(plain), plain, CardId, Limit).outcome, CardImageCheck::Accepted);
}

void TestCardImage::bind_block_reading_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("bound");
    QTest::addColumn<quint32>("post");
    QTest::addColumn<quint16>("post16");
    QTest::addColumn<quint8>("port");

    QByteArray damaged = makeBindBlock(1234, 3);
    damaged[4] = char(damaged[4] ^ 1);

    QTest::newRow("post and port") << makeBindBlock(1234, 3) << true << 1234u << quint16(1234) << quint8(3);
    QTest::newRow("post above 16 bits")
        << makeBindBlock(70000, 0) << true << 70000u << quint16(4464) << quint8(0);
    QTest::newRow("post 0 is not bound") << makeBindBlock(0, 5) << false << 0u << quint16(0) << quint8(0);
    QTest::newRow("sixteen zeros") << QByteArray(16, '\0') << false << 0u << quint16(0) << quint8(0);
    QTest::newRow("bad crc") << damaged << false << 0u << quint16(0) << quint8(0);
    QTest::newRow("short block") << makeBindBlock(1234, 3).left(12) << false << 0u << quint16(0) << quint8(0);
}

void TestCardImage::bind_block_reading()
{
    QFETCH(QByteArray, block);
    QFETCH(bool, bound);
    QFETCH(quint32, post);
    QFETCH(quint16, post16);
    QFETCH(quint8, port);

    const Binding binding = readBinding(block);
    QCOMPARE(binding.bound, bound);
    QCOMPARE(binding.post, post);
    QCOMPARE(binding.post16, post16);
    QCOMPARE(binding.port, port);
}

void TestCardImage::bind_block_layout()
{
    QCOMPARE(makeBindBlock(0, 0), QByteArray(16, '\0'));
    const QByteArray block = makeBindBlock(70000, 16);
    QCOMPARE(block.left(12).toHex(),
        QByteArray("7011100070110100"
                   "00000000"));
    const auto* p = reinterpret_cast<const quint8*>(block.constData());
    QCOMPARE(readLe32(p + 12), cardCrc32(p, 12));
}

QTEST_GUILESS_MAIN(TestCardImage)
#include "test_cardimage.moc"
