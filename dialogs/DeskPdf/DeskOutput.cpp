#include "DeskOutput.h"

#include "CardCrypto.h"
#include "Database.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "SheetExport.h"

void DeskOutput::exportSheet(QWidget* parent, const QAbstractItemModel& model, const QString& proposedName)
{
    const QString path
        = FileDialog::getSaveFileName(parent, tr("导出Excel"), proposedName, tr("Excel 文件 (*.xlsx)"));
    if (path.isEmpty())
        return;
    const SheetExport::Result result = SheetExport::write(model, path);
    if (result.outcome == SheetExport::Outcome::Written)
        showMessage(parent, tr("提示"), tr("导出成功"));
    else if (result.outcome != SheetExport::Outcome::Cancelled)
        showMessage(parent, tr("错误提示"), tr("导出失败，无法写入文件"));
}

void DeskOutput::savePdf(QWidget* parent, const DeskDocument& document, const QString& proposedName)
{
    const QString path
        = FileDialog::getSaveFileName(parent, tr("保存PDF"), proposedName, tr("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    if (DeskPdf::write(document, path))
        showMessage(parent, tr("提示"), tr("已保存：%1").arg(path));
    else
        showMessage(parent, tr("错误提示"), tr("保存失败，无法写入文件"));
}

void DeskOutput::print(QWidget* parent, const DeskDocument& document)
{
    // A cancel is the operator's own choice and needs no answer.
    if (DeskPdf::print(parent, document) == DeskPdf::PrintOutcome::Failed)
        showMessage(parent, tr("错误提示"), tr("打印失败，无法写入打印机"));
}

DeskDocument DeskOutput::receipt(const Receipt& receipt)
{
    DeskDocument document;
    document.pageSize = QPageSize::A6;
    document.title = receipt.refund ? tr("退卡收据") : tr("充值收据");
    document.fields = {
        { tr("公司"), receipt.company },
        { tr("发卡器序列号"), receipt.readerSerial },
        { tr("卡号"), QString::number(receipt.cardnum) },
        { receipt.refund ? tr("退卡金额") : tr("充值金额"), moneyText(receipt.amount) + tr("元") },
        { tr("操作前余额"), moneyText(receipt.balanceBefore) + tr("元") },
        { tr("操作后余额"), moneyText(receipt.balanceAfter) + tr("元") },
        { tr("时间"), receipt.time.toString(kRecordTimeFormat) },
        { tr("操作员"), receipt.manager },
    };
    return document;
}

QString DeskOutput::receiptFileName(const Receipt& receipt)
{
    return (receipt.refund ? tr("退卡收据") : tr("充值收据"))
        + QStringLiteral("_%1_%2.pdf")
              .arg(receipt.cardnum)
              .arg(receipt.time.toString(QStringLiteral("yyyyMMdd_hhmmss")));
}

void DeskOutput::saveReceipt(QWidget* parent, const Receipt& receipt)
{
    savePdf(parent, DeskOutput::receipt(receipt), receiptFileName(receipt));
}

void DeskOutput::printReceipt(QWidget* parent, const Receipt& receipt)
{
    print(parent, DeskOutput::receipt(receipt));
}
