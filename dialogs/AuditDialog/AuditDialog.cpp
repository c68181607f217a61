#include "AuditDialog.h"

#include "AuditModel.h"
#include "DialogChrome.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "SheetExport.h"
#include "StationClock.h"
#include "ui_AuditDialog.h"

#include <QHash>
#include <QHeaderView>
#include <iterator>

AuditDialog::AuditDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::AuditDialog)
    , m_model(new AuditModel(this))
{
    m_ui->setupUi(this);
    DialogChrome::apply(this, m_ui->widgetTitle, nullptr, nullptr, m_ui->btnMenu_Close);
    DialogChrome::applyWindowStyle(this);
    setWindowTitle(tr("操作日志"));
    m_ui->labTitle->setText(tr("操作日志"));

    m_model->setTitles({ tr("时间"), tr("管理员"), tr("发卡器序列号"), tr("操作"), tr("对象"), tr("结果") });
    m_names = {
        { AuditAction::Login, tr("登录") },
        { AuditAction::Lockout, tr("登录锁定") },
        { AuditAction::Logout, tr("退出登录") },
        { AuditAction::AdminAdd, tr("添加管理员") },
        { AuditAction::AdminChange, tr("修改管理员") },
        { AuditAction::AdminDelete, tr("删除管理员") },
        { AuditAction::CardIssue, tr("开卡") },
        { AuditAction::CardRecharge, tr("充值") },
        { AuditAction::CardReturn, tr("退卡") },
        { AuditAction::CardBind, tr("绑卡") },
        { AuditAction::SettingCard, tr("设置卡") },
        { AuditAction::ParameterCard, tr("参数卡") },
        { AuditAction::TariffCard, tr("费率卡") },
        { AuditAction::BlacklistCard, tr("黑名单卡") },
        { AuditAction::ReaderTopUp, tr("发卡器充值") },
        { AuditAction::FirmwareUpgrade, tr("固件升级") },
        { AuditAction::Backup, tr("备份数据库") },
        { AuditAction::Import, tr("导入数据库") },
        { AuditAction::ConfigChange, tr("修改配置") },
        { AuditOutcome::Ok, tr("成功") },
        { AuditOutcome::WrongName, tr("用户名错误") },
        { AuditOutcome::WrongPassword, tr("密码错误") },
        { AuditOutcome::Locked, tr("已锁定") },
        { AuditOutcome::Failed, tr("失败") },
        { AuditOutcome::Until, tr("锁定至") },
    };
    m_model->setShownNames(m_names);
    m_ui->table_audit->setModel(m_model);
    m_ui->table_audit->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Fixed widths: fitting columns to their contents would read every row.
    const int widths[] = { 150, 90, 100, 130, 230 };
    for (int column = 0; column < int(std::size(widths)); ++column)
        m_ui->table_audit->setColumnWidth(column, widths[column]);
    m_ui->table_audit->horizontalHeader()->setStretchLastSection(true);

    const QDate today = StationClock::now().date();
    m_ui->date_from->setDate(today.addDays(-7));
    m_ui->date_to->setDate(today);
    fillChoices();
    on_btn_search_clicked();
}

AuditDialog::~AuditDialog() = default;

void AuditDialog::setConfig(const StationConfig& config)
{
    m_ui->label_company->setText(config.company);
}

void AuditDialog::fillChoices()
{
    m_ui->combo_manager->addItem(tr("全部"), QString());
    for (const QString& name : AuditTrail::managers())
        m_ui->combo_manager->addItem(name, name);
    m_ui->combo_action->addItem(tr("全部"), QString());
    for (const QString& action : AuditAction::all())
        m_ui->combo_action->addItem(m_names.value(action, action), action);
}

void AuditDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void AuditDialog::on_btn_search_clicked()
{
    AuditFilter filter;
    // Both days whole.
    filter.from = m_ui->date_from->date().startOfDay();
    filter.to = m_ui->date_to->date().addDays(1).startOfDay();
    filter.manager = m_ui->combo_manager->currentData().toString();
    filter.action = m_ui->combo_action->currentData().toString();
    m_model->setFilter(filter);
    m_ui->label_count->setText(tr("共 %1 条").arg(m_model->rowCount()));
}

void AuditDialog::on_btn_export_clicked()
{
    const QString path = FileDialog::getSaveFileName(
        this, tr("选择目录"), tr("操作日志.xlsx"), QStringLiteral("Excel(*.xlsx)"));
    if (path.isEmpty())
        return;
    const SheetExport::Result result = SheetExport::write(*m_model, path);
    if (result.outcome == SheetExport::Outcome::Written)
        showMessage(this, tr("提示"), tr("导出成功"));
    else if (result.outcome != SheetExport::Outcome::Cancelled)
        showMessage(this, tr("错误提示"), tr("导出失败，无法写入文件"));
}
