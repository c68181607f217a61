#include "SysDialog.h"

#include "AuditDialog.h"
#include "BlackListDialog.h"
#include "DatabaseTransfer.h"
#include "DevChDialog.h"
#include "DevUpd.h"
#include "DialogChrome.h"
#include "MessageBox.h"
#include "ReaderTopUpPrompt.h"
#include "ServerDialog.h"
#include "ui_SysDialog.h"

SysDialog::SysDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::SysDialog)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DialogChrome::apply(this, m_ui->widgetTitle, nullptr, nullptr, m_ui->btnMenu_Close);
    DialogChrome::centreOverParent(this);
}

SysDialog::~SysDialog()
{
    // Its window works with the main menu's reader, which may go next.
    if (m_openDialog) {
        m_openDialog->disconnect(this);
        delete m_openDialog.data();
    }
}

void SysDialog::setConfig(const StationConfig& config, CardReader* reader)
{
    m_config = config;
    m_reader = reader;
    m_ui->label_company->setText(config.company);
}

void SysDialog::setSession(const LoginSession& session)
{
    m_session = session;
}

void SysDialog::sysShow()
{
    show();
}

void SysDialog::updOver(bool ok)
{
    sysShow();
    if (ok)
        showMessage(this, tr("提示"), tr("升级成功，请断开USB线，再重新启动设备"));
}

void SysDialog::subDialogDestroyed(QObject* dialog)
{
    if (m_openDialog && m_openDialog != dialog)
        return;
    m_openDialog = nullptr;
    sysShow();
}

void SysDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void SysDialog::on_btn_devUpd_clicked()
{
    openSubDialog<DevUpd>(
        [this](DevUpd& d) {
            d.setConfig(m_config, m_reader);
            d.setSession(m_session);
        },
        &DevUpd::w_close, &SysDialog::updOver);
}

void SysDialog::on_btn_devCh_clicked()
{
    openSubDialog<DevChDialog>(
        [this](DevChDialog& d) { d.setConfig(m_config); }, &DevChDialog::w_close, &SysDialog::sysShow);
}

void SysDialog::on_btn_blackList_clicked()
{
    openSubDialog<BlackListDialog>([this](BlackListDialog& d) { d.setConfig(m_config, m_reader); },
        &BlackListDialog::w_close, &SysDialog::sysShow);
}

void SysDialog::on_btn_dbServer_clicked()
{
    openSubDialog<ServerDialog>(
        [this](ServerDialog& d) { d.setConfig(m_config); }, &ServerDialog::w_close, &SysDialog::sysShow);
}

void SysDialog::on_btn_audit_clicked()
{
    openSubDialog<AuditDialog>(
        [this](AuditDialog& d) { d.setConfig(m_config); }, &AuditDialog::w_close, &SysDialog::sysShow);
}

void SysDialog::on_btn_devPay_clicked()
{
    ReaderTopUpPrompt::run(this, m_reader, m_session);
}

void SysDialog::on_btn_dbExport_clicked()
{
    DatabaseBackupPrompt::run(this);
}

void SysDialog::on_btn_dbImport_clicked()
{
    DatabaseImportPrompt::run(this);
}
