#include "ReaderTopUpPrompt.h"

#include "CardCrypto.h"
#include "FileDialog.h"
#include "MessageBox.h"

#include <QCoreApplication>

namespace ReaderTopUpPrompt {

QString amountText(quint32 fen)
{
    const QStringList parts = moneyText(fen).split(QLatin1Char('.'));
    return QCoreApplication::translate("SysDialog", "%1.%2元").arg(parts.value(0), parts.value(1));
}

QString outcomeText(const ReaderTopUp::Result& result)
{
    switch (result.outcome) {
    case ReaderTopUp::Outcome::FileError:
        return QCoreApplication::translate("SysDialog", "选择文件错误");
    case ReaderTopUp::Outcome::LedgerUnavailable:
        return result.ledger == LedgerSecure::OutboxUnavailable
            ? QCoreApplication::translate("SysDialog", "本地暂存文件无法写入，未充值，发卡器未改动")
            : QCoreApplication::translate("SysDialog", "数据库无法写入，未充值，发卡器未改动");
    case ReaderTopUp::Outcome::ReaderRefused:
        return QCoreApplication::translate("SysDialog", "充值失败,代码:") + QString::number(result.code);
    case ReaderTopUp::Outcome::ReaderUncertain:
        return QCoreApplication::translate("SysDialog",
            "充值结果无法确认：发卡器余额读取失败，请读取发卡器信息核对（充值前余额%1，本次充值%2）")
            .arg(amountText(result.readerBefore), amountText(result.contents.amount));
    case ReaderTopUp::Outcome::Done:
        return QCoreApplication::translate("SysDialog", "充值成功,已充值")
            + amountText(result.contents.amount);
    case ReaderTopUp::Outcome::DoneKeptLocally:
        return QCoreApplication::translate("SysDialog", "充值成功,已充值")
            + amountText(result.contents.amount) + QLatin1Char('\n')
            + QCoreApplication::translate(
                "SysDialog", "数据库暂时无法写入，本次充值记录已暂存本地，数据库可写时自动补存");
    case ReaderTopUp::Outcome::DoneNotRecorded:
        // The reader holds the money now; without a row nobody could account for it.
        return QCoreApplication::translate("SysDialog", "充值成功,已充值")
            + amountText(result.contents.amount) + QLatin1Char('\n')
            + QCoreApplication::translate("SysDialog", "但充值记录保存失败，请另行记下本次充值");
    }
    return QString();
}

ReaderTopUp::Result run(QWidget* parent, CardReader* reader, const LoginSession& session)
{
    const QString path
        = FileDialog::getOpenFileName(parent, QCoreApplication::translate("SysDialog", "请选择充值文件"),
            QStringLiteral("./"), QCoreApplication::translate("SysDialog", "*.chfile 充值文件"));
    const ReaderTopUp::Result result = ReaderTopUp(reader, session).run(path);
    showMessage(parent, QCoreApplication::translate("SysDialog", "提示"), outcomeText(result));
    return result;
}

} // namespace ReaderTopUpPrompt
