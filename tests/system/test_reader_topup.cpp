#include "AuditTrail.h"
#include "CardReader.h"
#include "Database.h"
#include "Outbox.h"
#include "ReaderTopUp.h"
#include "VirtualReader.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestReaderTopUp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void file_of_wrong_size_is_refused_before_the_reader_data();
    void file_of_wrong_size_is_refused_before_the_reader();
    void accepted_file_fills_the_reader_and_records_its_fields();
    void unplugged_reader_gives_the_transfer_code_and_no_row();
    void top_up_whose_answer_was_lost_is_recorded();
    void top_up_is_judged_only_against_balances_read_before_and_after_data();
    void top_up_is_judged_only_against_balances_read_before_and_after();
    void replayed_file_is_refused_and_records_nothing();
    void top_up_whose_row_is_refused_leaves_the_reader_untouched();

private:
    QString writeFile(const QByteArray& bytes);
    int devchRows();

    QTemporaryDir m_dir;
    CardReader m_reader;
    LoginSession m_session;
};

void TestReaderTopUp::initTestCase()
{
    QVERIFY(openDatabase(m_dir.filePath("database.db")));
    QVERIFY(createTables());
    Outbox::setStationPath(m_dir.filePath(Outbox::kFileName));
    m_session.managerName = "admin";
}

void TestReaderTopUp::init()
{
    VirtualReader::reset();
    VirtualReader::setSerial(4321);
    QSqlQuery().exec("delete from devch");
}

QString TestReaderTopUp::writeFile(const QByteArray& bytes)
{
    static int n = 0;
    const QString path = m_dir.filePath(QString("pack%1.chfile").arg(++n));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

int TestReaderTopUp::devchRows()
{
    QSqlQuery query("select count(*) from devch");
    return query.next() ? query.value(0).toInt() : -1;
}

void TestReaderTopUp::file_of_wrong_size_is_refused_before_the_reader_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("31 bytes") << 31;
    QTest::newRow("33 bytes") << 33;
    QTest::newRow("empty") << 0;
    QTest::newRow("no file") << -1;
}

void TestReaderTopUp::file_of_wrong_size_is_refused_before_the_reader()
{
    QFETCH(int, size);
    QByteArray bytes = VirtualReader::makeChargeFile(1000, 4321, 1);
    bytes.resize(qMax(size, 0));
    const QString path = size < 0 ? QString() : writeFile(bytes);
    VirtualReader::resetCounters();

    const ReaderTopUp::Result result = ReaderTopUp(&m_reader, m_session).run(path);
    QCOMPARE(int(result.outcome), int(ReaderTopUp::Outcome::FileError));
    QCOMPARE(VirtualReader::counters().reportsWritten, 0);
    QCOMPARE(VirtualReader::counters().lookups, 0);
    QCOMPARE(devchRows(), 0);
}

void TestReaderTopUp::accepted_file_fills_the_reader_and_records_its_fields()
{
    VirtualReader::setBalance(50);
    const QString path = writeFile(VirtualReader::makeChargeFile(10005, 4321, 77));
    const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9));

    const ReaderTopUp::Result result = ReaderTopUp(&m_reader, m_session).run(path, when);
    QCOMPARE(int(result.outcome), int(ReaderTopUp::Outcome::Done));
    QCOMPARE(result.contents.amount, 10005u);
    QCOMPARE(VirtualReader::balance(), 10055u);

    QSqlQuery query("select money, sn, ver, manager, date from devch");
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toUInt(), 10005u);
    QCOMPARE(query.value(1).toUInt(), 4321u);
    QCOMPARE(query.value(2).toUInt(), 77u);
    QCOMPARE(query.value(3).toString(), QString("admin"));
    QCOMPARE(query.value(4).toString(), QString("2024-05-06 07.08.09"));
    QVERIFY(!query.next());
    const AuditRow audit = AuditTrail::page(AuditFilter(), 0, 1).value(0);
    QCOMPARE(
        audit.action + ' ' + audit.subject + ' ' + audit.outcome, QString("reader top-up 04321 ok 100.05"));
}

void TestReaderTopUp::unplugged_reader_gives_the_transfer_code_and_no_row()
{
    VirtualReader::setUnplugged(true);
    const QString path = writeFile(VirtualReader::makeChargeFile(500, 4321, 2));
    const ReaderTopUp::Result result = ReaderTopUp(&m_reader, m_session).run(path);
    QCOMPARE(int(result.outcome), int(ReaderTopUp::Outcome::ReaderRefused));
    QCOMPARE(result.code, ReaderResult::NotOpened);
    QCOMPARE(devchRows(), 0);
}

void TestReaderTopUp::top_up_whose_answer_was_lost_is_recorded()
{
    VirtualReader::setBalance(50);
    const QString path = writeFile(VirtualReader::makeChargeFile(500, 4321, 5));
    VirtualReader::armNoAnswer(0, SimCommand::WriteDevRemain);

    const ReaderTopUp::Result result = ReaderTopUp(&m_reader, m_session).run(path);
    QCOMPARE(int(result.outcome), int(ReaderTopUp::Outcome::Done));
    QCOMPARE(VirtualReader::balance(), 550u);
    QCOMPARE(devchRows(), 1);
}

void TestReaderTopUp::top_up_is_judged_only_against_balances_read_before_and_after_data()
{
    QTest::addColumn<bool>("answerLost");
    QTest::addColumn<int>("unreadFrom"); // the first balance read that fails, three in a row
    QTest::addColumn<int>("outcome");
    QTest::addColumn<quint32>("balance");
    QTest::newRow("balance unread before: the file is not sent")
        << false << 0 << int(ReaderTopUp::Outcome::ReaderRefused) << 0u;
    QTest::newRow("answer lost, balance unread after")
        << true << 1 << int(ReaderTopUp::Outcome::ReaderUncertain) << 500u;
}

void TestReaderTopUp::top_up_is_judged_only_against_balances_read_before_and_after()
{
    QFETCH(bool, answerLost);
    QFETCH(int, unreadFrom);
    QFETCH(int, outcome);
    QFETCH(quint32, balance);
    const QString path = writeFile(VirtualReader::makeChargeFile(500, 4321, 6));
    if (answerLost)
        VirtualReader::armNoAnswer(0, SimCommand::WriteDevRemain);
    VirtualReader::Fault unread;
    unread.command = SimCommand::ReadDevRemain;
    unread.afterFrames = unreadFrom;
    unread.times = 3;
    VirtualReader::armFault(unread);

    QCOMPARE(int(ReaderTopUp(&m_reader, m_session).run(path).outcome), outcome);
    QCOMPARE(VirtualReader::balance(), balance);
    QCOMPARE(devchRows(), 0);
}

void TestReaderTopUp::replayed_file_is_refused_and_records_nothing()
{
    const QString path = writeFile(VirtualReader::makeChargeFile(500, 4321, 3));
    QCOMPARE(int(ReaderTopUp(&m_reader, m_session).run(path).outcome), int(ReaderTopUp::Outcome::Done));
    const ReaderTopUp::Result again = ReaderTopUp(&m_reader, m_session).run(path);
    QCOMPARE(int(again.outcome), int(ReaderTopUp::Outcome::ReaderRefused));
    QCOMPARE(again.code, int(SimStatus::ChargeFileUsed));
    QCOMPARE(VirtualReader::balance(), 500u);
    QCOMPARE(devchRows(), 1);
}

void TestReaderTopUp::top_up_whose_row_is_refused_leaves_the_reader_untouched()
{
    QVERIFY(QSqlQuery().exec("alter table devch rename to devch_away"));
    const QString path = writeFile(VirtualReader::makeChargeFile(700, 4321, 4));
    const ReaderTopUp::Result result = ReaderTopUp(&m_reader, m_session).run(path);
    QVERIFY(QSqlQuery().exec("alter table devch_away rename to devch"));
    QCOMPARE(int(result.outcome), int(ReaderTopUp::Outcome::LedgerUnavailable));
    QCOMPARE(VirtualReader::balance(), 0u);
    QCOMPARE(devchRows(), 0);
    QCOMPARE(int(ReaderTopUp(&m_reader, m_session).run(path).outcome), int(ReaderTopUp::Outcome::Done));
}

QTEST_GUILESS_MAIN(TestReaderTopUp)
#include "test_reader_topup.moc"
