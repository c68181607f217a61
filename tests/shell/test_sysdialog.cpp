#include "AuditDialog.h"
#include "AuditTrail.h"
#include "BlackListDialog.h"
#include "CardReader.h"
#include "Database.h"
#include "DevUpd.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "ServerDialog.h"
#include "ShellTestSupport.h"
#include "SysDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QTableView>
#include <QtTest>
#include <memory>

class TestSysDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void hides_while_its_window_is_open_data();
    void hides_while_its_window_is_open();
    void upgrade_end_reports_success_only_data();
    void upgrade_end_reports_success_only();
    void close_button_closes_and_signals();
    void shows_company_of_the_config();
    void server_window_tests_without_freezing_and_saves_settings();
    void audit_viewer_filters_by_operator_and_action_and_exports();

private:
    SysDialog* makeMenu();

    CardReader m_reader;
};

void TestSysDialog::init()
{
    MessageBox::setTestMode(true);
    MessageBox::clear();
}

SysDialog* TestSysDialog::makeMenu()
{
    auto* sys = new SysDialog();
    StationConfig config;
    config.company = QStringLiteral("Riverside Charging");
    sys->setConfig(config, &m_reader);
    sys->setSession(LoginSession());
    sys->show();
    return sys;
}

void TestSysDialog::hides_while_its_window_is_open_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("windowClass");
    QTest::newRow("blacklist") << QByteArray("btn_blackList") << QByteArray("BlackListDialog");
    QTest::newRow("firmware") << QByteArray("btn_devUpd") << QByteArray("DevUpd");
    QTest::newRow("reader top-ups") << QByteArray("btn_devCh") << QByteArray("DevChDialog");
    QTest::newRow("ledger server") << QByteArray("btn_dbServer") << QByteArray("ServerDialog");
    QTest::newRow("audit trail") << QByteArray("btn_audit") << QByteArray("AuditDialog");
}

void TestSysDialog::hides_while_its_window_is_open()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, windowClass);

    QPointer<SysDialog> sys = makeMenu();
    click(sys, button.constData());
    QPointer<QWidget> opened = sys->openDialog();
    QVERIFY(opened);
    QCOMPARE(opened->metaObject()->className(), windowClass.constData());
    QVERIFY(!opened->parentWidget());
    QVERIFY(opened->isVisible());
    QVERIFY(!sys->isVisible());

    click(opened, "btnMenu_Close");
    QVERIFY(sys->isVisible());
    QTRY_VERIFY(!opened);
    QVERIFY(sys->isVisible());
    // Closed by its own button: no upgrade success to report.
    QVERIFY(MessageBox::shown().isEmpty());
    delete sys;
}

void TestSysDialog::upgrade_end_reports_success_only_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("upgraded") << true;
    QTest::newRow("closed") << false;
}

void TestSysDialog::upgrade_end_reports_success_only()
{
    QFETCH(bool, ok);
    std::unique_ptr<SysDialog> sys(makeMenu());
    sys->hide();
    sys->updOver(ok);
    QVERIFY(sys->isVisible());
    if (ok) {
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().kind, MessageBox::Message);
        QCOMPARE(MessageBox::last().title, QStringLiteral("提示"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("升级成功，请断开USB线，再重新启动设备"));
    } else {
        QVERIFY(MessageBox::shown().isEmpty());
    }
}

void TestSysDialog::close_button_closes_and_signals()
{
    QPointer<SysDialog> sys = makeMenu();
    QSignalSpy closed(sys.data(), &SysDialog::w_close);
    click(sys, "btnMenu_Close");
    QCOMPARE(closed.count(), 1);
    QVERIFY(!sys->isVisible());
    QTRY_VERIFY(!sys);
}

void TestSysDialog::shows_company_of_the_config()
{
    std::unique_ptr<SysDialog> sys(makeMenu());
    QCOMPARE(child<QLabel>(sys.get(), "label_company")->text(), QStringLiteral("Riverside Charging"));
}

void TestSysDialog::server_window_tests_without_freezing_and_saves_settings()
{
    ScratchDir dir;
    ServerDialog window;
    window.setConfig(StationConfig());
    QVERIFY(child<QRadioButton>(&window, "radio_local")->isChecked());
    QVERIFY(!child<QWidget>(&window, "btn_test")->isEnabled());

    child<QRadioButton>(&window, "radio_server")->setChecked(true);
    child<QLineEdit>(&window, "edit_host")->setText(dir.path());
    child<QSpinBox>(&window, "spin_port")->setValue(5999);
    child<QLineEdit>(&window, "edit_passfile")->setText(QStringLiteral("/etc/veloka/pgpass"));
    click(&window, "btn_test");
    auto* status = child<QLabel>(&window, "label_status");
    QCOMPARE(status->text(), QStringLiteral("正在连接..."));
    QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("无法连接：")), 10000);
    QCOMPARE(status->styleSheet(), QStringLiteral("color:red;"));

    click(&window, "btn_save");
    QCOMPARE(MessageBox::last().text, QStringLiteral("已保存，重新启动程序后生效"));
    const ServerSettings saved = loadServerSettings();
    QVERIFY(saved == window.settings());
    QVERIFY(saved.useServer);
    QCOMPARE(saved.host, dir.path());
    QCOMPARE(saved.port, 5999);
    QCOMPARE(saved.passFile, QStringLiteral("/etc/veloka/pgpass"));

    child<QLineEdit>(&window, "edit_user")->clear();
    click(&window, "btn_save");
    QCOMPARE(MessageBox::last().text, QStringLiteral("请填写数据库和用户"));
    QVERIFY(loadServerSettings() == saved);
}

void TestSysDialog::audit_viewer_filters_by_operator_and_action_and_exports()
{
    ScratchDir dir;
    QVERIFY(openDatabase());
    createTables();
    for (const QString& name : { QStringLiteral("admin"), QStringLiteral("bob") }) {
        AuditTrail::setOperator(name);
        AuditTrail::record(AuditAction::CardRecharge, QStringLiteral("7"), QStringLiteral("ok 5.00"));
        AuditTrail::record(AuditAction::CardIssue, QStringLiteral("7"), AuditOutcome::Ok);
    }
    AuditDialog window;
    window.show();
    auto* table = child<QTableView>(&window, "table_audit");
    QCOMPARE(table->model()->rowCount(), 4);
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table->model()->index(0, 3).data().toString(), QStringLiteral("开卡"));

    auto* manager = child<QComboBox>(&window, "combo_manager");
    auto* action = child<QComboBox>(&window, "combo_action");
    manager->setCurrentIndex(manager->findData(QStringLiteral("bob")));
    action->setCurrentIndex(action->findData(AuditAction::CardRecharge));
    click(&window, "btn_search");
    QCOMPARE(table->model()->rowCount(), 1);
    QCOMPARE(table->model()->index(0, 1).data().toString(), QStringLiteral("bob"));
    QCOMPARE(child<QLabel>(&window, "label_count")->text(), QStringLiteral("共 1 条"));

    // A period that ended yesterday holds none of today's rows.
    auto* to = child<QDateEdit>(&window, "date_to");
    to->setDate(to->date().addDays(-1));
    click(&window, "btn_search");
    QCOMPARE(table->model()->rowCount(), 0);

    FileDialog::setTestMode(true);
    FileDialog::setNextFileName(dir.path() + QStringLiteral("/audit.xlsx"));
    click(&window, "btn_export");
    QCOMPARE(MessageBox::last().text, QStringLiteral("导出成功"));
    QVERIFY(QFileInfo(dir.path() + QStringLiteral("/audit.xlsx")).size() > 0);
    FileDialog::setTestMode(false);
    window.close();
    QSqlDatabase::database().close();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
}

QTEST_MAIN(TestSysDialog)
#include "test_sysdialog.moc"
