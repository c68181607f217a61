#include "NewCardDialog.h"

#include "CardBind.h"
#include "CardCrypto.h"
#include "CardReturn.h"
#include "DialogChrome.h"
#include "MessageBox.h"
#include "ui_NewCardDialog.h"

#include <limits>

NewCardDialog::NewCardDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::NewCardDialog)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, nullptr, m_ui->btnMenu_Close);
    DialogChrome::centreOverParent(this);
    connect(m_ui->btnMenu_Min, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(&m_timer, &QTimer::timeout, this, &NewCardDialog::timer_exec);
}

NewCardDialog::~NewCardDialog() = default;

void NewCardDialog::setup(const StationConfig& config, CardReader* reader, const ReaderInfo& readerInfo)
{
    m_station.config = config;
    m_station.reader = reader;
    m_station.readerInfo = readerInfo;
    m_watch.emplace(reader);
    m_ui->label_company->setText(config.company);
    m_ui->spin_bind_num->setMaximum(std::numeric_limits<qint32>::max());
}

void NewCardDialog::setup(const LoginSession& session)
{
    m_station.session = session;
}

CardOwner NewCardDialog::owner() const
{
    CardOwner owner;
    owner.name = m_ui->edit_new_name->text();
    owner.addr = m_ui->edit_new_addr->text();
    owner.phone = m_ui->edit_new_tel->text();
    owner.carnum = m_ui->edit_new_carnum->text();
    owner.note = m_ui->edit_new_note->text();
    return owner;
}

void NewCardDialog::showNewTip(const QString& text, bool success)
{
    m_ui->label_new_tips->setStyleSheet(
        success ? QStringLiteral("color:green;") : QStringLiteral("color:red;"));
    m_ui->label_new_tips->setText(text);
}

QString NewCardDialog::ledgerRefusal(LedgerSecure secure) const
{
    return secure == LedgerSecure::OutboxUnavailable ? tr("本地暂存文件无法写入，卡片未改动")
                                                     : tr("数据库无法写入，卡片未改动");
}

void NewCardDialog::showKeptLocally(LedgerKept record)
{
    if (record == LedgerKept::KeptLocally)
        showMessage(this, tr("提示"), tr("数据库暂时无法写入，本次记录已暂存本地，数据库可写时自动补存"));
}

void NewCardDialog::showIssue(const IssueResult& result)
{
    switch (result.outcome) {
    case IssueResult::NameMissing:
        showMessage(this, tr("提示"), tr("请输入名字"));
        return;
    case IssueResult::BadUserKey:
        showNewTip(tr("用户卡密码格式错误，应为12位十六进制数字"), false);
        return;
    case IssueResult::NoCard:
        showNewTip(tr("发卡失败:") + tr("未读到卡片"), false);
        return;
    case IssueResult::Failed:
        showNewTip(tr("发卡失败:") + cardIdText(result.id), false);
        return;
    case IssueResult::LedgerUnavailable:
        showNewTip(tr("发卡失败:") + cardIdText(result.id) + QLatin1Char('\n') + ledgerRefusal(result.ledger),
            false);
        return;
    case IssueResult::Issued:
        break;
    }
    if (result.record == LedgerKept::Lost)
        showMessage(this, tr("错误提示"),
            tr("插入数据失败") + QLatin1Char('\n')
                + tr("发卡记录保存失败，请另行记下：卡号%1，姓名%2")
                      .arg(cardNumber(result.id))
                      .arg(owner().name));
    showKeptLocally(result.record);
    showNewTip(tr("发卡成功:") + cardIdText(result.id), true);
}

void NewCardDialog::timer_exec()
{
    m_timer.stop();
    if (m_watch) {
        if (const std::optional<quint32> id = m_watch->newCard())
            showIssue(CardIssue(m_station).issueCard(*id, owner()));
    }
    // A message box shown meanwhile may have let the operator end the mode.
    if (m_ui->check_multi_new_card->isChecked())
        m_timer.start(ContinuousIntervalMs);
}

void NewCardDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void NewCardDialog::on_btn_new_card_clicked()
{
    showIssue(CardIssue(m_station).issueOnReader(owner()));
}

void NewCardDialog::on_btn_exit_card_clicked()
{
    const QString error = tr("错误提示");
    offerReceipt(std::nullopt);
    const ReturnResult r = CardReturn(m_station).returnCard();
    switch (r.outcome) {
    case ReturnResult::BadUserKey:
        showMessage(this, error, tr("用户卡密码格式错误，应为12位十六进制数字"));
        return;
    case ReturnResult::WrongKey:
        showMessage(this, error, tr("密码错误"));
        return;
    case ReturnResult::SettingCardFailed:
    case ReturnResult::KeyChangeFailed:
        showMessage(this, error, tr("退卡失败"));
        return;
    case ReturnResult::KeyChangeUncertain:
        showMessage(this, error,
            tr("退卡失败") + QLatin1Char('\n')
                + tr("卡片状态无法确认，卡内%1元可能未退").arg(moneyText(r.amount)));
        return;
    case ReturnResult::SettingCardReturned:
        showMessage(this, tr("提示"), tr("设置卡退卡成功"));
        return;
    case ReturnResult::InvalidCard:
    case ReturnResult::IdMismatch:
        showMessage(this, error, tr("无效卡"));
        return;
    case ReturnResult::BalanceInvalid:
        showMessage(this, error, tr("余额无效卡"));
        return;
    case ReturnResult::LedgerUnavailable:
        showMessage(this, error, tr("退卡失败") + QLatin1Char('\n') + ledgerRefusal(r.ledger));
        return;
    case ReturnResult::Returned:
        break;
    }

    DeskOutput::Receipt receipt;
    receipt.refund = true;
    receipt.company = m_station.config.company;
    receipt.readerSerial = m_station.session.readerSerial;
    receipt.cardnum = cardNumber(r.id);
    receipt.amount = r.amount;
    receipt.balanceBefore = r.amount; // the whole balance is refunded
    receipt.time = QDateTime::currentDateTime();
    receipt.manager = m_station.session.managerName;
    offerReceipt(receipt);

    const QString money = moneyText(r.amount);
    if (r.record == LedgerKept::Lost)
        showMessage(this, error,
            tr("插入数据失败") + QLatin1Char('\n')
                + tr("退卡记录保存失败，请另行记下：卡号%1，退卡金额%2元").arg(cardNumber(r.id)).arg(money));
    showKeptLocally(r.record);
    const int point = money.indexOf(QLatin1Char('.'));
    QString text = tr("退卡成功,应退金额:%1.%2元").arg(money.left(point), money.mid(point + 1));
    bool complete = true;
    if (r.refund == ReturnResult::RefundFailed) {
        text += QLatin1Char('\n') + tr("发卡器退款失败，金额：%1元").arg(money);
        complete = false;
    }
    if (!r.wiped) {
        text += QLatin1Char('\n') + tr("卡内数据清除失败");
        complete = false;
    }
    showMessage(this, complete ? tr("提示") : error, text);
}

void NewCardDialog::on_btn_bind_clicked()
{
    const BindResult r = CardBind(m_station).bind(
        quint32(m_ui->spin_bind_num->value()), quint8(m_ui->combo_bind_en->currentIndex()));
    QString text;
    switch (r.outcome) {
    case BindResult::SectorZero:
        text = tr("使用绑定功能时用户卡扇区不能使用0扇区");
        break;
    case BindResult::BadUserKey:
        text = tr("用户卡密码格式错误，应为12位十六进制数字");
        break;
    case BindResult::ReadFailed:
        text = tr("读卡失败");
        break;
    case BindResult::WriteFailed:
        text = tr("写卡失败");
        break;
    case BindResult::NotRegistered:
        text = tr("此卡号在数据库中未找到");
        break;
    case BindResult::StoreFailed:
        text = tr("插入数据失败");
        break;
    case BindResult::LedgerUnavailable:
        text = ledgerRefusal(r.ledger);
        break;
    case BindResult::Unbound:
        text = tr("解绑成功");
        break;
    case BindResult::Bound:
        text = tr("绑定成功");
        break;
    }
    showMessage(this, tr("提示"), text);
    if (r.outcome == BindResult::Bound || r.outcome == BindResult::Unbound)
        showKeptLocally(r.record);
}

void NewCardDialog::on_check_multi_new_card_toggled(bool checked)
{
    if (checked)
        m_timer.start(ContinuousIntervalMs);
    else
        m_timer.stop();
}

void NewCardDialog::offerReceipt(std::optional<DeskOutput::Receipt> receipt)
{
    m_receipt = receipt;
    m_ui->btn_receipt->setEnabled(m_receipt.has_value());
    m_ui->btn_receipt_print->setEnabled(m_receipt.has_value());
}

void NewCardDialog::on_btn_receipt_clicked()
{
    if (m_receipt)
        DeskOutput::saveReceipt(this, *m_receipt);
}

void NewCardDialog::on_btn_receipt_print_clicked()
{
    if (m_receipt)
        DeskOutput::printReceipt(this, *m_receipt);
}
