#include "DevUpd.h"

#include "AuditTrail.h"
#include "CardReader.h"
#include "DialogChrome.h"
#include "FileDialog.h"
#include "FirmwarePackets.h"
#include "UpdThread.h"
#include "ui_DevUpd.h"

#include <QDebug>
#include <QFileInfo>
#include <QTimer>

DevUpd::DevUpd(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::DevUpd)
    , m_timer(new QTimer(this))
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, nullptr, m_ui->btnMenu_Close);
    DialogChrome::applyWindowStyle(this);
    m_ui->btn_startDevUpd->setEnabled(false);
    m_ui->prog_devUpd->setTextVisible(false);
    m_ui->prog_devUpd->setValue(0);
    m_ui->label_tips->hide();
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &DevUpd::timer_exec);
}

DevUpd::~DevUpd()
{
    stopWorker();
}

void DevUpd::setConfig(const StationConfig& config, CardReader* reader)
{
    m_reader = reader;
    m_ui->label_company->setText(config.company);
}

void DevUpd::setSession(const LoginSession& session)
{
    m_session = session;
}

void DevUpd::stopWorker()
{
    m_timer->stop();
    if (!m_thread)
        return;
    m_thread->requestInterruption();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void DevUpd::showTip(const QString& text)
{
    m_ui->label_tips->setText(text);
    m_ui->label_tips->show();
}

void DevUpd::on_btn_selFw_clicked()
{
    const QString path
        = FileDialog::getOpenFileName(this, tr("选择设备固件"), QStringLiteral("./"), tr("*.bin 固件文件"));
    if (path.isEmpty())
        return;
    qDebug() << path;
    m_ui->edit_updFw->setText(path);
    m_ui->btn_startDevUpd->setEnabled(true);
}

void DevUpd::on_btn_startDevUpd_clicked()
{
    m_size = QFileInfo(m_ui->edit_updFw->text()).size();
    // The count is announced in 16 bits, and an empty file has nothing to send:
    // refuse both before the reader leaves its normal mode.
    if (!FirmwarePackets::sizeAcceptable(m_size)) {
        showTip(tr("固件文件为空或过大，无法升级"));
        return;
    }
    m_ui->label_tips->hide();
    m_reader->startUpgrade(FirmwarePackets::countFor(m_size));
    const int status = m_reader->recvStatus();
    qDebug() << "startUpgrade status" << status;
    if (status != 0 && status != 3) {
        // Unplugged, silent or refusing: the reader stays in its normal mode.
        audit(AuditOutcome::Failed + QStringLiteral(" start code %1").arg(status));
        showTip(tr("升级未能开始，读卡器没有接受升级命令，请拔出USB线，再重新插入后重试"));
        return;
    }
    m_openFailures = 0;
    m_timer->start();
    m_ui->btn_startDevUpd->setEnabled(false);
}

void DevUpd::timer_exec()
{
    qDebug() << "1s";
    if (!m_reader->openDevice()) {
        if (++m_openFailures == FailuresBeforeTip)
            showTip(tr("请拔出USB线，再重新插入"));
        return;
    }
    m_timer->stop();
    m_ui->label_tips->hide();
    m_ui->prog_devUpd->setMaximum(int(m_size));
    m_ui->prog_devUpd->setValue(0);
    delete m_thread;
    m_thread = new UpdThread(m_reader, m_ui->edit_updFw->text(), m_size);
    m_thread->setOptions(m_uploadOptions);
    connect(m_thread, &UpdThread::sendProg, this, &DevUpd::progUpdate, Qt::QueuedConnection);
    connect(m_thread, &UpdThread::sendFailed, this, &DevUpd::transferFailed, Qt::QueuedConnection);
    m_thread->start();
    qDebug() << "open ok";
}

void DevUpd::progUpdate(int value)
{
    if (value != -1) {
        m_ui->prog_devUpd->setValue(value);
        return;
    }
    stopWorker();
    audit(AuditOutcome::Ok);
    close();
    emit w_close(true);
}

void DevUpd::audit(const QString& outcome) const
{
    AuditTrail::record(AuditAction::FirmwareUpgrade, QFileInfo(m_ui->edit_updFw->text()).fileName(), outcome);
}

void DevUpd::transferFailed(int outcome, int packet, int code)
{
    qDebug() << "upgrade ended, outcome" << outcome << "packet" << packet << "code" << code;
    stopWorker();
    audit(AuditTrail::outcome(false, outcome) + QStringLiteral(" packet %1 code %2").arg(packet).arg(code));
    // The worker refuses a file that no longer has the size announced to the reader.
    showTip(FirmwareUploader::Outcome(outcome) == FirmwareUploader::Outcome::BadImage
            ? tr("升级失败，固件文件在升级时被改变或无法读取，请拔出USB线，再重新插入后重新升级")
            : tr("升级失败，读卡器没有应答，请拔出USB线，再重新插入后重新升级"));
    m_ui->btn_startDevUpd->setEnabled(true);
}

void DevUpd::on_btnMenu_Close_clicked()
{
    stopWorker();
    close();
    emit w_close(false);
}
