#include "GridModel.h"
#include "RecordDialog.h"
#include "RecordIndex.h"
#include "RecordsFixture.h"
#include "SheetExport.h"
#include "WorkbookReader.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <limits>

namespace {

constexpr qint64 kNoBound = std::numeric_limits<qint64>::min();

// Rows 1..count of record, named by `name(i)`, in one transaction.
void addRecords(
    int count, const std::function<QString(int)>& name, const QString& date = "2024-05-06 07.08.09")
{
    QSqlDatabase db = QSqlDatabase::database();
    QVERIFY(db.transaction());
    QSqlQuery insert;
    QVERIFY(insert.prepare(
        QStringLiteral("insert into record (cardnum, name, phone, date) values (?, ?, ?, ?)")));
    for (int i = 1; i <= count; ++i) {
        insert.addBindValue(i);
        insert.addBindValue(name(i));
        insert.addBindValue(QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')));
        insert.addBindValue(date);
        QVERIFY(insert.exec());
    }
    QVERIFY(db.commit());
}

QVector<qint64> idsOf(const IdRuns& ids)
{
    QVector<qint64> list;
    for (qint64 row = 0; row < ids.count(); ++row)
        list.append(ids.idAt(row));
    return list;
}

QVector<qint64> ledgerLike(const QString& table, const QString& column, const QString& text)
{
    IdRuns ids;
    RecordIndex::ledgerLike(QSqlDatabase::database(), table, column, '%' + text + '%', kNoBound, ids);
    return idsOf(ids);
}

QVector<qint64> indexed(RecordIndex& index, const QString& table, const QString& column, const QString& text)
{
    IdRuns ids;
    if (!index.search(table, column, text, ids))
        return { -1 };
    return idsOf(ids);
}

void click(QWidget* window, const char* button)
{
    QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
}

} // namespace

class TestRecordIndex : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture.open(); }
    void cleanup() { m_fixture.close(); }

    void index_search_finds_what_like_finds_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("names");
        QTest::newRow("substring, ascii case") << "name"
                                               << "ang" << 3;
        QTest::newRow("whole word other case") << "name"
                                               << "zhangsan" << 1;
        QTest::newRow("chinese") << "name"
                                 << "张三" << 2;
        QTest::newRow("one character") << "name"
                                       << "三" << 2;
        QTest::newRow("two characters") << "name"
                                        << "Wa" << 1;
        QTest::newRow("kelvin sign is no k") << "name"
                                             << "kel" << 1;
        QTest::newRow("non-ascii case kept") << "name"
                                             << "émi" << 1;
        QTest::newRow("underscore wildcard") << "name"
                                             << "g_W" << 1;
        QTest::newRow("percent between short pieces") << "name"
                                                      << "an%an" << 2;
        QTest::newRow("percent between trigrams") << "name"
                                                  << "Zha%San" << 2;
        QTest::newRow("literal with wildcard") << "name"
                                               << "100%" << 1;
        QTest::newRow("quote in text") << "name"
                                       << "a\"b" << 0;
        QTest::newRow("telephone digits") << "phone"
                                          << "2345" << 1;
        QTest::newRow("two characters beyond the basic plane") << "name"
                                                               << "\U00020000\U00020001" << 1;
    }

    // Half the rows are read by the index when it opens, half are added
    // after: both halves are found alike.
    void index_search_finds_what_like_finds()
    {
        QFETCH(QString, column);
        QFETCH(QString, text);
        QFETCH(int, names);
        const QStringList holders { "Zhang San", "ZHANGSAN", "Wang_Wu", "张三丰", "李张三", "\u212Aelvin",
            "Kelvin", "Émile", "émile", "100%", "\U00020000\U00020001", "" };
        const auto add = [&] {
            for (const QString& holder : holders) {
                RechargeRow row = RecordsFixture::recharge(1, holder, "2024-05-06 07.08.09");
                row.phone = holder == "Kelvin" ? "13812345678" : "139";
                QVERIFY(insertRechargeRow(row));
            }
        };
        add();
        const std::shared_ptr<RecordIndex> index = RecordIndex::acquire();
        QVERIFY(index);
        QCOMPARE(index->textIndexed("record"), qint64(holders.size()));
        add();
        const QVector<qint64> expected = ledgerLike("record", column, text);
        QCOMPARE(expected.size(), 2 * names);
        QCOMPARE(indexed(*index, "record", column, text), expected);
    }

    // Among many rows the rarest trigrams alone give the candidates: a row
    // holding them apart is no match, also for a text of digits only.
    void rare_trigrams_are_checked_like_the_phrase()
    {
        addRecords(3000, [](int i) {
            return i == 1500 ? QStringLiteral("123 345 234")
                : i == 2999  ? QStringLiteral("x12345y")
                             : QStringLiteral("filler %1").arg(i);
        });
        const std::shared_ptr<RecordIndex> index = RecordIndex::acquire();
        QVERIFY(index);
        for (const QString& text : QStringList { "12345", "1234", "Ler 29", "45 23" }) {
            const QVector<qint64> expected = ledgerLike("record", "name", text);
            QVERIFY(!expected.isEmpty());
            QCOMPARE(indexed(*index, "record", "name", text), expected);
        }
    }

    void dates_renames_and_a_replaced_ledger_are_followed()
    {
        QVERIFY(insertUser(RecordsFixture::user(1, "Old Holder", "111")));
        QVERIFY(insertUser(RecordsFixture::user(2, "Other", "222")));
        {
            const std::shared_ptr<RecordIndex> index = RecordIndex::acquire();
            UserRow renamed = RecordsFixture::user(1, "New Holder", "111");
            renamed.date = "2024-06-01 00.00.00";
            QVERIFY(updateUser(1, renamed));
            QCOMPARE(indexed(*index, "user", "name", "New Hol"), QVector<qint64> { 1 });
            QCOMPARE(indexed(*index, "user", "name", "Old Hol"), QVector<qint64> {});
            IdRuns day;
            QVERIFY(index->dates("user", "2024-06-01", "2024-06-02", day));
            QCOMPARE(idsOf(day), QVector<qint64> { 1 });
            // A rename whose ledger write is rolled back leaves the name as it was.
            QVERIFY(QSqlDatabase::database().transaction());
            QVERIFY(updateUser(1, RecordsFixture::user(1, "张三丰", "111")));
            QVERIFY(QSqlDatabase::database().rollback());
            QCOMPARE(indexed(*index, "user", "name", "张三丰"), QVector<qint64> {});
            QCOMPARE(indexed(*index, "user", "name", "New Hol"), QVector<qint64> { 1 });
        }
        // Renamed while no window holds the index: the file is rewritten.
        QVERIFY(updateUser(2, RecordsFixture::user(2, "Third Name", "222")));
        QCOMPARE(indexed(*RecordIndex::acquire(), "user", "name", "Third"), QVector<qint64> { 2 });

        // A ledger put in place of the indexed one, same ids, other rows: a
        // window holding the old index reads the ledger alone, a new opening
        // builds the index again.
        {
            const std::shared_ptr<RecordIndex> stale = RecordIndex::acquire();
            m_fixture.closeLedger();
            QVERIFY(QFile::remove(m_fixture.path(kDatabaseFileName)));
            QVERIFY(prepareDatabase(m_fixture.path(kDatabaseFileName)).opened);
            QVERIFY(insertUser(RecordsFixture::user(1, "Restored One", "333")));
            QVERIFY(insertUser(RecordsFixture::user(2, "Restored Two", "444")));
            QCOMPARE(
                RecordQuery::byName(BrowserTable::user(), "Restored", stale.get()).ids.count(), qint64(2));
            QCOMPARE(RecordQuery::byName(BrowserTable::user(), "Third", stale.get()).status,
                LookupStatus::NotFound);
        }
        const std::shared_ptr<RecordIndex> index = RecordIndex::acquire();
        QCOMPARE(indexed(*index, "user", "name", "Third"), QVector<qint64> {});
        QCOMPARE(indexed(*index, "user", "name", "Restored"), (QVector<qint64> { 1, 2 }));
        QCOMPARE(indexed(*index, "user", "phone", "444"), QVector<qint64> { 2 });
    }

    // Beyond what opening reads itself, a background reader catches up; the
    // results are complete before, during and after.
    void background_catch_up_keeps_results_complete()
    {
        addRecords(25000, [](int i) { return QStringLiteral("holder %1").arg(i); });
        const std::shared_ptr<RecordIndex> index = RecordIndex::acquire();
        QVERIFY(index);
        const QVector<qint64> expected { 24999 };
        QCOMPARE(indexed(*index, "record", "name", "holder 24999"), expected);
        QVERIFY(index->waitUntilCaughtUp(120000));
        QCOMPARE(index->textIndexed("record"), qint64(25000));
        QCOMPARE(indexed(*index, "record", "name", "holder 24999"), expected);
        QCOMPARE(indexed(*index, "record", "phone", "13900024999"), expected);
    }

    void pages_window_and_rows_added_while_open()
    {
        const int rows = GridModel::kWindowRows + 300;
        addRecords(rows, [](int i) { return QStringLiteral("n%1").arg(i); });
        RecordDialog dialog;
        GridModel* model = dialog.model();
        QCOMPARE(model->totalRows(), qint64(rows));
        QCOMPARE(model->rowCount(), GridModel::kWindowRows);
        for (int row : { 0, GridModel::kPageRows - 1, GridModel::kPageRows, 2 * GridModel::kPageRows })
            QCOMPARE(model->index(row, 0).data().toString(), QString::number(row + 1));
        QVERIFY(model->cachedPages() <= GridModel::kCachedPages);
        QVERIFY(model->setData(model->index(5, 2), "edited"));

        dialog.resize(900, 600);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(dialog.table(), Qt::Key_End, Qt::ControlModifier);
        const int lastInWindow = model->rowCount() - 1;
        QCOMPARE(model->index(lastInWindow, 0).data().toString(), QString::number(rows));
        QCOMPARE(model->headerData(lastInWindow, Qt::Vertical).toString(), QString::number(rows));
        QVERIFY(dialog.topRow() > rows - 60 && dialog.topRow() < rows);
        QVERIFY(dialog.table()->verticalHeader()->count() <= GridModel::kWindowRows);

        // A row written meanwhile appears at the next reload, at the end.
        addRecords(1, [](int) { return QStringLiteral("late"); });
        QCOMPARE(model->totalRows(), qint64(rows));
        click(&dialog, "btn_refresh_record");
        QCOMPARE(model->totalRows(), qint64(rows + 1));
        dialog.scrollToRow(rows);
        QCOMPARE(model->text(rows, 2), QStringLiteral("late"));
        QTest::keyClick(dialog.table(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(dialog.topRow(), qint64(0));
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("1"));
    }

    void search_result_on_a_page_edge_data()
    {
        QTest::addColumn<int>("found");
        QTest::newRow("one short of a page") << GridModel::kPageRows - 1;
        QTest::newRow("a page") << GridModel::kPageRows;
        QTest::newRow("one more than a page") << GridModel::kPageRows + 1;
    }

    void search_result_on_a_page_edge()
    {
        QFETCH(int, found);
        // Every third row matches, so the result's ids are scattered.
        addRecords(
            3 * found, [](int i) { return i % 3 == 0 ? QStringLiteral("edge") : QStringLiteral("x"); });
        RecordDialog dialog;
        dialog.findChild<QLineEdit*>(QStringLiteral("edit_recordScName"))->setText("ed");
        click(&dialog, "btn_recordScName");
        QCOMPARE(dialog.model()->rowCount(), found);
        QCOMPARE(dialog.model()->index(found - 1, 0).data().toString(), QString::number(3 * found));
        QCOMPARE(dialog.model()->index(found - 1, 2).data().toString(), QStringLiteral("edge"));
        QCOMPARE(dialog.model()->index(found, 0).data().toString(), QString());
    }

    void export_splits_a_result_longer_than_a_sheet()
    {
        if (pythonWithOpenpyxl().isEmpty())
            QSKIP("needs python3 with openpyxl to read workbooks back");
        addRecords(5, [](int i) { return QStringLiteral("n%1").arg(i); });
        RecordDialog dialog;
        const QString path = m_fixture.path("split.xlsx");
        const SheetExport::Result result = SheetExport::write(*dialog.model(), path, {}, 2);
        QCOMPARE(result.outcome, SheetExport::Outcome::Written);
        QCOMPARE(result.sheets, 3);
        const SheetContent last = readSheet(path, 2);
        QVERIFY(last.read);
        QCOMPARE(last.sheets, 3);
        QCOMPARE(last.rows.size(), 2);
        QCOMPARE(last.rows.at(0).at(0).value, QStringLiteral("序号"));
        QCOMPARE(last.rows.at(1).at(2).value, QStringLiteral("n5"));
    }

private:
    RecordsFixture m_fixture;
};

QTEST_MAIN(TestRecordIndex)
#include "test_record_index.moc"
