#include "BenchData.h"
#include "DatabaseImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

// Merging a source of N rows per record table (half of them already present)
// into a station holding N, against the sqlite3 tool doing the same merge in
// plain SQL with the same indexes. Both start from identical copies.
namespace {

const char* const kMergeSql = R"(
attach '%1' as src;
create index if not exists user_cardnum on user (cardnum);
create index if not exists record_cardnum_date on record (cardnum, date);
create index if not exists backcard_cardnum_date on backcard (cardnum, date);
create index if not exists devch_date on devch (date);
begin;
insert into user (cardnum,name,addr,phone,carnum,date,manager,sn,note)
  select cardnum,name,addr,phone,carnum,date,manager,sn,note from src.user s
  where not exists (select 1 from main.user u where u.cardnum = s.cardnum);
insert into record (cardnum,name,addr,phone,carnum,date,manager,pay,pay_old,pay_new,sn,note)
  select cardnum,name,addr,phone,carnum,date,manager,pay,pay_old,pay_new,sn,note from src.record s
  where not exists (select 1 from main.record r where r.cardnum = s.cardnum and r.date = s.date);
insert into backcard (cardnum,name,addr,phone,carnum,date,manager,pay,sn,note)
  select cardnum,name,addr,phone,carnum,date,manager,pay,sn,note from src.backcard s
  where not exists (select 1 from main.backcard b where b.cardnum = s.cardnum and b.date = s.date);
insert into devch (money,sn,ver,manager,date)
  select money,sn,ver,manager,date from src.devch s
  where not exists (select 1 from main.devch d where d.date = s.date);
commit;
)";

class Silent : public DatabaseImport::Progress
{
public:
    void tableStarted(DatabaseImport::Table, int) override { }
    bool rowReached(int) override { return true; }
};

// Processor time (user and system) of this process or of its waited-for children.
double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 total(const QString& path)
{
    qint64 rows = -1;
    {
        QSqlDatabase db = addStationConnection(path, QStringLiteral("bench_count"));
        db.open();
        QSqlQuery query(db);
        query.exec(QStringLiteral("select (select count(*) from user) + (select count(*) from record) + "
                                  "(select count(*) from backcard) + (select count(*) from devch)"));
        if (query.next())
            rows = query.value(0).toLongLong();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench_count"));
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-warning}%{message}%{endif}"));
    const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;
    const int batch = argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 0;
    QTemporaryDir dir;
    const QString station = dir.filePath(QStringLiteral("station.db"));
    const QString source = dir.filePath(QStringLiteral("source.db"));
    const QString plain = dir.filePath(QStringLiteral("plain.db"));
    BenchData::fill(station, 0, rows);
    BenchData::fill(source, rows / 2, rows);
    QFile::copy(station, plain);
    QSqlDatabase::removeDatabase(QStringLiteral("bench_count"));

    QElapsedTimer timer;
    timer.start();
    const double toolCpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    BenchData::run(QStringLiteral("sqlite3"), { plain }, QString::fromLatin1(kMergeSql).arg(source).toUtf8());
    const double tool = BenchData::seconds(timer);
    const double toolCpu = cpuSeconds(RUSAGE_CHILDREN) - toolCpuBefore;

    openDatabase(station);
    timer.restart();
    const double mergeCpuBefore = cpuSeconds(RUSAGE_SELF);
    DatabaseImport importer;
    if (batch > 0)
        importer.setBatchSize(batch);
    importer.open(source);
    Silent progress;
    const DatabaseImport::Result result = importer.merge(&progress);
    const double merge = BenchData::seconds(timer);
    const double mergeCpu = cpuSeconds(RUSAGE_SELF) - mergeCpuBefore;
    QSqlDatabase::database().close();

    std::printf(
        "rows per table                %d in the station, %d in the source (half present)\n", rows, rows);
    std::printf(
        "sqlite3 tool, plain SQL       %.3f s (cpu %.3f s)   rows after %lld\n", tool, toolCpu, total(plain));
    std::printf(
        "DatabaseImport                %.3f s (cpu %.3f s)   rows after %lld   merged %d skipped %d\n", merge,
        mergeCpu, total(station), result.merged, result.skipped);
    std::printf(
        "ratio                         %.2f (target <= 3), cpu %.2f\n", merge / tool, mergeCpu / toolCpu);
    return result.outcome == DatabaseImport::Outcome::Merged ? 0 : 1;
}
