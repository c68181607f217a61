#include "BenchData.h"
#include "BrowseRun.h"
#include "MessageBox.h"
#include "PgTestServer.h"
#include "ServerConnection.h"

#include <QApplication>

// RecordDialog on a large record table of a PostgreSQL server the bench starts
// itself (Unix socket, default settings), through the station role; the rows
// are those of BenchData::fill, written by the server itself, less one in a
// thousand: ids that cancelled operations took leave gaps on a server.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-warning}%{message}%{endif}"));
    const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;
    PgTestServer server;
    if (!server.start()) {
        std::fprintf(stderr, "server did not start: %s\n", qPrintable(server.error()));
        return 1;
    }
    const QString database = server.freshLedger();
    QElapsedTimer timer;
    timer.start();
    const QString fill = QStringLiteral(
        "insert into record (cardnum,name,addr,phone,carnum,date,manager,pay,pay_old,pay_new,sn,note) "
        "select 3000000000 + i, '张三' || (i % 997), '北京市海淀区中关村大街' || (i % 300) || '号', "
        "'138' || lpad((i % 100000000)::text, 8, '0'), '京A' || lpad((i % 100000)::text, 5, '0'), "
        "format('2024-%s-%s %s.%s.%s', lpad((1 + i % 12)::text, 2, '0'), lpad((1 + i % 28)::text, 2, '0'), "
        "lpad((i / 3600 % 24)::text, 2, '0'), lpad((i / 60 % 60)::text, 2, '0'), lpad((i % 60)::text, 2, "
        "'0')), "
        "'admin', '50.00', '12.34', '62.34', '00042', '备注' from generate_series(0, %1) as i;");
    if (!server.runAdmin(database, fill.arg(rows - 1))
        || !server.runAdmin(
            database, QStringLiteral("delete from record where id % 1000 = 7; vacuum analyze record;"))) {
        std::fprintf(stderr, "filling the server failed\n");
        return 1;
    }
    const double filled = BenchData::seconds(timer);
    if (!prepareServerDatabase(server.stationSettings(database)).opened) {
        std::fprintf(stderr, "the station did not open the server\n");
        return 1;
    }
    MessageBox::setTestMode(true);
    std::printf("rows                          %d x 13 on the server (filled and analysed in %.1f s)\n", rows,
        filled);
    return BrowseRun::measure(rows);
}
