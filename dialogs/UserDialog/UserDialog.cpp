#include "UserDialog.h"

#include "ui_UserDialog.h"

#include <QHeaderView>

UserDialog::UserDialog(QWidget* parent)
    : RecordBrowser(BrowserTable::user(), parent)
    , m_ui(new Ui::UserDialog)
{
    m_ui->setupUi(this);
    m_ui->table_user->horizontalHeader()->setDefaultSectionSize(120);
    setUp({ m_ui->widgetTitle, m_ui->btnMenu_Min, m_ui->btnMenu_Max, m_ui->btnMenu_Close, m_ui->label_company,
              m_ui->table_user, m_ui->edit_userScName, m_ui->edit_userScTel, nullptr, nullptr },
        { tr("序号"), tr("卡号"), tr("姓名"), tr("地址"), tr("电话"), tr("车牌号"), tr("绑定的充电座编号"),
            tr("绑定的端口号"), tr("开卡时间"), tr("开卡人"), tr("发卡器序列号"), tr("备注") },
        { "请输入查找的电话", "用户", false, "Microsoft Office 2007 (*.xlsx)" });
    reload();
}

UserDialog::~UserDialog() = default;
