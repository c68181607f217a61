#include "AuditModel.h"
#include "AuditTrail.h"
#include "DatabaseBackup.h"
#include "DatabaseImport.h"
#include "LoginLockout.h"
#include "ManStore.h"
#include "ServerSettings.h"
#include "StationClock.h"
#include "StoreFixture.h"

#include <QtTest>
#include <functional>

// An action on a scratch folder.
using Act = std::function<void(const QString&)>;
Q_DECLARE_METATYPE(Act)

namespace {

const QDateTime kStart(QDate(2026, 3, 2), QTime(9, 30), Qt::UTC);

AuditRow lastRow()
{
    const QVector<AuditRow> rows = AuditTrail::page(AuditFilter(), 0, 1);
    return rows.isEmpty() ? AuditRow() : rows.first();
}

} // namespace

// The audit trail on the back end the executable was built for: the rows the
// store's own operations leave, the lock-out it keeps, the viewer's model.
class TestAudit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_ledger.start(); }
    void init()
    {
        VELOKA_OPEN_LEDGER(m_ledger);
        StationClock::setTestTime(kStart);
        AuditTrail::setOperator(QStringLiteral("admin"));
        AuditTrail::setStationSerial(QStringLiteral("00007"));
    }
    void cleanup()
    {
        StationClock::useSystemTime();
        dropDefaultConnection();
    }

    void store_operations_leave_one_row_each_data()
    {
        QTest::addColumn<Act>("act");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("outcome");

        QTest::newRow("administrator added") << Act([](const QString&) { addMan("bob", "1"); })
                                             << AuditAction::AdminAdd << "bob" << AuditOutcome::Ok;
        QTest::newRow("administrator changed") << Act([](const QString&) {
            addMan("bob", "1");
            changeMan(findManLike("bob").row.id, "bob", "2");
        }) << AuditAction::AdminChange << "bob" << AuditOutcome::Ok;
        QTest::newRow("administrator deleted") << Act([](const QString&) {
            addMan("bob", "1");
            deleteMan(findManLike("bob").row.id);
        }) << AuditAction::AdminDelete << "bob" << AuditOutcome::Ok;
        QTest::newRow("backup") << Act([](const QString& dir) {
            QFile source(dir + "/source.db");
            QVERIFY(source.open(QIODevice::WriteOnly));
            source.close();
            DatabaseBackup::copy(source.fileName(), dir + "/copy.db");
        }) << AuditAction::Backup
                                << "copy.db" << AuditOutcome::Ok;
        QTest::newRow("import of no database")
            << Act([](const QString& dir) { DatabaseImport().open(dir + "/none.db"); }) << AuditAction::Import
            << "none.db"
            << "failed 1";
        QTest::newRow("server settings saved")
            << Act([](const QString& dir) { saveServerSettings(ServerSettings(), dir + "/server.ini"); })
            << AuditAction::ConfigChange << "server.ini" << AuditOutcome::Ok;
    }

    void store_operations_leave_one_row_each()
    {
        QFETCH(Act, act);
        QFETCH(QString, action);
        QFETCH(QString, subject);
        QFETCH(QString, outcome);

        QTemporaryDir dir;
        act(dir.path());
        AuditFilter filter;
        filter.action = action;
        QCOMPARE(AuditTrail::count(filter), 1);
        const AuditRow row = lastRow();
        QCOMPARE(row.action, action);
        QVERIFY2(row.subject.endsWith(subject), qPrintable(row.subject));
        QCOMPARE(row.outcome, outcome);
        QCOMPARE(row.manager, QStringLiteral("admin"));
        QCOMPARE(row.sn, QStringLiteral("00007"));
        QCOMPARE(row.time, kStart.toSecsSinceEpoch());
    }

    void fifth_failure_locks_the_name_for_five_minutes()
    {
        const QString name = QStringLiteral("bob");
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!LoginLockout::failed(name, AuditOutcome::WrongPassword).isValid());
            StationClock::advance(60);
        }
        const QDateTime until = LoginLockout::failed(name, AuditOutcome::WrongPassword);
        QCOMPARE(until, StationClock::now().addSecs(LoginLockout::kLockSecs));
        QCOMPARE(LoginLockout::lockedUntil(name), until);
        QVERIFY(!LoginLockout::lockedUntil(QStringLiteral("admin")).isValid());

        StationClock::advance(LoginLockout::kLockSecs - 1);
        QCOMPARE(LoginLockout::lockedUntil(name), until);
        StationClock::advance(1);
        QVERIFY(!LoginLockout::lockedUntil(name).isValid());
        // The failures before the lock are spent: one more does not lock again.
        QVERIFY(!LoginLockout::failed(name, AuditOutcome::WrongName).isValid());
    }

    void success_and_time_reset_the_count()
    {
        const QString name = QStringLiteral("bob");
        for (int i = 0; i < 4; ++i)
            LoginLockout::failed(name, AuditOutcome::WrongPassword);
        LoginLockout::succeeded(name);
        QVERIFY(!LoginLockout::failed(name, AuditOutcome::WrongPassword).isValid());

        for (int i = 0; i < 3; ++i)
            LoginLockout::failed(name, AuditOutcome::WrongPassword);
        // Ten minutes on, the first four have left the window.
        StationClock::advance(LoginLockout::kWindowSecs + 1);
        QVERIFY(!LoginLockout::failed(name, AuditOutcome::WrongPassword).isValid());
        // Refused attempts while locked do not count either.
        LoginLockout::refused(name);
        QVERIFY(!LoginLockout::failed(name, AuditOutcome::WrongPassword).isValid());
    }

    void model_reads_only_the_pages_shown_and_filters()
    {
        const int rows = 3 * AuditModel::kPageRows + 10;
        QVERIFY(QSqlDatabase::database().transaction());
        for (int i = 0; i < rows; ++i) {
            AuditTrail::setOperator(i % 2 ? QStringLiteral("bob") : QStringLiteral("admin"));
            AuditTrail::record(i % 3 ? AuditAction::CardRecharge : AuditAction::CardIssue, QString::number(i),
                AuditOutcome::Ok);
            StationClock::advance(60);
        }
        QVERIFY(QSqlDatabase::database().commit());
        AuditModel model;
        model.setFilter(AuditFilter());
        QCOMPARE(model.rowCount(), rows);
        QCOMPARE(model.pagesRead(), 0);
        // Newest first; reading on pages by id, a jump by position.
        QCOMPARE(model.index(0, AuditModel::Subject).data().toString(), QString::number(rows - 1));
        QCOMPARE(model.index(AuditModel::kPageRows, AuditModel::Subject).data().toString(),
            QString::number(rows - 1 - AuditModel::kPageRows));
        QCOMPARE(model.index(rows - 1, AuditModel::Subject).data().toString(), QStringLiteral("0"));
        QCOMPARE(model.pagesRead(), 3);
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

        AuditFilter filter;
        filter.manager = QStringLiteral("bob");
        filter.action = AuditAction::CardIssue;
        filter.from = kStart.addSecs(60 * 100);
        filter.to = kStart.addSecs(60 * 200);
        model.setFilter(filter);
        // Odd i in [100, 200) divisible by 3: 105, 111, ..., 195.
        QCOMPARE(model.rowCount(), 16);
        QCOMPARE(model.index(0, AuditModel::Subject).data().toString(), QStringLiteral("195"));
        QCOMPARE(model.index(0, AuditModel::Manager).data().toString(), QStringLiteral("bob"));
        QCOMPARE(AuditTrail::managers(), QStringList({ "admin", "bob" }));
    }

    void clock_follows_the_system_unless_set()
    {
        StationClock::useSystemTime();
        QVERIFY(qAbs(StationClock::now().msecsTo(QDateTime::currentDateTime())) < 2000);
    }

private:
    StoreLedger m_ledger;
};

QTEST_GUILESS_MAIN(TestAudit)
#include "test_audit.moc"
