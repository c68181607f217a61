#include "BlacklistCard.h"
#include "BlacklistFile.h"

#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace BlacklistCard;

class TestBlacklistList : public QObject
{
    Q_OBJECT

private slots:
    void header_carries_magic_type_and_slice();
    void numbers_are_stored_most_significant_byte_first();
    void rows_accept_only_unsigned_32bit_decimals_data();
    void rows_accept_only_unsigned_32bit_decimals();
    void first_bad_row_is_named();
    void list_is_split_into_cards_of_168_data();
    void list_is_split_into_cards_of_168();
    void import_stops_at_500_rows();
    void export_then_import_round_trips();
    void unopenable_file_reads_nothing();
    void failed_write_keeps_the_old_list();
};

void TestBlacklistList::header_carries_magic_type_and_slice()
{
    const QByteArray block = buildHeader(Header { 169, 168, 1 });
    QCOMPARE(block.toHex(' '), QByteArray("3d 3c 3b 3a a9 00 00 31 a8 00 01 00 00 00 00 00"));
    Header parsed;
    QVERIFY(parseHeader(block, parsed));
    QCOMPARE(parsed.total, quint16(169));
    QCOMPARE(parsed.index, quint16(168));
    QCOMPARE(parsed.count, quint16(1));

    QByteArray wrongType = block;
    wrongType[7] = 0x21;
    QVERIFY(!parseHeader(wrongType, parsed));
}

void TestBlacklistList::numbers_are_stored_most_significant_byte_first()
{
    const quint32 numbers[] = { 258, 0xA1B2C3D4 };
    const QByteArray data = buildSectorData(numbers, 2);
    QCOMPARE(data.size(), 48);
    QCOMPARE(data.left(8).toHex(' '), QByteArray("00 00 01 02 a1 b2 c3 d4"));
    QCOMPARE(data.mid(8), QByteArray(40, '\0'));
    QCOMPARE(parseSectorData(data, 2), QVector<quint32>({ 258, 0xA1B2C3D4 }));
}

void TestBlacklistList::rows_accept_only_unsigned_32bit_decimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<quint32>("number");
    QTest::newRow("plain") << "258" << true << 258u;
    QTest::newRow("largest") << "4294967295" << true << 4294967295u;
    QTest::newRow("blanks around") << " 17\t" << true << 17u;
    QTest::newRow("leading zeros") << "0007" << true << 7u;
    QTest::newRow("too large") << "4294967296" << false << 0u;
    QTest::newRow("far too large") << "99999999999999999999999" << false << 0u;
    QTest::newRow("negative") << "-5" << false << 0u;
    QTest::newRow("plus sign") << "+5" << false << 0u;
    QTest::newRow("trailing letter") << "123a" << false << 0u;
    QTest::newRow("hexadecimal") << "0x10" << false << 0u;
    QTest::newRow("inner blank") << "12 34" << false << 0u;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("blank") << "   " << false << 0u;
}

void TestBlacklistList::rows_accept_only_unsigned_32bit_decimals()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(quint32, number);
    quint32 parsed = 0;
    QCOMPARE(parseRow(text, parsed), accepted);
    if (accepted)
        QCOMPARE(parsed, number);
}

void TestBlacklistList::first_bad_row_is_named()
{
    QVector<quint32> numbers;
    QCOMPARE(parseRows({ "1", "2", "x", "-4" }, numbers), 3);
    QCOMPARE(parseRows({ "1", "2" }, numbers), 0);
    QCOMPARE(numbers, QVector<quint32>({ 1, 2 }));
    QCOMPARE(parseRows({}, numbers), 0);
    QVERIFY(numbers.isEmpty());
}

void TestBlacklistList::list_is_split_into_cards_of_168_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QVector<int>>("counts");
    QTest::newRow("empty list: header only") << 0 << QVector<int> { 0 };
    QTest::newRow("one") << 1 << QVector<int> { 1 };
    QTest::newRow("full card") << 168 << QVector<int> { 168 };
    QTest::newRow("one over") << 169 << QVector<int> { 168, 1 };
    QTest::newRow("most rows") << 500 << QVector<int> { 168, 168, 164 };
}

void TestBlacklistList::list_is_split_into_cards_of_168()
{
    QFETCH(int, total);
    QFETCH(QVector<int>, counts);
    const QVector<CardSlice> cards = splitIntoCards(total);
    QCOMPARE(cards.size(), counts.size());
    int index = 0;
    for (int k = 0; k < cards.size(); ++k) {
        QCOMPARE(cards[k].index, index);
        QCOMPARE(cards[k].count, counts[k]);
        index += counts[k];
    }
}

void TestBlacklistList::import_stops_at_500_rows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("600.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 1; i <= 600; ++i)
        file.write(QByteArray::number(i) + "\r\n");
    file.close();

    QStringList rows;
    QVERIFY(BlacklistFile::read(path, MaxRows, rows));
    QCOMPARE(rows.size(), 500);
    QCOMPARE(rows.first(), QString("1"));
    QCOMPARE(rows.last(), QString("500"));

    QVERIFY(BlacklistFile::read(path, 3, rows));
    QCOMPARE(rows, QStringList({ "1", "2", "3" }));
}

void TestBlacklistList::export_then_import_round_trips()
{
    QTemporaryDir dir;
    const QString path
        = dir.filePath(BlacklistFile::proposedName(QDateTime(QDate(2024, 3, 9), QTime(7, 5, 1))));
    QVERIFY(path.endsWith("2024-03-09 07.05.01.txt"));
    const QStringList rows = { "4294967295", "", "12ab", "258" };
    QVERIFY(BlacklistFile::write(path, rows));
    QStringList back;
    QVERIFY(BlacklistFile::read(path, MaxRows, back));
    QCOMPARE(back, rows);

    QVERIFY(BlacklistFile::write(path, {}));
    QVERIFY(BlacklistFile::read(path, MaxRows, back));
    QVERIFY(back.isEmpty());
}

void TestBlacklistList::unopenable_file_reads_nothing()
{
    QTemporaryDir dir;
    QStringList rows { "stale" };
    QVERIFY(!BlacklistFile::read(dir.filePath("missing.txt"), MaxRows, rows));
    QVERIFY(rows.isEmpty());
    QVERIFY(!BlacklistFile::write(dir.filePath("no/such/dir/list.txt"), { "1" }));
}

void TestBlacklistList::failed_write_keeps_the_old_list()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.txt");
    const QStringList old = { "1", "2", "3" };
    QVERIFY(BlacklistFile::write(path, old));

#ifdef Q_OS_UNIX
    // A disk that fills up part-way: the file size limit stops the write at 64 bytes.
    QStringList longer;
    for (int i = 0; i < MaxRows; ++i)
        longer.append(QString::number(4000000000u + i));
    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = BlacklistFile::write(path, longer);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
#endif
    QStringList back;
    QVERIFY(BlacklistFile::read(path, MaxRows, back));
    QCOMPARE(back, old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ "list.txt" }));
}

QTEST_GUILESS_MAIN(TestBlacklistList)
#include "test_blacklist_list.moc"
