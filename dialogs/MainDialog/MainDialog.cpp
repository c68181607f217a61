#include "MainDialog.h"

#include "AuditTrail.h"
#include "BackCardDialog.h"
#include "CardStatementDialog.h"
#include "ChDialog.h"
#include "DialogChrome.h"
#include "LedgerLock.h"
#include "ManagerDialog.h"
#include "MessageBox.h"
#include "NewCardDialog.h"
#include "Outbox.h"
#include "RecordDialog.h"
#include "SetCardDialog.h"
#include "SysDialog.h"
#include "TotalsDialog.h"
#include "UserDialog.h"
#include "ui_MainDialog.h"

#include <QDateTime>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace {
const QString kClockFormat = QStringLiteral("yyyy-MM-dd  hh.mm.ss");
} // namespace

MainDialog::MainDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::MainDialog)
    , m_reader(std::make_unique<CardReader>())
    , m_clock(quint32(QDateTime::currentSecsSinceEpoch()))
{
    m_ui->setupUi(this);
    showClock();
    // The menu starts filling the screen; initForm runs afterwards and leaves
    // it draggable until the first toggle.
    toggleMaximised();
    initForm();
    initConfig();
    connect(&m_clockTimer, &QTimer::timeout, this, &MainDialog::timer_exec);
    m_clockTimer.start(ClockPeriodMs);
    showDatabase();
    connect(&m_outboxTimer, &QTimer::timeout, this, &MainDialog::deliverOutbox);
    m_outboxTimer.start(OutboxRetryMs);
    showOutbox();
}

MainDialog::~MainDialog()
{
    // The open dialog uses this menu's reader: it must not outlive it.
    if (m_openDialog) {
        m_openDialog->disconnect(this);
        delete m_openDialog.data();
    }
}

void MainDialog::initForm()
{
    DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, m_ui->btnMenu_Max, m_ui->btnMenu_Close);
    setWindowTitle(m_ui->labTitle->text());
    // The desk windows take focus with Tab and open with a key as well.
    m_ui->btn_totals->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_ui->btn_statement->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
}

void MainDialog::initConfig()
{
    loadConfig(m_config);
    m_ui->label_company->setText(m_config.company);
}

void MainDialog::startSession(const LoginSession& session)
{
    m_session = session;
    AuditTrail::setOperator(session.managerName);
    const bool changed = m_config.dev_type != session.devType || m_config.language != session.language;
    m_config.dev_type = session.devType;
    m_config.language = session.language;
    const bool saved = saveConfig(m_config);
    if (changed)
        AuditTrail::record(AuditAction::ConfigChange,
            QStringLiteral("config.ini dev_type %1 language %2").arg(session.devType).arg(session.language),
            AuditTrail::outcome(saved));

    m_clock = quint32(session.loginTime);
    showClock();

    const int result = m_reader->readDevInfo(m_readerInfo);
    if (result != ReaderResult::Ok || m_readerInfo.serial() == 0) {
        // Dialogs get the record as it is: all zero for an unknown reader.
        m_readerInfo = ReaderInfo();
        MessageBox::information(this, tr("提示"), tr("未识别到读卡器,请检查再重新打开软件"));
        return;
    }
    m_session.readerSerial = m_readerInfo.serialText();
    AuditTrail::setStationSerial(m_session.readerSerial);
    m_ui->label_readVer->setText(tr("序列号:") + m_session.readerSerial);
}

void MainDialog::showDatabase()
{
    // The same file the login window opened the ledger by, a moment ago.
    m_server = loadServerSettings();
    if (!m_server.useServer) {
        m_ui->label_database->setText(tr("数据库：本机 %1").arg(kDatabaseFileName));
        return;
    }
    m_ui->label_database->setText(tr("数据库：服务器 %1（%2）").arg(m_server.address(), tr("正在检查")));
    connect(&m_serverProbe, &ServerProbe::finished, this, &MainDialog::showServerCheck);
    const auto check = [this] { m_serverProbe.start(m_server); };
    connect(&m_serverTimer, &QTimer::timeout, this, check);
    m_serverTimer.start(ServerCheckPeriodMs);
    check();
}

void MainDialog::showServerCheck(const ServerCheck& check)
{
    QString state;
    switch (check.status) {
    case ServerCheck::Status::Reachable:
        state = tr("已连接");
        break;
    case ServerCheck::Status::SchemaMissing:
        state = tr("缺少账本表");
        break;
    case ServerCheck::Status::Unreachable:
        state = tr("无法连接");
        break;
    }
    m_ui->label_database->setText(tr("数据库：服务器 %1（%2）").arg(m_server.address(), state));
    m_ui->label_database->setToolTip(check.detail);
    // The server answers again: the ledger's own connection, dropped while it
    // was away, is opened anew here rather than at the next sale, and the rows
    // that waited go in.
    if (check.status == ServerCheck::Status::Reachable && m_menuIdle) {
        ensureLedgerConnection();
        deliverOutbox();
    }
    // White on the status bar while all is well; yellow stands out there.
    m_ui->label_database->setStyleSheet(check.status == ServerCheck::Status::Reachable
            ? QString()
            : QStringLiteral("color: rgb(255, 235, 59); font-weight: bold;"));
}

void MainDialog::showClock()
{
    m_ui->label_sysTime->setText(QDateTime::fromSecsSinceEpoch(m_clock).toString(kClockFormat));
}

void MainDialog::timer_exec()
{
    ++m_clock;
    showClock();
}

void MainDialog::mainShow()
{
    show();
    m_menuIdle = true;
    showOutbox();
}

void MainDialog::deliverOutbox()
{
    const Outbox outbox;
    if (m_menuIdle && outbox.count() > 0)
        outbox.deliver();
    showOutbox();
}

void MainDialog::showOutbox()
{
    const int waiting = Outbox().count();
    m_ui->label_outbox->setText(tr("待存记录：%1条").arg(waiting));
    m_ui->label_outbox->setVisible(waiting > 0);
}

void MainDialog::childDestroyed(QObject* dialog)
{
    // A dialog replaced in the meantime (closed, and another one opened before
    // its deferred deletion) must not free the menu.
    if (m_openDialog && m_openDialog != dialog)
        return;
    m_openDialog = nullptr;
    mainShow();
}

void MainDialog::toggleMaximised()
{
    if (m_maximised) {
        setGeometry(m_restoredGeometry);
        setProperty("canMove", true);
    } else {
        m_restoredGeometry = geometry();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            setGeometry(screen->availableGeometry());
        setProperty("canMove", false);
    }
    m_maximised = !m_maximised;
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->widgetTitle && event->type() == QEvent::MouseButtonDblClick) {
        toggleMaximised();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::on_btnMenu_Min_clicked()
{
    showMinimized();
}

void MainDialog::on_btnMenu_Max_clicked()
{
    toggleMaximised();
}

void MainDialog::on_btnMenu_Close_clicked()
{
    close();
}

void MainDialog::on_btn_main_clicked()
{
    openChildDialog<ChDialog>([this](ChDialog& d) {
        d.setup(m_config, m_reader.get(), m_readerInfo);
        d.setup(m_session);
    });
}

void MainDialog::on_btn_newCard_clicked()
{
    openChildDialog<NewCardDialog>([this](NewCardDialog& d) {
        d.setup(m_config, m_reader.get(), m_readerInfo);
        d.setup(m_session);
    });
}

void MainDialog::on_btn_user_clicked()
{
    openChildDialog<UserDialog>([this](UserDialog& d) { d.setCompany(m_config.company); });
}

void MainDialog::on_btn_man_clicked()
{
    openChildDialog<ManagerDialog>([this](ManagerDialog& d) {
        d.setCompany(m_config.company);
        d.setSession(m_session);
    });
}

void MainDialog::on_btn_exitCard_clicked()
{
    openChildDialog<BackCardDialog>([this](BackCardDialog& d) { d.setCompany(m_config.company); });
}

void MainDialog::on_btn_record_clicked()
{
    openChildDialog<RecordDialog>([this](RecordDialog& d) { d.setCompany(m_config.company); });
}

void MainDialog::on_btn_setCard_clicked()
{
    // The menu's own record: a written setting card changes the key, sector
    // and limit that every dialog opened later receives.
    openChildDialog<SetCardDialog>([this](SetCardDialog& d) {
        d.setup(m_config, m_reader.get());
        d.setup(m_session);
    });
}

void MainDialog::on_btn_sys_clicked()
{
    openChildDialog<SysDialog>([this](SysDialog& d) {
        d.setConfig(m_config, m_reader.get());
        d.setSession(m_session);
    });
}

void MainDialog::on_btn_totals_clicked()
{
    openChildDialog<TotalsDialog>([this](TotalsDialog& d) { d.setup(m_config, m_session); });
}

void MainDialog::on_btn_statement_clicked()
{
    openChildDialog<CardStatementDialog>([this](CardStatementDialog& d) {
        d.setup(m_config, m_reader.get(), m_readerInfo);
        d.setup(m_session);
    });
}
