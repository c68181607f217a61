#include "Database.h"
#include "RecordStore.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

// The program's command-line jobs on the station file, run as an operator's
// script runs them.
class TestStationCommand : public QObject
{
    Q_OBJECT

    struct Run
    {
        int exitCode = -1;
        QByteArray stderrText;
    };

    static Run veloka(const QString& folder, const QStringList& arguments)
    {
        QProcess process;
        process.setWorkingDirectory(folder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELOKA_PROGRAM), arguments);
        Run run;
        if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
            run.exitCode = process.exitCode();
        run.stderrText = process.readAllStandardError();
        return run;
    }

    static int recharges(const QString& file)
    {
        int count = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(file);
            QSqlQuery query(db);
            if (db.open() && query.exec(QStringLiteral("select count(*) from record")) && query.next())
                count = query.value(0).toInt();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        return count;
    }

private slots:
    void snapshot_and_import_from_the_command_line()
    {
        QTemporaryDir a;
        QTemporaryDir b;
        QVERIFY(prepareDatabase(a.filePath(kDatabaseFileName)).opened);
        RechargeRow row;
        row.cardnum = 9;
        row.date = QStringLiteral("2024-05-01 10.00.00");
        row.pay = QStringLiteral("3.00");
        QVERIFY(insertRechargeRow(row));
        QSqlDatabase::database().close();
        QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));

        const QString snapshot = a.filePath(QStringLiteral("snapshot.db"));
        Run run = veloka(a.path(), { QStringLiteral("--export-snapshot"), snapshot });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.stderrText.count('\n'), 1);
        QCOMPARE(recharges(snapshot), 1);
        run = veloka(a.path(), { QStringLiteral("--export-snapshot"), a.filePath(kDatabaseFileName) });
        QCOMPARE(run.exitCode, 1);

        run = veloka(b.path(), { QStringLiteral("--import"), snapshot });
        QCOMPARE(run.exitCode, 0);
        run = veloka(b.path(), { QStringLiteral("--import"), snapshot });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(recharges(b.filePath(kDatabaseFileName)), 1);

        run = veloka(b.path(), { QStringLiteral("--import"), a.filePath(QStringLiteral("missing.db")) });
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.stderrText.count('\n'), 1);
        QVERIFY(!QFileInfo::exists(a.filePath(QStringLiteral("missing.db"))));
    }
};

QTEST_GUILESS_MAIN(TestStationCommand)
#include "test_stationcommand.moc"
