#include "ChDialog.h"
#include "Database.h"
#include "MainDialog.h"
#include "MessageBox.h"
#include "Outbox.h"
#include "ShellTestSupport.h"
#include "StationConfig.h"
#include "SysDialog.h"
#include "VirtualReader.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSqlQuery>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>
#include <memory>

namespace VR = VirtualReader;

class TestMainDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void reader_serial_shown_and_kept_in_session();
    void missing_reader_reported_once_and_serial_left_empty_data();
    void missing_reader_reported_once_and_serial_left_empty();
    void session_start_saves_config_with_login_choices();
    void clock_counts_from_login_time();
    void every_button_opens_its_dialog_until_closed_data();
    void every_button_opens_its_dialog_until_closed();
    void desk_windows_open_from_the_keyboard();
    void clicks_ignored_while_dialog_open_and_work_after_w_close();
    void dialog_closed_by_window_system_frees_menu();
    void closing_menu_takes_open_dialog_along();
    void maximise_toggle_flips_geometry_and_can_move();
    void waiting_outbox_rows_are_counted_and_delivered();
    void menu_texts_fit_their_buttons_data();
    void menu_texts_fit_their_buttons();
    void status_bar_names_the_ledger_and_whether_it_answers();

private:
    LoginSession session(qint32 loginTime = 1700000000) const;

    std::unique_ptr<ScratchDir> m_dir;
};

void TestMainDialog::init()
{
    m_dir = std::make_unique<ScratchDir>();
    VR::reset();
    MessageBox::setTestMode(true);
    MessageBox::clear();
}

void TestMainDialog::cleanup()
{
    m_dir.reset();
}

LoginSession TestMainDialog::session(qint32 loginTime) const
{
    LoginSession s;
    s.devType = 1;
    s.language = 1;
    s.loginTime = loginTime;
    s.managerName = QStringLiteral("admin");
    return s;
}

void TestMainDialog::reader_serial_shown_and_kept_in_session()
{
    VR::setSerial(7);
    MainDialog menu;
    menu.startSession(session());

    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(child<QLabel>(&menu, "label_readVer")->text(), QStringLiteral("序列号:00007"));
    QCOMPARE(menu.session().readerSerial, QStringLiteral("00007"));
    QCOMPARE(menu.readerInfo().serial(), quint16(7));
}

void TestMainDialog::missing_reader_reported_once_and_serial_left_empty_data()
{
    QTest::addColumn<bool>("unplugged");
    QTest::newRow("reader unplugged") << true;
    QTest::newRow("reader with serial 0") << false;
}

void TestMainDialog::missing_reader_reported_once_and_serial_left_empty()
{
    QFETCH(bool, unplugged);
    if (unplugged)
        VR::setUnplugged(true);
    else
        VR::setSerial(0);

    MainDialog menu;
    menu.startSession(session());

    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().kind, MessageBox::StandardInformation);
    QCOMPARE(MessageBox::last().title, QStringLiteral("提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("未识别到读卡器,请检查再重新打开软件"));
    QVERIFY(menu.session().readerSerial.isEmpty());
    QCOMPARE(child<QLabel>(&menu, "label_readVer")->text(), QStringLiteral("版本号"));
    QCOMPARE(menu.readerInfo().bytes, ReaderInfo().bytes);

    // The menu stays usable and never asks again.
    menu.timer_exec();
    QCOMPARE(MessageBox::shown().size(), 1);
}

void TestMainDialog::session_start_saves_config_with_login_choices()
{
    writeConfig(R"({"company": "Riverside Charging", "limit_money": 5000, "dev_type": 0, "language": 0})");
    MainDialog menu;
    QCOMPARE(child<QLabel>(&menu, "label_company")->text(), QStringLiteral("Riverside Charging"));
    QCOMPARE(menu.config().limit_money, 5000);

    menu.startSession(session());
    StationConfig saved;
    saved.dev_type = -1;
    loadConfig(saved);
    QCOMPARE(saved.dev_type, 1);
    QCOMPARE(saved.language, 1);
    QCOMPARE(saved.company, QStringLiteral("Riverside Charging"));
    QCOMPARE(saved.limit_money, 5000);
    QCOMPARE(saved.usr_key, StationConfig().usr_key);
}

void TestMainDialog::clock_counts_from_login_time()
{
    MainDialog menu;
    const qint32 login = 1700000000;
    menu.startSession(session(login));
    auto* clock = child<QLabel>(&menu, "label_sysTime");
    const auto text = [](qint64 secs) {
        return QDateTime::fromSecsSinceEpoch(secs).toString(QStringLiteral("yyyy-MM-dd  hh.mm.ss"));
    };
    QCOMPARE(clock->text(), text(login));
    menu.timer_exec();
    menu.timer_exec();
    QCOMPARE(clock->text(), text(login + 2));
    QCOMPARE(menu.clockCounter(), quint32(login + 2));
}

void TestMainDialog::every_button_opens_its_dialog_until_closed_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("windowClass");
    QTest::newRow("query and recharge") << QByteArray("btn_main") << QByteArray("ChDialog");
    QTest::newRow("issue and return") << QByteArray("btn_newCard") << QByteArray("NewCardDialog");
    QTest::newRow("users") << QByteArray("btn_user") << QByteArray("UserDialog");
    QTest::newRow("administrators") << QByteArray("btn_man") << QByteArray("ManagerDialog");
    QTest::newRow("returned cards") << QByteArray("btn_exitCard") << QByteArray("BackCardDialog");
    QTest::newRow("recharges") << QByteArray("btn_record") << QByteArray("RecordDialog");
    QTest::newRow("setting cards") << QByteArray("btn_setCard") << QByteArray("SetCardDialog");
    QTest::newRow("system menu") << QByteArray("btn_sys") << QByteArray("SysDialog");
    QTest::newRow("shift totals") << QByteArray("btn_totals") << QByteArray("TotalsDialog");
    QTest::newRow("card statement") << QByteArray("btn_statement") << QByteArray("CardStatementDialog");
}

void TestMainDialog::every_button_opens_its_dialog_until_closed()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, windowClass);

    MainDialog menu;
    menu.startSession(session());
    menu.show();
    click(&menu, button.constData());
    QPointer<QWidget> opened = menu.openDialog();
    QVERIFY(opened);
    QCOMPARE(opened->metaObject()->className(), windowClass.constData());
    QVERIFY(!opened->parentWidget());
    QVERIFY(opened->isVisible());
    QVERIFY(opened->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!menu.menuIdle());

    click(opened, "btnMenu_Close");
    QVERIFY(menu.menuIdle());
    QVERIFY(menu.isVisible());
    QTRY_VERIFY(!opened);
}

void TestMainDialog::desk_windows_open_from_the_keyboard()
{
    MainDialog menu;
    menu.startSession(session());
    menu.show();
    QApplication::setActiveWindow(&menu);
    QVERIFY(QTest::qWaitForWindowActive(&menu));
    QTest::keyClick(&menu, Qt::Key_K, Qt::ControlModifier);
    QTRY_VERIFY(menu.openDialog()); // a shortcut clicks the button a moment later
    QCOMPARE(menu.openDialog()->metaObject()->className(), "CardStatementDialog");
    // Tab reaches the desk buttons; Space on the focused one opens it.
    QVERIFY(child<QToolButton>(&menu, "btn_totals")->focusPolicy() & Qt::TabFocus);
}

void TestMainDialog::clicks_ignored_while_dialog_open_and_work_after_w_close()
{
    MainDialog menu;
    menu.startSession(session());
    menu.show();

    click(&menu, "btn_sys");
    auto* sys = qobject_cast<SysDialog*>(menu.openDialog());
    QVERIFY(sys);
    QVERIFY(!menu.menuIdle());
    QVERIFY(menu.isVisible());
    QVERIFY(!sys->parentWidget());
    QVERIFY(sys->testAttribute(Qt::WA_DeleteOnClose));

    click(&menu, "btn_main");
    click(&menu, "btn_sys");
    QCOMPARE(menu.openDialog(), sys);
    QVERIFY(liveWindows<ChDialog>().isEmpty());
    QCOMPARE(liveWindows<SysDialog>().size(), 1);

    click(sys, "btnMenu_Close");
    QVERIFY(menu.menuIdle());
    click(&menu, "btn_main");
    QVERIFY(qobject_cast<ChDialog*>(menu.openDialog()));
    QVERIFY(!menu.menuIdle());

    // The old system menu's late deletion must not free the menu again.
    QTRY_VERIFY(liveWindows<SysDialog>().isEmpty());
    QVERIFY(!menu.menuIdle());
}

void TestMainDialog::dialog_closed_by_window_system_frees_menu()
{
    MainDialog menu;
    menu.startSession(session());
    menu.show();
    click(&menu, "btn_sys");
    QPointer<QWidget> sys = menu.openDialog();
    QVERIFY(sys);
    sys->close();
    QTRY_VERIFY(!sys);
    QVERIFY(menu.menuIdle());
}

void TestMainDialog::closing_menu_takes_open_dialog_along()
{
    QPointer<QWidget> sys;
    {
        MainDialog menu;
        menu.startSession(session());
        menu.show();
        click(&menu, "btn_sys");
        sys = menu.openDialog();
        QVERIFY(sys);
    }
    QVERIFY(!sys);
}

void TestMainDialog::maximise_toggle_flips_geometry_and_can_move()
{
    MainDialog menu;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Built filling the screen, yet draggable until the first toggle.
    QCOMPARE(menu.geometry().topLeft(), screen.topLeft());
    QCOMPARE(menu.property("canMove").toBool(), true);
    QCOMPARE(menu.property("form").toBool(), true);
    menu.show();
    const QRect built = menu.geometry();

    QWidget* title = child<QWidget>(&menu, "widgetTitle");
    QTest::mouseDClick(title, Qt::LeftButton);
    QCOMPARE(menu.property("canMove").toBool(), true);
    QCOMPARE(menu.size(), QSize(1040, 640));

    QTest::mouseDClick(title, Qt::LeftButton);
    QCOMPARE(menu.property("canMove").toBool(), false);
    QCOMPARE(menu.geometry(), built);

    // A stray Escape must not end the station.
    QTest::keyClick(&menu, Qt::Key_Escape);
    QVERIFY(menu.isVisible());

    click(&menu, "btnMenu_Max");
    QCOMPARE(menu.property("canMove").toBool(), true);
    QCOMPARE(menu.size(), QSize(1040, 640));
}

void TestMainDialog::waiting_outbox_rows_are_counted_and_delivered()
{
    QVERIFY(openDatabase() && createTables());
    DevChRow row;
    row.money = 500;
    QVERIFY(Outbox().append(LedgerEntry::make(row)));
    MainDialog menu;
    const QLabel* label = child<QLabel>(&menu, "label_outbox");
    QCOMPARE(label->text(), QStringLiteral("待存记录：1条"));
    QVERIFY(!label->isHidden());
    menu.deliverOutbox();
    QVERIFY(label->isHidden());
    QSqlQuery query(QStringLiteral("select money from devch"));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 500);
}

void TestMainDialog::menu_texts_fit_their_buttons_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

void TestMainDialog::menu_texts_fit_their_buttons()
{
    QFETCH(bool, english);
    QTranslator translator;
    if (english) {
        QVERIFY(translator.load(QStringLiteral(":/Language/english.qm")));
        QCoreApplication::installTranslator(&translator);
    }
    MainDialog menu;
    SysDialog sys;
    QCoreApplication::removeTranslator(&translator);
    menu.show();
    sys.show();
    QCOMPARE(child<QToolButton>(&menu, "btn_exitCard")->text(),
        english ? QStringLiteral("Card refoud\nrecords") : QStringLiteral("退卡记录"));

    QList<QToolButton*> buttons = menu.findChildren<QToolButton*>();
    buttons += sys.findChildren<QToolButton*>();
    QCOMPARE(buttons.size(), 18);
    for (QToolButton* b : buttons) {
        const QSize text = b->fontMetrics().size(0, b->text());
        QVERIFY2(text.width() <= b->width() - 8, qPrintable(b->objectName()));
        QVERIFY2(text.height() + b->iconSize().height() <= b->height(), qPrintable(b->objectName()));
    }
}

void TestMainDialog::status_bar_names_the_ledger_and_whether_it_answers()
{
    {
        MainDialog menu;
        QCOMPARE(child<QLabel>(&menu, "label_database")->text(), QStringLiteral("数据库：本机 database.db"));
    }
    writeAbsentServerSettings(m_dir->path());
    MainDialog menu;
    QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(&menu, "label_database")->text(),
        QStringLiteral("数据库：服务器 %1:5999/veloka（无法连接）").arg(m_dir->path()), 10000);
    QVERIFY(!child<QLabel>(&menu, "label_database")->toolTip().isEmpty());
}

QTEST_MAIN(TestMainDialog)
#include "test_maindialog.moc"
