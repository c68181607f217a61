#include "BindBlock.h"
#include "CardCrypto.h"
#include "CardImage.h"
#include "CardReader.h"
#include "ReaderRecords.h"
#include "SimStatus.h"
#include "VirtualReader.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace VR = VirtualReader;

// veloka-reader in its own process works on the state the test's reader uses.
class TestSimTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VR::useTemporaryState(); }
    void init() { VR::reset(); }

    void tool_changes_reach_the_station_side();
    void list_decodes_user_sector_and_special_cards();
    void unplug_from_another_process_kills_the_held_handle();
    void changes_from_two_processes_are_not_lost();
    void card_and_balance_changed_by_the_tool_between_two_commands_are_seen();
    void waiting_response_outlives_settings_but_not_a_reset_data();
    void waiting_response_outlives_settings_but_not_a_reset();
    void counters_and_delays_are_shared_with_the_tool();
    void charge_file_and_faults_from_the_tool();
    void bad_arguments_exit_with_2_data();
    void bad_arguments_exit_with_2();

private:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    static QProcessEnvironment environment()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELOKA_SIM_STATE", VR::stateFile());
        return env;
    }
    static Run tool(const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(VELOKA_READER_TOOL, arguments);
        Run run;
        if (!process.waitForFinished(20000))
            return run;
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    CardReader m_reader;
};

void TestSimTool::tool_changes_reach_the_station_side()
{
    Run run = tool({ "new-card", "--id", "01020304", "--place" });
    QCOMPARE(run.code, 0);
    QCOMPARE(run.out.trimmed(), QString("01020304"));
    quint32 id = 0;
    QCOMPARE(m_reader.readCardId(id), 0);
    QCOMPARE(id, 0x01020304u);

    QCOMPARE(tool({ "set", "--mode", "share", "--serial", "7", "--balance", "500" }).code, 0);
    ReaderInfo info;
    QCOMPARE(m_reader.readDevInfo(info), 0);
    QVERIFY(info.isShareMode());
    QCOMPARE(info.serial(), quint16(7));
    ReaderRemain remain;
    QCOMPARE(m_reader.readDevRemain(remain), 0);
    QCOMPARE(remain.balance(), 500u);

    QCOMPARE(tool({ "take" }).code, 0);
    QVERIFY(m_reader.readCardId(id) != 0);
    QCOMPARE(tool({ "place", "01020304" }).code, 0);
    QCOMPARE(m_reader.readCardId(id), 0);
    QCOMPARE(tool({ "delete", "01020304" }).code, 0);
    QVERIFY(VR::cards().isEmpty());
}

void TestSimTool::list_decodes_user_sector_and_special_cards()
{
    const quint32 user = VR::addBlankCard(0x11223344);
    VR::placeCard(user);
    quint32 id = 0;
    const QByteArray image = makeCardImage(1234, user, 0);
    QCOMPARE(m_reader.writeBlocks(5, 2, BuiltinKeys::Transport, id, image + image), 0);
    QCOMPARE(m_reader.writeBlocks(4, 1, BuiltinKeys::Transport, id, makeBindBlock(70000, 3)), 0);
    QCOMPARE(m_reader.changeSectorKey(1, BuiltinKeys::Transport, BuiltinKeys::DefaultUser), 0);
    const quint32 special = VR::addBlankCard(0x55667788);
    QByteArray typeBlock(16, '\0');
    typeBlock[7] = char(0x24);
    QVERIFY(VR::setBlock(special, 4, typeBlock));

    Run run = tool({ "list", "--user-sector", "1" });
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.contains("card 11223344"), qPrintable(run.out));
    QVERIFY2(run.out.contains("balance 12.34, bound to post 70000 (4464), port 3"), qPrintable(run.out));
    QVERIFY2(run.out.contains("car tariff card"), qPrintable(run.out));
    run = tool({ "list", "--user-sector", "1", "--user-key", "000000000000" });
    QVERIFY2(run.out.contains("sector 1 does not open with the user key"), qPrintable(run.out));
    QVERIFY(!run.out.contains("12.34"));
}

void TestSimTool::unplug_from_another_process_kills_the_held_handle()
{
    QVERIFY(m_reader.openDevice());
    QCOMPARE(m_reader.sendFrameOpen(0xAB01, nullptr, 0), 0);
    QCOMPARE(tool({ "unplug" }).code, 0);
    QCOMPARE(m_reader.sendFrameOpen(0xAB01, nullptr, 0), int(ReaderResult::Transfer));
    m_reader.closeDevice();
    QVERIFY(!m_reader.openDevice());
    QCOMPARE(tool({ "replug" }).code, 0);
    QVERIFY(m_reader.openDevice());
    m_reader.closeDevice();
}

void TestSimTool::changes_from_two_processes_are_not_lost()
{
    VR::setBalance(100000);
    QProcess loop;
    loop.setProcessEnvironment(environment());
    loop.start("/bin/sh",
        { "-c",
            QString("for i in 1 2 3 4 5 6 7 8; do '%1' set --serial $i || exit 1; done")
                .arg(VELOKA_READER_TOOL) });
    QVERIFY(loop.waitForStarted());
    int deductions = 0;
    while (loop.state() != QProcess::NotRunning || deductions < 50) {
        QCOMPARE(m_reader.deductDevRemain(ReaderRecords::deductRecord(1)), 0);
        ++deductions;
        loop.waitForFinished(1);
    }
    QCOMPARE(loop.exitCode(), 0);
    QCOMPARE(VR::balance(), quint32(100000 - deductions));
    QCOMPARE(VR::serial(), quint16(8));
}

void TestSimTool::card_and_balance_changed_by_the_tool_between_two_commands_are_seen()
{
    // Each command here follows one of the station's own, so a reader that
    // kept a stale copy of the state would answer from it.
    const quint32 card = VR::addBlankCard(0x0A0B0C0D);
    VR::placeCard(card);
    quint32 id = 0;
    const QByteArray data = QByteArray::fromHex("0102030405060708090A0B0C0D0E0F10");
    QCOMPARE(m_reader.writeBlocks(4, 1, BuiltinKeys::Transport, id, data), 0);
    QByteArray read;
    QCOMPARE(m_reader.readBlocks(4, 1, BuiltinKeys::Transport, id, read), 0);
    QCOMPARE(read, data);
    QCOMPARE(tool({ "new-card", "--id", "0A0B0C0D" }).code, 0); // a blank card of the same id
    QCOMPARE(m_reader.readBlocks(4, 1, BuiltinKeys::Transport, id, read), 0);
    QCOMPARE(read, QByteArray(16, '\0'));

    VR::setBalance(1000);
    QCOMPARE(m_reader.deductDevRemain(ReaderRecords::deductRecord(1)), 0);
    QCOMPARE(tool({ "set", "--balance", "777" }).code, 0);
    QCOMPARE(m_reader.deductDevRemain(ReaderRecords::deductRecord(7)), 0);
    QCOMPARE(VR::balance(), 770u);
    QVERIFY(tool({ "show" }).out.contains("(770 fen)"));

    QCOMPARE(tool({ "delete", "0A0B0C0D" }).code, 0);
    QVERIFY(m_reader.readCardId(id) != 0);
    QVERIFY(!VR::hasCard(card));
}

void TestSimTool::waiting_response_outlives_settings_but_not_a_reset_data()
{
    QTest::addColumn<QList<QStringList>>("between");
    QTest::addColumn<bool>("answered");
    QTest::newRow("look at it") << QList<QStringList> { { "show" } } << true;
    QTest::newRow("change a setting") << QList<QStringList> { { "set", "--serial", "9" } } << true;
    QTest::newRow("reset") << QList<QStringList> { { "reset" } } << false;
    QTest::newRow("unplug and replug") << QList<QStringList> { { "unplug" }, { "replug" } } << false;
}

void TestSimTool::waiting_response_outlives_settings_but_not_a_reset()
{
    QFETCH(QList<QStringList>, between);
    QFETCH(bool, answered);
    QCOMPARE(m_reader.sendFrame(SimCommand::SendPreamble, nullptr, 0), 0);
    for (const QStringList& arguments : between)
        QCOMPARE(tool(arguments).code, 0);
    QCOMPARE(m_reader.recvStatus(), answered ? 0 : int(ReaderResult::Transfer));
    // Read once, the response is gone.
    QCOMPARE(m_reader.recvStatus(), int(ReaderResult::Transfer));
}

void TestSimTool::counters_and_delays_are_shared_with_the_tool()
{
    ReaderInfo info;
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_reader.readDevInfo(info), 0);
    const QString shown = tool({ "show" }).out;
    QVERIFY2(shown.contains("3 written, 3 read"), qPrintable(shown));
    QCOMPARE(tool({ "reset" }).code, 0);
    QCOMPARE(VR::counters().reportsWritten, qint64(0));

    // A delay set from outside holds for the very next command: a write and
    // a read of at least 40 ms each.
    QCOMPARE(m_reader.readDevInfo(info), 0);
    QCOMPARE(tool({ "delays", "--report", "40" }).code, 0);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_reader.readDevInfo(info), 0);
    QVERIFY2(clock.elapsed() >= 80, qPrintable(QString::number(clock.elapsed())));
}

void TestSimTool::charge_file_and_faults_from_the_tool()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("top.chfile");
    VR::setSerial(31);
    QCOMPARE(tool({ "charge-file", "--amount", "10005", "--version", "3", "--out", path }).code, 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(m_reader.writeDevRemain(file.readAll()), 0);
    QCOMPARE(VR::balance(), 10005u);
    QVERIFY(tool({ "show" }).out.contains("100.05"));

    QCOMPARE(tool({ "fault", "status", "--status", "66", "--command", "5801" }).code, 0);
    ReaderInfo info;
    QCOMPARE(m_reader.readDevInfo(info), 66);
    QCOMPARE(tool({ "fault", "no-answer", "--after", "1" }).code, 0);
    QCOMPARE(m_reader.readDevInfo(info), 0);
    QCOMPARE(m_reader.readDevInfo(info), int(ReaderResult::Transfer));
    QCOMPARE(tool({ "fault", "lost-write", "--block", "9" }).code, 0);
    QCOMPARE(tool({ "fault", "clear" }).code, 0);
    QVERIFY(VR::armedFaults().isEmpty());
}

void TestSimTool::bad_arguments_exit_with_2_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList() << "Commands:";
    QTest::newRow("unknown command") << QStringList { "frobnicate" } << "unknown command 'frobnicate'";
    QTest::newRow("unknown option") << QStringList { "show", "--colour" } << "Unknown option 'colour'";
    QTest::newRow("bad mode") << QStringList { "set", "--mode", "rent" } << "--mode is 'sale' or 'share'";
    QTest::newRow("negative balance")
        << QStringList { "set", "--balance", "-3" } << "--balance must be a number";
    QTest::newRow("nothing to set") << QStringList { "set" } << "nothing to set";
    QTest::newRow("card id not hex") << QStringList { "place", "XYZ" } << "card id must be a number";
    QTest::newRow("unknown card") << QStringList { "place", "12345678" } << "no card with id 12345678";
    QTest::newRow("short uid") << QStringList { "new-card", "--id", "1234" }
                               << "--id takes 8 hexadecimal digits";
    QTest::newRow("charge file without out")
        << QStringList { "charge-file", "--amount", "5", "--version", "1" } << "--out is required";
    QTest::newRow("status fault without status") << QStringList { "fault", "status" } << "needs --status";
    QTest::newRow("serial too big") << QStringList { "set", "--serial", "65536" } << "from 0 to 65535";
}

void TestSimTool::bad_arguments_exit_with_2()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = tool(arguments);
    QCOMPARE(run.code, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(VR::serial(), quint16(1)); // nothing changed
}

QTEST_GUILESS_MAIN(TestSimTool)
#include "test_sim_tool.moc"
