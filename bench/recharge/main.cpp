#include "CardImage.h"
#include "CardQuery.h"
#include "CardRecharge.h"
#include "Database.h"
#include "VirtualReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QVector>
#include <algorithm>
#include <cstdio>

namespace {

constexpr quint8 UserSector = 3;
constexpr int ReportMs = 1;
constexpr int LookupMs = 5;
constexpr int Rounds = 30;

// Reports a sale-mode read and recharge must exchange, one request and one
// response per command: read = preamble + 3 block reads; recharge = preamble
// + 2 block reads + (write + verify read) for blocks 2 and 1.
constexpr int ReadCommands = 1 + 3;
constexpr int RechargeCommands = 1 + 2 + 2 * 2;
constexpr int FloorReports = 2 * (ReadCommands + RechargeCommands);

quint32 issuedCard()
{
    const quint32 id = VirtualReader::addBlankCard();
    const QByteArray image = makeCardImage(0, id, 0);
    VirtualReader::setBlock(id, UserSector * 4 + 1, image);
    VirtualReader::setBlock(id, UserSector * 4 + 2, image);
    const QByteArray key(reinterpret_cast<const char*>(BuiltinKeys::DefaultUser.data()), 6);
    VirtualReader::setBlock(id, UserSector * 4 + 3, key + QByteArray::fromHex("FF078069") + key);
    return id;
}

struct Run
{
    double ms = 0;
    VirtualReader::Counters counters;
};

Run readAndRecharge(const UserCardStation& station, quint32 id)
{
    VirtualReader::resetCounters();
    QElapsedTimer clock;
    clock.start();
    const CardQueryResult read = CardQuery(station).read();
    const RechargeResult recharge = CardRecharge(station).recharge(read.id, 1);
    Run run;
    run.ms = clock.nsecsElapsed() / 1e6;
    run.counters = VirtualReader::counters();
    if (read.outcome != CardQueryResult::Read || recharge.outcome != RechargeResult::Recharged
        || read.id != id)
        std::fprintf(stderr, "recharge failed: read %d, recharge %d\n", read.outcome, recharge.outcome);
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The virtual reader rewrites its state file at every frame; in memory
    // that costs microseconds, on a disk file system more than the delays.
    QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/veloka-bench-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/veloka-bench-XXXXXX"));
    openDatabase(dir.filePath(QStringLiteral("database.db")));
    createTables();
    VirtualReader::useStateFile(dir.filePath(QStringLiteral("virtual-reader.json")));
    VirtualReader::reset();
    VirtualReader::Delays delays;
    delays.reportMs = ReportMs;
    delays.lookupMs = LookupMs;
    VirtualReader::setDelays(delays);
    const quint32 id = issuedCard();
    VirtualReader::placeCard(id);

    CardReader reader;
    UserCardStation station;
    station.reader = &reader;
    station.config.usr_sect = UserSector;
    station.config.limit_money = 100000000;
    station.session.managerName = QStringLiteral("bench");
    station.session.readerSerial = QStringLiteral("00001");

    const Run cold = readAndRecharge(station, id);
    QVector<double> warm;
    Run last;
    for (int i = 0; i < Rounds; ++i) {
        last = readAndRecharge(station, id);
        warm.append(last.ms);
    }
    std::sort(warm.begin(), warm.end());
    const double median = warm[warm.size() / 2];
    const double floor = FloorReports * ReportMs;
    const qint64 reports = last.counters.reportsWritten + last.counters.reportsRead;
    // The reader has no switch to look the device up at every open, so that
    // cost is computed from the opens counted in the run.
    const qint64 opensSaved = last.counters.opens - last.counters.lookups;
    const double freshLookup = median + double(opensSaved) * LookupMs;

    std::printf("read + recharge against the virtual reader (%d ms per report, %d ms per device look-up)\n",
        ReportMs, LookupMs);
    std::printf(
        "  floor:                     %6.1f ms (%d reports x %d ms)\n", floor, FloorReports, ReportMs);
    std::printf("  measured, first (cold):    %6.1f ms (%lld look-ups)\n", cold.ms, cold.counters.lookups);
    std::printf("  measured, median of %d:    %6.1f ms (%lld reports, %lld opens, %lld look-ups)\n", Rounds,
        median, reports, last.counters.opens, last.counters.lookups);
    std::printf("  ratio median / floor:      %6.2f\n", median / floor);
    std::printf("  look-up at every open:     %6.1f ms (computed: + %lld opens x %d ms), ratio %.2f\n",
        freshLookup, opensSaved, LookupMs, freshLookup / floor);
    std::printf("  reopening by path saves:   %6.1f ms per recharge\n", freshLookup - median);
    return reports == FloorReports ? 0 : 1;
}
