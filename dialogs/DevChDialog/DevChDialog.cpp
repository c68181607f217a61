#include "DevChDialog.h"

#include "ui_DevChDialog.h"

DevChDialog::DevChDialog(QWidget* parent)
    : RecordBrowser(BrowserTable::devCh(), parent)
    , m_ui(new Ui::DevChDialog)
{
    m_ui->setupUi(this);
    setUp({ m_ui->widgetTitle, m_ui->btnMenu_Min, m_ui->btnMenu_Max, m_ui->btnMenu_Close, m_ui->label_company,
              m_ui->table_devCh },
        { tr("充值金额"), tr("设备序列号"), tr("充值版本号"), tr("管理员"), tr("时间") }, {});
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    loadQuietly();
}

DevChDialog::~DevChDialog() = default;

void DevChDialog::setConfig(const StationConfig& config)
{
    setCompany(config.company);
}
