#include "Updater.h"

#include "DownLoadManager.h"
#include "MessageBox.h"
#include "ProgramLauncher.h"
#include "UpdateInstall.h"
#include "UpdateText.h"
#include "ui_Updater.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <limits>

namespace {
// Labels are refreshed at most about three times a second.
constexpr qint64 DisplayIntervalMs = 300;

const char* const ProgressBarStyle = "QProgressBar {"
                                     " border-image: url(:/pic/progressbar_back.png) 0 10 0 10;"
                                     " border-width: 0 10px 0 10px;"
                                     " border-left: 1px solid gray;"
                                     " border-right: 1px solid gray;"
                                     "}"
                                     "QProgressBar::chunk {"
                                     " border-image: url(:/pic/progressbar.png) 0 10 0 10;"
                                     " border-width: 0 10px 0 10px;"
                                     "}";
} // namespace

Updater::Updater(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::Updater)
    , m_folderLock(QDir::current().absoluteFilePath(QStringLiteral(".Updater.lock")))
{
    m_ui->setupUi(this);
    setFixedSize(size());
    // The station closed for this update: after a failure the operator gets
    // it back, as it was, by closing the window.
    connect(this, &QDialog::finished, this, [this] {
        if (m_resumeStation)
            ProgramLauncher::start(
                ProgramLauncher::stationProgramName(), { ProgramLauncher::skipUpdateCheckArgument() });
    });

    readUpdateList();

    m_ui->progressBar->setValue(0);
    m_ui->progressBar->setStyleSheet(QString::fromLatin1(ProgressBarStyle));

    if (m_listTooLarge) {
        showFailure(tr("更新列表无效：超过 %1 字节").arg(UpdateText::MaxListFileSize));
        return;
    }
    if (m_urlList.isEmpty())
        return;
    showProgramPosition();
    m_programName = UpdateText::safeFileName(QUrl(m_urlList.first()));
    // Starting the updater again would fetch and install the same list for ever.
    if (m_programName == ProgramLauncher::updaterProgramName())
        m_programName = ProgramLauncher::stationProgramName();
    // Only a dead holder's lock is taken over, however long the holder works.
    m_folderLock.setStaleLockTime(0);
    if (!m_folderLock.tryLock()) {
        showFailure(tr("另一个下载器正在运行"));
        // That one starts the station when done.
        m_resumeStation = false;
        return;
    }
    if (acceptList())
        startDownload(m_urlList.first());
}

Updater::~Updater() = default;

void Updater::readUpdateList()
{
    QByteArray content;
    const UpdateText::ReadResult result = UpdateText::readListFile(QStringLiteral("update.ini"), content);
    m_listTooLarge = result == UpdateText::ReadResult::TooLarge;
    m_urlList << UpdateText::parseUpdateList(QString::fromUtf8(content));
}

bool Updater::acceptList()
{
    // All before the first download: a refused entry at the end of the list
    // must not leave the files before it fetched for nothing.
    QString refused;
    switch (UpdateInstall::checkList(m_urlList, m_fileNames, refused)) {
    case UpdateInstall::ListVerdict::Accepted:
        return true;
    case UpdateInstall::ListVerdict::AddressRefused:
        showFailure(tr("下载地址无效：%1").arg(refused));
        return false;
    case UpdateInstall::ListVerdict::NotProgramFile:
        showFailure(tr("拒绝安装：%1 不属于本程序").arg(refused));
        return false;
    }
    return false;
}

void Updater::showFailure(const QString& text)
{
    m_ui->labelStatus->setStyleSheet(QStringLiteral("color:red;"));
    m_ui->labelStatus->setText(text);
    m_resumeStation = true;
}

void Updater::showProgramPosition()
{
    m_ui->label_prog->setText(QStringLiteral("%1/%2").arg(m_index + 1).arg(m_urlList.size()));
}

void Updater::startDownload(const QString& address)
{
    m_url = address;
    if (!m_downloadManager) {
        qDebug() << "m_downloadManager == NULL";
        m_downloadManager = new DownLoadManager(this);
        connect(
            m_downloadManager, &DownLoadManager::signalDownloadProcess, this, &Updater::onDownloadProcess);
        connect(m_downloadManager, &DownLoadManager::signalReplyFinished, this, &Updater::onReplyFinished);
        connect(m_downloadManager, &DownLoadManager::signalDownloadError, this, &Updater::onDownloadError);
        // The files are installed together once the last one has arrived.
        m_downloadManager->setRenameOnFinish(false);
    }
    if (m_downloadManager->downloadUrl() != address)
        m_downloadManager->resetCounters();
    m_downloadManager->setResumeEnabled(true);

    // Status first: a refused address reports its error from within downloadFile.
    m_timer.start();
    m_timeInterval = 0;
    m_ui->labelStatus->setStyleSheet(QString());
    m_ui->labelStatus->setText(tr("正在下载"));
    m_downloadManager->downloadFile(address, UpdateText::localFileName(address));
}

void Updater::onDownloadProcess(qint64 bytesReceived, qint64 bytesTotal)
{
    // The bar counts in int: files beyond its range are shown in KB, and an
    // unknown size (no length announced) as a busy bar.
    const int shift = bytesTotal > std::numeric_limits<int>::max() ? 10 : 0;
    if (bytesTotal > 0) {
        m_ui->progressBar->setRange(0, static_cast<int>(bytesTotal >> shift));
        m_ui->progressBar->setValue(static_cast<int>(qBound<qint64>(0, bytesReceived, bytesTotal) >> shift));
    } else {
        m_ui->progressBar->setRange(0, 0);
    }

    m_receivedSinceUpdate += bytesReceived - m_lastReceived;
    m_lastReceived = bytesReceived;

    const qint64 elapsed = m_timer.elapsed();
    const qint64 interval = elapsed - m_timeInterval;
    if (interval <= DisplayIntervalMs)
        return;

    const qint64 speed = m_receivedSinceUpdate * 1000 / interval;
    m_ui->labelSpeed->setText(UpdateText::formatSize(speed, true));
    m_ui->labelRemainTime->setText(
        UpdateText::formatDuration(UpdateText::remainingSeconds(bytesTotal - bytesReceived, speed)));
    m_ui->labelCurrentDownload->setText(UpdateText::formatSize(m_lastReceived, false));
    m_ui->labelFileSize->setText(UpdateText::formatSize(bytesTotal, false));

    m_receivedSinceUpdate = 0;
    m_timeInterval = static_cast<int>(elapsed);
}

void Updater::onReplyFinished(int statusCode)
{
    qDebug() << statusCode;
    ++m_index;
    if (m_index < m_urlList.size()) {
        showProgramPosition();
        startDownload(m_urlList.at(m_index));
        return;
    }
    install();
}

void Updater::install()
{
    const UpdateInstall::Result result = UpdateInstall::installSet(m_fileNames);
    if (result.outcome == UpdateInstall::Outcome::NotAProgram) {
        showFailure(tr("拒绝安装：%1 不是完整的程序").arg(QFileInfo(result.fileName).fileName()));
        return;
    }
    if (result.outcome != UpdateInstall::Outcome::Installed) {
        showFailure(tr("安装失败：%1").arg(result.fileName));
        return;
    }
    startProgram(m_programName);
}

void Updater::onDownloadError()
{
    // The sequence stops here with the installed files untouched; the operator
    // reads the reason and closes the window.
    UpdateInstall::discardSet(m_fileNames);
    const DownLoadManager::Failure failure = m_downloadManager->failure();
    if (failure == DownLoadManager::Failure::AddressRefused) {
        showFailure(tr("下载地址无效：%1").arg(m_url));
        return;
    }
    QString detail = m_downloadManager->errorString();
    if (failure == DownLoadManager::Failure::Stalled)
        detail = tr("%1 秒内没有收到数据").arg(m_downloadManager->stallTimeout() / 1000);
    showFailure(tr("下载失败：%1").arg(detail));
}

void Updater::startProgram(const QString& fileName)
{
    if (!ProgramLauncher::start(fileName)) {
        MessageBox::warning(this, tr("警告信息"),
            tr("启动主程序错误!\n可能主程序不存在或者被破坏!\n解决办法：重新安装程序!"));
    }
    close();
}
