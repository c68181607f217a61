#include "BlackListDialog.h"
#include "CardReader.h"
#include "DevUpd.h"
#include "MessageBox.h"
#include "ShellTestSupport.h"
#include "SysDialog.h"

#include <QLabel>
#include <QSignalSpy>
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

QTEST_MAIN(TestSysDialog)
#include "test_sysdialog.moc"
