#include "CardReader.h"
#include "FirmwarePackets.h"
#include "FirmwareUploader.h"
#include "VirtualReader.h"

#include <QtTest>

namespace {

QByteArray imageOf(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 31 + 7) & 0xFF);
    return image;
}

FirmwareUploader::Options quick()
{
    FirmwareUploader::Options options;
    options.startDelayMs = 0;
    options.maxFailedStatusReads = 4;
    options.maxRestarts = 3;
    return options;
}

} // namespace

class TestFirmwareUpload : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void file_is_cut_into_numbered_packets_and_a_final_one_data();
    void file_is_cut_into_numbered_packets_and_a_final_one();
    void only_files_the_count_can_announce_are_accepted_data();
    void only_files_the_count_can_announce_are_accepted();
    void reader_receives_the_file_byte_for_byte_data();
    void reader_receives_the_file_byte_for_byte();
    void restart_request_sends_again_from_packet_0_data();
    void restart_request_sends_again_from_packet_0();
    void reader_that_keeps_restarting_ends_the_transfer();
    void unanswered_packet_ends_the_transfer_data();
    void unanswered_packet_ends_the_transfer();
    void cancel_stops_between_packets();
    void cancel_stops_the_wait_for_a_silent_reader();

private:
    void enterUpgrade(qint64 size);
    CardReader m_reader;
};

void TestFirmwareUpload::init()
{
    VirtualReader::reset();
    VirtualReader::setUpgradeOpenRefusals(0);
}

void TestFirmwareUpload::enterUpgrade(qint64 size)
{
    QCOMPARE(m_reader.startUpgrade(FirmwarePackets::countFor(size)), 0);
    QCOMPARE(m_reader.recvStatus(), 0);
    QVERIFY(m_reader.openDevice());
    VirtualReader::resetCounters();
}

void TestFirmwareUpload::file_is_cut_into_numbered_packets_and_a_final_one_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("indexes");
    QTest::addColumn<QList<int>>("lengths");
    QTest::newRow("104 bytes") << 104 << QList<int> { 0, 0xFFFF } << QList<int> { 52, 52 };
    QTest::newRow("53 bytes") << 53 << QList<int> { 0, 0xFFFF } << QList<int> { 52, 1 };
    QTest::newRow("10 bytes") << 10 << QList<int> { 0xFFFF } << QList<int> { 10 };
    QTest::newRow("52 bytes") << 52 << QList<int> { 0xFFFF } << QList<int> { 52 };
    QTest::newRow("200 bytes") << 200 << QList<int> { 0, 1, 2, 0xFFFF } << QList<int> { 52, 52, 52, 44 };
}

void TestFirmwareUpload::file_is_cut_into_numbered_packets_and_a_final_one()
{
    QFETCH(int, size);
    QFETCH(QList<int>, indexes);
    QFETCH(QList<int>, lengths);
    const QByteArray image = imageOf(size);
    const FirmwarePackets packets(image);
    QCOMPARE(packets.count(), indexes.size());
    QByteArray joined;
    for (int i = 0; i < packets.count(); ++i) {
        QCOMPARE(int(packets.indexOf(i)), indexes[i]);
        QCOMPARE(packets.dataOf(i).size(), lengths[i]);
        joined += packets.dataOf(i);
    }
    QCOMPARE(joined, image);
}

void TestFirmwareUpload::only_files_the_count_can_announce_are_accepted_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty") << qint64(0) << false;
    QTest::newRow("one byte") << qint64(1) << true;
    QTest::newRow("65535 packets") << qint64(52) * 65535 << true;
    QTest::newRow("one byte more") << qint64(52) * 65535 + 1 << false;
}

void TestFirmwareUpload::only_files_the_count_can_announce_are_accepted()
{
    QFETCH(qint64, size);
    QFETCH(bool, accepted);
    QCOMPARE(FirmwarePackets::sizeAcceptable(size), accepted);
    if (accepted)
        QVERIFY(FirmwarePackets::countFor(size) >= 1);
}

void TestFirmwareUpload::reader_receives_the_file_byte_for_byte_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<qint64>>("progress");
    QTest::newRow("10 bytes") << 10 << QList<qint64> {};
    QTest::newRow("53 bytes") << 53 << QList<qint64> { 52 };
    QTest::newRow("104 bytes") << 104 << QList<qint64> { 52 };
    QTest::newRow("200 bytes") << 200 << QList<qint64> { 52, 104, 156 };
    QTest::newRow("4 KiB") << 4096 << QList<qint64> {};
}

void TestFirmwareUpload::reader_receives_the_file_byte_for_byte()
{
    QFETCH(int, size);
    QFETCH(QList<qint64>, progress);
    const QByteArray image = imageOf(size);
    enterUpgrade(size);
    QCOMPARE(int(VirtualReader::announcedPackets()), FirmwarePackets::countFor(size));

    QList<qint64> seen;
    const FirmwareUploader::Result result
        = FirmwareUploader(&m_reader, FirmwarePackets(image), quick()).run([&seen](qint64 b) {
              seen.append(b);
          });
    QCOMPARE(int(result.outcome), int(FirmwareUploader::Outcome::Done));
    QCOMPARE(VirtualReader::receivedFirmware(), image);
    QVERIFY(VirtualReader::firmwareComplete());
    QCOMPARE(VirtualReader::counters().reportsWritten, qint64(FirmwarePackets::countFor(size)));
    if (!progress.isEmpty())
        QCOMPARE(seen, progress);
    else
        QCOMPARE(seen.size(), FirmwarePackets::countFor(size) - 1);
}

void TestFirmwareUpload::restart_request_sends_again_from_packet_0_data()
{
    QTest::addColumn<int>("afterPackets");
    QTest::newRow("on the first packet") << 0;
    QTest::newRow("midway") << 5;
    QTest::newRow("on the last numbered packet") << 8;
}

void TestFirmwareUpload::restart_request_sends_again_from_packet_0()
{
    QFETCH(int, afterPackets);
    const QByteArray image = imageOf(500); // packets 0..8 and the final one
    enterUpgrade(image.size());
    VirtualReader::armUpgradeRestart(afterPackets);

    QList<qint64> seen;
    const FirmwareUploader::Result result
        = FirmwareUploader(&m_reader, FirmwarePackets(image), quick()).run([&seen](qint64 b) {
              seen.append(b);
          });
    QCOMPARE(int(result.outcome), int(FirmwareUploader::Outcome::Done));
    QCOMPARE(VirtualReader::receivedFirmware(), image);
    QVERIFY(VirtualReader::firmwareComplete());
    QVERIFY(seen.contains(0));
    QCOMPARE(seen.last(), qint64(9 * 52));
}

void TestFirmwareUpload::reader_that_keeps_restarting_ends_the_transfer()
{
    enterUpgrade(300);
    VirtualReader::Fault fault;
    fault.kind = VirtualReader::Fault::ForcedStatus;
    fault.times = -1;
    fault.command = SimCommand::UpgradePacket;
    fault.status = SimStatus::UpgradeRestart;
    VirtualReader::armFault(fault);

    const FirmwareUploader::Result result
        = FirmwareUploader(&m_reader, FirmwarePackets(imageOf(300)), quick()).run();
    QCOMPARE(int(result.outcome), int(FirmwareUploader::Outcome::TooManyRestarts));
    QVERIFY(!VirtualReader::firmwareComplete());
}

void TestFirmwareUpload::unanswered_packet_ends_the_transfer_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("status");
    QTest::newRow("no answer") << int(VirtualReader::Fault::NoAnswer) << 0;
    QTest::newRow("refusing status") << int(VirtualReader::Fault::ForcedStatus) << int(SimStatus::BadCommand);
}

void TestFirmwareUpload::unanswered_packet_ends_the_transfer()
{
    QFETCH(int, kind);
    QFETCH(int, status);
    enterUpgrade(300);
    VirtualReader::Fault fault;
    fault.kind = VirtualReader::Fault::Kind(kind);
    fault.afterFrames = 2;
    fault.times = -1;
    fault.command = SimCommand::UpgradePacket;
    fault.status = quint8(status);
    VirtualReader::armFault(fault);

    QElapsedTimer clock;
    clock.start();
    const FirmwareUploader::Result result
        = FirmwareUploader(&m_reader, FirmwarePackets(imageOf(300)), quick()).run();
    QCOMPARE(int(result.outcome), int(FirmwareUploader::Outcome::NoAcknowledgement));
    QCOMPARE(result.packet, 2);
    QVERIFY(!VirtualReader::firmwareComplete());
    QVERIFY(clock.elapsed() < 4 * 600 + 1000);
}

void TestFirmwareUpload::cancel_stops_between_packets()
{
    enterUpgrade(300);
    int acknowledged = 0;
    const FirmwareUploader::Result result
        = FirmwareUploader(&m_reader, FirmwarePackets(imageOf(300)), quick())
              .run(
                  [&acknowledged](qint64) { ++acknowledged; }, [&acknowledged] { return acknowledged == 2; });
    QCOMPARE(int(result.outcome), int(FirmwareUploader::Outcome::Cancelled));
    QCOMPARE(VirtualReader::receivedFirmware(), imageOf(104));
    QVERIFY(!VirtualReader::firmwareComplete());
}

// Closing the window waits for the transfer; a reader that stopped answering
// must not hold it for every remaining status time-out.
void TestFirmwareUpload::cancel_stops_the_wait_for_a_silent_reader()
{
    enterUpgrade(300);
    VirtualReader::Fault fault;
    fault.kind = VirtualReader::Fault::NoAnswer;
    fault.afterFrames = 2;
    fault.times = -1;
    fault.command = SimCommand::UpgradePacket;
    VirtualReader::armFault(fault);

    // Asked once per packet (0, 1, 2), then again while packet 2 goes unanswered.
    int checks = 0;
    const FirmwareUploader::Result result
        = FirmwareUploader(&m_reader, FirmwarePackets(imageOf(300)), quick()).run({}, [&checks] {
              return ++checks > 3;
          });
    QCOMPARE(int(result.outcome), int(FirmwareUploader::Outcome::Cancelled));
    QCOMPARE(result.packet, 2);
    QVERIFY(!VirtualReader::firmwareComplete());
}

QTEST_GUILESS_MAIN(TestFirmwareUpload)
#include "test_firmware_upload.moc"
