#include "BackCardDialog.h"

#include "ui_BackCardDialog.h"

BackCardDialog::BackCardDialog(QWidget* parent)
    : RecordBrowser(BrowserTable::backCard(), parent)
    , m_ui(new Ui::BackCardDialog)
{
    m_ui->setupUi(this);
    setUp({ m_ui->widgetTitle, m_ui->btnMenu_Min, m_ui->btnMenu_Max, m_ui->btnMenu_Close, m_ui->label_company,
              m_ui->table_backcard, m_ui->edit_backCardScName, m_ui->edit_backCardScTel,
              m_ui->dateEdit_backCardDateScBefore, m_ui->dateEdit_backCardDateScAfter },
        { tr("序号"), tr("卡号"), tr("姓名"), tr("地址"), tr("电话"), tr("车牌号"), tr("时间"), tr("管理员"),
            tr("退卡金额"), tr("发卡器序列号"), tr("备注") },
        { "请输入查找的电话号码", "退卡记录", false, "Microsoft Office 2007 (*.xlsx)" });
    reload();
}

BackCardDialog::~BackCardDialog() = default;
