#include "SimState.h"
#include "SimTestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QtTest>
#include <sys/stat.h>
#include <thread>

using namespace SimTest;
namespace VR = VirtualReader;

namespace {

// Inode and modification time: changes with every save of the state file.
QPair<quint64, qint64> stamp(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return { 0, -1 };
    return { quint64(st.st_ino), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec };
}

SimState richState()
{
    SimState s;
    s.mode = VR::ShareMode;
    s.serial = 4321;
    s.balance = 123456;
    s.usedChargeVersions = { 3, 7 };
    s.memory[10] = char(0xAB);
    SimCard card { QByteArray::fromHex("01020304"), QByteArray(VR::BlockCount * VR::BlockSize, '\x5A') };
    s.cards = { card, SimCard { QByteArray::fromHex("A1B2C3D4"), QByteArray(1024, '\0') } };
    s.cardOnReader = card.uid;
    s.generation = 5;
    s.upgrading = true;
    s.announcedPackets = 3;
    s.nextPacket = 1;
    s.firmware = QByteArray::fromHex("00FF10E0");
    s.delays.reportMs = 2;
    VR::Fault fault;
    fault.kind = VR::Fault::ForcedStatus;
    fault.status = 66;
    fault.command = SimCommand::ReadDevInfo;
    fault.times = -1;
    s.faults = { fault };
    s.counters.reportsWritten = 9;
    s.counters.failedOpens = 2;
    return s;
}

} // namespace

// The state file behind the virtual reader: its text, and when it is read and
// written again.
class TestSimStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VR::useTemporaryState(); }
    void init() { VR::reset(); }

    void state_text_round_trips_as_the_json_writer_would_write_it_data();
    void state_text_round_trips_as_the_json_writer_would_write_it();
    void file_is_saved_only_when_the_reader_changed();
    void removed_or_replaced_file_is_the_reader_at_the_next_call();
    void changes_from_threads_of_one_process_are_not_lost();
};

void TestSimStore::state_text_round_trips_as_the_json_writer_would_write_it_data()
{
    QTest::addColumn<bool>("rich");
    QTest::newRow("fresh reader") << false;
    QTest::newRow("cards, faults, upgrade under way") << true;
}

void TestSimStore::state_text_round_trips_as_the_json_writer_would_write_it()
{
    QFETCH(bool, rich);
    const SimState state = rich ? richState() : SimState();
    const QByteArray text = SimStore::toJson(state);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(document.toJson(QJsonDocument::Indented), text);

    SimState back;
    QVERIFY(SimStore::fromJson(text, back));
    QVERIFY(back.sameSharedState(state));
    QCOMPARE(back.counters.reportsWritten, state.counters.reportsWritten);
    QCOMPARE(back.counters.failedOpens, state.counters.failedOpens);
}

void TestSimStore::file_is_saved_only_when_the_reader_changed()
{
    VR::addBlankCard(0x01020304);
    VR::placeCard(0x01020304);
    const QString path = VR::stateFile();
    const auto before = stamp(path);
    QVERIFY(before.second >= 0);

    // Commands that only read, counted and answered, leave the file alone.
    QCOMPARE(exchange(SimCommand::ReadDevInfo, {}).size(), 17);
    QCOMPARE(readBlock(4, BuiltinKeys::Transport), int(SimStatus::Ok));
    VR::setSerial(VR::serial());
    QCOMPARE(stamp(path), before);
    QCOMPARE(VR::counters().reportsWritten, qint64(2));
    QCOMPARE(VR::counters().opens, qint64(4));

    QCOMPARE(writeBlock(4, BuiltinKeys::Transport, QByteArray(16, '\x11')), int(SimStatus::Ok));
    QVERIFY(stamp(path) != before);
    QCOMPARE(VR::block(0x01020304, 4), QByteArray(16, '\x11'));
}

void TestSimStore::removed_or_replaced_file_is_the_reader_at_the_next_call()
{
    VR::setBalance(500);
    QCOMPARE(exchange(SimCommand::ReadDevInfo, {}).size(), 17);
    QVERIFY(QFile::remove(VR::stateFile()));
    QCOMPARE(VR::balance(), 0u);
    QCOMPARE(VR::counters().reportsWritten, qint64(0)); // a fresh reader

    // A file put in place by hand, counters and all, is the reader now.
    QCOMPARE(exchange(SimCommand::ReadDevInfo, {}).size(), 17);
    const QString other = VR::stateFile() + QStringLiteral(".other");
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(SimStore::toJson(richState()));
    file.close();
    QVERIFY(
        ::rename(QFile::encodeName(other).constData(), QFile::encodeName(VR::stateFile()).constData()) == 0);
    QCOMPARE(VR::balance(), 123456u);
    QCOMPARE(VR::serial(), quint16(4321));
    QCOMPARE(VR::counters().reportsWritten, qint64(9));
    QCOMPARE(VR::armedFaults().size(), 1);
}

void TestSimStore::changes_from_threads_of_one_process_are_not_lost()
{
    auto add = [] {
        for (int i = 0; i < 200; ++i)
            SimStore::modify([](SimState& s) { ++s.balance; });
    };
    std::thread other(add);
    add();
    other.join();
    QCOMPARE(VR::balance(), 400u);
}

QTEST_GUILESS_MAIN(TestSimStore)
#include "test_sim_store.moc"
