#include "ChDialog.h"

#include "CardCrypto.h"
#include "CardQuery.h"
#include "DialogChrome.h"
#include "MessageBox.h"
#include "ReaderStatus.h"
#include "ui_ChDialog.h"

#include <QDebug>

ChDialog::ChDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ChDialog)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, nullptr, m_ui->btnMenu_Close);
    DialogChrome::centreOverParent(this);
    connect(m_ui->btnMenu_Min, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(&m_timer, &QTimer::timeout, this, &ChDialog::timer_exec);
}

ChDialog::~ChDialog() = default;

void ChDialog::setup(const StationConfig& config, CardReader* reader, const ReaderInfo& readerInfo)
{
    m_station.config = config;
    m_station.reader = reader;
    m_station.readerInfo = readerInfo;
    m_watch.emplace(reader);
    m_ui->label_company->setText(config.company);
    m_ui->spin_pay_money->setMaximum(config.limit_money / 100);
    qDebug() << "limit_money:" << config.limit_money;
}

void ChDialog::setup(const LoginSession& session)
{
    m_station.session = session;
}

void ChDialog::showTip(const QString& text, bool success)
{
    m_ui->label_ch_tips->setStyleSheet(
        success ? QStringLiteral("color:green;") : QStringLiteral("color:red;"));
    m_ui->label_ch_tips->setText(text);
}

void ChDialog::showHolder(const UserLookup& holder)
{
    m_ui->label_name_value->setText(holder.row.name);
    m_ui->label_addt_value->setText(holder.row.addr);
    m_ui->label_tel_value->setText(holder.row.phone);
    m_ui->label_note_value->setText(holder.row.note);
    m_ui->label_carnum_value->setText(holder.row.carnum);
}

void ChDialog::timer_exec()
{
    m_timer.stop();
    if (m_watch && m_watch->newCard()) {
        on_btn_read_clicked();
        if (m_cardRead) {
            on_btn_pay_clicked();
            m_cardRead = false;
        }
    }
    // A message box shown meanwhile may have let the operator end the mode.
    if (m_ui->check_multi_ch->isChecked())
        m_timer.start(ContinuousIntervalMs);
}

void ChDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void ChDialog::on_btn_read_clicked()
{
    const CardQueryResult r = CardQuery(m_station).read();
    if (r.idRead())
        m_uid = r.id;
    switch (r.outcome) {
    case CardQueryResult::BadUserKey:
        showTip(tr("用户卡密码格式错误，应为12位十六进制数字"), false);
        return;
    case CardQueryResult::ReadFailed:
        showTip(tr("读卡失败"), false);
        return;
    case CardQueryResult::InvalidCard:
    case CardQueryResult::IdMismatch:
        showTip(tr("无效卡"), false);
        return;
    case CardQueryResult::BalanceInvalid:
        showTip(tr("余额无效卡"), false);
        return;
    case CardQueryResult::Read:
        break;
    }

    if (r.binding.bound) {
        const quint32 post = m_station.config.dev_type != 0 ? r.binding.post : r.binding.post16;
        m_ui->label_bindchid_value->setText(QString::number(post));
        m_ui->label_bindport_value->setText(QString::number(r.binding.port));
    } else {
        m_ui->label_bindchid_value->setText(tr("未绑定"));
        m_ui->label_bindport_value->setText(tr("未绑定"));
    }
    m_ui->label_id_value->setText(QString::number(cardNumber(r.id)));
    m_ui->label_remain_value->setText(moneyText(r.balance));
    m_ui->group_pay->setEnabled(true);
    m_cardRead = true;

    // The previous card's holder must not stay on screen beside this card.
    showHolder(r.holder);
    if (r.holder.found())
        m_ui->label_ch_tips->clear();
    else
        showTip(tr("读取数据库信息失败"), false);

    if (m_uncertain && m_uncertain->id == r.id) {
        const std::optional<RechargeResult> settled = CardRecharge(m_station).settle(*m_uncertain, r);
        m_uncertain.reset();
        if (!settled)
            return;
        QString text = tr("上次无法确认的充值已写入卡片：充值%1元，充值后%2元")
                           .arg(moneyText(settled->amount), moneyText(settled->newBalance));
        if (settled->deduction == RechargeResult::DeductFailed)
            text += QLatin1Char('\n') + tr("发卡器扣款失败，金额：%1元").arg(moneyText(settled->amount));
        offerReceipt(rechargeReceipt(*settled));
        showMessage(this, tr("提示"), text);
        reportRecord(*settled);
    }
}

void ChDialog::reportRecord(const RechargeResult& result)
{
    if (result.record == LedgerKept::KeptLocally)
        showMessage(this, tr("提示"), tr("数据库暂时无法写入，本次充值记录已暂存本地，数据库可写时自动补存"));
    if (result.record == LedgerKept::Lost)
        showMessage(this, tr("错误提示"),
            tr("插入数据失败") + QLatin1Char('\n')
                + tr("充值记录保存失败，请另行记下本次充值：卡号%1，充值%2元，充值前%3元，充值后%4元")
                      .arg(cardNumber(result.id))
                      .arg(moneyText(result.amount), moneyText(result.oldBalance),
                          moneyText(result.newBalance)));
}

DeskOutput::Receipt ChDialog::rechargeReceipt(const RechargeResult& result) const
{
    DeskOutput::Receipt receipt;
    receipt.company = m_station.config.company;
    receipt.readerSerial = m_station.session.readerSerial;
    receipt.cardnum = cardNumber(result.id);
    receipt.amount = result.amount;
    receipt.balanceBefore = result.oldBalance;
    receipt.balanceAfter = result.newBalance;
    receipt.time = QDateTime::currentDateTime();
    receipt.manager = m_station.session.managerName;
    return receipt;
}

void ChDialog::on_btn_pay_clicked()
{
    const quint32 yuan = quint32(m_ui->spin_pay_money->value());
    offerReceipt(std::nullopt);
    const RechargeResult r = CardRecharge(m_station).recharge(m_uid, yuan);
    if (r.consumesRead()) {
        m_ui->group_pay->setEnabled(false);
        m_cardRead = false;
    }
    switch (r.outcome) {
    case RechargeResult::BadUserKey:
        showTip(tr("用户卡密码格式错误，应为12位十六进制数字"), false);
        return;
    case RechargeResult::ReaderBalanceUnread:
        showTip(tr("读取发卡器余额失败"), false);
        return;
    case RechargeResult::ReaderBalanceShort:
        showTip(tr("发卡器余额不足"), false);
        return;
    case RechargeResult::ReadFailed:
        showTip(tr("读卡失败"), false);
        return;
    case RechargeResult::WrongCard:
        showTip(tr("卡号有误"), false);
        return;
    case RechargeResult::InvalidCard:
    case RechargeResult::IdMismatch:
        showTip(tr("无效卡"), false);
        return;
    case RechargeResult::BalanceInvalid:
        showTip(tr("余额无效卡"), false);
        return;
    case RechargeResult::OverLimit:
        showTip(tr("超出限额"), false);
        return;
    case RechargeResult::LedgerUnavailable:
        showTip(r.ledger == LedgerSecure::OutboxUnavailable ? tr("本地暂存文件无法写入，未充值，卡片未改动")
                                                            : tr("数据库无法写入，未充值，卡片未改动"),
            false);
        return;
    case RechargeResult::WriteFailed:
        showTip(tr("写卡失败"), false);
        return;
    case RechargeResult::WriteUncertain:
        // The next read of this card tells whether the money reached it.
        m_uncertain = r;
        showTip(tr("写卡失败") + QLatin1Char('\n') + tr("卡内余额无法确认，请重新读卡核对"), false);
        return;
    case RechargeResult::Recharged:
        break;
    }

    m_ui->label_remain_value->setText(moneyText(r.newBalance));
    offerReceipt(rechargeReceipt(r));
    reportRecord(r);
    QString text = tr("充值成功:")
        + tr("%1,充值金额=%2元").arg(QStringLiteral("%1").arg(r.id, 8, 16, QLatin1Char(' '))).arg(yuan);
    const bool deducted = r.deduction != RechargeResult::DeductFailed;
    if (!deducted)
        text += QLatin1Char('\n') + tr("发卡器扣款失败，金额：%1元").arg(moneyText(r.amount));
    showTip(text, deducted);
}

void ChDialog::on_check_multi_ch_toggled(bool checked)
{
    if (checked)
        m_timer.start(ContinuousIntervalMs);
    else
        m_timer.stop();
}

void ChDialog::on_btn_read_devinfo_clicked()
{
    const ReaderStatus status = queryReaderStatus(*m_station.reader);
    if (status.code != ReaderResult::Ok) {
        showInfo(this, tr("读取失败，代号：%d").replace(QLatin1String("%d"), QString::number(status.code)));
        return;
    }
    const ReaderInfo& info = status.info;
    QString text
        = info.mode() == ReaderInfo::SaleMode ? tr("发卡器模式：销售模式\n") : tr("发卡器模式：分成模式\n");
    text += tr("发卡器序列号：%d\n").replace(QLatin1String("%d"), QString::number(info.serial()));
    text += tr("校验码：") + info.checkCodeText();
    if (info.isShareMode()) {
        if (status.remainRead) {
            text += tr("\n发卡器余额：%d.%02d元\n版本号：%d")
                        .replace(QLatin1String("%d.%02d"), moneyText(status.remain.balance()))
                        .replace(QLatin1String("%d"), QString::number(status.remain.version()));
        } else {
            text += QLatin1Char('\n') + tr("读取发卡器余额失败");
        }
    }
    showInfo(this, text);
}

void ChDialog::offerReceipt(std::optional<DeskOutput::Receipt> receipt)
{
    m_receipt = receipt;
    m_ui->btn_receipt->setEnabled(m_receipt.has_value());
    m_ui->btn_receipt_print->setEnabled(m_receipt.has_value());
}

void ChDialog::on_btn_receipt_clicked()
{
    if (m_receipt)
        DeskOutput::saveReceipt(this, *m_receipt);
}

void ChDialog::on_btn_receipt_print_clicked()
{
    if (m_receipt)
        DeskOutput::printReceipt(this, *m_receipt);
}
