#include "CardCrypto.h"
#include "CardReader.h"
#include "ReaderRecords.h"
#include "SimTestSupport.h"

#include <QElapsedTimer>
#include <QtTest>

namespace VR = VirtualReader;

// The reader's own accounts, firmware loader and the faults tests arm, driven
// through the production CardReader.
class TestSimDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VR::useTemporaryState(); }
    void init() { VR::reset(); }

    void deduction_checks_crc_and_balance_data();
    void deduction_checks_crc_and_balance();
    void refund_checks_cipher_crc_and_serial_data();
    void refund_checks_cipher_crc_and_serial();
    void charge_file_loads_once_for_its_own_reader();
    void reader_records_round_trip();
    void upgrade_reenumerates_then_keeps_the_image();
    void upgrade_restarts_from_packet_zero_after_status_3();
    void upgrade_with_fewer_packets_than_announced_is_not_installed();
    void read_faults_show_as_transfer_and_checksum_errors();
    void forced_status_skips_the_command();
    void unplugged_reader_fails_opens_and_stale_handles();
    void card_taken_away_mid_command();
    void lost_write_fails_verified_write_of_that_block_only();
    void counters_and_lookup_delay_model_the_bus();

private:
    CardReader m_reader;
};

void TestSimDevice::deduction_checks_crc_and_balance_data()
{
    QTest::addColumn<quint32>("amount");
    QTest::addColumn<bool>("tamper");
    QTest::addColumn<int>("result");
    QTest::addColumn<quint32>("balanceAfter");
    QTest::newRow("part of the balance") << 400u << false << 0 << 600u;
    QTest::newRow("the whole balance") << 1000u << false << 0 << 0u;
    QTest::newRow("one fen more than the balance") << 1001u << false << int(SimStatus::BalanceLow) << 1000u;
    QTest::newRow("amount changed after the crc") << 10u << true << int(SimStatus::BadRecord) << 1000u;
}

void TestSimDevice::deduction_checks_crc_and_balance()
{
    QFETCH(quint32, amount);
    QFETCH(bool, tamper);
    QFETCH(int, result);
    QFETCH(quint32, balanceAfter);
    VR::setMode(VR::ShareMode);
    VR::setBalance(1000);
    QByteArray record = ReaderRecords::deductRecord(amount);
    if (tamper)
        record[0] = char(record[0] + 1);
    QCOMPARE(m_reader.deductDevRemain(record), result);
    QCOMPARE(VR::balance(), balanceAfter);
}

void TestSimDevice::refund_checks_cipher_crc_and_serial_data()
{
    QTest::addColumn<quint16>("serial");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("result");
    QTest::addColumn<quint32>("balanceAfter");
    QTest::newRow("own serial") << quint16(77) << "" << 0 << 1250u;
    QTest::newRow("another reader's serial") << quint16(78) << "" << int(SimStatus::OtherReader) << 1000u;
    QTest::newRow("cipher byte flipped") << quint16(77) << "cipher" << int(SimStatus::BadRecord) << 1000u;
    QTest::newRow("sent unencrypted") << quint16(77) << "plain" << int(SimStatus::BadRecord) << 1000u;
}

void TestSimDevice::refund_checks_cipher_crc_and_serial()
{
    QFETCH(quint16, serial);
    QFETCH(QString, damage);
    QFETCH(int, result);
    QFETCH(quint32, balanceAfter);
    VR::setSerial(77);
    VR::setBalance(1000);
    QByteArray record = ReaderRecords::refundRecord(250, serial, 0x1234);
    if (damage == "cipher")
        record[5] = char(record[5] ^ 0x40);
    if (damage == "plain")
        decryptBlock(reinterpret_cast<quint8*>(record.data()), BuiltinKeys::Card);
    QCOMPARE(m_reader.refundDevRemain(record), result);
    QCOMPARE(VR::balance(), balanceAfter);
}

void TestSimDevice::charge_file_loads_once_for_its_own_reader()
{
    VR::setSerial(321);
    VR::setBalance(5);
    const QByteArray file = VR::makeChargeFile(10005, 321, 7);
    QCOMPARE(file.size(), 32);
    QCOMPARE(m_reader.writeDevRemain(file), 0);
    QCOMPARE(VR::balance(), 10010u);
    QCOMPARE(VR::usedChargeVersions(), QList<quint16> { 7 });

    // The same version again, even in a freshly made file, is a replay.
    QCOMPARE(m_reader.writeDevRemain(file), int(SimStatus::ChargeFileUsed));
    QCOMPARE(m_reader.writeDevRemain(VR::makeChargeFile(99, 321, 7)), int(SimStatus::ChargeFileUsed));
    QCOMPARE(m_reader.writeDevRemain(VR::makeChargeFile(100, 322, 8)), int(SimStatus::OtherReader));
    QCOMPARE(m_reader.writeDevRemain(file.left(31)), int(SimStatus::BadCommand));
    QCOMPARE(VR::balance(), 10010u);
    QCOMPARE(m_reader.writeDevRemain(VR::makeChargeFile(90, 321, 8)), 0);
    QCOMPARE(VR::balance(), 10100u);
    QCOMPARE(VR::usedChargeVersions(), (QList<quint16> { 7, 8 }));
    // A top-up that would overflow the 32-bit balance is refused whole.
    QCOMPARE(m_reader.writeDevRemain(VR::makeChargeFile(0xFFFFFFF0u, 321, 9)), int(SimStatus::BadRecord));
    QCOMPARE(VR::balance(), 10100u);
}

void TestSimDevice::reader_records_round_trip()
{
    VR::setMode(VR::ShareMode);
    VR::setSerial(4242);
    VR::setCheckCode(QByteArray::fromHex("A1B2C3D4E5F6"));
    VR::setBalance(123456);
    VR::setFirmwareVersion(9);
    ReaderInfo info;
    QCOMPARE(m_reader.readDevInfo(info), 0);
    QVERIFY(info.isShareMode());
    QCOMPARE(info.serial(), quint16(4242));
    QCOMPARE(info.checkCodeText(), QString("A1B2C3D4E5F6"));
    ReaderRemain remain;
    QCOMPARE(m_reader.readDevRemain(remain), 0);
    QCOMPARE(remain.balance(), 123456u);
    QCOMPARE(remain.version(), quint16(9));

    const QByteArray param = QByteArray::fromHex("0105") + QByteArray(6, '\x7E') + QByteArray(8, '\0');
    QCOMPARE(m_reader.writeDevCardParam(param), 0);
    QByteArray back;
    QCOMPARE(m_reader.readDevCardParam(back), 0);
    QCOMPARE(back, param);
    QCOMPARE(m_reader.writeDevData7(QByteArray("ABCDEFG")), 0);
    QCOMPARE(m_reader.readDevData7(back), 0);
    QCOMPARE(back, QByteArray("ABCDEFG"));
    QCOMPARE(m_reader.writeDevMem(500, QByteArray("twelve bytes")), 0);
    QCOMPARE(m_reader.readDevMem(500, 12, back), 0);
    QCOMPARE(back, QByteArray("twelve bytes"));
    QCOMPARE(m_reader.writeDevMem(501, QByteArray("twelve bytes")), int(SimStatus::BadAddress));
    QCOMPARE(m_reader.sendPreamble(), 0);
}

namespace {
QByteArray firmwareImage(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char(i * 7 + 3);
    return image;
}
} // namespace

void TestSimDevice::upgrade_reenumerates_then_keeps_the_image()
{
    VR::setUpgradeOpenRefusals(3);
    const QByteArray image = firmwareImage(130); // packets 0, 1 and a final 26 bytes
    QCOMPARE(m_reader.startUpgrade(3), 0);
    QCOMPARE(m_reader.recvStatus(), 0); // the answer still comes before the loader drops off
    QVERIFY(VR::upgradeActive());
    int failures = 0;
    while (!m_reader.openDevice() && failures < 10)
        ++failures;
    QVERIFY(failures > 0 && failures < 10); // gone for a while, then back
    QCOMPARE(VR::refusedOpensLeft(), 0);
    for (int index = 0; index < 2; ++index) {
        QCOMPARE(m_reader.sendUpgradePacket(quint16(index), image.mid(index * 52, 52)), 0);
        QCOMPARE(m_reader.recvStatusOpen(), 0);
    }
    QCOMPARE(m_reader.sendUpgradePacket(0xFFFF, image.mid(104)), 0);
    m_reader.closeDevice();
    QCOMPARE(VR::receivedFirmware(), image);
    QVERIFY(VR::firmwareComplete());
    QVERIFY(!VR::upgradeActive());
    QCOMPARE(VR::firmwareVersion(), quint16(2));
}

void TestSimDevice::upgrade_restarts_from_packet_zero_after_status_3()
{
    VR::setUpgradeOpenRefusals(0);
    const QByteArray image = firmwareImage(200); // 3 full packets and 44 bytes
    QCOMPARE(m_reader.startUpgrade(4), 0);
    QCOMPARE(m_reader.recvStatus(), 0);
    VR::armUpgradeRestart(2);
    QVERIFY(m_reader.openDevice());
    const auto send = [&](int index) {
        QCOMPARE(m_reader.sendUpgradePacket(quint16(index), image.mid(index * 52, 52)), 0);
    };
    send(0);
    QCOMPARE(m_reader.recvStatusOpen(), 0);
    send(1);
    QCOMPARE(m_reader.recvStatusOpen(), 0);
    send(2);
    QCOMPARE(m_reader.recvStatusOpen(), int(SimStatus::UpgradeRestart));
    QCOMPARE(VR::receivedFirmware(), QByteArray());
    // Skipping ahead is out of sequence too.
    send(1);
    QCOMPARE(m_reader.recvStatusOpen(), int(SimStatus::UpgradeRestart));
    for (int index = 0; index < 3; ++index) {
        send(index);
        QCOMPARE(m_reader.recvStatusOpen(), 0);
    }
    QCOMPARE(m_reader.sendUpgradePacket(0xFFFF, image.mid(156)), 0);
    m_reader.closeDevice();
    QCOMPARE(VR::receivedFirmware(), image);
    QVERIFY(VR::firmwareComplete());
}

void TestSimDevice::upgrade_with_fewer_packets_than_announced_is_not_installed()
{
    VR::setUpgradeOpenRefusals(0);
    QCOMPARE(m_reader.sendUpgradePacket(0, QByteArray(52, 'x')), int(ReaderResult::NotOpened));
    QVERIFY(m_reader.openDevice());
    QCOMPARE(m_reader.sendUpgradePacket(0, QByteArray(52, 'x')), 0);
    QCOMPARE(m_reader.recvStatusOpen(), int(SimStatus::NotUpgrading));
    m_reader.closeDevice();

    QCOMPARE(m_reader.startUpgrade(3), 0);
    QCOMPARE(m_reader.recvStatus(), 0);
    QVERIFY(m_reader.openDevice());
    QCOMPARE(m_reader.sendUpgradePacket(0xFFFF, QByteArray(10, 'y')), 0);
    m_reader.closeDevice();
    QVERIFY(!VR::firmwareComplete());
    QCOMPARE(VR::firmwareVersion(), quint16(1));
    QCOMPARE(VR::receivedFirmware(), QByteArray(10, 'y'));
}

void TestSimDevice::read_faults_show_as_transfer_and_checksum_errors()
{
    const quint32 card = VR::addBlankCard();
    VR::placeCard(card);
    quint32 id = 0;
    VR::armNoAnswer();
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(m_reader.readCardId(id), int(ReaderResult::Transfer));
    QVERIFY(timer.elapsed() < 400); // no real time-out unless one is configured
    QCOMPARE(m_reader.readCardId(id), 0);
    QCOMPARE(id, card);

    VR::armCorruptChecksum(1);
    QCOMPARE(m_reader.readCardId(id), 0);
    id = 0;
    QCOMPARE(m_reader.readCardId(id), int(ReaderResult::Checksum));
    QCOMPARE(m_reader.readCardId(id), 0);

    // A read with nothing pending waits the configured no-answer time.
    VR::setDelays(VR::Delays { 0, 0, 60 });
    VR::armNoAnswer(0, SimCommand::ReadDevInfo);
    ReaderInfo info;
    QCOMPARE(m_reader.readCardId(id), 0); // other commands are not hit
    timer.restart();
    QCOMPARE(m_reader.readDevInfo(info), int(ReaderResult::Transfer));
    QVERIFY(timer.elapsed() >= 55);
    QVERIFY(VR::armedFaults().isEmpty());
}

void TestSimDevice::forced_status_skips_the_command()
{
    VR::setBalance(500);
    VR::armStatus(0x42, SimCommand::DeductDevRemain);
    QCOMPARE(m_reader.sendPreamble(), 0);
    QCOMPARE(m_reader.deductDevRemain(ReaderRecords::deductRecord(100)), 0x42);
    QCOMPARE(VR::balance(), 500u);
    QCOMPARE(m_reader.deductDevRemain(ReaderRecords::deductRecord(100)), 0);
    QCOMPARE(VR::balance(), 400u);
}

void TestSimDevice::unplugged_reader_fails_opens_and_stale_handles()
{
    hid_device* held = hid_open_path(VR::DevicePath);
    QVERIFY(held);
    VR::setUnplugged(true);
    QCOMPARE(m_reader.sendPreamble(), int(ReaderResult::NotOpened));
    QVERIFY(!hid_enumerate(VR::VendorId, VR::ProductId));
    QCOMPARE(SimTest::send(held, SimTest::frame(SimCommand::SendPreamble, QByteArray())), -1);
    VR::setUnplugged(false);
    // Replugged: the old handle stays dead, fresh opens work.
    QCOMPARE(SimTest::send(held, SimTest::frame(SimCommand::SendPreamble, QByteArray())), -1);
    hid_close(held);
    QCOMPARE(m_reader.sendPreamble(), 0);

    VR::unplugAfterFrames(1);
    QCOMPARE(m_reader.sendPreamble(), 0);
    QCOMPARE(m_reader.sendPreamble(), int(ReaderResult::Transfer)); // the write itself fails
    QVERIFY(VR::isUnplugged());
    QCOMPARE(m_reader.sendPreamble(), int(ReaderResult::NotOpened));

    VR::setUnplugged(false);
    VR::refuseOpens(2);
    QCOMPARE(m_reader.sendPreamble(), int(ReaderResult::NotOpened));
    QCOMPARE(m_reader.sendPreamble(), int(ReaderResult::NotOpened));
    QCOMPARE(m_reader.sendPreamble(), 0);
}

void TestSimDevice::card_taken_away_mid_command()
{
    const quint32 card = VR::addBlankCard();
    VR::placeCard(card);
    VR::removeCardAfterFrames(1);
    quint32 id = 0;
    QByteArray data;
    QCOMPARE(m_reader.readBlocks(4, 3, BuiltinKeys::Transport, id, data), int(SimStatus::NoCard));
    QCOMPARE(VR::cardOnReader(), std::nullopt);
    QCOMPARE(VR::counters().reportsWritten, qint64(2)); // stopped at the first failure
}

void TestSimDevice::lost_write_fails_verified_write_of_that_block_only()
{
    const quint32 card = VR::addBlankCard();
    VR::placeCard(card);
    VR::armLostWrite(5);
    const QByteArray image = QByteArray::fromHex("0102030405060708090A0B0C0D0E0F10");
    QVERIFY(m_reader.writeSectorVerified(1, BuiltinKeys::Transport, image) != 0);
    QCOMPARE(VR::block(card, 6), image);
    QCOMPARE(VR::block(card, 5), QByteArray(16, '\0'));
    // One attempt for block 6, three for block 5, each a write and a read-back.
    QCOMPARE(VR::counters().reportsWritten, qint64(8));

    VR::clearFaults();
    QCOMPARE(m_reader.writeSectorVerified(1, BuiltinKeys::Transport, image), 0);
    QCOMPARE(VR::block(card, 5), image);
}

void TestSimDevice::counters_and_lookup_delay_model_the_bus()
{
    quint32 id;
    CardReader fresh; // no device path remembered yet
    QCOMPARE(fresh.readCardId(id), int(SimStatus::NoCard));
    const VR::Counters n = VR::counters();
    QCOMPARE(n.reportsWritten, qint64(1));
    QCOMPARE(n.reportsRead, qint64(1));
    QCOMPARE(n.opens, qint64(2));
    QVERIFY(n.lookups >= 1);

    VR::setDelays(VR::Delays { 40, 0, 0 });
    QElapsedTimer timer;
    timer.start();
    hid_free_enumeration(hid_enumerate(VR::VendorId, VR::ProductId));
    QVERIFY(timer.elapsed() >= 35);
    VR::resetCounters();
    QCOMPARE(VR::counters().opens, qint64(0));
}

QTEST_GUILESS_MAIN(TestSimDevice)
#include "test_sim_device.moc"
