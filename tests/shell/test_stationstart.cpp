#include "AuditTrail.h"
#include "DownLoadManager.h"
#include "LoginWin.h"
#include "MainDialog.h"
#include "MessageBox.h"
#include "ShellTestSupport.h"
#include "StationConfig.h"
#include "StationStart.h"
#include "VersionCheck.h"
#include "VirtualReader.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace VR = VirtualReader;

// Runs the whole start-up sequence; the steps below act on the windows from
// inside its event loops.
class TestStationStart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void closing_login_ends_with_exit_code_0_and_no_menu();
    void accepted_login_runs_menu_until_it_closes();
    void unopenable_database_ends_without_showing_login();

private:
    // Calls step once a visible window of class T exists.
    template<typename T>
    static void whenShown(std::function<void(T*)> step);

    std::unique_ptr<ScratchDir> m_dir;
};

template<typename T>
void TestStationStart::whenShown(std::function<void(T*)> step)
{
    QTimer::singleShot(20, qApp, [step] {
        for (T* w : liveWindows<T>()) {
            if (w->isVisible()) {
                step(w);
                return;
            }
        }
        whenShown<T>(step);
    });
}

void TestStationStart::init()
{
    m_dir = std::make_unique<ScratchDir>();
    VR::reset();
    MessageBox::setTestMode(true);
    MessageBox::clear();
}

void TestStationStart::cleanup()
{
    m_dir.reset();
}

void TestStationStart::closing_login_ends_with_exit_code_0_and_no_menu()
{
    bool loginSeen = false;
    whenShown<LoginWin>([&loginSeen](LoginWin* login) {
        loginSeen = true;
        login->versionCheck()->downloadManager()->stopWork();
        click(login, "Button_Close");
    });
    QCOMPARE(StationStart::run(*qApp), 0);
    QVERIFY(loginSeen);
    QVERIFY(liveWindows<MainDialog>().isEmpty());
    QVERIFY(liveWindows<LoginWin>().isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("config.ini")));
}

void TestStationStart::accepted_login_runs_menu_until_it_closes()
{
    VR::setSerial(42);
    LoginSession seen;
    whenShown<LoginWin>([&seen](LoginWin* login) {
        login->versionCheck()->downloadManager()->stopWork();
        click(login, "radio_car");
        login->findChild<QComboBox*>(QStringLiteral("combo_user"))
            ->lineEdit()
            ->setText(QStringLiteral("admin"));
        click(login, "btn_login");
        whenShown<MainDialog>([&seen](MainDialog* menu) {
            seen = menu->session();
            // The login window is kept, hidden, behind the menu.
            QCOMPARE(liveWindows<LoginWin>().size(), 1);
            QVERIFY(!liveWindows<LoginWin>().first()->isVisible());
            click(menu, "btnMenu_Close");
        });
    });
    QCOMPARE(StationStart::run(*qApp), 0);
    QCOMPARE(seen.managerName, QStringLiteral("admin"));
    QCOMPARE(seen.devType, 1);
    QCOMPARE(seen.readerSerial, QStringLiteral("00042"));
    QVERIFY(MessageBox::shown().isEmpty());
    // The session is on the trail from its login to its logout.
    QStringList trail;
    for (const AuditRow& row : AuditTrail::page(AuditFilter(), 0, 10))
        trail.prepend(row.action + ':' + row.subject);
    QVERIFY2(trail.size() >= 2 && trail.first() == QStringLiteral("login:admin")
            && trail.last() == QStringLiteral("logout:admin"),
        qPrintable(trail.join(" | ")));
    // Both windows are gone once the run returns; the choice is on disk.
    QTRY_VERIFY(liveWindows<MainDialog>().isEmpty());
    QVERIFY(liveWindows<LoginWin>().isEmpty());
    StationConfig saved;
    loadConfig(saved);
    QCOMPARE(saved.dev_type, 1);
    QCOMPARE(saved.language, 0);
}

void TestStationStart::unopenable_database_ends_without_showing_login()
{
    QVERIFY(QDir().mkdir(QStringLiteral("database.db")));
    bool loginSeen = false;
    // Should the window be run after all, close it so the test fails instead of hanging.
    QObject guard;
    QTimer::singleShot(2000, &guard, [&loginSeen] {
        for (LoginWin* login : liveWindows<LoginWin>()) {
            loginSeen = true;
            login->close();
        }
    });
    QCOMPARE(StationStart::run(*qApp), 0);
    QVERIFY(!loginSeen);
    QCOMPARE(MessageBox::last().text, QStringLiteral("打开数据库失败"));
    QVERIFY(liveWindows<MainDialog>().isEmpty());
}

QTEST_MAIN(TestStationStart)
#include "test_stationstart.moc"
