#include "CardCrypto.h"
#include "CardReader.h"
#include "VirtualReader.h"

#include <QtTest>
#include <functional>

namespace VR = VirtualReader;

namespace {

constexpr quint16 Serial = 12345;
const SectorKey WrongKey = { 1, 2, 3, 4, 5, 6 };

QByteArray pattern(int size, int seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(seed + i * 7);
    return bytes;
}

// Runs one reader command with its output arguments preset to a sentinel and
// reports whether the outputs were changed.
struct Command
{
    QString name;
    std::function<int(CardReader&, bool& touched)> run;
};

QList<Command> allCommands()
{
    const quint32 sentinel = 0xA5A5A5A5u;
    const QByteArray marker("sentinel");
    return {
        { "readCardId",
            [=](CardReader& r, bool& touched) {
                quint32 id = sentinel;
                const int result = r.readCardId(id);
                touched = id != sentinel;
                return result;
            } },
        { "readBlocks",
            [=](CardReader& r, bool& touched) {
                quint32 id = sentinel;
                QByteArray data = marker;
                const int result = r.readBlocks(4, 2, BuiltinKeys::Transport, id, data);
                touched = id != sentinel || data != marker;
                return result;
            } },
        { "writeBlocks",
            [=](CardReader& r, bool& touched) {
                quint32 id = sentinel;
                const int result = r.writeBlocks(4, 2, BuiltinKeys::Transport, id, pattern(32, 1));
                touched = id != sentinel;
                return result;
            } },
        { "readDevMem",
            [=](CardReader& r, bool& touched) {
                QByteArray out = marker;
                const int result = r.readDevMem(16, 20, out);
                touched = out != marker;
                return result;
            } },
        { "writeDevMem", [=](CardReader& r, bool&) { return r.writeDevMem(16, pattern(20, 3)); } },
        { "readDevData7",
            [=](CardReader& r, bool& touched) {
                QByteArray out = marker;
                const int result = r.readDevData7(out);
                touched = out != marker;
                return result;
            } },
        { "writeDevData7", [=](CardReader& r, bool&) { return r.writeDevData7(pattern(7, 5)); } },
        { "readDevInfo",
            [=](CardReader& r, bool& touched) {
                ReaderInfo info;
                info.bytes.fill(0xA5);
                const int result = r.readDevInfo(info);
                touched = info.bytes[1] != 0xA5 || info.bytes[3] != 0xA5;
                return result;
            } },
        { "readDevCardParam",
            [=](CardReader& r, bool& touched) {
                QByteArray out = marker;
                const int result = r.readDevCardParam(out);
                touched = out != marker;
                return result;
            } },
        { "writeDevCardParam",
            [=](CardReader& r, bool&) {
                QByteArray param(16, '\0');
                param[0] = 1;
                param[1] = 3;
                return r.writeDevCardParam(param);
            } },
        { "readDevRemain",
            [=](CardReader& r, bool& touched) {
                ReaderRemain remain;
                remain.bytes.fill(0xA5);
                const int result = r.readDevRemain(remain);
                touched = remain.balance() != sentinel;
                return result;
            } },
        { "writeDevRemain",
            [=](CardReader& r, bool&) { return r.writeDevRemain(VR::makeChargeFile(100, Serial, 7)); } },
        { "deductDevRemain",
            [=](CardReader& r, bool&) { return r.deductDevRemain(ReaderRecords::deductRecord(100)); } },
        { "refundDevRemain",
            [=](CardReader& r, bool&) {
                return r.refundDevRemain(ReaderRecords::refundRecord(100, Serial));
            } },
        { "sendPreamble", [=](CardReader& r, bool&) { return r.sendPreamble(); } },
        { "writeSectorVerified",
            [=](CardReader& r, bool&) {
                return r.writeSectorVerified(1, BuiltinKeys::Transport, pattern(16, 9));
            } },
        { "changeSectorKey",
            [=](CardReader& r, bool&) {
                return r.changeSectorKey(1, BuiltinKeys::Transport, BuiltinKeys::DefaultUser);
            } },
    };
}

Command commandNamed(const QString& name)
{
    for (const Command& c : allCommands())
        if (c.name == name)
            return c;
    return {};
}

} // namespace

class TestCardReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void every_command_reports_device_failures_data();
    void every_command_reports_device_failures();
    void reader_records_round_trip_through_the_device();
    void card_blocks_round_trip_with_card_id();
    void reader_balance_follows_deduct_refund_and_charge_files();
    void requests_the_frame_cannot_carry_are_refused_unsent();
    void block_reads_cost_one_exchange_each_and_stop_at_first_failure();
    void block_numbers_wrap_at_255_data();
    void block_numbers_wrap_at_255();
    void verified_write_retries_each_copy_three_times_data();
    void verified_write_retries_each_copy_three_times();
    void sector_key_change_keeps_access_bits();
    void sector_key_change_with_wrong_key_writes_nothing();
    void firmware_packets_go_over_the_open_handle();
    void device_path_is_kept_and_found_again_after_replug();

private:
    void prepareDevice();
    quint32 m_card = 0;
};

void TestCardReader::initTestCase()
{
    VR::useTemporaryState();
}

void TestCardReader::init()
{
    VR::reset();
    prepareDevice();
}

void TestCardReader::prepareDevice()
{
    VR::setSerial(Serial);
    VR::setMode(VR::ShareMode);
    VR::setBalance(100000);
    m_card = VR::addBlankCard(0xD4C3B2A1u);
    QVERIFY(VR::placeCard(m_card));
    VR::resetCounters();
}

void TestCardReader::every_command_reports_device_failures_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("expected");

    const QList<QPair<QString, int>> faults = {
        { "none", ReaderResult::Ok },
        { "unplugged", ReaderResult::NotOpened },
        { "no answer", ReaderResult::Transfer },
        { "corrupted checksum", ReaderResult::Checksum },
        { "status byte", 0x42 },
    };
    for (const Command& c : allCommands())
        for (const auto& fault : faults)
            QTest::addRow("%s, %s", qPrintable(c.name), qPrintable(fault.first))
                << c.name << fault.first << fault.second;
}

void TestCardReader::every_command_reports_device_failures()
{
    QFETCH(QString, command);
    QFETCH(QString, fault);
    QFETCH(int, expected);

    // Faults last for every frame, so the retries of writeSectorVerified end
    // with the same code.
    VR::Fault armed;
    armed.times = -1;
    armed.status = 0x42;
    if (fault == "unplugged")
        VR::setUnplugged(true);
    else if (fault == "no answer")
        armed.kind = VR::Fault::NoAnswer;
    else if (fault == "corrupted checksum")
        armed.kind = VR::Fault::CorruptChecksum;
    else if (fault == "status byte")
        armed.kind = VR::Fault::ForcedStatus;
    if (fault != "none" && fault != "unplugged")
        VR::armFault(armed);

    CardReader reader;
    bool touched = false;
    QCOMPARE(commandNamed(command).run(reader, touched), expected);
    // Outputs are filled on success only.
    if (expected != ReaderResult::Ok)
        QVERIFY(!touched);
    QVERIFY(!reader.isDeviceOpen());
}

void TestCardReader::reader_records_round_trip_through_the_device()
{
    CardReader reader;
    VR::setCheckCode(QByteArray::fromHex("0a1b2c3d4e5f"));
    VR::setFirmwareVersion(0x0203);

    ReaderInfo info;
    QCOMPARE(reader.readDevInfo(info), 0);
    QVERIFY(info.isShareMode());
    QCOMPARE(info.serial(), Serial);
    QCOMPARE(info.checkCodeText(), QStringLiteral("0A1B2C3D4E5F"));

    ReaderRemain remain;
    QCOMPARE(reader.readDevRemain(remain), 0);
    QCOMPARE(remain.balance(), 100000u);
    QCOMPARE(remain.version(), quint16(0x0203));

    QByteArray param(16, '\0');
    param[0] = 1;
    param[1] = 3;
    std::copy(BuiltinKeys::DefaultUser.begin(), BuiltinKeys::DefaultUser.end(), param.begin() + 2);
    QCOMPARE(reader.writeDevCardParam(param), 0);
    QCOMPARE(VR::cardParam(), param);
    QByteArray paramBack;
    QCOMPARE(reader.readDevCardParam(paramBack), 0);
    QCOMPARE(paramBack, param);

    QCOMPARE(reader.writeDevData7(pattern(7, 40)), 0);
    QCOMPARE(VR::data7(), pattern(7, 40));
    QByteArray data7;
    QCOMPARE(reader.readDevData7(data7), 0);
    QCOMPARE(data7, pattern(7, 40));

    // The largest memory transfers each way that fit one frame.
    QCOMPARE(reader.writeDevMem(100, pattern(52, 11)), 0);
    QCOMPARE(VR::deviceMemory(100, 52), pattern(52, 11));
    QByteArray memory;
    QCOMPARE(reader.readDevMem(100, 55, memory), 0);
    QCOMPARE(memory.left(52), pattern(52, 11));
    QCOMPARE(memory.size(), 55);

    QCOMPARE(reader.sendPreamble(), 0);
}

void TestCardReader::card_blocks_round_trip_with_card_id()
{
    CardReader reader;
    quint32 id = 0;
    QCOMPARE(reader.readCardId(id), 0);
    QCOMPARE(id, 0xD4C3B2A1u);

    const QByteArray data = pattern(48, 21);
    id = 0;
    QCOMPARE(reader.writeBlocks(8, 3, BuiltinKeys::Transport, id, data), 0);
    QCOMPARE(id, 0xD4C3B2A1u);
    QCOMPARE(VR::block(m_card, 9), data.mid(16, 16));

    QByteArray back;
    id = 0;
    QCOMPARE(reader.readBlocks(8, 3, BuiltinKeys::Transport, id, back), 0);
    QCOMPARE(id, 0xD4C3B2A1u);
    QCOMPARE(back, data);

    QCOMPARE(reader.readBlocks(8, 0, BuiltinKeys::Transport, id, back), 0);
    QVERIFY(back.isEmpty());
    QCOMPARE(VR::counters().reportsWritten, qint64(1 + 3 + 3));

    QCOMPARE(reader.readBlocks(8, 1, WrongKey, id, back), int(SimStatus::AuthFailed));
    VR::removeCard();
    QCOMPARE(reader.readCardId(id), int(SimStatus::NoCard));
}

void TestCardReader::reader_balance_follows_deduct_refund_and_charge_files()
{
    CardReader reader;
    QCOMPARE(reader.deductDevRemain(ReaderRecords::deductRecord(30000)), 0);
    QCOMPARE(VR::balance(), 70000u);
    QCOMPARE(reader.deductDevRemain(ReaderRecords::deductRecord(70001)), int(SimStatus::BalanceLow));
    QCOMPARE(VR::balance(), 70000u);

    QCOMPARE(reader.refundDevRemain(ReaderRecords::refundRecord(500, Serial)), 0);
    QCOMPARE(VR::balance(), 70500u);
    QCOMPARE(
        reader.refundDevRemain(ReaderRecords::refundRecord(500, Serial + 1)), int(SimStatus::OtherReader));

    const QByteArray chargeFile = VR::makeChargeFile(20000, Serial, 9);
    QCOMPARE(reader.writeDevRemain(chargeFile), 0);
    QCOMPARE(VR::balance(), 90500u);
    QCOMPARE(reader.writeDevRemain(chargeFile), int(SimStatus::ChargeFileUsed));
    QCOMPARE(VR::balance(), 90500u);
}

void TestCardReader::requests_the_frame_cannot_carry_are_refused_unsent()
{
    CardReader reader;
    QCOMPARE(reader.writeDevRemain(QByteArray(57, '\x01')), ReaderResult::Refused);
    QCOMPARE(reader.writeDevMem(0, QByteArray(53, '\x01')), ReaderResult::Refused);
    QByteArray out = "kept";
    QCOMPARE(reader.readDevMem(0, 56, out), ReaderResult::Refused);
    QCOMPARE(out, QByteArray("kept"));
    QCOMPARE(reader.sendFrame(0x5A02, reinterpret_cast<const quint8*>(QByteArray(57, 'x').constData()), 57),
        ReaderResult::Refused);
    quint8 destination[64] = {};
    QCOMPARE(reader.recvFrame(destination, 57), ReaderResult::Refused);
    QCOMPARE(reader.deductDevRemain(QByteArray(15, '\0')), ReaderResult::Refused);
    QCOMPARE(VR::counters().opens + VR::counters().failedOpens + VR::counters().lookups, qint64(0));

    // 56 bytes is still a frame; the device answers for itself.
    QVERIFY(reader.writeDevRemain(QByteArray(56, '\x01')) != ReaderResult::Refused);
    QCOMPARE(VR::counters().reportsWritten, qint64(1));
}

void TestCardReader::block_reads_cost_one_exchange_each_and_stop_at_first_failure()
{
    CardReader reader;
    quint32 id = 0;
    QByteArray data;
    QCOMPARE(reader.readBlocks(4, 3, BuiltinKeys::Transport, id, data), 0);
    QCOMPARE(VR::counters().reportsWritten, qint64(3));
    QCOMPARE(VR::counters().reportsRead, qint64(3));

    VR::resetCounters();
    VR::Fault fault;
    fault.kind = VR::Fault::ForcedStatus;
    fault.command = SimCommand::ReadBlock;
    fault.afterFrames = 1;
    fault.status = 0x42;
    VR::armFault(fault);
    id = 0;
    data = "kept";
    QCOMPARE(reader.readBlocks(4, 3, BuiltinKeys::Transport, id, data), 0x42);
    QCOMPARE(VR::counters().reportsWritten, qint64(2));
    QCOMPARE(id, 0u);
    QCOMPARE(data, QByteArray("kept"));
}

void TestCardReader::block_numbers_wrap_at_255_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::newRow("254, 255, 0") << 254 << 3;
    QTest::newRow("255, 0") << 255 << 2;
}

void TestCardReader::block_numbers_wrap_at_255()
{
    QFETCH(int, start);
    QFETCH(int, count);
    // Blocks beyond the card's 64 are answered with success and zeros by an
    // armed status 0, so only the wrapped block reaches the card.
    VR::Fault fault;
    fault.kind = VR::Fault::ForcedStatus;
    fault.command = SimCommand::ReadBlock;
    fault.times = count - 1;
    fault.status = 0;
    VR::armFault(fault);

    CardReader reader;
    quint32 id = 0;
    QByteArray data;
    QCOMPARE(reader.readBlocks(quint8(start), count, BuiltinKeys::Transport, id, data), 0);
    QCOMPARE(data.size(), 16 * count);
    QCOMPARE(data.right(16), VR::block(m_card, 0));
    QCOMPARE(id, m_card);
}

void TestCardReader::verified_write_retries_each_copy_three_times_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("block2Written");
    QTest::addColumn<bool>("block1Written");
    QTest::addColumn<int>("requests");

    // Each attempt is one write and one read request.
    QTest::newRow("both copies stick") << "none" << true << true << true << 4;
    QTest::newRow("block 2 sticks on the third attempt") << "block 2 lost twice" << true << true << true << 8;
    QTest::newRow("block 2 never sticks") << "block 2 lost" << false << false << false << 6;
    QTest::newRow("block 1 never sticks") << "block 1 lost" << false << true << false << 8;
    QTest::newRow("block 1 refused") << "block 1 refused" << false << true << false << 8;
}

void TestCardReader::verified_write_retries_each_copy_three_times()
{
    QFETCH(QString, fault);
    QFETCH(bool, ok);
    QFETCH(bool, block2Written);
    QFETCH(bool, block1Written);
    QFETCH(int, requests);

    const quint8 sector = 3;
    const int block2 = sector * 4 + 2;
    const int block1 = sector * 4 + 1;
    const QByteArray before1 = VR::block(m_card, block1);
    const QByteArray before2 = VR::block(m_card, block2);
    if (fault == "block 2 lost twice")
        VR::armLostWrite(block2, 2);
    else if (fault == "block 2 lost")
        VR::armLostWrite(block2);
    else if (fault == "block 1 lost")
        VR::armLostWrite(block1);
    else if (fault == "block 1 refused") {
        VR::Fault refused;
        refused.kind = VR::Fault::ForcedStatus;
        refused.command = SimCommand::WriteBlock;
        refused.afterFrames = 1;
        refused.times = -1;
        refused.status = SimStatus::WriteRefused;
        VR::armFault(refused);
    }

    const QByteArray image = pattern(16, 77);
    CardReader reader;
    const int result = reader.writeSectorVerified(sector, BuiltinKeys::Transport, image);
    QCOMPARE(result == 0, ok);
    QCOMPARE(VR::block(m_card, block2), block2Written ? image : before2);
    QCOMPARE(VR::block(m_card, block1), block1Written ? image : before1);
    QCOMPARE(VR::counters().reportsWritten, qint64(requests));
    if (fault == "block 1 refused")
        QCOMPARE(result, int(SimStatus::WriteRefused));
}

void TestCardReader::sector_key_change_keeps_access_bits()
{
    // Transport access bits with a user byte of our own, to see bytes 6 to 9
    // come from the card.
    const QByteArray trailer = QByteArray::fromHex("ffffffffffff"
                                                   "ff078042"
                                                   "ffffffffffff");
    QVERIFY(VR::setBlock(m_card, 7, trailer));

    CardReader reader;
    QCOMPARE(reader.changeSectorKey(1, BuiltinKeys::Transport, BuiltinKeys::DefaultUser), 0);
    QCOMPARE(VR::block(m_card, 7).toHex(),
        QByteArray("7e31c94a0d58"
                   "ff078042"
                   "7e31c94a0d58"));

    quint32 id = 0;
    QByteArray data;
    QCOMPARE(reader.readBlocks(4, 1, BuiltinKeys::DefaultUser, id, data), 0);
    QCOMPARE(reader.readBlocks(4, 1, BuiltinKeys::Transport, id, data), int(SimStatus::AuthFailed));
}

void TestCardReader::sector_key_change_with_wrong_key_writes_nothing()
{
    const QByteArray before = VR::block(m_card, 7);
    CardReader reader;
    QCOMPARE(reader.changeSectorKey(1, WrongKey, BuiltinKeys::DefaultUser), int(SimStatus::AuthFailed));
    QCOMPARE(VR::block(m_card, 7), before);
    QCOMPARE(VR::counters().reportsWritten, qint64(1));
}

void TestCardReader::firmware_packets_go_over_the_open_handle()
{
    VR::setUpgradeOpenRefusals(0);
    CardReader reader;
    QCOMPARE(reader.sendUpgradePacket(0, pattern(52, 1)), ReaderResult::NotOpened);

    QCOMPARE(reader.startUpgrade(2), 0);
    QCOMPARE(reader.recvStatus(), 0);
    QVERIFY(VR::upgradeActive());
    QCOMPARE(VR::announcedPackets(), quint16(2));

    QVERIFY(reader.openDevice());
    const QByteArray image = pattern(52, 1) + pattern(20, 60);
    QCOMPARE(reader.sendUpgradePacket(0, image.left(52)), 0);
    QCOMPARE(reader.recvStatusOpen(), 0);
    QCOMPARE(reader.sendUpgradePacket(0xFFFF, image.mid(52)), 0);
    QCOMPARE(reader.recvStatusOpen(), 0);
    QCOMPARE(reader.sendUpgradePacket(1, QByteArray(55, '\0')), ReaderResult::Refused);
    reader.closeDevice();
    QVERIFY(!reader.isDeviceOpen());
    QCOMPARE(VR::receivedFirmware(), image);
    QVERIFY(VR::firmwareComplete());
    // One open for the start request, one for its answer, one for the packets.
    QCOMPARE(VR::counters().opens, qint64(3));
}

void TestCardReader::device_path_is_kept_and_found_again_after_replug()
{
    CardReader reader;
    quint32 id = 0;
    for (int i = 0; i < 5; ++i)
        QCOMPARE(reader.readCardId(id), 0);
    QCOMPARE(VR::counters().lookups, qint64(1));
    QCOMPARE(VR::counters().opens, qint64(10));

    VR::setUnplugged(true);
    QCOMPARE(reader.readCardId(id), ReaderResult::NotOpened);
    // The kept path failed, so the reader was looked up afresh.
    QCOMPARE(VR::counters().lookups, qint64(2));

    VR::setUnplugged(false);
    QCOMPARE(reader.readCardId(id), 0);
    const qint64 lookups = VR::counters().lookups;
    QCOMPARE(reader.readCardId(id), 0);
    QCOMPARE(VR::counters().lookups, lookups);

    // A reader that refuses its kept path is looked up again, found and kept.
    VR::resetCounters();
    VR::refuseOpens(1);
    QCOMPARE(reader.readCardId(id), 0);
    QCOMPARE(reader.readCardId(id), 0);
    QCOMPARE(VR::counters().lookups, qint64(1));
}

QTEST_GUILESS_MAIN(TestCardReader)
#include "test_cardreader.moc"
