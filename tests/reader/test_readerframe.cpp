#include "CardCrypto.h"
#include "ReaderFrame.h"
#include "ReaderRecords.h"

#include <QtTest>

namespace {

// A 64-byte input report holding a response frame with a correct checksum.
QByteArray report(quint16 command, const QByteArray& payload)
{
    QByteArray r = ReaderFrame::build(command, bytesOf(payload), payload.size());
    r.append(QByteArray(ReaderFrame::MaxFrameSize - r.size(), '\0'));
    return r;
}

void reseal(QByteArray& r)
{
    auto* p = bytesOf(r);
    const int length = readLe16(p + 2);
    quint16 sum = 0;
    for (int i = 0; i < length - 2; ++i)
        sum = quint16(sum + p[i]);
    writeLe16(p + length - 2, sum);
}

} // namespace

class TestReaderFrame : public QObject
{
    Q_OBJECT

private slots:
    void request_frame_bytes_data();
    void request_frame_bytes();
    void oversized_payload_is_refused();
    void response_verification_data();
    void response_verification();
    void expected_length_beyond_report_is_refused();
    void deduct_record_is_plain_with_crc();
    void refund_record_is_encrypted_with_card_key();
    void reader_records_decode_their_fields();
};

void TestReaderFrame::request_frame_bytes_data()
{
    QTest::addColumn<quint16>("command");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("no payload") << quint16(0x5501) << QByteArray() << QByteArray::fromHex("bbaa08000155c301");
    QTest::newRow("block read") << quint16(0x5502) << QByteArray::fromHex("08ffffffffffff")
                                << QByteArray::fromHex("bbaa0f000255"
                                                       "08ffffffffffff"
                                                       "cd07");
    // The sum passes 0xFFFF and wraps.
    const QByteArray ff(56, char(0xFF));
    QByteArray full = QByteArray::fromHex("bbaa4000ffff") + ff;
    const quint16 sum = quint16(0xBB + 0xAA + 0x40 + 0xFF + 0xFF + 56 * 0xFF);
    full.append(char(sum & 0xFF)).append(char(sum >> 8));
    QTest::newRow("56 bytes of FF") << quint16(0xFFFF) << ff << full;
}

void TestReaderFrame::request_frame_bytes()
{
    QFETCH(quint16, command);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, frame);
    QCOMPARE(ReaderFrame::build(command, bytesOf(payload), payload.size()).toHex(), frame.toHex());
}

void TestReaderFrame::oversized_payload_is_refused()
{
    const QByteArray payload(64, '\x11');
    const QByteArray packet = ReaderFrame::build(0xAA02, bytesOf(payload), 54);
    QCOMPARE(packet.size(), 62);
    QCOMPARE(readLe16(bytesOf(packet) + 2), quint16(62));
    QCOMPARE(ReaderFrame::build(0xAA02, bytesOf(payload), 56).size(), 64);
    QVERIFY(ReaderFrame::build(0xAA02, bytesOf(payload), 57).isEmpty());
    QVERIFY(ReaderFrame::build(0xAA02, bytesOf(payload), -1).isEmpty());
}

void TestReaderFrame::response_verification_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("payload");

    const QByteArray info = QByteArray::fromHex("00"
                                                "01"
                                                "3930"
                                                "a1b2c3d4e5f6"
                                                "00000000000000"
                                                "00");
    const QByteArray good = report(0x5801, info);
    QTest::newRow("intact") << good << 17 << 0 << info.left(17);

    QByteArray foreign = good;
    foreign[0] = 0x12;
    foreign[1] = 0x34;
    foreign[4] = 0x77;
    foreign[5] = 0x66;
    reseal(foreign);
    QTest::newRow("header and command differ, checksum matches") << foreign << 17 << 0 << info.left(17);

    // The payload is taken at the expected length whatever the length field
    // says: here the status byte, the checksum C4 01 and padding.
    QTest::newRow("shorter frame than expected")
        << report(0x5501, QByteArray(1, '\0')) << 5 << 0 << QByteArray::fromHex("00c4010000");

    QByteArray altered = good;
    altered[9] = char(altered[9] ^ 0x01);
    QTest::newRow("payload byte altered") << altered << 17 << 4081 << QByteArray(17, '\0');

    QByteArray badSum = good;
    badSum[6 + 17] = char(badSum[6 + 17] + 1);
    QTest::newRow("checksum byte altered") << badSum << 17 << 4081 << QByteArray(17, '\0');

    QTest::newRow("all zeros") << QByteArray(64, '\0') << 5 << 4081 << QByteArray(5, '\0');

    for (const int length : { 0, 7, 65, 0xFFFF }) {
        QByteArray r = good;
        writeLe16(bytesOf(r) + 2, quint16(length));
        QTest::addRow("length field %d", length) << r << 17 << 4081 << QByteArray(17, '\0');
    }

    // A full 64-byte frame keeps its checksum in the report's last two bytes.
    const QByteArray max = report(0x5601, QByteArray(56, '\x5A'));
    QTest::newRow("length field 64") << max << 56 << 0 << QByteArray(56, '\x5A');
}

void TestReaderFrame::response_verification()
{
    QFETCH(QByteArray, response);
    QFETCH(int, expected);
    QFETCH(int, result);
    QFETCH(QByteArray, payload);
    QCOMPARE(response.size(), 64);

    QByteArray destination(expected, '\xEE');
    QCOMPARE(ReaderFrame::verify(bytesOf(response), bytesOf(destination), expected), result);
    QCOMPARE(destination.toHex(), payload.toHex());
}

void TestReaderFrame::expected_length_beyond_report_is_refused()
{
    const QByteArray r = report(0x5601, QByteArray(56, '\x5A'));
    QByteArray destination(64, '\xEE');
    QCOMPARE(ReaderFrame::verify(bytesOf(r), bytesOf(destination), 57), ReaderResult::Refused);
    QCOMPARE(destination, QByteArray(64, '\xEE'));
}

void TestReaderFrame::deduct_record_is_plain_with_crc()
{
    const QByteArray record = ReaderRecords::deductRecord(0x01020304);
    QCOMPARE(record.left(12).toHex(),
        QByteArray("04030201"
                   "0000000000000000"));
    QCOMPARE(readLe32(bytesOf(record) + 12), cardCrc32(bytesOf(record), 12));
}

void TestReaderFrame::refund_record_is_encrypted_with_card_key()
{
    QByteArray record = ReaderRecords::refundRecord(150000, 0x3039, 0xBEEF);
    QCOMPARE(record.size(), 16);
    decryptBlock(bytesOf(record), BuiltinKeys::Card);
    QCOMPARE(record.left(12).toHex(),
        QByteArray("f0490200"
                   "3930"
                   "00000000"
                   "efbe"));
    QCOMPARE(readLe32(bytesOf(record) + 12), cardCrc32(bytesOf(record), 12));

    // Without a given random each record draws a fresh one.
    QSet<QByteArray> randoms;
    for (int i = 0; i < 8; ++i) {
        QByteArray r = ReaderRecords::refundRecord(150000, 0x3039);
        decryptBlock(bytesOf(r), BuiltinKeys::Card);
        QCOMPARE(readLe32(bytesOf(r) + 12), cardCrc32(bytesOf(r), 12));
        randoms.insert(r.mid(10, 2));
    }
    QVERIFY(randoms.size() > 1);
}

void TestReaderFrame::reader_records_decode_their_fields()
{
    ReaderInfo info;
    const QByteArray infoBytes = QByteArray::fromHex("01"
                                                     "3930"
                                                     "0a1b2c3d4e5f"
                                                     "00000000000000");
    std::copy(infoBytes.begin(), infoBytes.end(), info.bytes.begin());
    QVERIFY(info.isShareMode());
    QCOMPARE(info.serial(), quint16(12345));
    QCOMPARE(info.serialText(), QStringLiteral("12345"));
    QCOMPARE(info.checkCodeText(), QStringLiteral("0A1B2C3D4E5F"));
    info.bytes[1] = 7;
    info.bytes[2] = 0;
    QCOMPARE(info.serialText(), QStringLiteral("00007"));

    ReaderRemain remain;
    const QByteArray remainBytes = QByteArray::fromHex("a0860100"
                                                       "ffff"
                                                       "0201"
                                                       "ffffffffffffffff");
    std::copy(remainBytes.begin(), remainBytes.end(), remain.bytes.begin());
    QCOMPARE(remain.balance(), 100000u);
    QCOMPARE(remain.version(), quint16(0x0102));
}

QTEST_GUILESS_MAIN(TestReaderFrame)
#include "test_readerframe.moc"
