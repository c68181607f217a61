#include "AuditTrail.h"
#include "CardStatementDialog.h"
#include "DeskPdf.h"
#include "PdfText.h"
#include "PrintDialog.h"
#include "RecordsFixture.h"
#include "TotalsDialog.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

namespace {

void click(QWidget* window, const char* name)
{
    auto* button = window->findChild<QAbstractButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

RechargeRow recharge(quint32 card, const QString& date, const QString& manager, const char* pay,
    const char* oldBalance, const char* newBalance)
{
    RechargeRow row = RecordsFixture::recharge(card, QStringLiteral("张三"), date);
    row.manager = manager;
    row.pay = QLatin1String(pay);
    row.payOld = QLatin1String(oldBalance);
    row.payNew = QLatin1String(newBalance);
    return row;
}

// Runs answer on the modal window once one is up; gives up after five seconds
// (answer gets null), so that a dialog that never came cannot hang the test.
void whenModal(const std::function<void(QWidget*)>& answer, int triesLeft = 500)
{
    QTimer::singleShot(10, [answer, triesLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal || triesLeft == 0)
            answer(modal);
        else
            whenModal(answer, triesLeft - 1);
    });
}

DeskDocument shortDocument()
{
    DeskDocument document;
    document.title = QStringLiteral("打印测试");
    document.fields = { { QStringLiteral("公司"), QStringLiteral("Veloka Test") } };
    return document;
}

} // namespace

class TestDeskWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture.open();
        PrintDialog::setTestMode(true);
        PrintDialog::clear();
    }
    void cleanup() { m_fixture.close(); }

    void pdf_breaks_a_long_table_across_pages_with_its_text()
    {
        if (!PdfText::available())
            QSKIP("needs pdftotext and pdfinfo (poppler-utils)");
        DeskDocument document;
        document.title = QStringLiteral("班次报表");
        document.fields = { { QStringLiteral("公司"), QStringLiteral("Veloka Test") } };
        document.columns = QStringList { QStringLiteral("日期"), QStringLiteral("金额") };
        for (int i = 0; i < 120; ++i)
            document.rows.append({ QStringLiteral("row%1").arg(i), QStringLiteral("%1.00").arg(i) });
        document.footer = QStringList { QStringLiteral("end-of-report") };
        const QString path = m_fixture.path(QStringLiteral("report.pdf"));
        QVERIFY(DeskPdf::write(document, path));
        QVERIFY(PdfText::pages(path) >= 2);
        const QString text = PdfText::text(path);
        for (const char* expected :
            { "班次报表", "Veloka Test", "row0", "row119", "119.00", "end-of-report" })
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        // The titles repeat on the next page.
        QVERIFY(text.count(QStringLiteral("日期")) >= 2);

        QVERIFY(!DeskPdf::write(document, m_fixture.path(QStringLiteral("missing/dir/report.pdf"))));
    }

    void real_print_dialog_is_modal_and_prints_to_the_file_it_offers()
    {
        if (!PdfText::available())
            QSKIP("needs pdftotext and pdfinfo (poppler-utils)");
        PrintDialog::setTestMode(false);
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString path = m_fixture.path(QStringLiteral("printed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        bool modalOverWindow = false;
        int printerChoice = -1;
        int lastChoice = -2;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QPrintDialog*>(modal);
            modalOverWindow = dialog && dialog->parentWidget() == &window;
            // The printer's file output preselects the last choice, print to file.
            if (auto* printers = modal ? modal->findChild<QComboBox*>(QStringLiteral("printers")) : nullptr) {
                printerChoice = printers->currentIndex();
                lastChoice = printers->count() - 1;
            }
            if (dialog)
                dialog->accept();
        });
        const DeskPdf::PrintOutcome outcome = DeskPdf::print(&window, shortDocument(), printer);
        PrintDialog::setTestMode(true);
        QVERIFY(modalOverWindow);
        QCOMPARE(printerChoice, lastChoice);
        QCOMPARE(outcome, DeskPdf::PrintOutcome::Printed);
        QCOMPARE(PdfText::pages(path), 1);
        QVERIFY(PdfText::text(path).contains(QStringLiteral("打印测试")));

        // Cancelled: nothing is written, and the caller is told.
        const QString cancelled = m_fixture.path(QStringLiteral("cancelled.pdf"));
        printer.setOutputFileName(cancelled);
        PrintDialog::setTestMode(false);
        whenModal([](QWidget* modal) {
            if (auto* dialog = qobject_cast<QPrintDialog*>(modal))
                dialog->reject();
        });
        const DeskPdf::PrintOutcome cancelOutcome = DeskPdf::print(&window, shortDocument(), printer);
        PrintDialog::setTestMode(true);
        QCOMPARE(cancelOutcome, DeskPdf::PrintOutcome::Cancelled);
        QVERIFY(!QFile::exists(cancelled));
    }

    void totals_window_sums_shift_and_today_and_writes_its_outputs()
    {
        const QDateTime now = QDateTime::currentDateTime();
        const QString today = now.date().toString(QStringLiteral("yyyy-MM-dd"));
        const QDateTime login = now.addSecs(-3600);
        // Before this shift's login: today, but not this shift.
        const QString early
            = QDateTime(now.date(), QTime(0, 0, 1)) < login ? today + QStringLiteral(" 00.00.01") : QString();
        QVERIFY(insertRechargeRow(
            recharge(1, now.addSecs(-60).toString(kRecordTimeFormat), "admin", "10.50", "0.00", "10.50")));
        QVERIFY(insertRechargeRow(
            recharge(2, now.addSecs(-30).toString(kRecordTimeFormat), "bob", "3.00", "0.00", "3.00")));
        if (!early.isEmpty())
            QVERIFY(insertRechargeRow(recharge(3, early, "admin", "1.00", "0.00", "1.00")));

        TotalsDialog dialog;
        LoginSession session;
        session.managerName = QStringLiteral("admin");
        session.loginTime = qint32(login.toSecsSinceEpoch());
        session.readerSerial = QStringLiteral("00007");
        StationConfig config;
        config.company = QStringLiteral("Veloka Test");
        dialog.setup(config, session);
        dialog.show();

        // This shift of the logged-in operator: one row and the total.
        const QStandardItemModel& model = dialog.model();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0, TotalsDialog::Manager).data().toString(), QStringLiteral("admin"));
        QCOMPARE(model.index(1, TotalsDialog::NetCash).data().toString(), QStringLiteral("10.50"));

        dialog.findChild<QRadioButton*>(QStringLiteral("radio_today"))->setChecked(true);
        dialog.findChild<QComboBox*>(QStringLiteral("combo_manager"))->setCurrentIndex(0);
        click(&dialog, "btn_query");
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(2, TotalsDialog::RechargeSum).data().toString(),
            early.isEmpty() ? QStringLiteral("13.50") : QStringLiteral("14.50"));
        auto* series = qobject_cast<QtCharts::QBarSeries*>(dialog.chartView()->chart()->series().value(0));
        QVERIFY(series);
        QCOMPARE(series->barSets().value(0)->at(0), early.isEmpty() ? 13.5 : 14.5);

        const QString sheet = m_fixture.path(QStringLiteral("totals.xlsx"));
        FileDialog::setNextFileName(sheet);
        click(&dialog, "btn_export");
        QVERIFY(QFile::exists(sheet));
        if (!PdfText::available())
            return;
        const QString pdf = m_fixture.path(QStringLiteral("shift.pdf"));
        FileDialog::setNextFileName(pdf);
        click(&dialog, "btn_pdf");
        const QString text = PdfText::text(pdf);
        QVERIFY(text.contains(QStringLiteral("班次报表")));
        QVERIFY(text.contains(QStringLiteral("00007")));
        QVERIFY(text.contains(QStringLiteral("bob")));
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("已保存：%1").arg(pdf));
    }

    void statement_window_marks_the_gap_rows()
    {
        UserRow user = RecordsFixture::user(77, QStringLiteral("李四"));
        user.date = QStringLiteral("2026-03-01 08.00.00");
        QVERIFY(insertUser(user));
        QVERIFY(insertRechargeRow(recharge(77, "2026-03-01 09.00.00", "admin", "10.00", "0.00", "10.00")));
        QVERIFY(insertRechargeRow(recharge(77, "2026-03-02 09.00.00", "admin", "5.00", "4.00", "9.00")));

        CardStatementDialog dialog;
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("edit_cardnum"));
        QVERIFY(edit);
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("btn_pdf"))->isEnabled());
        edit->setText(QStringLiteral("77"));
        click(&dialog, "btn_query");
        const QStandardItemModel& model = dialog.model();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(0, CardStatementDialog::Kind).data().toString(), QStringLiteral("开卡"));
        QCOMPARE(model.index(2, CardStatementDialog::Gap).data().toString(), QStringLiteral("是"));
        QVERIFY(model.index(1, CardStatementDialog::Gap).data().toString().isEmpty());
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("label_holder"))
                    ->text()
                    .contains(QStringLiteral("李四")));
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("label_summary"))
                    ->text()
                    .contains(QStringLiteral("余额断档 1 处")));
        QCOMPARE(dialog.report().flaggedRows, QVector<int>({ 2 }));

        const QString printed = m_fixture.path(QStringLiteral("statement.pdf"));
        PrintDialog::setNextFileName(printed);
        click(&dialog, "btn_print");
        QCOMPARE(PrintDialog::requests().last(), QStringLiteral("卡片流水"));
        if (PdfText::available())
            QVERIFY(PdfText::text(printed).contains(QStringLiteral("李四")));
        const int messages = RecordsFixture::messageTexts().size();
        PrintDialog::setNextFileName(QString());
        click(&dialog, "btn_print");
        QCOMPARE(RecordsFixture::messageTexts().size(), messages);
        PrintDialog::setNextFileName(m_fixture.path(QStringLiteral("missing/dir/statement.pdf")));
        click(&dialog, "btn_print");
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("打印失败，无法写入打印机"));

        AuditTrail::record(AuditAction::CardBind, AuditTrail::cardSubject(77), QStringLiteral("ok 12/3"));
        click(&dialog, "btn_query");
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.index(3, CardStatementDialog::Kind).data().toString(),
            QStringLiteral("绑定：充电座12 端口3"));
        QCOMPARE(dialog.report().flaggedRows, QVector<int>({ 2 }));

        edit->setText(QStringLiteral("4294967296"));
        click(&dialog, "btn_query");
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("请输入正确的卡号"));
        QCOMPARE(model.rowCount(), 0);
    }

private:
    RecordsFixture m_fixture;
};

QTEST_MAIN(TestDeskWindows)
#include "test_desk_windows.moc"
