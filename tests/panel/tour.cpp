// The screenshot tour: builds every window of the station against the virtual
// reader in a scratch working directory, fills it with a small realistic
// history, and saves each window as docs/screenshots/tour-<window>-<zh|en>.png.
// A test-only program: the station itself knows nothing of it.
//
//   veloka-tour <output-dir> <scratch-working-dir>

#include "AppInit.h"
#include "AuditDialog.h"
#include "BackCardDialog.h"
#include "BlackListDialog.h"
#include "CardBind.h"
#include "CardIssue.h"
#include "CardReader.h"
#include "CardRecharge.h"
#include "CardReturn.h"
#include "CardStatementDialog.h"
#include "ChDialog.h"
#include "Database.h"
#include "DevChDialog.h"
#include "DevUpd.h"
#include "FileDialog.h"
#include "LoginSession.h"
#include "LoginWin.h"
#include "MainDialog.h"
#include "ManStore.h"
#include "ManagerDialog.h"
#include "MessageBox.h"
#include "MsgBox.h"
#include "NewCardDialog.h"
#include "ReaderPanel.h"
#include "ReaderTopUp.h"
#include "RecordDialog.h"
#include "ServerDialog.h"
#include "SetCardDialog.h"
#include "SettingCardMaker.h"
#include "StationConfig.h"
#include "SysDialog.h"
#include "TotalsDialog.h"
#include "Updater.h"
#include "UserDialog.h"
#include "VirtualReader.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTextStream>
#include <QTranslator>
#include <memory>

namespace VR = VirtualReader;

namespace {

const QString AdminName = QStringLiteral("admin");
const QString AdminPassword; // the seeded administrator's

// Lets the event loop lay out, paint and run short timers.
void settle(int ms = 150)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

template<typename T = QAbstractButton>
T* child(QWidget* window, const char* name)
{
    T* widget = window->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("tour: %s has no %s", window->metaObject()->className(), name);
    return widget;
}

void click(QWidget* window, const char* name)
{
    child(window, name)->click();
    settle(50);
}

class Tour
{
public:
    Tour(const QString& outDir, const QString& workDir)
        : m_out(outDir)
        , m_work(workDir)
    {
    }

    void prepare();
    void run(const QString& language);
    QStringList saved() const { return m_saved; }

private:
    StationConfig config(int devType) const;
    LoginSession session(int devType) const;
    UserCardStation station(int devType);
    void shoot(QWidget* window, const QString& name);

    void login();
    void mainMenu();
    void query();
    void issue();
    void settingCards(int devType);
    void holders();
    void records();
    void returns();
    void readerTopUps();
    void totals();
    void statement();
    void managers();
    void systemMenu();
    void serverSettings();
    void auditTrail();
    void blacklist();
    void firmware();
    void messageBox();
    void updater();
    void readerPanel();

    QDir m_out;
    QDir m_work;
    QString m_language;
    CardReader m_reader;
    ReaderInfo m_readerInfo;
    quint32 m_queryCard = 0;
    QStringList m_saved;
};

StationConfig Tour::config(int devType) const
{
    StationConfig c;
    c.company = QStringLiteral("绿城充电服务");
    c.usr_key = QStringLiteral("5A17C3E9B204");
    c.usr_sect = 1;
    c.limit_money = 200000;
    c.dev_type = devType;
    c.language = m_language == QLatin1String("en") ? 1 : 0;
    return c;
}

LoginSession Tour::session(int devType) const
{
    LoginSession s;
    s.devType = devType;
    s.loginTime = qint32(QDateTime::currentSecsSinceEpoch());
    s.managerName = AdminName;
    s.managerPwd = AdminPassword;
    s.readerSerial = m_readerInfo.serialText();
    s.language = m_language == QLatin1String("en") ? 1 : 0;
    return s;
}

UserCardStation Tour::station(int devType)
{
    UserCardStation s;
    s.reader = &m_reader;
    s.config = config(devType);
    s.readerInfo = m_readerInfo;
    s.session = session(devType);
    return s;
}

// A share-mode reader loaded from two charge files, five holders with cards,
// recharges, a bound card, a returned card and a few operators; one holder's
// card stays on the reader for the query window.
void Tour::prepare()
{
    QDir::setCurrent(m_work.path());
    VR::useStateFile(m_work.filePath(QStringLiteral("virtual-reader.json")));
    VR::reset();
    VR::setMode(VR::ShareMode);
    VR::setSerial(1024);
    if (!saveConfig(config(0)) || !prepareDatabase().opened)
        qFatal("tour: cannot prepare %s", qPrintable(m_work.path()));
    m_reader.readDevInfo(m_readerInfo);
    addMan(QStringLiteral("王芳"), QStringLiteral("wf2024"));
    addMan(QStringLiteral("night-shift"), QStringLiteral("ns0931"));

    const LoginSession admin = session(0);
    for (quint16 version : { 1, 2 }) {
        const QString path = m_work.filePath(QStringLiteral("top-up-%1.chfile").arg(version));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("tour: cannot write %s", qPrintable(path));
        file.write(VR::makeChargeFile(version == 1 ? 500000 : 200000, 1024, version));
        file.close();
        ReaderTopUp(&m_reader, admin).run(path);
    }

    struct Holder
    {
        const char* name;
        const char* addr;
        const char* phone;
        const char* carnum;
        const char* note;
        QList<quint32> recharges; // yuan
    };
    const Holder holders[] = {
        { "张伟", "梧桐小区 3 栋 201", "13812345678", "", "", { 50, 100 } },
        { "李娜", "滨江花园 12 号", "13987654321", "", "月卡", { 200 } },
        { "Chen Jie", "Riverside Rd 18", "15011112222", "", "", { 30, 20, 50 } },
        { "刘洋", "东湖路 88 号", "18600001111", "", "员工", { 100 } },
        { "赵敏", "新华街 5 号", "13700002222", "", "", { 80 } },
    };
    const UserCardStation bike = station(0);
    QList<quint32> ids;
    for (const Holder& h : holders) {
        const quint32 id = VR::addBlankCard();
        VR::placeCard(id);
        const CardOwner owner { QString::fromUtf8(h.name), QString::fromUtf8(h.addr),
            QString::fromUtf8(h.phone), QString::fromUtf8(h.carnum), QString::fromUtf8(h.note) };
        if (CardIssue(bike).issueOnReader(owner).outcome != IssueResult::Issued)
            qFatal("tour: issuing a card failed");
        for (quint32 yuan : h.recharges)
            CardRecharge(bike).recharge(id, yuan);
        ids << id;
    }
    VR::placeCard(ids.at(1));
    CardBind(bike).bind(12, 3);
    VR::placeCard(ids.at(4));
    CardReturn(bike).returnCard();

    // Cards on hand for the panel: a setting card and two blank ones.
    VR::placeCard(VR::addBlankCard());
    StationConfig settingConfig = config(0);
    BikeSettingValues values;
    values.userKeyText = settingConfig.usr_key;
    values.userSector = settingConfig.usr_sect;
    SettingCardMaker(m_reader).makeBikeSetting(values, settingConfig);
    VR::addBlankCard();

    m_queryCard = ids.at(1);
    VR::placeCard(m_queryCard);
    saveConfig(config(0));
}

void Tour::shoot(QWidget* window, const QString& name)
{
    window->show();
    window->raise();
    settle();
    const QString file = m_out.filePath(QStringLiteral("tour-%1-%2.png").arg(name, m_language));
    if (!window->grab().save(file))
        qFatal("tour: cannot save %s", qPrintable(file));
    m_saved << file;
}

void Tour::run(const QString& language)
{
    m_language = language;
    saveConfig(config(0));
    login();
    mainMenu();
    query();
    issue();
    settingCards(0);
    settingCards(1);
    holders();
    records();
    returns();
    readerTopUps();
    totals();
    statement();
    managers();
    systemMenu();
    serverSettings();
    auditTrail();
    blacklist();
    firmware();
    messageBox();
    updater();
    if (language == QLatin1String("en"))
        readerPanel(); // a tool with English texts only
}

void Tour::login()
{
    QTranslator translator;
    LoginWin window(&translator);
    child<QLineEdit>(&window, "edit_pwd")->setText(QStringLiteral("******"));
    shoot(&window, QStringLiteral("LoginWin"));
    QCoreApplication::removeTranslator(&translator);
}

void Tour::mainMenu()
{
    MainDialog window;
    window.startSession(session(0));
    shoot(&window, QStringLiteral("MainDialog"));
}

void Tour::query()
{
    VR::placeCard(m_queryCard);
    ChDialog window;
    window.setup(config(0), &m_reader, m_readerInfo);
    window.setup(session(0));
    click(&window, "btn_read");
    shoot(&window, QStringLiteral("ChDialog"));
}

void Tour::issue()
{
    NewCardDialog window;
    window.setup(config(0), &m_reader, m_readerInfo);
    window.setup(session(0));
    child<QLineEdit>(&window, "edit_new_name")->setText(QStringLiteral("孙丽"));
    child<QLineEdit>(&window, "edit_new_addr")->setText(QStringLiteral("和平里 6 号"));
    child<QLineEdit>(&window, "edit_new_tel")->setText(QStringLiteral("13566667777"));
    shoot(&window, QStringLiteral("NewCardDialog"));
}

// Bike: the operator's password opens the setting card, the access password
// the parameter card. Car: the access password opens all three.
void Tour::settingCards(int devType)
{
    StationConfig c = config(devType);
    SetCardDialog window;
    window.setup(c, &m_reader);
    window.setup(session(devType));
    if (devType == 0) {
        child<QLineEdit>(&window, "edit_setcard_pwd")->setText(AdminPassword);
        click(&window, "btn_setcard_ok");
        child<QLineEdit>(&window, "edit_setcard_pwd")->setText(BuiltinKeys::AccessPassword);
        click(&window, "btn_setcard_ok");
    } else {
        child<QTabWidget>(&window, "tabWidget")->setCurrentIndex(1);
        child<QLineEdit>(&window, "edit_setcard_pwd_car")->setText(BuiltinKeys::AccessPassword);
        click(&window, "btn_setcard_pwd_car");
    }
    shoot(&window, devType == 0 ? QStringLiteral("SetCardDialog-bike") : QStringLiteral("SetCardDialog-car"));
}

void Tour::holders()
{
    UserDialog window;
    window.setCompany(config(0).company);
    shoot(&window, QStringLiteral("UserDialog"));
}

void Tour::records()
{
    RecordDialog window;
    window.setCompany(config(0).company);
    shoot(&window, QStringLiteral("RecordDialog"));
}

void Tour::returns()
{
    BackCardDialog window;
    window.setCompany(config(0).company);
    shoot(&window, QStringLiteral("BackCardDialog"));
}

void Tour::readerTopUps()
{
    DevChDialog window;
    window.setConfig(config(0));
    shoot(&window, QStringLiteral("DevChDialog"));
}

void Tour::totals()
{
    TotalsDialog window;
    window.setup(config(0), session(0));
    child<QRadioButton>(&window, "radio_today")->setChecked(true);
    child<QComboBox>(&window, "combo_manager")->setCurrentIndex(0);
    click(&window, "btn_query");
    shoot(&window, QStringLiteral("TotalsDialog"));
}

void Tour::statement()
{
    VR::placeCard(m_queryCard);
    CardStatementDialog window;
    window.setup(config(0), &m_reader, m_readerInfo);
    window.setup(session(0));
    click(&window, "btn_read");
    shoot(&window, QStringLiteral("CardStatementDialog"));
}

void Tour::managers()
{
    ManagerDialog window;
    window.setCompany(config(0).company);
    window.setSession(session(0));
    child<QLineEdit>(&window, "edit_pwd_pwd")->setText(AdminPassword);
    click(&window, "btn_pwd_ok");
    shoot(&window, QStringLiteral("ManagerDialog"));
}

void Tour::systemMenu()
{
    SysDialog window;
    window.setConfig(config(0), &m_reader);
    window.setSession(session(0));
    shoot(&window, QStringLiteral("SysDialog"));
}

void Tour::serverSettings()
{
    ServerSettings server;
    server.useServer = true;
    server.host = QStringLiteral("ledger-server");
    saveServerSettings(server);
    ServerDialog window;
    window.setConfig(config(0));
    QFile::remove(kServerSettingsFileName);
    shoot(&window, QStringLiteral("ServerDialog"));
}

// The rows the tour's own logins, card writes and top-ups left.
void Tour::auditTrail()
{
    AuditDialog window;
    window.setConfig(config(0));
    shoot(&window, QStringLiteral("AuditDialog"));
}

void Tour::blacklist()
{
    const QString list = m_work.filePath(QStringLiteral("blacklist.txt"));
    QFile file(list);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text))
        file.write("3735928559\n305419896\n2882400018\n4009750271\n");
    file.close();
    BlackListDialog window;
    window.setConfig(config(0), &m_reader);
    window.setSession(session(0));
    FileDialog::setNextFileName(list);
    click(&window, "btn_import");
    shoot(&window, QStringLiteral("BlackListDialog"));
}

void Tour::firmware()
{
    const QString image = m_work.filePath(QStringLiteral("reader-fw-2.3.bin"));
    QFile file(image);
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray(24 * 1024, '\x5A'));
    file.close();
    DevUpd window;
    window.setConfig(config(0), &m_reader);
    window.setSession(session(0));
    FileDialog::setNextFileName(image);
    click(&window, "btn_selFw");
    child<QProgressBar>(&window, "prog_devUpd")->setValue(35);
    shoot(&window, QStringLiteral("DevUpd"));
}

void Tour::messageBox()
{
    MsgBox box;
    box.setTitle(QCoreApplication::translate("MsgBox", "提示"));
    box.setMessage(QCoreApplication::translate("ChDialog", "充值成功:") + QStringLiteral(" 100.00"));
    shoot(&box, QStringLiteral("MsgBox"));
}

// The updater downloads from a listed address; the tour's proxy holds the
// connection open, so the window stays at "downloading" with progress shown.
void Tour::updater()
{
    QFile list(m_work.filePath(QStringLiteral("update.ini")));
    if (list.open(QIODevice::WriteOnly | QIODevice::Text))
        list.write("http://updates.invalid/Veloka/Veloka\nhttp://updates.invalid/Veloka/Updater\n");
    list.close();
    Updater window;
    settle(700);
    window.onDownloadProcess(3 * 1024 * 1024 + 250 * 1024, 8 * 1024 * 1024);
    shoot(&window, QStringLiteral("Updater"));
    QFile::remove(list.fileName());
}

void Tour::readerPanel()
{
    ReaderPanel panel(VR::stateFile(), m_work.filePath(QStringLiteral("config.ini")));
    panel.resize(680, 640);
    shoot(&panel, QStringLiteral("ReaderPanel"));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: veloka-tour <output-dir> <scratch-working-dir>\n";
        return 2;
    }
    AppInit::instance()->start();
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);

    // Every network request goes to a local sink that accepts and never
    // answers: the version check and the updater stay quietly "in progress".
    QTcpServer sink;
    QList<QTcpSocket*> held;
    QObject::connect(&sink, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = sink.nextPendingConnection())
            held << socket;
    });
    if (!sink.listen(QHostAddress::LocalHost))
        qFatal("tour: no local port for the network sink");
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), sink.serverPort()));

    QDir(argv[1]).mkpath(QStringLiteral("."));
    Tour tour(QDir(argv[1]).absolutePath(), QDir(argv[2]).absolutePath());
    tour.prepare();

    tour.run(QStringLiteral("zh"));
    QTranslator english;
    if (!english.load(QStringLiteral(":/Language/english.qm")))
        qFatal("tour: :/Language/english.qm is missing");
    QCoreApplication::installTranslator(&english);
    tour.run(QStringLiteral("en"));

    QTextStream out(stdout);
    for (const QString& file : tour.saved())
        out << file << "\n";
    return 0;
}
