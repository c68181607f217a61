#include "AuditTrail.h"
#include "Database.h"
#include "DownLoadManager.h"
#include "LoginWin.h"
#include "ManStore.h"
#include "MessageBox.h"
#include "ProgramLauncher.h"
#include "ServerSettings.h"
#include "ShellTestSupport.h"
#include "StationClock.h"
#include "TestHttpServer.h"
#include "VersionCheck.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTranslator>
#include <QtTest>
#include <memory>

class TestLoginWin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void login_refused_unless_name_and_password_match_exactly_data();
    void login_refused_unless_name_and_password_match_exactly();
    void login_accepted_fills_session_with_choices();
    void config_preselects_mode_and_language_data();
    void config_preselects_mode_and_language();
    void mode_buttons_switch_picture();
    void switching_language_twice_leaves_chinese();
    void account_list_lists_every_administrator();
    void fifth_failure_locks_name_across_restart_until_five_minutes_pass();
    void damaged_config_is_kept_and_told_once();
    void unopenable_database_reports_and_marks_window_closed_data();
    void unopenable_database_reports_and_marks_window_closed();
    void database_locked_elsewhere_is_waited_for_then_reported();
    void absent_ledger_server_reports_and_marks_window_closed();
    void unreadable_server_settings_refuse_the_start();
    void ledger_that_cannot_be_written_is_reported_at_start();
    void newer_version_starts_updater_and_closes_window_data();
    void newer_version_starts_updater_and_closes_window();
    void version_answer_after_login_starts_nothing();

private:
    std::unique_ptr<LoginWin> makeWindow();
    void typeLogin(LoginWin* w, const QString& name, const QString& pwd);

    std::unique_ptr<ScratchDir> m_dir;
    QTranslator m_translator;
};

void TestLoginWin::init()
{
    m_dir = std::make_unique<ScratchDir>();
    MessageBox::setTestMode(true);
    MessageBox::clear();
    ProgramLauncher::setTestMode(true);
    ProgramLauncher::clear();
}

void TestLoginWin::cleanup()
{
    StationClock::useSystemTime();
    QCoreApplication::removeTranslator(&m_translator);
    m_dir.reset();
}

std::unique_ptr<LoginWin> TestLoginWin::makeWindow()
{
    auto w = std::make_unique<LoginWin>(&m_translator);
    w->versionCheck()->downloadManager()->stopWork();
    return w;
}

void TestLoginWin::typeLogin(LoginWin* w, const QString& name, const QString& pwd)
{
    child<QComboBox>(w, "combo_user")->lineEdit()->setText(name);
    child<QLineEdit>(w, "edit_pwd")->setText(pwd);
}

void TestLoginWin::login_refused_unless_name_and_password_match_exactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pwd");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty name") << QString() << QString() << "用户名错误";
    QTest::newRow("capitals") << "ADMIN" << QString() << "用户名错误";
    QTest::newRow("trailing percent") << "adm%" << QString() << "用户名错误";
    QTest::newRow("underscore wildcard") << "b_b"
                                         << "secret"
                                         << "用户名错误";
    QTest::newRow("unknown name") << "carol" << QString() << "用户名错误";
    QTest::newRow("quote is a plain character") << "x' or '1'='1" << QString() << "用户名错误";
    QTest::newRow("wrong password") << "bob"
                                    << "Secret"
                                    << "密码错误";
    QTest::newRow("password given to admin") << "admin"
                                             << "x"
                                             << "密码错误";
}

void TestLoginWin::login_refused_unless_name_and_password_match_exactly()
{
    QFETCH(QString, name);
    QFETCH(QString, pwd);
    QFETCH(QString, message);

    auto w = makeWindow();
    QVERIFY(addMan(QStringLiteral("bob"), QStringLiteral("secret")));
    w->show();
    typeLogin(w.get(), name, pwd);
    click(w.get(), "btn_login");

    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().title, QStringLiteral("错误提示"));
    QCOMPARE(MessageBox::last().text, message);
    QVERIFY(w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Rejected));
    // The fields keep what was typed for the next attempt.
    QCOMPARE(child<QComboBox>(w.get(), "combo_user")->lineEdit()->text(), name);
    QCOMPARE(child<QLineEdit>(w.get(), "edit_pwd")->text(), pwd);
}

void TestLoginWin::login_accepted_fills_session_with_choices()
{
    auto w = makeWindow();
    w->show();
    click(w.get(), "radio_car");
    click(w.get(), "radio_eng");
    typeLogin(w.get(), QStringLiteral("admin"), QString());
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    click(w.get(), "btn_login");

    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(w->result(), int(QDialog::Accepted));
    const LoginSession s = w->session();
    QCOMPARE(s.managerName, QStringLiteral("admin"));
    QCOMPARE(s.managerPwd, QString());
    QCOMPARE(s.devType, 1);
    QCOMPARE(s.language, 1);
    QVERIFY(s.readerSerial.isEmpty());
    QVERIFY(s.loginTime >= before && s.loginTime <= QDateTime::currentSecsSinceEpoch());
}

void TestLoginWin::config_preselects_mode_and_language_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<bool>("car");
    QTest::addColumn<bool>("english");

    QTest::newRow("no file") << QByteArray() << false << false;
    QTest::newRow("car and English") << QByteArray(R"({"dev_type": 1, "language": 1})") << true << true;
    QTest::newRow("bike and Chinese") << QByteArray(R"({"dev_type": 0, "language": 0})") << false << false;
    QTest::newRow("unknown mode is bike") << QByteArray(R"({"dev_type": 7, "language": 1})") << false << true;
    QTest::newRow("unknown language is Chinese")
        << QByteArray(R"({"dev_type": 1, "language": 5})") << true << false;
    QTest::newRow("language as text ignored") << QByteArray(R"({"language": "1"})") << false << false;
}

void TestLoginWin::config_preselects_mode_and_language()
{
    QFETCH(QByteArray, config);
    QFETCH(bool, car);
    QFETCH(bool, english);

    if (!config.isEmpty())
        writeConfig(config);
    auto w = makeWindow();

    QCOMPARE(child<QRadioButton>(w.get(), "radio_car")->isChecked(), car);
    QCOMPARE(child<QRadioButton>(w.get(), "radio_bike")->isChecked(), !car);
    QCOMPARE(child<QLabel>(w.get(), "label_type")->styleSheet(),
        car ? QStringLiteral("image: url(:/pic/tab_car.png);")
            : QStringLiteral("image: url(:/pic/tab_bike.png);"));
    QCOMPARE(child<QRadioButton>(w.get(), "radio_eng")->isChecked(), english);
    QCOMPARE(child<QRadioButton>(w.get(), "radio_chs")->isChecked(), !english);

    QCOMPARE(w->windowTitle(), english ? QStringLiteral("Login in") : QStringLiteral("登陆"));
    QCOMPARE(child<QLabel>(w.get(), "label_user")->text(),
        english ? QStringLiteral("User") : QStringLiteral("用户名："));
    QCOMPARE(child<QLabel>(w.get(), "label_pwd")->text(),
        english ? QStringLiteral("Password") : QStringLiteral("密码："));
    QCOMPARE(child<QPushButton>(w.get(), "btn_login")->text(),
        english ? QStringLiteral("Login in") : QStringLiteral("登陆"));
    QCOMPARE(child<QRadioButton>(w.get(), "radio_car")->text(),
        english ? QStringLiteral("Electric Vehicle system") : QStringLiteral("电动汽车管理"));
    QCOMPARE(child<QRadioButton>(w.get(), "radio_chs")->text(), QStringLiteral("中文"));

    // Logging in right away carries the preselection into the session.
    typeLogin(w.get(), QStringLiteral("admin"), QString());
    click(w.get(), "btn_login");
    QCOMPARE(w->session().devType, car ? 1 : 0);
    QCOMPARE(w->session().language, english ? 1 : 0);
}

void TestLoginWin::mode_buttons_switch_picture()
{
    auto w = makeWindow();
    w->show();
    auto* picture = child<QLabel>(w.get(), "label_type");
    click(w.get(), "radio_car");
    QCOMPARE(picture->styleSheet(), QStringLiteral("image: url(:/pic/tab_car.png);"));
    click(w.get(), "radio_bike");
    QCOMPARE(picture->styleSheet(), QStringLiteral("image: url(:/pic/tab_bike.png);"));
    // The language buttons form their own group: choosing one keeps the mode.
    click(w.get(), "radio_eng");
    QVERIFY(child<QRadioButton>(w.get(), "radio_bike")->isChecked());
}

void TestLoginWin::switching_language_twice_leaves_chinese()
{
    auto w = makeWindow();
    w->show();
    click(w.get(), "radio_eng");
    QCOMPARE(child<QRadioButton>(w.get(), "radio_bike")->text(), QStringLiteral("Electric bicycle system"));
    QCOMPARE(child<QLabel>(w.get(), "label_titleText")->text(), QStringLiteral("Login in"));
    click(w.get(), "radio_chs");
    QCOMPARE(child<QRadioButton>(w.get(), "radio_bike")->text(), QStringLiteral("电动单车管理"));
    QCOMPARE(child<QLabel>(w.get(), "label_titleText")->text(), QStringLiteral("登陆"));
    QCOMPARE(w->windowTitle(), QStringLiteral("登陆"));
    // Messages follow the language too.
    typeLogin(w.get(), QStringLiteral("nobody"), QString());
    click(w.get(), "btn_login");
    QCOMPARE(MessageBox::last().text, QStringLiteral("用户名错误"));
}

void TestLoginWin::fifth_failure_locks_name_across_restart_until_five_minutes_pass()
{
    StationClock::setTestTime(QDateTime(QDate(2026, 3, 2), QTime(9, 30)));
    const QString locked = QStringLiteral("登录失败次数过多，该用户名已锁定至 09:35。");
    auto w = makeWindow();
    QVERIFY(addMan(QStringLiteral("bob"), QStringLiteral("secret")));
    for (int i = 0; i < 4; ++i) {
        typeLogin(w.get(), QStringLiteral("bob"), QStringLiteral("guess"));
        click(w.get(), "btn_login");
        QCOMPARE(MessageBox::last().text, QStringLiteral("密码错误"));
    }
    click(w.get(), "btn_login");
    QCOMPARE(MessageBox::last().text, QStringLiteral("密码错误\n") + locked);

    // A new start of the station still refuses the name, even with its password.
    w = makeWindow();
    StationClock::advance(4 * 60);
    typeLogin(w.get(), QStringLiteral("bob"), QStringLiteral("secret"));
    click(w.get(), "btn_login");
    QCOMPARE(MessageBox::last().text, locked);
    QCOMPARE(w->result(), int(QDialog::Rejected));

    StationClock::advance(60);
    MessageBox::clear();
    click(w.get(), "btn_login");
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(w->result(), int(QDialog::Accepted));
    AuditFilter logins;
    logins.action = AuditAction::Login;
    QCOMPARE(AuditTrail::count(logins), 7); // five failures, one refusal, the success
    const AuditRow last = AuditTrail::page(logins, 0, 1).value(0);
    QCOMPARE(last.outcome, AuditOutcome::Ok);
    QCOMPARE(last.manager, QStringLiteral("bob"));
}

void TestLoginWin::account_list_lists_every_administrator()
{
    {
        auto first = makeWindow();
        QVERIFY(addMan(QStringLiteral("bob"), QStringLiteral("1")));
        QVERIFY(addMan(QStringLiteral("carol"), QStringLiteral("2")));
    }
    auto w = makeWindow();
    auto* combo = child<QComboBox>(w.get(), "combo_user");
    QStringList names;
    for (int i = 0; i < combo->count(); ++i)
        names << combo->itemText(i);
    QCOMPARE(names, QStringList({ "admin", "bob", "carol" }));
    QCOMPARE(combo->lineEdit()->font(), combo->font());
}

void TestLoginWin::damaged_config_is_kept_and_told_once()
{
    writeConfig("{\"usr_key\": \"A1B2C3D4E5F6\", \"company\": \"南");
    auto w = makeWindow();
    QVERIFY(!w->closedAtStart());
    QCOMPARE(MessageBox::shown().size(), 1);
    const QStringList kept = QDir().entryList({ QStringLiteral("config.ini.bad-*") }, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(MessageBox::last().text,
        QStringLiteral("配置文件config.ini已损坏，已另存为%1。本次使用默认设置。").arg(kept.first()));
    QVERIFY(!QFile::exists(QStringLiteral("config.ini")));

    MessageBox::clear();
    w = makeWindow();
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestLoginWin::unopenable_database_reports_and_marks_window_closed_data()
{
    QTest::addColumn<bool>("folder");
    // SQLite cannot open a folder; a file of other bytes it opens, and only a read fails.
    QTest::newRow("folder in its place") << true;
    QTest::newRow("file of other bytes") << false;
}

void TestLoginWin::unopenable_database_reports_and_marks_window_closed()
{
    QFETCH(bool, folder);
    if (folder) {
        QVERIFY(QDir().mkdir(QStringLiteral("database.db")));
    } else {
        QFile file(QStringLiteral("database.db"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, '\xa5'));
    }
    auto w = makeWindow();
    QVERIFY(w->closedAtStart());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().title, QStringLiteral("错误提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("打开数据库失败"));
    QVERIFY(!w->isVisible());
}

void TestLoginWin::database_locked_elsewhere_is_waited_for_then_reported()
{
    {
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        holder.setDatabaseName(QStringLiteral("database.db"));
        QVERIFY(holder.open());
        QSqlQuery lock(holder);
        QVERIFY(lock.exec(QStringLiteral("create table other (x)")));
        QVERIFY(lock.exec(QStringLiteral("begin exclusive")));
        setDatabaseOpenWait(500);
        QElapsedTimer timer;
        timer.start();
        auto w = makeWindow();
        setDatabaseOpenWait(kDefaultDatabaseOpenWaitMs);
        // Bounded: not one driver wait per statement of the start.
        QVERIFY(timer.elapsed() >= 500 && timer.elapsed() < 3000);
        QVERIFY(w->closedAtStart());
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown().first().kind, MessageBox::Notice);
        QCOMPARE(MessageBox::shown().first().text, QStringLiteral("正在等待数据库……\n它正被其他程序使用。"));
        QCOMPARE(MessageBox::last().text,
            QStringLiteral("数据库正被其他程序使用，无法打开。\n请关闭该程序后重新启动。"));
        QCOMPARE(child<QComboBox>(w.get(), "combo_user")->count(), 0);
        holder.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
}

void TestLoginWin::absent_ledger_server_reports_and_marks_window_closed()
{
    writeAbsentServerSettings(m_dir->path());
    auto w = makeWindow();
    QVERIFY(w->closedAtStart());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().title, QStringLiteral("错误提示"));
    QVERIFY2(MessageBox::last().text.startsWith(
                 QStringLiteral("无法连接数据库服务器 %1:5999/veloka\n").arg(m_dir->path())),
        qPrintable(MessageBox::last().text));
    QVERIFY(!QFile::exists(QStringLiteral("database.db")));
}

// The local file would quietly take money meant for the server.
void TestLoginWin::unreadable_server_settings_refuse_the_start()
{
    for (const QByteArray& text : { QByteArray("{\"backend\": \"server\", \"host"), QByteArray("[]") }) {
        MessageBox::clear();
        QFile file(kServerSettingsFileName);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        auto w = makeWindow();
        QVERIFY(w->closedAtStart());
        QCOMPARE(MessageBox::last().text,
            QStringLiteral("服务器设置文件server.ini已损坏，无法读取。\n请修复或删除该文件后重新启动。"));
        QVERIFY(!QFile::exists(QStringLiteral("database.db")));
    }
}

void TestLoginWin::ledger_that_cannot_be_written_is_reported_at_start()
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("older"));
        db.setDatabaseName(QStringLiteral("database.db"));
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(
            QStringLiteral("create table record (id integer primary key, cardnum INTEGER)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("older"));
    auto w = makeWindow();
    QVERIFY(!w->closedAtStart());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().text,
        QStringLiteral("数据库表record无法写入记录（可能缺少列）。\n"
                       "可以浏览记录；充值、发卡、退卡、绑卡和发卡器充值将被拒绝，直到可以写入。"));
}

void TestLoginWin::newer_version_starts_updater_and_closes_window_data()
{
    QTest::addColumn<bool>("starts");
    QTest::newRow("updater starts") << true;
    QTest::newRow("updater missing") << false;
}

void TestLoginWin::newer_version_starts_updater_and_closes_window()
{
    QFETCH(bool, starts);
    auto w = makeWindow();
    QVERIFY(!w->closedAtStart());
    w->show();
    ProgramLauncher::setNextResult(starts);
    emit w->versionCheck()->updateAvailable(ProgramLauncher::updaterProgramName());

    QCOMPARE(ProgramLauncher::requests().size(), 1);
    QVERIFY(ProgramLauncher::requests().first().program.endsWith(ProgramLauncher::updaterProgramName()));
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Rejected));
    if (starts) {
        QVERIFY(MessageBox::shown().isEmpty());
    } else {
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().kind, MessageBox::StandardWarning);
        QCOMPARE(MessageBox::last().title, QStringLiteral("警告信息"));
        QVERIFY(MessageBox::last().text.startsWith(QStringLiteral("启动主程序错误!\n")));
    }
}

void TestLoginWin::version_answer_after_login_starts_nothing()
{
    // Started by the updater after a failed update, the station does not ask.
    QVERIFY(!LoginWin(&m_translator, nullptr, false).versionCheck()->downloadManager());

    TestHttpServer server;
    QVERIFY(server.start());
    server.setRoute("/Veloka/ver.ini", { 200, "{\"ver\":99}", 0, 2, -1, false });
    server.setBody("/Veloka/update.ini", "http://127.0.0.1/Veloka/Veloka\n");
    auto w = makeWindow();
    w->versionCheck()->setBaseUrl(server.url(QString()));
    w->versionCheck()->start();
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount("/Veloka/ver.ini"), 1, 5000);

    w->show();
    typeLogin(w.get(), QStringLiteral("admin"), QString());
    click(w.get(), "btn_login");
    QCOMPARE(w->result(), int(QDialog::Accepted));
    server.releaseStalled();
    QTest::qWait(300);

    QCOMPARE(server.requestCount("/Veloka/update.ini"), 0);
    QVERIFY(ProgramLauncher::requests().isEmpty());
}

QTEST_MAIN(TestLoginWin)
#include "test_loginwin.moc"
