#include "AuditTrail.h"
#include "BlacklistWriter.h"
#include "BuiltinKeys.h"
#include "CardReader.h"
#include "Database.h"
#include "VirtualReader.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

using namespace BlacklistCard;

namespace {

// Swaps a fresh card onto the reader whenever the writer asks for the next one.
struct SwapPrompt : BlacklistWriter::CardPrompt
{
    QList<int> asked;
    QList<quint32> cards;
    std::function<quint32()> makeCard = [] { return VirtualReader::addBlankCard(); };

    void nextCard(int cardNumber) override
    {
        asked.append(cardNumber);
        const quint32 id = makeCard();
        VirtualReader::placeCard(id);
        cards.append(id);
    }
};

QStringList numberRows(int n)
{
    QStringList rows;
    for (int i = 1; i <= n; ++i)
        rows.append(QString::number(quint32(i) * 2654435761u));
    return rows;
}

QByteArray numberArea(quint32 card, int sector)
{
    return VirtualReader::block(card, sector * 4) + VirtualReader::block(card, sector * 4 + 1)
        + VirtualReader::block(card, sector * 4 + 2);
}

bool headerOf(quint32 card, Header& header)
{
    return parseHeader(VirtualReader::block(card, HeaderBlock), header);
}

bool sectorHasKey(quint32 card, int sector, const SectorKey& key)
{
    const QByteArray trailer = VirtualReader::block(card, sector * 4 + 3);
    const QByteArray k(reinterpret_cast<const char*>(key.data()), 6);
    return trailer.left(6) == k && trailer.mid(10, 6) == k;
}

void setAllKeys(quint32 card, const SectorKey& key)
{
    for (int s = 0; s < SectorCount; ++s) {
        QByteArray trailer = VirtualReader::block(card, s * 4 + 3);
        trailer.replace(0, 6, QByteArray(reinterpret_cast<const char*>(key.data()), 6));
        trailer.replace(10, 6, QByteArray(reinterpret_cast<const char*>(key.data()), 6));
        VirtualReader::setBlock(card, s * 4 + 3, trailer);
    }
}

bool numberBlocksUntouched(quint32 card)
{
    for (int s = 0; s < SectorCount; ++s)
        for (int b = 0; b < 3; ++b)
            if (s * 4 + b != 0 && VirtualReader::block(card, s * 4 + b) != QByteArray(16, '\0'))
                return false;
    return true;
}

} // namespace

class TestBlacklistWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void list_is_spread_over_cards_of_168_data();
    void list_is_spread_over_cards_of_168();
    void thirteenth_number_is_followed_by_44_zero_bytes();
    void every_card_is_prepared_whatever_key_it_came_with();
    void bad_row_stops_after_keys_before_any_data_data();
    void bad_row_stops_after_keys_before_any_data();
    void empty_list_writes_the_header_alone();
    void card_with_a_foreign_key_is_refused();
    void write_failures_name_the_step_data();
    void write_failures_name_the_step();

private:
    CardReader m_reader;
    quint32 m_first = 0;
};

void TestBlacklistWriter::init()
{
    VirtualReader::reset();
    m_first = VirtualReader::addBlankCard();
    VirtualReader::placeCard(m_first);
}

void TestBlacklistWriter::list_is_spread_over_cards_of_168_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QVector<int>>("counts");
    QTest::newRow("12 fill sector 2 exactly") << 12 << QVector<int> { 12 };
    QTest::newRow("13 reach sector 3") << 13 << QVector<int> { 13 };
    QTest::newRow("168 fill one card") << 168 << QVector<int> { 168 };
    QTest::newRow("169 need a second card") << 169 << QVector<int> { 168, 1 };
    QTest::newRow("500 need three cards") << 500 << QVector<int> { 168, 168, 164 };
}

void TestBlacklistWriter::list_is_spread_over_cards_of_168()
{
    QFETCH(int, total);
    QFETCH(QVector<int>, counts);
    const QStringList rows = numberRows(total);
    SwapPrompt prompt;
    BlacklistWriter writer(&m_reader, &prompt);

    const BlacklistWriter::Result result = writer.write(rows);
    QCOMPARE(int(result.outcome), int(BlacklistWriter::Outcome::Done));

    QList<int> expectedPrompts;
    for (int k = 2; k <= counts.size(); ++k)
        expectedPrompts.append(k);
    QCOMPARE(prompt.asked, expectedPrompts);
    const QList<quint32> cards = QList<quint32> { m_first } + prompt.cards;

    int index = 0;
    for (int k = 0; k < cards.size(); ++k) {
        Header header;
        QVERIFY(headerOf(cards[k], header));
        QCOMPARE(int(header.total), total);
        QCOMPARE(int(header.index), index);
        QCOMPARE(int(header.count), counts[k]);

        const int usedSectors = (counts[k] + NumbersPerSector - 1) / NumbersPerSector;
        QVector<quint32> stored;
        for (int s = FirstNumberSector; s < FirstNumberSector + usedSectors; ++s)
            stored += parseSectorData(numberArea(cards[k], s), NumbersPerSector);
        for (int i = 0; i < counts[k]; ++i)
            QCOMPARE(QString::number(stored[i]), rows[index + i]);
        for (int i = counts[k]; i < stored.size(); ++i)
            QCOMPARE(stored[i], 0u);
        for (int s = FirstNumberSector + usedSectors; s <= LastNumberSector; ++s)
            QCOMPARE(numberArea(cards[k], s), QByteArray(SectorDataBytes, '\0'));
        QCOMPARE(VirtualReader::block(cards[k], 5), QByteArray(16, '\0'));
        index += counts[k];
    }
}

void TestBlacklistWriter::thirteenth_number_is_followed_by_44_zero_bytes()
{
    QStringList rows = numberRows(12);
    rows.append("258");
    SwapPrompt prompt;
    // The write leaves its row in the audit trail.
    QTemporaryDir dir;
    QVERIFY(prepareDatabase(dir.filePath(kDatabaseFileName)).opened);
    QCOMPARE(
        int(BlacklistWriter(&m_reader, &prompt).write(rows).outcome), int(BlacklistWriter::Outcome::Done));
    const QByteArray sector3 = numberArea(m_first, 3);
    QCOMPARE(sector3.left(4).toHex(' '), QByteArray("00 00 01 02"));
    QCOMPARE(sector3.mid(4), QByteArray(44, '\0'));
    const QVector<AuditRow> trail = AuditTrail::page(AuditFilter(), 0, 10);
    QCOMPARE(trail.size(), 1);
    QCOMPARE(
        trail.first().action + ':' + trail.first().subject + ':' + trail.first().outcome.section(' ', 0, 0),
        QStringLiteral("blacklist card:13 numbers:ok"));
    QSqlDatabase::database().close();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
}

void TestBlacklistWriter::every_card_is_prepared_whatever_key_it_came_with()
{
    // Card 2 is a returned user card (spare-card key), card 3 an old blacklist
    // card (setting-card key), card 1 is fresh (transport key).
    SwapPrompt prompt;
    int made = 0;
    prompt.makeCard = [&made] {
        const quint32 id = VirtualReader::addBlankCard();
        setAllKeys(id, ++made == 1 ? BuiltinKeys::SpareCard : BuiltinKeys::SettingCard);
        return id;
    };
    const BlacklistWriter::Result result = BlacklistWriter(&m_reader, &prompt).write(numberRows(400));
    QCOMPARE(int(result.outcome), int(BlacklistWriter::Outcome::Done));
    QCOMPARE(prompt.cards.size(), 2);
    for (quint32 card : QList<quint32> { m_first } + prompt.cards) {
        for (int s = 0; s < SectorCount; ++s)
            QVERIFY2(
                sectorHasKey(card, s, BuiltinKeys::SettingCard), qPrintable(QString("sector %1").arg(s)));
    }
    Header last;
    QVERIFY(headerOf(prompt.cards.last(), last));
    QCOMPARE(int(last.index), 336);
    QCOMPARE(int(last.count), 64);
}

void TestBlacklistWriter::bad_row_stops_after_keys_before_any_data_data()
{
    QTest::addColumn<QString>("bad");
    QTest::newRow("negative") << "-5";
    QTest::newRow("trailing letter") << "123a";
    QTest::newRow("empty") << "";
    QTest::newRow("beyond 32 bits") << "4294967296";
}

void TestBlacklistWriter::bad_row_stops_after_keys_before_any_data()
{
    QFETCH(QString, bad);
    QStringList rows = numberRows(20);
    rows[6] = bad;
    SwapPrompt prompt;
    const BlacklistWriter::Result result = BlacklistWriter(&m_reader, &prompt).write(rows);
    QCOMPARE(int(result.outcome), int(BlacklistWriter::Outcome::BadRow));
    QCOMPARE(result.row, 7);
    for (int s = 0; s < SectorCount; ++s)
        QVERIFY(sectorHasKey(m_first, s, BuiltinKeys::SettingCard));
    QVERIFY(numberBlocksUntouched(m_first));
    QVERIFY(prompt.asked.isEmpty());
}

void TestBlacklistWriter::empty_list_writes_the_header_alone()
{
    SwapPrompt prompt;
    const BlacklistWriter::Result result = BlacklistWriter(&m_reader, &prompt).write({});
    QCOMPARE(int(result.outcome), int(BlacklistWriter::Outcome::DoneEmpty));
    QCOMPARE(VirtualReader::block(m_first, HeaderBlock), buildHeader(Header { 0, 0, 0 }));
    for (int s = FirstNumberSector; s <= LastNumberSector; ++s)
        QCOMPARE(numberArea(m_first, s), QByteArray(SectorDataBytes, '\0'));
}

void TestBlacklistWriter::card_with_a_foreign_key_is_refused()
{
    QByteArray trailer = VirtualReader::block(m_first, 7 * 4 + 3);
    trailer.replace(0, 6, QByteArray::fromHex("010203040506"));
    trailer.replace(10, 6, QByteArray::fromHex("010203040506"));
    VirtualReader::setBlock(m_first, 7 * 4 + 3, trailer);

    SwapPrompt prompt;
    const BlacklistWriter::Result result = BlacklistWriter(&m_reader, &prompt).write(numberRows(3));
    QCOMPARE(int(result.outcome), int(BlacklistWriter::Outcome::NotFreshCard));
    QVERIFY(numberBlocksUntouched(m_first));
}

void TestBlacklistWriter::write_failures_name_the_step_data()
{
    // A fresh card takes 16 trailer writes to prepare; then each sector is
    // three block writes and the header one.
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("writesBeforeFailure");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("card");
    using O = BlacklistWriter::Outcome;
    QTest::newRow("empty-list header") << 0 << 16 << int(O::EmptyHeaderFailed) << 1;
    QTest::newRow("full sector") << 25 << 16 << int(O::SectorFailed) << 1;
    QTest::newRow("sector holding the last number") << 25 << 22 << int(O::LastSectorFailed) << 1;
    QTest::newRow("last card's header") << 25 << 25 << int(O::LastHeaderFailed) << 1;
    QTest::newRow("full card's last sector") << 169 << 16 + 39 << int(O::SectorFailed) << 1;
    QTest::newRow("full card's header") << 169 << 16 + 42 << int(O::FullHeaderFailed) << 1;
    QTest::newRow("second card's only sector") << 169 << 16 + 43 + 16 << int(O::LastSectorFailed) << 2;
}

void TestBlacklistWriter::write_failures_name_the_step()
{
    QFETCH(int, total);
    QFETCH(int, writesBeforeFailure);
    QFETCH(int, outcome);
    QFETCH(int, card);
    VirtualReader::armStatus(SimStatus::WriteRefused, SimCommand::WriteBlock, writesBeforeFailure);
    SwapPrompt prompt;
    const BlacklistWriter::Result result = BlacklistWriter(&m_reader, &prompt).write(numberRows(total));
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.card, card);
}

QTEST_GUILESS_MAIN(TestBlacklistWriter)
#include "test_blacklist_writer.moc"
