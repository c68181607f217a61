#include "GridModel.h"
#include "RecordDialog.h"
#include "RecordsFixture.h"
#include "SheetExport.h"
#include "UserDialog.h"
#include "WorkbookReader.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

void click(QWidget* window, const char* button)
{
    auto* target = window->findChild<QPushButton*>(QLatin1String(button));
    QVERIFY2(target, button);
    QTest::mouseClick(target, Qt::LeftButton);
}

} // namespace

class TestSheetExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (pythonWithOpenpyxl().isEmpty())
            QSKIP("needs python3 with openpyxl to read workbooks back");
    }
    void init() { m_fixture.open(); }
    void cleanup() { m_fixture.close(); }

    void export_after_a_search_writes_titles_and_the_rows_on_screen()
    {
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 10.00.00"));
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(4294967295u, QStringLiteral("张三"), today)));
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(7, QStringLiteral("李四"), today)));
        QVERIFY(insertRechargeRow(RecordsFixture::recharge(8, QStringLiteral("张五"), today)));
        RecordDialog dialog;
        dialog.findChild<QLineEdit*>(QStringLiteral("edit_recordScName"))->setText(QStringLiteral("张"));
        click(&dialog, "btn_recordScName");
        // An edit on screen is exported as shown, though never stored.
        QVERIFY(dialog.model()->setData(dialog.model()->index(1, 12), QStringLiteral("改过")));

        const QString path = m_fixture.path(QStringLiteral("out/充值记录.xlsx"));
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        FileDialog::setNextFileName(path);
        click(&dialog, "btn_export_execl");
        QCOMPARE(FileDialog::requests().size(), 1);
        QCOMPARE(FileDialog::requests().first().caption, QStringLiteral("选择目录"));
        QCOMPARE(FileDialog::requests().first().directory, QStringLiteral("充值记录"));
        QCOMPARE(FileDialog::requests().first().filter, QStringLiteral("*.xlsx"));
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "导出成功" });

        const SheetContent sheet = readSheet(path);
        QVERIFY(sheet.read);
        QCOMPARE(sheet.rows.size(), 3);
        QCOMPARE(sheet.rows.at(0).size(), 13);
        QCOMPARE(sheet.rows.at(0).at(8).value, QStringLiteral("充值金额"));
        QCOMPARE(sheet.rows.at(1).at(1).value, QStringLiteral("4294967295"));
        QCOMPARE(sheet.rows.at(2).at(1).value, QStringLiteral("8"));
        QCOMPARE(sheet.rows.at(1).at(9).value, QStringLiteral("0.05"));
        QCOMPARE(sheet.rows.at(1).at(11).value, QStringLiteral("00007"));
        QCOMPARE(sheet.rows.at(2).at(12).value, QStringLiteral("改过"));
        for (const QList<SheetCell>& row : sheet.rows) {
            for (const SheetCell& cell : row) {
                // An empty text leaves a blank cell that still carries the alignment.
                QCOMPARE(cell.type, cell.value.isEmpty() ? QStringLiteral("n") : QStringLiteral("s"));
                QCOMPARE(cell.horizontal, QStringLiteral("center"));
                QCOMPARE(cell.vertical, QStringLiteral("center"));
            }
        }
        // Widths follow the widest text; Chinese characters count two.
        QVERIFY(sheet.widths.value(QStringLiteral("G")) >= 19);
        QVERIFY(sheet.widths.value(QStringLiteral("J")) >= 10);
        QVERIFY(sheet.widths.value(QStringLiteral("J")) < sheet.widths.value(QStringLiteral("G")));
    }

    void user_export_puts_bind_columns_after_the_plate_and_an_empty_table_writes_titles()
    {
        UserDialog dialog;
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "未查找到结果" });
        const QString path = m_fixture.path(QStringLiteral("用户.xlsx"));
        FileDialog::setNextFileName(path);
        click(&dialog, "btn_export_execl");
        QCOMPARE(FileDialog::requests().first().filter, QStringLiteral("Microsoft Office 2007 (*.xlsx)"));
        QCOMPARE(FileDialog::requests().first().directory, QStringLiteral("用户"));

        const SheetContent sheet = readSheet(path);
        QVERIFY(sheet.read);
        QCOMPARE(sheet.rows.size(), 1);
        QCOMPARE(sheet.rows.at(0).size(), 12);
        QCOMPARE(sheet.rows.at(0).at(6).value, QStringLiteral("绑定的充电座编号"));
        QCOMPARE(sheet.rows.at(0).at(8).value, QStringLiteral("开卡时间"));
        // Eight wide characters and the padding; the file stores Excel's own rounding.
        QCOMPARE(qFloor(sheet.widths.value(QStringLiteral("G"))), 16 + 2);
    }

    void cancelled_file_dialog_writes_nothing_and_says_nothing()
    {
        UserDialog dialog;
        MessageBox::clear();
        FileDialog::setNextFileName(QString());
        click(&dialog, "btn_export_execl");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(QDir(m_fixture.path(QString())).entryList({ "*.xlsx" }, QDir::Files).size(), 0);
    }

    void unwritable_target_is_reported_and_an_earlier_file_kept()
    {
        QVERIFY(insertUser(RecordsFixture::user(1, QStringLiteral("甲"))));
        UserDialog dialog;
        FileDialog::setNextFileName(m_fixture.path(QStringLiteral("missing/folder/用户.xlsx")));
        click(&dialog, "btn_export_execl");
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "导出失败，无法写入文件" });

        // A cancelled export leaves the earlier file as it was.
        const QString earlier = m_fixture.path(QStringLiteral("earlier.xlsx"));
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier");
        file.close();
        const SheetExport::Result result
            = SheetExport::write(*dialog.model(), earlier, [](int, int) { return false; });
        QCOMPARE(result.outcome, SheetExport::Outcome::Cancelled);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("earlier"));
        QCOMPARE(QDir(m_fixture.path(QString())).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void display_width_counts_wide_characters_twice_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("ascii") << "2024-01-02 03.04.05" << 19;
        QTest::newRow("chinese") << "充值金额" << 8;
        QTest::newRow("mixed") << "0.05元" << 6;
        QTest::newRow("full-width letter") << "Ａ1" << 3;
        QTest::newRow("supplementary ideograph") << QString::fromUcs4(U"\U00020000") << 2;
    }

    void display_width_counts_wide_characters_twice()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QCOMPARE(SheetExport::displayWidth(text), width);
    }

private:
    RecordsFixture m_fixture;
};

QTEST_MAIN(TestSheetExport)
#include "test_sheetexport.moc"
