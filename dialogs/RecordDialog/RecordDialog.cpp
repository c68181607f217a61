#include "RecordDialog.h"

#include "ui_RecordDialog.h"

RecordDialog::RecordDialog(QWidget* parent)
    : RecordBrowser(BrowserTable::record(), parent)
    , m_ui(new Ui::RecordDialog)
{
    m_ui->setupUi(this);
    setUp({ m_ui->widgetTitle, m_ui->btnMenu_Min, m_ui->btnMenu_Max, m_ui->btnMenu_Close, m_ui->label_company,
              m_ui->table_record, m_ui->edit_recordScName, m_ui->edit_recordScTel,
              m_ui->dateEdit_recordDateScBefore, m_ui->dateEdit_recordDateScAfter },
        { tr("序号"), tr("卡号"), tr("姓名"), tr("地址"), tr("电话"), tr("车牌号"), tr("时间"), tr("管理员"),
            tr("充值金额"), tr("充值前金额"), tr("充值后金额"), tr("发卡器序列号"), tr("备注") },
        { "请输入查找的电话号码", QT_TR_NOOP("充值记录"), true, "*.xlsx" });
    reload();
}

RecordDialog::~RecordDialog() = default;
