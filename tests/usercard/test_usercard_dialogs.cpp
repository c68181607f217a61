#include "ChDialog.h"
#include "FileDialog.h"
#include "LedgerFaults.h"
#include "MessageBox.h"
#include "NewCardDialog.h"
#include "PdfText.h"
#include "PrintDialog.h"
#include "UserCardFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTranslator>
#include <QtTest>

using namespace Fixture;

namespace {

template<typename T = QWidget>
T* child(QWidget* window, const char* name)
{
    T* widget = window->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("missing widget %s", name);
    return widget;
}

QString text(QWidget* window, const char* name)
{
    return child<QLabel>(window, name)->text();
}
QString style(QWidget* window, const char* name)
{
    return child<QLabel>(window, name)->styleSheet();
}
void click(QWidget* window, const char* name)
{
    child<QAbstractButton>(window, name)->click();
}

} // namespace

class TestUserCardDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void query_shows_money_binding_and_holder();
    void recharge_texts_follow_the_outcome_data();
    void recharge_texts_follow_the_outcome();
    void failed_deduction_is_shown_in_red_with_the_amount();
    void continuous_recharge_credits_a_card_left_on_the_reader_once();
    void reader_information_is_shown_in_a_message_box();

    void issue_texts_follow_the_outcome();
    void continuous_issue_registers_cards_with_an_empty_name();
    void return_messages_show_the_refund_data();
    void return_messages_show_the_refund();
    void bind_messages();
    void ledger_outcomes_are_told_to_the_operator_data();
    void ledger_outcomes_are_told_to_the_operator();

    void receipt_is_offered_after_a_recharge_or_return_only();
    void close_button_emits_w_close_and_deletes_the_window();
    void windows_fit_their_texts_in_both_languages_data();
    void windows_fit_their_texts_in_both_languages();

private:
    template<typename D>
    D* open(bool shareMode = false);

    QTemporaryDir m_dir;
    CardReader m_reader;
};

template<typename D>
D* TestUserCardDialogs::open(bool shareMode)
{
    auto* dialog = new D;
    const UserCardStation s = station(&m_reader, shareMode);
    dialog->setup(s.config, &m_reader, s.readerInfo);
    dialog->setup(s.session);
    dialog->show();
    return dialog;
}

void TestUserCardDialogs::initTestCase()
{
    VirtualReader::useTemporaryState();
    Fixture::openDatabase(m_dir);
    MessageBox::setTestMode(true);
    setLedgerLockWait(50);
}

void TestUserCardDialogs::init()
{
    freshReader();
    clearTables();
    MessageBox::clear();
}

void TestUserCardDialogs::query_shows_money_binding_and_holder()
{
    QScopedPointer<ChDialog> dialog(open<ChDialog>());
    QCOMPARE(child<QSpinBox>(dialog.data(), "spin_pay_money")->maximum(), 500);
    QVERIFY(!child(dialog.data(), "group_pay")->isEnabled());

    const quint32 id = issuedCard(654);
    VirtualReader::placeCard(id);
    click(dialog.data(), "btn_read");
    QCOMPARE(text(dialog.data(), "label_remain_value"), QStringLiteral("6.54"));
    QCOMPARE(text(dialog.data(), "label_id_value"), QString::number(cardNumber(id)));
    QCOMPARE(text(dialog.data(), "label_bindchid_value"), QStringLiteral("未绑定"));
    QCOMPARE(text(dialog.data(), "label_ch_tips"), QStringLiteral("读取数据库信息失败"));
    QCOMPARE(style(dialog.data(), "label_ch_tips"), QStringLiteral("color:red;"));
    QVERIFY(child(dialog.data(), "group_pay")->isEnabled());

    const quint32 bound = issuedCard(5);
    VirtualReader::setBlock(bound, UserSector * 4, makeBindBlock(70000, 2));
    QVERIFY(insertUser(holder(bound, QStringLiteral("Li Lei"))));
    VirtualReader::placeCard(bound);
    click(dialog.data(), "btn_read");
    QCOMPARE(text(dialog.data(), "label_remain_value"), QStringLiteral("0.05"));
    QCOMPARE(text(dialog.data(), "label_bindchid_value"), QStringLiteral("4464"));
    QCOMPARE(text(dialog.data(), "label_bindport_value"), QStringLiteral("2"));
    QCOMPARE(text(dialog.data(), "label_name_value"), QStringLiteral("Li Lei"));
    QCOMPARE(text(dialog.data(), "label_carnum_value"), QStringLiteral("A12345"));
}

void TestUserCardDialogs::recharge_texts_follow_the_outcome_data()
{
    QTest::addColumn<quint32>("before");
    QTest::addColumn<bool>("swap");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("tipStyle");
    QTest::newRow("over the limit") << 49950u << false << "超出限额"
                                    << "color:red;";
    QTest::newRow("swapped card") << 100u << true << "卡号有误"
                                  << "color:red;";
    QTest::newRow("recharged") << 49900u << false << "充值成功:%1,充值金额=1元"
                               << "color:green;";
}

void TestUserCardDialogs::recharge_texts_follow_the_outcome()
{
    QFETCH(quint32, before);
    QFETCH(bool, swap);
    QFETCH(QString, tip);
    QFETCH(QString, tipStyle);
    QScopedPointer<ChDialog> dialog(open<ChDialog>());
    const quint32 id = issuedCard(before, 0x00ABCDEFu);
    VirtualReader::placeCard(id);
    click(dialog.data(), "btn_read");
    if (swap)
        VirtualReader::placeCard(issuedCard(before));
    child<QSpinBox>(dialog.data(), "spin_pay_money")->setValue(1);
    click(dialog.data(), "btn_pay");

    if (tip.contains(QLatin1String("%1")))
        tip = tip.arg(QStringLiteral("  abcdef"));
    QCOMPARE(text(dialog.data(), "label_ch_tips"), tip);
    QCOMPARE(style(dialog.data(), "label_ch_tips"), tipStyle);
    QVERIFY(!child(dialog.data(), "group_pay")->isEnabled());
    if (tipStyle == "color:green;")
        QCOMPARE(text(dialog.data(), "label_remain_value"), QStringLiteral("500.00"));
}

void TestUserCardDialogs::failed_deduction_is_shown_in_red_with_the_amount()
{
    QScopedPointer<ChDialog> dialog(open<ChDialog>(true));
    VirtualReader::setMode(VirtualReader::ShareMode);
    VirtualReader::setBalance(100000);
    const quint32 id = issuedCard(0);
    VirtualReader::placeCard(id);
    click(dialog.data(), "btn_read");
    child<QSpinBox>(dialog.data(), "spin_pay_money")->setValue(12);
    VirtualReader::armStatus(SimStatus::BadRecord, SimCommand::DeductDevRemain);
    click(dialog.data(), "btn_pay");

    QVERIFY(text(dialog.data(), "label_ch_tips").startsWith(QStringLiteral("充值成功:")));
    QVERIFY(text(dialog.data(), "label_ch_tips").endsWith(QStringLiteral("发卡器扣款失败，金额：12.00元")));
    QCOMPARE(style(dialog.data(), "label_ch_tips"), QStringLiteral("color:red;"));
    QCOMPARE(cardBalance(id), 1200);
}

void TestUserCardDialogs::continuous_recharge_credits_a_card_left_on_the_reader_once()
{
    QScopedPointer<ChDialog> dialog(open<ChDialog>());
    const quint32 first = issuedCard(100);
    const quint32 second = issuedCard(100);
    child<QSpinBox>(dialog.data(), "spin_pay_money")->setValue(2);
    VirtualReader::placeCard(first);
    child<QCheckBox>(dialog.data(), "check_multi_ch")->setChecked(true);
    QTest::qWait(1700);
    QCOMPARE(cardBalance(first), 300);
    VirtualReader::removeCard();
    QTest::qWait(700);
    VirtualReader::placeCard(first);
    QTest::qWait(700);
    QCOMPARE(cardBalance(first), 300);
    VirtualReader::placeCard(second);
    QTest::qWait(1200);
    QCOMPARE(cardBalance(second), 300);
    child<QCheckBox>(dialog.data(), "check_multi_ch")->setChecked(false);
    QCOMPARE(rows("record", first).size(), 1);
}

void TestUserCardDialogs::reader_information_is_shown_in_a_message_box()
{
    QScopedPointer<ChDialog> dialog(open<ChDialog>());
    VirtualReader::setMode(VirtualReader::ShareMode);
    VirtualReader::setBalance(12345);
    VirtualReader::setFirmwareVersion(9);
    click(dialog.data(), "btn_read_devinfo");
    const QString shown = MessageBox::last().text;
    QVERIFY(shown.startsWith(QStringLiteral("发卡器模式：分成模式\n发卡器序列号：7\n校验码：")));
    QVERIFY(shown.endsWith(QStringLiteral("\n发卡器余额：123.45元\n版本号：9")));

    VirtualReader::setUnplugged(true);
    click(dialog.data(), "btn_read_devinfo");
    QCOMPARE(MessageBox::last().text, QStringLiteral("读取失败，代号：255"));
}

void TestUserCardDialogs::issue_texts_follow_the_outcome()
{
    QScopedPointer<NewCardDialog> dialog(open<NewCardDialog>());
    click(dialog.data(), "btn_new_card");
    QCOMPARE(MessageBox::last().title, QStringLiteral("提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("请输入名字"));

    child<QLineEdit>(dialog.data(), "edit_new_name")->setText(QStringLiteral("Zhang San"));
    click(dialog.data(), "btn_new_card");
    QCOMPARE(text(dialog.data(), "label_new_tips"), QStringLiteral("发卡失败:未读到卡片"));
    QCOMPARE(style(dialog.data(), "label_new_tips"), QStringLiteral("color:red;"));

    VirtualReader::placeCard(VirtualReader::addBlankCard(0x0012ABCDu));
    click(dialog.data(), "btn_new_card");
    QCOMPARE(text(dialog.data(), "label_new_tips"), QStringLiteral("发卡成功:0012ABCD"));
    QCOMPARE(style(dialog.data(), "label_new_tips"), QStringLiteral("color:green;"));
    click(dialog.data(), "btn_new_card");
    QCOMPARE(text(dialog.data(), "label_new_tips"), QStringLiteral("发卡失败:0012ABCD"));
}

void TestUserCardDialogs::continuous_issue_registers_cards_with_an_empty_name()
{
    QScopedPointer<NewCardDialog> dialog(open<NewCardDialog>());
    child<QLineEdit>(dialog.data(), "edit_new_tel")->setText(QStringLiteral("010"));
    child<QCheckBox>(dialog.data(), "check_multi_new_card")->setChecked(true);
    QList<quint32> issued;
    for (int i = 0; i < 2; ++i) {
        issued.append(VirtualReader::addBlankCard());
        VirtualReader::placeCard(issued.last());
        QTest::qWait(1200);
    }
    for (quint32 id : issued) {
        const QVector<QSqlRecord> users = rows("user", id);
        QCOMPARE(users.size(), 1);
        QCOMPARE(users[0].value("name").toString(), QString(""));
        QCOMPARE(users[0].value("phone").toString(), QStringLiteral("010"));
    }
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestUserCardDialogs::return_messages_show_the_refund_data()
{
    QTest::addColumn<quint32>("balance");
    QTest::addColumn<bool>("refundRefused");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::newRow("10.05") << 1005u << false << "提示"
                           << "退卡成功,应退金额:10.05元";
    QTest::newRow("0.07") << 7u << false << "提示"
                          << "退卡成功,应退金额:0.07元";
    QTest::newRow("refund refused") << 250u << true << "错误提示"
                                    << "退卡成功,应退金额:2.50元\n发卡器退款失败，金额：2.50元";
}

void TestUserCardDialogs::return_messages_show_the_refund()
{
    QFETCH(quint32, balance);
    QFETCH(bool, refundRefused);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QScopedPointer<NewCardDialog> dialog(open<NewCardDialog>(true));
    VirtualReader::setMode(VirtualReader::ShareMode);
    VirtualReader::placeCard(issuedCard(balance));
    if (refundRefused)
        VirtualReader::armStatus(SimStatus::BadRecord, SimCommand::RefundDevRemain);
    click(dialog.data(), "btn_exit_card");
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().title, title);
    QCOMPARE(MessageBox::last().text, message);
}

void TestUserCardDialogs::bind_messages()
{
    QScopedPointer<NewCardDialog> dialog(open<NewCardDialog>());
    QCOMPARE(child<QSpinBox>(dialog.data(), "spin_bind_num")->maximum(), 2147483647);
    QCOMPARE(child<QComboBox>(dialog.data(), "combo_bind_en")->count(), 17);
    const quint32 id = issuedCard(100);
    QVERIFY(insertUser(holder(id, QStringLiteral("Sun Qi"))));
    VirtualReader::placeCard(id);

    child<QSpinBox>(dialog.data(), "spin_bind_num")->setValue(0);
    click(dialog.data(), "btn_bind");
    QCOMPARE(MessageBox::last().title, QStringLiteral("提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("解绑成功"));
    child<QSpinBox>(dialog.data(), "spin_bind_num")->setValue(80000);
    child<QComboBox>(dialog.data(), "combo_bind_en")->setCurrentIndex(16);
    click(dialog.data(), "btn_bind");
    QCOMPARE(MessageBox::last().text, QStringLiteral("绑定成功"));
    QCOMPARE(rows("user", id).value(0).value("bindport").toInt(), 16);
}

void TestUserCardDialogs::ledger_outcomes_are_told_to_the_operator_data()
{
    using Other = LedgerFaults::OtherProgram;
    QTest::addColumn<bool>("recharge"); // else a return
    QTest::addColumn<int>("lock");
    QTest::addColumn<bool>("outboxFull");
    QTest::addColumn<QString>("told"); // the refusal tip, or the first message
    QTest::newRow("recharge refused")
        << true << int(Other::WriteLock) << false << "数据库无法写入，未充值，卡片未改动";
    QTest::newRow("recharge kept locally")
        << true << int(Other::ReadLock) << false
        << "数据库暂时无法写入，本次充值记录已暂存本地，数据库可写时自动补存";
    QTest::newRow("recharge lost")
        << true << int(Other::ReadLock) << true
        << "插入数据失败\n充值记录保存失败，请另行记下本次充值：卡号%1，充值5.00元，"
           "充值前10.05元，充值后15.05元";
    QTest::newRow("return refused") << false << int(Other::WriteLock) << false
                                    << "退卡失败\n数据库无法写入，卡片未改动";
    QTest::newRow("return lost") << false << int(Other::ReadLock) << true
                                 << "插入数据失败\n退卡记录保存失败，请另行记下：卡号%1，退卡金额10.05元";
}

void TestUserCardDialogs::ledger_outcomes_are_told_to_the_operator()
{
    QFETCH(bool, recharge);
    QFETCH(int, lock);
    QFETCH(bool, outboxFull);
    QFETCH(QString, told);
    const quint32 id = issuedCard(1005);
    told = told.replace(QLatin1String("%1"), QString::number(cardNumber(id)));
    VirtualReader::placeCard(id);
    QScopedPointer<ChDialog> ch(open<ChDialog>());
    QScopedPointer<NewCardDialog> nc(open<NewCardDialog>());
    if (recharge)
        click(ch.data(), "btn_read");

    LedgerFaults::OtherProgram other;
    QVERIFY(other.hold(LedgerFaults::OtherProgram::Lock(lock)));
    if (outboxFull)
        Outbox::setStationPath(QStringLiteral("/dev/full"));
    if (recharge) {
        child<QSpinBox>(ch.data(), "spin_pay_money")->setValue(5);
        click(ch.data(), "btn_pay");
    } else {
        click(nc.data(), "btn_exit_card");
    }
    other.release();
    Outbox::setStationPath(m_dir.filePath(Outbox::kFileName));

    if (lock == LedgerFaults::OtherProgram::WriteLock && recharge) {
        QCOMPARE(text(ch.data(), "label_ch_tips"), told);
        QVERIFY(child(ch.data(), "group_pay")->isEnabled());
        QVERIFY(MessageBox::shown().isEmpty());
    } else {
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(MessageBox::shown().first().text, told);
    }
}

void TestUserCardDialogs::receipt_is_offered_after_a_recharge_or_return_only()
{
    FileDialog::setTestMode(true);
    FileDialog::clear();
    QScopedPointer<ChDialog> ch(open<ChDialog>());
    QScopedPointer<NewCardDialog> nc(open<NewCardDialog>());
    const quint32 id = issuedCard(250);
    VirtualReader::placeCard(id);
    click(ch.data(), "btn_read");
    child<QSpinBox>(ch.data(), "spin_pay_money")->setValue(600); // over the limit
    click(ch.data(), "btn_pay");
    QVERIFY(!child(ch.data(), "btn_receipt")->isEnabled());
    click(ch.data(), "btn_read");
    child<QSpinBox>(ch.data(), "spin_pay_money")->setValue(3);
    click(ch.data(), "btn_pay");
    QVERIFY(child(ch.data(), "btn_receipt_print")->isEnabled());

    click(nc.data(), "btn_exit_card");
    QVERIFY(child(nc.data(), "btn_receipt")->isEnabled());
    VirtualReader::placeCard(0x12345678u); // not a user card
    click(nc.data(), "btn_exit_card");
    QVERIFY(!child(nc.data(), "btn_receipt")->isEnabled());

    if (!PdfText::available())
        QSKIP("needs pdftotext and pdfinfo (poppler-utils)");
    const QString path = m_dir.filePath(QStringLiteral("receipt.pdf"));
    FileDialog::setNextFileName(path);
    click(ch.data(), "btn_receipt");
    QCOMPARE(PdfText::pages(path), 1);
    const QString text = PdfText::text(path);
    for (const QString& expected : { QStringLiteral("充值收据"), QString::number(cardNumber(id)),
             QStringLiteral("3.00元"), QStringLiteral("2.50元"), QStringLiteral("5.50元"),
             QStringLiteral("00007"), QStringLiteral("admin") })
        QVERIFY2(text.contains(expected), qPrintable(expected));
    FileDialog::setTestMode(false);

    PrintDialog::setTestMode(true);
    const QString printed = m_dir.filePath(QStringLiteral("printed.pdf"));
    PrintDialog::setNextFileName(printed);
    click(ch.data(), "btn_receipt_print");
    PrintDialog::setTestMode(false);
    QCOMPARE(PdfText::pages(printed), 1);
    QVERIFY(PdfText::text(printed).contains(QString::number(cardNumber(id))));
}

void TestUserCardDialogs::close_button_emits_w_close_and_deletes_the_window()
{
    QPointer<ChDialog> ch = open<ChDialog>();
    QPointer<NewCardDialog> nc = open<NewCardDialog>();
    QSignalSpy chClosed(ch.data(), &ChDialog::w_close);
    QSignalSpy ncClosed(nc.data(), &NewCardDialog::w_close);
    click(ch.data(), "btnMenu_Close");
    click(nc.data(), "btnMenu_Close");
    QCOMPARE(chClosed.count(), 1);
    QCOMPARE(ncClosed.count(), 1);
    QTRY_VERIFY(ch.isNull() && nc.isNull());
}

void TestUserCardDialogs::windows_fit_their_texts_in_both_languages_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

// Every single-line label and button is at least as wide as its text needs,
// and the English texts really are loaded.
void TestUserCardDialogs::windows_fit_their_texts_in_both_languages()
{
    QFETCH(bool, english);
    QTranslator translator;
    if (english) {
        QVERIFY(translator.load(QStringLiteral(":/Language/english.qm")));
        QCoreApplication::installTranslator(&translator);
    }
    QScopedPointer<ChDialog> ch(open<ChDialog>());
    QScopedPointer<NewCardDialog> nc(open<NewCardDialog>());
    QCOMPARE(child<QGroupBox>(ch.data(), "group_pay")->title(), english ? "Recharge" : "充值");
    QCOMPARE(child<QComboBox>(nc.data(), "combo_bind_en")->itemText(3),
        english ? "3:Port No.3" : "3：绑定3号端口");

    for (QWidget* window : { static_cast<QWidget*>(ch.data()), static_cast<QWidget*>(nc.data()) }) {
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QString shots = qEnvironmentVariable("VELOKA_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            window->grab().save(
                QStringLiteral("%1/%2-%3.png").arg(shots, window->objectName(), english ? "en" : "zh"));
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->wordWrap() && !label->text().isEmpty())
                QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
            if (label->wordWrap())
                QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                    qPrintable(label->objectName()));
        }
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));
    }
    QCoreApplication::removeTranslator(&translator);
}

QTEST_MAIN(TestUserCardDialogs)
#include "test_usercard_dialogs.moc"
