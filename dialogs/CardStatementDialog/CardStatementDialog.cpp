#include "CardStatementDialog.h"

#include "CardCrypto.h"
#include "CardQuery.h"
#include "DeskOutput.h"
#include "DialogChrome.h"
#include "MessageBox.h"
#include "ui_CardStatementDialog.h"

#include <QRegularExpressionValidator>
#include <algorithm>

namespace {

QString balanceText(const std::optional<qint64>& fen)
{
    return fen ? signedMoneyText(*fen) : QString();
}

} // namespace

QString CardStatementDialog::entryKindText(const StatementEntry& entry)
{
    switch (entry.kind) {
    case StatementEntry::Issue:
        return tr("开卡");
    case StatementEntry::Recharge:
        return tr("充值");
    case StatementEntry::Refund:
        return tr("退卡");
    case StatementEntry::Binding:
        break;
    }
    return entry.post != 0 ? tr("绑定：充电座%1 端口%2").arg(entry.post).arg(entry.port) : tr("解除绑定");
}

CardStatementDialog::CardStatementDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::CardStatementDialog)
{
    m_ui->setupUi(this);
    DialogChrome::apply(this, m_ui->widgetTitle, nullptr, nullptr, m_ui->btnMenu_Close);
    DialogChrome::applyWindowStyle(this);
    m_ui->edit_cardnum->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{1,10}")), m_ui->edit_cardnum));
    connect(m_ui->edit_cardnum, &QLineEdit::returnPressed, this, &CardStatementDialog::on_btn_query_clicked);
    m_model.setHorizontalHeaderLabels({ tr("时间"), tr("类型"), tr("金额"), tr("操作前余额"),
        tr("操作后余额"), tr("操作员"), tr("发卡器序列号"), tr("余额断档") });
    m_ui->table_statement->setModel(&m_model);
    m_ui->table_statement->verticalHeader()->hide();
    clearStatement();
}

CardStatementDialog::~CardStatementDialog() = default;

void CardStatementDialog::setup(const StationConfig& config, CardReader* reader, const ReaderInfo& readerInfo)
{
    m_station.config = config;
    m_station.reader = reader;
    m_station.readerInfo = readerInfo;
    m_ui->label_company->setText(config.company);
}

void CardStatementDialog::setup(const LoginSession& session)
{
    m_station.session = session;
}

void CardStatementDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void CardStatementDialog::clearStatement()
{
    m_model.removeRows(0, m_model.rowCount());
    m_gapRows.clear();
    m_holderText.clear();
    m_summary.clear();
    m_ui->label_holder->clear();
    m_ui->label_summary->clear();
    m_ui->btn_export->setEnabled(false);
    m_ui->btn_pdf->setEnabled(false);
    m_ui->btn_print->setEnabled(false);
}

void CardStatementDialog::on_btn_query_clicked()
{
    bool ok = false;
    const qulonglong typed = m_ui->edit_cardnum->text().toULongLong(&ok);
    if (!ok || typed > 0xFFFFFFFFull) {
        clearStatement();
        showMessage(this, tr("错误提示"), tr("请输入正确的卡号"));
        return;
    }
    showStatement(quint32(typed));
}

void CardStatementDialog::on_btn_read_clicked()
{
    const CardQueryResult r = CardQuery(m_station).read();
    if (!r.idRead()) {
        clearStatement();
        showMessage(this, tr("错误提示"), tr("读卡失败"));
        return;
    }
    const quint32 cardnum = cardNumber(r.id);
    m_ui->edit_cardnum->setText(QString::number(cardnum));
    showStatement(
        cardnum, r.outcome == CardQueryResult::Read ? std::optional<quint32>(r.balance) : std::nullopt);
}

void CardStatementDialog::showStatement(quint32 cardnum, std::optional<quint32> cardBalance)
{
    clearStatement();
    const CardHistory history = loadCardHistory(cardnum);
    if (history.status == LookupStatus::Failed) {
        showMessage(this, tr("错误提示"), tr("读取数据库失败"));
        return;
    }
    m_cardnum = cardnum;
    const UserRow& holder = history.holder.row;
    if (history.holder.found()) {
        m_holderText = tr("持卡人：%1  电话：%2  地址：%3  车牌号：%4")
                           .arg(holder.name, holder.phone, holder.addr, holder.carnum);
        m_holderText += QStringLiteral("  ")
            + (holder.bindchid.value_or(0) != 0
                    ? tr("绑定：充电座%1 端口%2").arg(*holder.bindchid).arg(holder.bindport.value_or(0))
                    : tr("未绑定"));
    } else {
        m_holderText = tr("数据库中没有此卡的开卡记录");
    }
    m_ui->label_holder->setText(tr("卡号：%1").arg(cardnum) + QStringLiteral("  ") + m_holderText);

    const QVector<StatementEntry>& entries = history.statement.entries();
    for (const StatementEntry& entry : entries) {
        const QString kind = entryKindText(entry);
        QList<QStandardItem*> items;
        for (const QString& cell :
            { entry.date, kind, balanceText(entry.amount), balanceText(entry.oldBalance),
                balanceText(entry.newBalance), entry.manager, entry.sn, entry.gap ? tr("是") : QString() }) {
            auto* item = new QStandardItem(cell);
            item->setTextAlignment(Qt::AlignCenter);
            if (entry.gap)
                item->setBackground(QColor(255, 205, 205));
            items.append(item);
        }
        if (entry.gap)
            m_gapRows.append(m_model.rowCount());
        m_model.appendRow(items);
    }
    m_ui->table_statement->resizeColumnsToContents();

    QStringList summary;
    summary << tr("共 %1 条记录，余额断档 %2 处").arg(entries.size()).arg(history.statement.gapCount());
    // The card itself is the last link of the chain.
    std::optional<qint64> lastBalance;
    const auto lastMoney = std::find_if(entries.rbegin(), entries.rend(),
        [](const StatementEntry& entry) { return entry.kind != StatementEntry::Binding; });
    if (lastMoney != entries.rend())
        lastBalance = lastMoney->newBalance;
    const bool mismatch = cardBalance && lastBalance && *lastBalance != qint64(*cardBalance);
    if (mismatch)
        summary << tr("卡内余额 %1 元，与最后一条记录的 %2 元不符")
                       .arg(moneyText(*cardBalance), signedMoneyText(*lastBalance));
    else if (cardBalance)
        summary << tr("卡内余额 %1 元").arg(moneyText(*cardBalance));
    m_summary = summary.join(QLatin1Char('\n'));
    m_ui->label_summary->setStyleSheet(
        history.statement.gapCount() > 0 || mismatch ? QStringLiteral("color:red;") : QString());
    m_ui->label_summary->setText(m_summary);
    const bool any = !entries.isEmpty() || history.holder.found();
    m_ui->btn_export->setEnabled(any);
    m_ui->btn_pdf->setEnabled(any);
    m_ui->btn_print->setEnabled(any);
}

DeskDocument CardStatementDialog::report() const
{
    DeskDocument document;
    document.title = tr("卡片流水");
    document.fields = {
        { tr("公司"), m_station.config.company },
        { tr("卡号"), QString::number(m_cardnum) },
        { tr("持卡人"), m_holderText },
        { tr("打印时间"), QDateTime::currentDateTime().toString(kRecordTimeFormat) },
        { tr("操作员"), m_station.session.managerName },
    };
    document.setTable(m_model);
    document.flaggedRows = m_gapRows;
    document.footer = m_summary.split(QLatin1Char('\n'));
    return document;
}

void CardStatementDialog::on_btn_export_clicked()
{
    DeskOutput::exportSheet(this, m_model, tr("卡片流水_%1.xlsx").arg(m_cardnum));
}

void CardStatementDialog::on_btn_pdf_clicked()
{
    DeskOutput::savePdf(this, report(), tr("卡片流水_%1.pdf").arg(m_cardnum));
}

void CardStatementDialog::on_btn_print_clicked()
{
    DeskOutput::print(this, report());
}
