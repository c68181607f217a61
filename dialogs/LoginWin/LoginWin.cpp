#include "LoginWin.h"

#include "AuditTrail.h"
#include "Database.h"
#include "LedgerWrite.h"
#include "LoginLockout.h"
#include "ManStore.h"
#include "MessageBox.h"
#include "ProgramLauncher.h"
#include "ServerConnection.h"
#include "StationClock.h"
#include "StationConfig.h"
#include "StationLanguage.h"
#include "VersionCheck.h"
#include "ui_LoginWin.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QLineEdit>
#include <QTranslator>
#include <memory>

LoginWin::LoginWin(QTranslator* translator, QWidget* parent, bool checkVersion)
    : hintdialog(parent)
    , m_ui(new Ui::LoginWin)
    , m_translator(translator)
    , m_modeGroup(new QButtonGroup(this))
    , m_modeStyles({ QStringLiteral("image: url(:/pic/tab_bike.png);"),
          QStringLiteral("image: url(:/pic/tab_car.png);") })
    , m_versionCheck(new VersionCheck(this))
{
    m_ui->setupUi(this);

    StationConfig config;
    config.dev_type = 0;
    const bool configDamaged = loadConfig(config) == ConfigLoad::Damaged;
    setFixedSize(size());

    m_modeGroup->addButton(m_ui->radio_bike, 0);
    m_modeGroup->addButton(m_ui->radio_car, 1);
    // A mode this station does not know has no button and no picture: bike.
    const int mode = (config.dev_type == 1) ? 1 : 0;
    m_modeGroup->button(mode)->setChecked(true);
    showModePicture();

    if (config.language == English) {
        switchLanguage(English);
        m_ui->radio_eng->setChecked(true);
    } else {
        // No choice saved yet (or an unknown one): the built-in Chinese, with
        // its button checked so the session always carries a language.
        switchLanguage(Chinese);
        m_ui->radio_chs->setChecked(true);
    }

    m_ui->combo_user->lineEdit()->setFont(m_ui->combo_user->font());

    if (configDamaged)
        reportDamagedConfig();

    setUpDatabase();
    m_ui->combo_user->addItems(manNames());

    connect(m_versionCheck, &VersionCheck::replyFinished, this, &LoginWin::onReplyFinished);
    connect(m_versionCheck, &VersionCheck::updateAvailable, this, &LoginWin::startProgram);
    if (checkVersion)
        m_versionCheck->start();
}

LoginWin::~LoginWin() = default;

void LoginWin::setUpDatabase()
{
    const ServerSettings server = loadServerSettings();
    if (server.unreadable) {
        closeAtStart(tr("服务器设置文件%1已损坏，无法读取。\n请修复或删除该文件后重新启动。")
                         .arg(kServerSettingsFileName));
        return;
    }
    // A file locked by another program is waited for a few seconds, visibly.
    std::unique_ptr<QWidget> notice;
    bool noticeShown = false;
    const auto whileWaiting = [this, &notice, &noticeShown] {
        if (!noticeShown) {
            noticeShown = true;
            notice = MessageBox::showNotice(this, tr("提示"), tr("正在等待数据库……\n它正被其他程序使用。"));
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    const DatabaseStartup startup
        = server.useServer ? prepareServerDatabase(server) : prepareDatabase(kDatabaseFileName, whileWaiting);
    notice.reset();
    if (server.useServer && (!startup.opened || startup.schemaMissing)) {
        // Accounts live on the server too: nobody could log in.
        qDebug() << "ledger server:" << startup.serverError;
        closeAtStart(startup.opened
                ? tr("数据库服务器 %1 上缺少账本表（%2）。\n请先用 server-setup 设置服务器。")
                      .arg(server.address(), startup.serverError)
                : tr("无法连接数据库服务器 %1\n%2\n请检查网络和服务器设置（server.ini）后重新启动。")
                      .arg(server.address(), startup.serverError));
    } else if (startup.inUse) {
        closeAtStart(tr("数据库正被其他程序使用，无法打开。\n请关闭该程序后重新启动。"));
    } else if (!startup.opened) {
        // Seeding fails too then; one message says it all.
        closeAtStart(tr("打开数据库失败"));
    } else if (startup.seedFailed) {
        showMessage(this, tr("错误提示"), tr("插入数据失败"));
    }
    if (startup.opened && !m_closedAtStart)
        reportLedger();
}

// The ledger cannot be used: nobody may log in, and the station ends.
void LoginWin::closeAtStart(const QString& text)
{
    showMessage(this, tr("错误提示"), text);
    m_closedAtStart = true;
    close();
}

void LoginWin::reportDamagedConfig()
{
    // Moved aside now, before the main menu saves the defaults over it; the
    // next start finds no file and says nothing.
    const QString kept = keepDamagedConfig();
    showMessage(this, tr("错误提示"),
        kept.isEmpty() ? tr("配置文件%1已损坏，且无法另存。本次使用默认设置。").arg(kConfigFileName)
                       : tr("配置文件%1已损坏，已另存为%2。本次使用默认设置。").arg(kConfigFileName, kept));
}

void LoginWin::reportLedger()
{
    const LedgerHealth health = checkLedger();
    QString text;
    switch (health.status) {
    case LedgerHealth::Writable:
        return;
    case LedgerHealth::Locked:
        text = tr("数据库正被其他程序使用，暂时无法写入记录。");
        break;
    case LedgerHealth::ReadOnly:
        text = tr("数据库文件只读，无法写入记录。");
        break;
    case LedgerHealth::TableRefused:
        text = health.table.isEmpty() ? tr("数据库无法写入记录。")
                                      : tr("数据库表%1无法写入记录（可能缺少列）。").arg(health.table);
        break;
    case LedgerHealth::OutboxUnwritable:
        text = tr("本地暂存文件%1无法写入。").arg(Outbox::stationPath());
        break;
    }
    showMessage(this, tr("错误提示"),
        text + QLatin1Char('\n')
            + tr("可以浏览记录；充值、发卡、退卡、绑卡和发卡器充值将被拒绝，直到可以写入。"));
}

void LoginWin::refuse(const QString& text)
{
    showMessage(this, tr("错误提示"), text);
}

void LoginWin::on_btn_login_clicked()
{
    const QString name = m_ui->combo_user->lineEdit()->text();
    const QString pwd = m_ui->edit_pwd->text();
    if (name.isEmpty()) {
        refuse(tr("用户名错误"));
        return;
    }

    const QDateTime lockedUntil = LoginLockout::lockedUntil(name);
    if (lockedUntil.isValid()) {
        LoginLockout::refused(name);
        refuse(lockedText(lockedUntil));
        return;
    }

    // The typed name is a LIKE pattern; only an exact match of the found name
    // logs in, so "%" or another letter case never does.
    const ManLookup lookup = findManLike(name);
    if (lookup.status == LookupStatus::Failed) {
        refuse(tr("!query.exec()错误"));
        return;
    }
    const bool nameKnown = lookup.found() && lookup.row.name == name;
    if (!nameKnown || lookup.row.pwd != pwd) {
        const QDateTime lockStart
            = LoginLockout::failed(name, nameKnown ? AuditOutcome::WrongPassword : AuditOutcome::WrongName);
        const QString text = nameKnown ? tr("密码错误") : tr("用户名错误");
        refuse(lockStart.isValid() ? text + QLatin1Char('\n') + lockedText(lockStart) : text);
        return;
    }

    AuditTrail::setOperator(lookup.row.name);
    LoginLockout::succeeded(name);
    m_session.loginTime = qint32(StationClock::secsSinceEpoch());
    m_session.managerName = lookup.row.name;
    m_session.managerPwd = pwd;
    m_session.readerSerial.clear();
    m_session.devType = m_modeGroup->checkedId();
    m_session.language = m_ui->radio_eng->isChecked() ? English : Chinese;
    // An answer arriving once the station runs must not start the updater:
    // it would replace the running station and start a second one.
    m_versionCheck->stop();
    accept();
}

QString LoginWin::lockedText(const QDateTime& until) const
{
    return tr("登录失败次数过多，该用户名已锁定至 %1。")
        .arg(until.toLocalTime().toString(QStringLiteral("hh:mm")));
}

void LoginWin::showModePicture()
{
    const int id = m_modeGroup->checkedId();
    if (id >= 0 && id < m_modeStyles.size())
        m_ui->label_type->setStyleSheet(m_modeStyles.at(id));
}

void LoginWin::on_radio_bike_clicked()
{
    showModePicture();
}

void LoginWin::on_radio_car_clicked()
{
    showModePicture();
}

void LoginWin::on_radio_eng_clicked()
{
    switchLanguage(English);
}

void LoginWin::on_radio_chs_clicked()
{
    switchLanguage(Chinese);
}

void LoginWin::switchLanguage(Language language)
{
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator);
        if (!m_translator->load(translationFile(language)))
            qDebug() << "cannot load translation" << translationFile(language);
        QCoreApplication::installTranslator(m_translator);
    }
    retranslate();
}

void LoginWin::retranslate()
{
    setWindowTitle(tr("登陆"));
    m_ui->label_user->setText(tr("用户名："));
    m_ui->label_pwd->setText(tr("密码："));
    m_ui->btn_login->setText(tr("登陆"));
    m_ui->label_titleText->setText(tr("登陆"));
    // Each language is offered under its own name, whatever the current one.
    m_ui->radio_chs->setText(QStringLiteral("中文"));
    m_ui->radio_eng->setText(QStringLiteral("English"));
    m_ui->radio_bike->setText(tr("电动单车管理"));
    m_ui->radio_car->setText(tr("电动汽车管理"));
    m_ui->label_titleIcon->setText(QString());
    m_ui->label_type->setText(QString());
    m_ui->Button_WinMin->setText(QString());
    m_ui->Button_Close->setText(QString());
}

void LoginWin::onReplyFinished(int statusCode)
{
    qDebug() << "version check download finished:" << statusCode;
    ++m_finishedDownloads;
}

void LoginWin::startProgram(const QString& name)
{
    if (!name.isEmpty() && !ProgramLauncher::start(name))
        MessageBox::warning(this, tr("警告信息"),
            tr("启动主程序错误!\n可能主程序不存在或者被破坏!\n解决办法：重新安装程序!"));
    close();
}
