#include "BackCardDialog.h"
#include "DevChDialog.h"
#include "GridModel.h"
#include "RecordDialog.h"
#include "RecordsFixture.h"
#include "UserDialog.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTranslator>
#include <functional>

namespace {

QString stamp(const QDate& day, const char* time = "10.00.00")
{
    return day.toString(QStringLiteral("yyyy-MM-dd ")) + QLatin1String(time);
}

void click(QWidget* window, const char* button)
{
    auto* target = window->findChild<QPushButton*>(QLatin1String(button));
    QVERIFY2(target, button);
    QTest::mouseClick(target, Qt::LeftButton);
}

using BrowserFactory = std::function<RecordBrowser*()>;

// Width a header section needs to show its whole title: the text, of any
// number of lines, between the style's margins on both sides.
int titleWidth(const QHeaderView* header, int column)
{
    const QString title = header->model()->headerData(column, Qt::Horizontal).toString();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    return header->fontMetrics().size(0, title).width() + 2 * margin;
}

} // namespace

Q_DECLARE_METATYPE(BrowserFactory)

class TestBrowsers : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture.open(); }
    void cleanup() { m_fixture.close(); }

    void opening_shows_every_row_in_id_order_with_the_titles()
    {
        const QDate today = QDate::currentDate();
        for (quint32 card : { 30u, 10u, 20u })
            QVERIFY(insertRechargeRow(RecordsFixture::recharge(card, QStringLiteral("n"), stamp(today))));
        RecordDialog dialog;
        QCOMPARE(RecordsFixture::column(dialog.model(), 1), QStringList({ "30", "10", "20" }));
        QCOMPARE(RecordsFixture::column(dialog.model(), 0), QStringList({ "1", "2", "3" }));
        QCOMPARE(dialog.model()->columnCount(), 13);
        QCOMPARE(dialog.model()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("充值金额"));
        QCOMPARE(dialog.table()->objectName(), QStringLiteral("table_record"));
        QCOMPARE(dialog.table()->columnWidth(6), 150);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void empty_table_opens_with_no_result_message_except_reader_top_ups()
    {
        RecordDialog records;
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "未查找到结果" });
        MessageBox::clear();
        DevChDialog topUps;
        QCOMPARE(topUps.model()->rowCount(), 0);
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(topUps.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    void name_search_binds_the_text_as_a_like_pattern_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("substring") << "ang" << QStringList { "Zhang San", "Wang_Wu" };
        QTest::newRow("ascii case ignored") << "ZHANG" << QStringList { "Zhang San" };
        QTest::newRow("one space") << " " << QStringList { "Zhang San", "O'Brien Li" };
        QTest::newRow("percent matches all")
            << "%" << QStringList { "Zhang San", "Wang_Wu", "O'Brien Li", "100%" };
        QTest::newRow("underscore matches one") << "g_W" << QStringList { "Wang_Wu" };
        QTest::newRow("quote is a character") << "O'Brien" << QStringList { "O'Brien Li" };
    }

    void name_search_binds_the_text_as_a_like_pattern()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        const QDate today = QDate::currentDate();
        quint32 card = 1;
        for (const char* name : { "Zhang San", "Wang_Wu", "O'Brien Li", "100%" })
            QVERIFY(
                insertRechargeRow(RecordsFixture::recharge(card++, QString::fromUtf8(name), stamp(today))));
        RecordDialog dialog;
        dialog.findChild<QLineEdit*>(QStringLiteral("edit_recordScName"))->setText(typed);
        click(&dialog, "btn_recordScName");
        QCOMPARE(RecordsFixture::column(dialog.model(), 2), found);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void search_without_result_keeps_the_earlier_rows()
    {
        QVERIFY(insertUser(RecordsFixture::user(1, QStringLiteral("甲"), QStringLiteral("111"))));
        QVERIFY(insertUser(RecordsFixture::user(2, QStringLiteral("乙"), QStringLiteral("222"))));
        UserDialog dialog;
        dialog.findChild<QLineEdit*>(QStringLiteral("edit_userScTel"))->setText(QStringLiteral("22"));
        click(&dialog, "btn_userScTel");
        QCOMPARE(RecordsFixture::column(dialog.model(), 2), QStringList { "乙" });

        dialog.findChild<QLineEdit*>(QStringLiteral("edit_userScName"))->setText(QStringLiteral("丙"));
        click(&dialog, "btn_userScName");
        QCOMPARE(RecordsFixture::column(dialog.model(), 2), QStringList { "乙" });
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "未查找到结果" });

        click(&dialog, "btn_refresh_user");
        QCOMPARE(dialog.model()->rowCount(), 2);

        // A search that cannot be run is not an empty result.
        MessageBox::clear();
        QVERIFY(QSqlQuery().exec(QStringLiteral("alter table user rename to user_gone")));
        click(&dialog, "btn_userScName");
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "查询失败，无法读取数据库" });
        QCOMPARE(dialog.model()->rowCount(), 2);
    }

    void empty_search_fields_ask_for_text_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        QTest::newRow("name") << "btn_backCardScName"
                              << "请输入查找的姓名";
        QTest::newRow("phone") << "btn_backCardScTel"
                               << "请输入查找的电话号码";
    }

    void empty_search_fields_ask_for_text()
    {
        QFETCH(QString, button);
        QFETCH(QString, message);
        ReturnRow row;
        row.cardnum = 5;
        row.date = stamp(QDate::currentDate());
        QVERIFY(insertReturnRow(row));
        BackCardDialog dialog;
        click(&dialog, button.toLatin1().constData());
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { message });
        QCOMPARE(dialog.model()->rowCount(), 1);
    }

    void date_search_covers_both_chosen_days_whole()
    {
        const QDate today = QDate::currentDate();
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(1, "a", stamp(today.addDays(-1), "23.59.59"))));
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(2, "b", stamp(today, "00.00.00"))));
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(3, "c", stamp(today, "23.59.59"))));
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(4, "d", stamp(today.addDays(1), "00.00.00"))));
        RecordDialog dialog;
        auto* from = dialog.findChild<QDateEdit*>(QStringLiteral("dateEdit_recordDateScBefore"));
        auto* to = dialog.findChild<QDateEdit*>(QStringLiteral("dateEdit_recordDateScAfter"));
        QCOMPARE(to->date(), today);
        QCOMPARE(from->date(), QDate(today.year(), today.month(), 1));

        from->setDate(today);
        click(&dialog, "btn_recordScDate");
        QCOMPARE(RecordsFixture::column(dialog.model(), 1), QStringList({ "2", "3" }));

        // A start after the end finds nothing and leaves the rows.
        from->setDate(today.addDays(1));
        click(&dialog, "btn_recordScDate");
        QCOMPARE(dialog.model()->rowCount(), 2);
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "未查找到结果" });
    }

    void cells_show_unsigned_cards_money_serials_and_unbound_users()
    {
        QVERIFY(insertUser(RecordsFixture::user(4294967295u, QStringLiteral("max"))));
        QVERIFY(insertUser(RecordsFixture::user(8, QStringLiteral("bound"))));
        QSqlQuery bind;
        QVERIFY(bind.exec(QStringLiteral("update user set bindchid = 12, bindport = 3 where cardnum = 8")));
        UserDialog users;
        QCOMPARE(RecordsFixture::column(users.model(), 1), QStringList({ "4294967295", "8" }));
        QCOMPARE(RecordsFixture::column(users.model(), 6), QStringList({ "", "12" }));
        QCOMPARE(RecordsFixture::column(users.model(), 7), QStringList({ "", "3" }));
        QCOMPARE(users.model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("绑定的充电座编号"));
        QCOMPARE(RecordsFixture::column(users.model(), 8).first(), QStringLiteral("2024-05-06 07.08.09"));
        QCOMPARE(users.table()->columnWidth(3), 120);

        DevChRow topUp;
        topUp.money = 5;
        topUp.sn = 7;
        topUp.ver = 3;
        topUp.manager = QStringLiteral("admin");
        topUp.date = QStringLiteral("2024-01-02 03.04.05");
        QVERIFY(insertDevChRow(topUp));
        DevChDialog devCh;
        QCOMPARE(devCh.model()->rowCount(), 1);
        QStringList cells;
        for (int column = 0; column < 5; ++column)
            cells.append(devCh.model()->index(0, column).data().toString());
        QCOMPARE(cells, QStringList({ "0.05元", "00007", "3", "admin", "2024-01-02 03.04.05" }));
    }

    void titles_and_search_fields_fit_in_both_languages_data()
    {
        QTest::addColumn<BrowserFactory>("make");
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("leastWidth");
        QTest::addColumn<QString>("firstTitle");
        const struct
        {
            const char* name;
            BrowserFactory make;
            int leastWidth;
            const char* chinese;
            const char* english;
        } browsers[] = {
            { "users", [] { return new UserDialog; }, 120, "序号", "Serial number" },
            { "recharges", [] { return new RecordDialog; }, 0, "序号", "S/N" },
            { "returns", [] { return new BackCardDialog; }, 0, "序号", "S/N" },
            { "reader top-ups", [] { return new DevChDialog; }, 0, "充值金额", "Recharging amount" },
        };
        for (const auto& browser : browsers) {
            QTest::addRow("%s, Chinese", browser.name)
                << browser.make << false << browser.leastWidth << QString::fromUtf8(browser.chinese);
            QTest::addRow("%s, English", browser.name)
                << browser.make << true << browser.leastWidth << QString::fromUtf8(browser.english);
        }
    }

    // No title is cut: each column is as wide as its title needs, and never
    // narrower than the form's fixed widths; the search fields keep room for a
    // telephone number beside the longer English buttons.
    void titles_and_search_fields_fit_in_both_languages()
    {
        QFETCH(BrowserFactory, make);
        QFETCH(bool, english);
        QFETCH(int, leastWidth);
        QFETCH(QString, firstTitle);
        QTranslator translator;
        if (english) {
            QVERIFY(translator.load(QStringLiteral(":/Language/english.qm")));
            QCoreApplication::installTranslator(&translator);
        }
        QScopedPointer<RecordBrowser> browser(make());
        browser->show();
        QVERIFY(QTest::qWaitForWindowExposed(browser.data()));
        QCOMPARE(browser->model()->headerData(0, Qt::Horizontal).toString(), firstTitle);

        const QHeaderView* header = browser->table()->horizontalHeader();
        QList<const QLineEdit*> searchEdits;
        for (const QLineEdit* edit : browser->findChildren<QLineEdit*>()) {
            if (edit->objectName().startsWith(QLatin1String("edit_")))
                searchEdits.append(edit);
        }
        const bool searchable = !searchEdits.isEmpty();
        for (int column = 0; column < header->count(); ++column) {
            const int fixed = searchable && column == 6 ? 150 : leastWidth;
            const int needed = qMax(fixed, titleWidth(header, column));
            QVERIFY2(header->sectionSize(column) >= needed,
                qPrintable(QStringLiteral("column %1 \"%2\": %3 < %4")
                               .arg(column)
                               .arg(browser->model()->headerData(column, Qt::Horizontal).toString())
                               .arg(header->sectionSize(column))
                               .arg(needed)));
        }

        for (const QLineEdit* edit : searchEdits)
            QVERIFY2(edit->width() >= edit->fontMetrics().horizontalAdvance(QStringLiteral("13812345678")),
                qPrintable(edit->objectName()));
        QCoreApplication::removeTranslator(&translator);
    }

    void closing_emits_w_close_and_deletes_the_window()
    {
        auto* dialog = new BackCardDialog;
        QPointer<BackCardDialog> alive(dialog);
        QSignalSpy closed(dialog, &RecordBrowser::w_close);
        dialog->show();
        click(dialog, "btnMenu_Close");
        QCOMPARE(closed.count(), 1);
        QTRY_VERIFY(alive.isNull());
    }

private:
    RecordsFixture m_fixture;
};

QTEST_MAIN(TestBrowsers)
#include "test_browsers.moc"
