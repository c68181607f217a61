#include "BlackListDialog.h"

#include "BlacklistFile.h"
#include "DialogChrome.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "ui_BlackListDialog.h"

#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>

using BlacklistCard::MaxRows;

BlackListDialog::BlackListDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::BlackListDialog)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, nullptr, m_ui->btnMenu_Close);
    DialogChrome::applyWindowStyle(this);
    m_ui->tableWidget->setHorizontalHeaderLabels({ tr("挂失的ID号") });
    m_ui->tableWidget->horizontalHeader()->setStretchLastSection(true);
}

BlackListDialog::~BlackListDialog() = default;

void BlackListDialog::setConfig(const StationConfig& config, CardReader* reader)
{
    m_config = config;
    m_reader = reader;
    m_ui->label_company->setText(config.company);
}

QStringList BlackListDialog::rows() const
{
    QStringList texts;
    for (int r = 0; r < m_ui->tableWidget->rowCount(); ++r) {
        const QTableWidgetItem* item = m_ui->tableWidget->item(r, 0);
        texts.append(item ? item->text() : QString());
    }
    return texts;
}

void BlackListDialog::appendRow(const QString& text)
{
    const int row = m_ui->tableWidget->rowCount();
    m_ui->tableWidget->insertRow(row);
    m_ui->tableWidget->setItem(row, 0, new QTableWidgetItem(text));
}

void BlackListDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void BlackListDialog::on_btn_add_clicked()
{
    if (m_ui->tableWidget->rowCount() >= MaxRows)
        return;
    appendRow(QString());
    const int row = m_ui->tableWidget->rowCount() - 1;
    m_ui->tableWidget->setCurrentCell(row, 0);
    m_ui->tableWidget->editItem(m_ui->tableWidget->item(row, 0));
}

void BlackListDialog::on_btn_del_clicked()
{
    QList<int> selected;
    for (const QModelIndex& index : m_ui->tableWidget->selectionModel()->selectedIndexes())
        selected.append(index.row());
    std::sort(selected.begin(), selected.end(), std::greater<int>());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    for (int row : selected)
        m_ui->tableWidget->removeRow(row);
}

void BlackListDialog::on_btn_write_clicked()
{
    BlacklistWriter writer(m_reader, this);
    const BlacklistWriter::Result result = writer.write(rows());
    showMessage(this, tr("提示"), outcomeText(result));
}

void BlackListDialog::nextCard(int cardNumber)
{
    // Whatever closes the message, the operator has had the chance to swap cards.
    showMessage(this, tr("提示"), tr("请放第%1张新卡到刷卡器，然后再点确定").arg(cardNumber));
}

QString BlackListDialog::outcomeText(const BlacklistWriter::Result& result) const
{
    using Outcome = BlacklistWriter::Outcome;
    switch (result.outcome) {
    case Outcome::Done:
        return tr("已完成，请按卡顺序依次刷到充电座");
    case Outcome::DoneEmpty:
        return tr("已完成，请刷到充电座");
    case Outcome::NotFreshCard:
        return tr("请使用新卡做为黑名单卡");
    case Outcome::BadRow:
        return tr("第%1行ID输入有误").arg(result.row);
    case Outcome::EmptyHeaderFailed:
        return tr("写卡失败1");
    case Outcome::SectorFailed:
        return tr("写卡失败2");
    case Outcome::LastSectorFailed:
        return tr("写卡失败3");
    case Outcome::FullHeaderFailed:
        return tr("写卡失败4");
    case Outcome::LastHeaderFailed:
        return tr("写卡失败5");
    }
    return QString();
}

void BlackListDialog::on_btn_import_clicked()
{
    const QString path
        = FileDialog::getOpenFileName(this, tr("选择文件"), QString(), QStringLiteral("*.txt"));
    if (path.isEmpty())
        return;
    QStringList lines;
    if (!BlacklistFile::read(path, MaxRows - m_ui->tableWidget->rowCount(), lines))
        return;
    for (const QString& line : lines)
        appendRow(line);
}

void BlackListDialog::on_btn_export_clicked()
{
    const QString proposed = BlacklistFile::proposedName(QDateTime::currentDateTime());
    const QString path = FileDialog::getSaveFileName(this, tr("保存文件"), proposed, QStringLiteral("*.txt"));
    if (path.isEmpty())
        return;
    if (!BlacklistFile::write(path, rows()))
        showMessage(this, tr("提示"), tr("导出失败，无法写入文件"));
}
