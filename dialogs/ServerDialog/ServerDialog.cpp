#include "ServerDialog.h"

#include "DialogChrome.h"
#include "MessageBox.h"
#include "ui_ServerDialog.h"

ServerDialog::ServerDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ServerDialog)
{
    m_ui->setupUi(this);
    DialogChrome::apply(this, m_ui->widgetTitle, nullptr, nullptr, m_ui->btnMenu_Close);
    DialogChrome::applyWindowStyle(this);
    connect(m_ui->radio_server, &QRadioButton::toggled, this, &ServerDialog::enableServerFields);
    connect(&m_probe, &ServerProbe::finished, this, &ServerDialog::showCheck);
    showSettings(ServerSettings());
}

ServerDialog::~ServerDialog() = default;

void ServerDialog::setConfig(const StationConfig& config)
{
    m_ui->label_company->setText(config.company);
    showSettings(loadServerSettings());
}

void ServerDialog::showSettings(const ServerSettings& settings)
{
    m_ui->radio_server->setChecked(settings.useServer);
    m_ui->radio_local->setChecked(!settings.useServer);
    m_ui->edit_host->setText(settings.host);
    m_ui->spin_port->setValue(settings.port);
    m_ui->edit_database->setText(settings.database);
    m_ui->edit_user->setText(settings.user);
    m_ui->edit_passfile->setText(settings.passFile);
    enableServerFields();
}

ServerSettings ServerDialog::settings() const
{
    ServerSettings settings;
    settings.useServer = m_ui->radio_server->isChecked();
    settings.host = m_ui->edit_host->text().trimmed();
    settings.port = m_ui->spin_port->value();
    settings.database = m_ui->edit_database->text().trimmed();
    settings.user = m_ui->edit_user->text().trimmed();
    settings.passFile = m_ui->edit_passfile->text().trimmed();
    return settings;
}

void ServerDialog::enableServerFields()
{
    const bool server = m_ui->radio_server->isChecked();
    m_ui->group_server->setEnabled(server);
    m_ui->btn_test->setEnabled(server && !m_probe.isRunning());
}

void ServerDialog::on_btn_test_clicked()
{
    m_ui->label_status->setStyleSheet(QString());
    m_ui->label_status->setText(tr("正在连接..."));
    m_probe.start(settings());
    enableServerFields();
}

void ServerDialog::showCheck(const ServerCheck& check)
{
    enableServerFields();
    switch (check.status) {
    case ServerCheck::Status::Reachable:
        m_ui->label_status->setStyleSheet(QStringLiteral("color:green;"));
        m_ui->label_status->setText(tr("连接成功"));
        return;
    case ServerCheck::Status::SchemaMissing:
        m_ui->label_status->setStyleSheet(QStringLiteral("color:red;"));
        m_ui->label_status->setText(tr("已连接，但服务器上缺少账本表：%1").arg(check.detail));
        return;
    case ServerCheck::Status::Unreachable:
        break;
    }
    m_ui->label_status->setStyleSheet(QStringLiteral("color:red;"));
    m_ui->label_status->setText(tr("无法连接：%1").arg(check.detail));
}

void ServerDialog::on_btn_save_clicked()
{
    const ServerSettings chosen = settings();
    if (chosen.useServer && (chosen.database.isEmpty() || chosen.user.isEmpty())) {
        showMessage(this, tr("错误提示"), tr("请填写数据库和用户"));
        return;
    }
    if (!saveServerSettings(chosen)) {
        showMessage(this, tr("错误提示"), tr("保存失败"));
        return;
    }
    showMessage(this, tr("提示"), tr("已保存，重新启动程序后生效"));
}

void ServerDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}
