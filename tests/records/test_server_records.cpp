#include "FileDialog.h"
#include "GridModel.h"
#include "ManStore.h"
#include "MessageBox.h"
#include "PgTestServer.h"
#include "RecordDialog.h"
#include "RecordIndex.h"
#include "ServerConnection.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

// The browsers' queries on a real PostgreSQL server: no side index there, the
// same paging and searches as SQL on the server.
class TestServerRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VELOKA_START_PG_SERVER(m_server); }

    void pages_and_searches_run_on_the_server()
    {
        const DatabaseStartup startup
            = prepareServerDatabase(m_server.stationSettings(m_server.freshLedger()));
        QVERIFY2(startup.opened && !startup.schemaMissing, qPrintable(startup.serverError));
        QVERIFY(!RecordIndex::acquire());
        QVERIFY(QSqlQuery().exec(
            QStringLiteral("insert into \"user\" (id, cardnum, name, phone) select g, "
                           "case when g = 129 then 4294967295 else g end, 'Holder ' || g, '139' || g "
                           "from generate_series(1, 300) as g")));

        GridModel model;
        model.setTitles(QVector<QString>(12).toList());
        model.setTable(BrowserTable::user());
        RowSet all = RecordQuery::all(BrowserTable::user());
        QVERIFY(all.found());
        model.setRows(std::move(all.ids));
        QCOMPARE(model.totalRows(), qint64(300));
        for (int row : { 127, 128, 299 })
            QCOMPARE(model.text(row, 0), QString::number(row + 1));
        QCOMPARE(model.text(128, 1), QStringLiteral("4294967295"));
        QCOMPARE(model.text(128, 2), QStringLiteral("Holder 129"));

        // Case ignored as on the file; "_" stays a wildcard.
        const RowSet byName = RecordQuery::byName(BrowserTable::user(), QStringLiteral("HOLDER 29"));
        QCOMPARE(byName.ids.count(), qint64(11));
        QCOMPARE(byName.ids.idAt(0), qint64(29));
        QCOMPARE(RecordQuery::byPhone(BrowserTable::user(), QStringLiteral("1393")).ids.count(), qint64(12));
        QCOMPARE(RecordQuery::byPhone(BrowserTable::user(), QStringLiteral("139_00")).ids.count(), qint64(3));
        QCOMPARE(RecordQuery::byName(BrowserTable::user(), QStringLiteral("nobody")).status,
            LookupStatus::NotFound);

        // The administrator list reads the same way.
        QVERIFY(addMan(QStringLiteral("clerk"), QStringLiteral("7")));
        IdRuns men;
        QVERIFY(manIds(men));
        GridModel accounts;
        accounts.setTitles({ QString(), QString() });
        accounts.setTable(BrowserTable::man());
        accounts.setRows(std::move(men));
        QCOMPARE(accounts.totalRows(), qint64(2));
        QCOMPARE(accounts.text(0, 0), QStringLiteral("admin"));
        QCOMPARE(accounts.text(1, 1), QStringLiteral("7"));
    }

    // The server counts a table's ids only by reading them all: a browser
    // shows the first rows at once and takes the whole list when read, and
    // an export waits for it.
    void browser_shows_first_rows_then_all_of_them()
    {
        QVERIFY(prepareServerDatabase(m_server.stationSettings(m_server.freshLedger())).opened);
        const int rows = GridModel::kWindowRows + 50;
        QVERIFY(QSqlQuery().exec(
            QStringLiteral("insert into record (cardnum, name, date) select g, 'Holder ' || g, "
                           "'2026-01-01 00.00.00' from generate_series(1, %1) as g")
                .arg(rows)));
        MessageBox::setTestMode(true);
        FileDialog::setTestMode(true);
        RecordDialog dialog;
        dialog.show();
        QCOMPARE(dialog.model()->totalRows(), qint64(GridModel::kWindowRows));
        QTRY_COMPARE(dialog.model()->totalRows(), qint64(rows));
        // A search while the list is read keeps its own rows.
        {
            RecordDialog searched;
            searched.show();
            searched.findChild<QLineEdit*>(QStringLiteral("edit_recordScName"))
                ->setText(QStringLiteral("Holder 10049"));
            QTest::mouseClick(
                searched.findChild<QPushButton*>(QStringLiteral("btn_recordScName")), Qt::LeftButton);
            QTest::qWait(1000);
            QCOMPARE(searched.model()->totalRows(), qint64(1));
        }
        QCOMPARE(dialog.model()->text(rows - 1, 2), QStringLiteral("Holder %1").arg(rows));

        const QTemporaryDir dir;
        FileDialog::setNextFileName(dir.filePath(QStringLiteral("records.xlsx")));
        QTest::mouseClick(
            dialog.findChild<QPushButton*>(QStringLiteral("btn_refresh_record")), Qt::LeftButton);
        QCOMPARE(dialog.model()->totalRows(), qint64(GridModel::kWindowRows));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btn_export_execl")), Qt::LeftButton);
        QCOMPARE(dialog.model()->totalRows(), qint64(rows));
        QCOMPARE(MessageBox::last().text, QStringLiteral("导出成功"));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("records.xlsx"))).size() > 0);
        MessageBox::setTestMode(false);
        FileDialog::setTestMode(false);
    }

    // A read on a connection the server dropped opens it anew; a page that
    // cannot be read is said once, not kept empty, and read again later.
    void reads_come_back_after_the_server_restarts()
    {
        QVERIFY(prepareServerDatabase(m_server.stationSettings(m_server.freshLedger())).opened);
        QVERIFY(QSqlQuery().exec(QStringLiteral("insert into \"user\" (id, cardnum, name) select g, g, "
                                                "'Holder ' || g from generate_series(1, 300) as g")));
        GridModel model;
        model.setTitles(QVector<QString>(12).toList());
        model.setTable(BrowserTable::user());
        model.setRows(RecordQuery::all(BrowserTable::user()).ids);
        QCOMPARE(model.text(0, 2), QStringLiteral("Holder 1"));
        QVERIFY(m_server.stop(QStringLiteral("immediate")) && m_server.resume());
        QCOMPARE(model.text(128, 2), QStringLiteral("Holder 129"));

        QSignalSpy failed(&model, &GridModel::readFailed);
        QVERIFY(m_server.stop(QStringLiteral("immediate")));
        QCOMPARE(model.text(256, 2), QString());
        QCOMPARE(model.text(257, 2), QString());
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(
            RecordQuery::byName(BrowserTable::user(), QStringLiteral("Holder")).status, LookupStatus::Failed);
        QVERIFY(m_server.resume());
        QTRY_COMPARE_WITH_TIMEOUT(model.text(256, 2), QStringLiteral("Holder 257"), 3 * GridModel::kRetryMs);
        QCOMPARE(failed.count(), 1);
    }

private:
    PgTestServer m_server;
};

QTEST_MAIN(TestServerRecords)
#include "test_server_records.moc"
