// bench_shared [M] [K...]: for each K (default 1 and 4), K station processes
// run M recharges each (default 300) through the ledger write path against
// one server this program starts; then one station does the same on the
// SQLite file; pgbench runs the same single-row insert with K clients against
// the same server as the baseline. Prints rows/s, p50/p99 of one ledger write
// and the ratios to pgbench.
#include "PgTestServer.h"
#include "ServerSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Figures
{
    double rowsPerSecond = 0;
    double p50Ms = 0;
    double p99Ms = 0;
    bool ok = false;
};

double percentileMs(QVector<qint64> micros, double fraction)
{
    if (micros.isEmpty())
        return 0;
    std::sort(micros.begin(), micros.end());
    const int index = qBound(0, int(fraction * micros.size()), micros.size() - 1);
    return micros.at(index) / 1000.0;
}

Figures figures(const QVector<qint64>& micros, double rowsPerSecond)
{
    return { rowsPerSecond, percentileMs(micros, 0.50), percentileMs(micros, 0.99), !micros.isEmpty() };
}

// K station processes, each in a folder of its own with the settings given
// (none: the station file there).
Figures runStations(int stations, int recharges, const ServerSettings* server)
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < stations; ++i) {
        const QString folder = dir.filePath(QString::number(i));
        QDir().mkpath(folder);
        if (server)
            saveServerSettings(*server, folder + QStringLiteral("/server.ini"));
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->setWorkingDirectory(folder);
        runs.back()->start(QStringLiteral(VELOKA_LEDGER_STATION),
            { QString::number(recharges), QStringLiteral("BENCH%1").arg(i), QStringLiteral("--latencies"),
                QStringLiteral("--wait-start") });
    }
    // As pgbench does, the stations start together once all are connected:
    // one station's start-up is not another's ledger write.
    for (auto& run : runs) {
        while (!run->canReadLine() && run->waitForReadyRead(60000)) { }
        if (run->readLine().trimmed() != "ready") {
            std::fprintf(stderr, "station failed to start: %s\n", run->readAllStandardError().constData());
            return {};
        }
    }
    for (auto& run : runs) {
        run->write("go\n");
        run->waitForBytesWritten(1000);
    }
    QVector<qint64> micros;
    qint64 slowestUs = 0;
    int rows = 0;
    const QRegularExpression summary(QStringLiteral("stored=(\\d+) .* elapsed_us=(\\d+)"));
    for (auto& run : runs) {
        run->waitForFinished(600000);
        const QList<QByteArray> lines = run->readAllStandardOutput().split('\n');
        const QRegularExpressionMatch m = summary.match(QString::fromUtf8(lines.value(0)));
        if (!m.hasMatch()) {
            std::fprintf(stderr, "station failed: %s\n", lines.value(0).constData());
            return {};
        }
        rows += m.captured(1).toInt();
        slowestUs = qMax(slowestUs, m.captured(2).toLongLong());
        for (int i = 1; i < lines.size(); ++i) {
            if (!lines.at(i).isEmpty())
                micros.append(lines.at(i).toLongLong());
        }
    }
    return figures(micros, slowestUs > 0 ? rows * 1e6 / slowestUs : 0);
}

// pgbench with the station's recharge insert, as the station role.
Figures runPgbench(const PgTestServer& server, const QString& database, int clients, int transactions)
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("insert.sql"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(
        "insert into record (id,cardnum,name,addr,phone,carnum,date,manager,pay,pay_old,pay_new,sn,note,"
        "entry_key) values (NULL,1,'','','','','2024-01-01 00.00.00','bench','1.00','0.00','1.00',"
        "'PGBENCH','',gen_random_uuid());\n");
    file.close();
    const QString bin
        = qEnvironmentVariable("VELOKA_PG_BINDIR", QStringLiteral("/usr/lib/postgresql/15/bin"));
    QProcess pgbench;
    pgbench.setWorkingDirectory(dir.path());
    pgbench.start(bin + QStringLiteral("/pgbench"),
        { QStringLiteral("-n"), QStringLiteral("-h"), server.socketDir(), QStringLiteral("-p"),
            QString::number(server.port()), QStringLiteral("-U"), PgTestServer::stationRole(),
            QStringLiteral("-c"), QString::number(clients), QStringLiteral("-j"), QString::number(clients),
            QStringLiteral("-t"), QString::number(transactions), QStringLiteral("-f"), script,
            QStringLiteral("-l"), QStringLiteral("--log-prefix=") + dir.filePath(QStringLiteral("pgb")),
            database });
    pgbench.waitForFinished(600000);
    const QString out = QString::fromUtf8(pgbench.readAll());
    if (pgbench.exitCode() != 0) {
        std::fprintf(
            stderr, "pgbench failed: %s\n", qPrintable(QString::fromUtf8(pgbench.readAllStandardError())));
        return {};
    }
    const QRegularExpressionMatch tps
        = QRegularExpression(QStringLiteral("tps = ([0-9.]+) \\(without initial connection time\\)"))
              .match(out);
    // Per transaction: client, number, latency in microseconds, ...
    QVector<qint64> micros;
    for (const QString& name : QDir(dir.path()).entryList({ QStringLiteral("pgb*") })) {
        QFile log(dir.filePath(name));
        if (!log.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : log.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() >= 3)
                micros.append(fields.at(2).toLongLong());
        }
    }
    return figures(micros, tps.captured(1).toDouble());
}

void print(const char* what, const Figures& f)
{
    std::printf(
        "  %-28s %9.0f rows/s   p50 %6.2f ms   p99 %6.2f ms\n", what, f.rowsPerSecond, f.p50Ms, f.p99Ms);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int recharges = args.size() > 1 ? args.at(1).toInt() : 300;
    QVector<int> counts;
    for (int i = 2; i < args.size(); ++i)
        counts.append(args.at(i).toInt());
    if (counts.isEmpty())
        counts = { 1, 4 };

    PgTestServer server;
    if (!server.start()) {
        std::fprintf(stderr, "server did not start: %s\n", qPrintable(server.error()));
        return 1;
    }
    std::printf("%d recharges per station, fsync on\n", recharges);
    for (const int stations : qAsConst(counts)) {
        const QString database = server.freshLedger();
        const ServerSettings settings = server.stationSettings(database);
        const Figures station = runStations(stations, recharges, &settings);
        const Figures baseline = runPgbench(server, database, stations, recharges);
        if (!station.ok || !baseline.ok)
            return 1;
        std::printf("K=%d\n", stations);
        print("stations on the server", station);
        print("pgbench, same insert", baseline);
        std::printf("  ratio to pgbench: p50 %.2f, p99 %.2f, rows/s %.2f\n", station.p50Ms / baseline.p50Ms,
            station.p99Ms / baseline.p99Ms, station.rowsPerSecond / baseline.rowsPerSecond);
    }
    const Figures file = runStations(1, recharges, nullptr);
    if (!file.ok)
        return 1;
    std::printf("K=1 on the station file\n");
    print("station on SQLite", file);
    return 0;
}
