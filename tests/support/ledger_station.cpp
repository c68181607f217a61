// A station without a reader or windows: it opens the ledger as the station
// does (server.ini in the working directory, else database.db there) and runs
// recharges through the ledger write path, so that tests and the shared-ledger
// bench can run several stations as processes against one server.
//
//   veloka_ledger_station COUNT SN [--hold-ms MS] [--latencies] [--wait-start]
//
// Each recharge secures its row, holds for the card work, and keeps it. At the
// end the outbox is delivered until empty (at most 120 s: a
// server restarting after a crash may take long to take rows again). Prints one line
//   stored=N kept=N lost=N refused=N waiting=N elapsed_us=N
// (elapsed: the recharges, without start-up and the final delivery) and with --latencies each ledger write's
// time in microseconds, one a line. With --wait-start it prints "ready" once
// the ledger is open and starts the recharges on a line read from its input,
// so that several stations start together, past their start-up.
#include "Database.h"
#include "LedgerWrite.h"
#include "Outbox.h"
#include "ServerConnection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>
#include <QVector>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("count"), QStringLiteral("recharges to run"));
    parser.addPositionalArgument(QStringLiteral("sn"), QStringLiteral("reader serial the rows carry"));
    const QCommandLineOption hold(QStringLiteral("hold-ms"), QStringLiteral("card work per recharge"),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption latencies(
        QStringLiteral("latencies"), QStringLiteral("print each write's time"));
    const QCommandLineOption waitStart(
        QStringLiteral("wait-start"), QStringLiteral("start on a line read from the input"));
    parser.addOption(hold);
    parser.addOption(latencies);
    parser.addOption(waitStart);
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        std::fprintf(
            stderr, "usage: veloka_ledger_station COUNT SN [--hold-ms MS] [--latencies] [--wait-start]\n");
        return 2;
    }
    const int count = args.at(0).toInt();
    const QString sn = args.at(1);
    const int holdMs = parser.value(hold).toInt();

    const ServerSettings server = loadServerSettings();
    const DatabaseStartup startup = server.useServer ? prepareServerDatabase(server) : prepareDatabase();
    if (!startup.opened || startup.schemaMissing) {
        std::fprintf(stderr, "ledger not open: %s\n", qPrintable(startup.serverError));
        return 1;
    }
    if (parser.isSet(waitStart)) {
        std::printf("ready\n");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return 1;
    }

    int stored = 0;
    int kept = 0;
    int lost = 0;
    int refused = 0;
    QVector<qint64> micros;
    micros.reserve(count);
    QElapsedTimer run;
    run.start();
    for (int i = 0; i < count; ++i) {
        RechargeRow row;
        row.cardnum = quint32(i + 1);
        row.date = QDateTime::currentDateTime().toString(kRecordTimeFormat);
        row.manager = QStringLiteral("bench");
        row.pay = QStringLiteral("1.00");
        row.payOld = QStringLiteral("0.00");
        row.payNew = QStringLiteral("1.00");
        row.sn = sn;
        QElapsedTimer clock;
        clock.start();
        LedgerWrite ledger;
        if (ledger.secure(LedgerEntry::make(row)) != LedgerSecure::Secured) {
            ++refused;
            continue;
        }
        qint64 spent = clock.nsecsElapsed();
        if (holdMs > 0)
            QThread::msleep(ulong(holdMs));
        clock.restart();
        switch (ledger.keep()) {
        case LedgerKept::Stored:
            ++stored;
            break;
        case LedgerKept::KeptLocally:
            ++kept;
            break;
        case LedgerKept::Lost:
            ++lost;
            break;
        }
        spent += clock.nsecsElapsed();
        micros.append(spent / 1000);
    }

    const qint64 elapsedUs = run.nsecsElapsed() / 1000;
    const Outbox outbox;
    QElapsedTimer waited;
    waited.start();
    while (outbox.count() > 0 && waited.elapsed() < 120000) {
        ensureLedgerConnection();
        if (outbox.deliver().waiting > 0)
            QThread::msleep(200);
    }
    std::printf("stored=%d kept=%d lost=%d refused=%d waiting=%d elapsed_us=%lld\n", stored, kept, lost,
        refused, outbox.count(), static_cast<long long>(elapsedUs));
    if (parser.isSet(latencies)) {
        for (const qint64 us : qAsConst(micros))
            std::printf("%lld\n", static_cast<long long>(us));
    }
    return 0;
}
