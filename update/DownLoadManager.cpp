#include "DownLoadManager.h"

#include "UpdateInstall.h"
#include "UpdateText.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

namespace {
constexpr int HttpPartialContent = 206;

bool isHttp(const QUrl& url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

// A local name is accepted only as a plain name in the working directory,
// written bare or as "./name".
bool isPlainLocalName(const QString& fileName)
{
    const QString prefix = QStringLiteral("./");
    return UpdateText::isPlainFileName(fileName.startsWith(prefix) ? fileName.mid(prefix.size()) : fileName);
}
} // namespace

DownLoadManager::DownLoadManager(QObject* parent)
    : QObject(parent)
    , m_networkManager(new QNetworkAccessManager(this))
{
    m_stallTimer.setSingleShot(true);
    m_stallTimer.setInterval(DefaultStallTimeoutMs);
    connect(&m_stallTimer, &QTimer::timeout, this, &DownLoadManager::onStalled);
}

DownLoadManager::~DownLoadManager()
{
    stopWork();
}

bool DownLoadManager::downloadFile(const QString& address, const QString& fileName)
{
    if (!m_stopped)
        return false;

    const QUrl url(address);
    if (!url.isValid() || UpdateText::safeFileName(url).isEmpty() || !isPlainLocalName(fileName)) {
        fail(Failure::AddressRefused, QStringLiteral("refused download address: ") + address);
        emit signalDownloadError();
        return false;
    }

    // The previous, finished reply is no longer needed.
    stopWork();
    m_stopped = false;
    m_url = url;
    m_targetName = fileName;
    m_fileName = UpdateInstall::temporaryName(fileName);
    m_bodyStarted = false;
    m_failure = Failure::None;
    m_errorString.clear();

    // The Range offset must be what the temporary file really holds, or the
    // resumed file would have a gap or a doubled piece.
    if (m_resumeEnabled && m_bytesCurrentReceived > 0 && QFileInfo::exists(m_fileName)) {
        m_bytesCurrentReceived = QFileInfo(m_fileName).size();
    } else {
        m_bytesCurrentReceived = 0;
        if (QFile::exists(m_fileName))
            QFile::remove(m_fileName);
    }

    QNetworkRequest request(m_url);
    if (m_resumeEnabled)
        request.setRawHeader("Range", QStringLiteral("bytes=%1-").arg(m_bytesCurrentReceived).toLatin1());

    m_reply = m_networkManager->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &DownLoadManager::onDownloadProgress);
    connect(m_reply, &QNetworkReply::readyRead, this, &DownLoadManager::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &DownLoadManager::onFinished);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &DownLoadManager::onError);
    m_stallTimer.start();
    return true;
}

void DownLoadManager::setResumeEnabled(bool enabled)
{
    m_resumeEnabled = enabled;
}

void DownLoadManager::setRenameOnFinish(bool enabled)
{
    m_renameOnFinish = enabled;
}

void DownLoadManager::setStallTimeout(int milliseconds)
{
    m_stallTimer.setInterval(milliseconds);
}

void DownLoadManager::setSizeLimit(qint64 bytes)
{
    m_sizeLimit = bytes;
}

QString DownLoadManager::downloadUrl() const
{
    return m_url.toString();
}

void DownLoadManager::resetCounters()
{
    m_bytesReceived = 0;
    m_bytesTotal = 0;
    m_bytesCurrentReceived = 0;
}

void DownLoadManager::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    if (m_stopped)
        return;
    m_bytesReceived = bytesReceived;
    m_bytesTotal = bytesTotal;
    // An announced size beyond the limit is refused before it is fetched.
    if (m_sizeLimit > 0 && bytesTotal + m_bytesCurrentReceived > m_sizeLimit) {
        abortTransfer(Failure::TooLarge, sizeLimitDetail());
        return;
    }
    emit signalDownloadProcess(
        m_bytesReceived + m_bytesCurrentReceived, m_bytesTotal + m_bytesCurrentReceived);
}

void DownLoadManager::onReadyRead()
{
    if (m_stopped)
        return;
    m_stallTimer.start();
    if (!writeAvailable()) {
        closeDownload();
        emit signalDownloadError();
    }
}

bool DownLoadManager::replyStatusAccepted() const
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (isHttp(m_url))
        return status >= 200 && status < 300;
    return status == 0;
}

bool DownLoadManager::writeAvailable()
{
    if (!m_reply)
        return true;
    // An error page is never stored: it would be renamed onto a program or
    // resumed into a real file.
    if (!replyStatusAccepted()) {
        m_reply->readAll();
        return true;
    }
    if (m_reply->bytesAvailable() <= 0)
        return true;

    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Append;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool restartsFile = !m_bodyStarted && m_bytesCurrentReceived > 0 && status != HttpPartialContent;
    // A server that ignores the Range header sends the whole file again.
    if (restartsFile)
        mode = QIODevice::WriteOnly | QIODevice::Truncate;

    QFile file(m_fileName);
    if (!file.open(mode))
        return true; // the data stays in the reply until the next notification
    if (restartsFile)
        m_bytesCurrentReceived = 0;
    m_bodyStarted = true;
    if (m_sizeLimit > 0 && file.size() + m_reply->bytesAvailable() > m_sizeLimit) {
        fail(Failure::TooLarge, sizeLimitDetail());
        return false;
    }
    const QByteArray data = m_reply->readAll();
    if (file.write(data) != data.size()) {
        fail(Failure::FileWrite,
            QStringLiteral("cannot write ") + m_fileName + QStringLiteral(": ") + file.errorString());
        return false;
    }
    return true;
}

void DownLoadManager::onFinished()
{
    if (!m_reply)
        return;
    m_stopped = true;
    m_stallTimer.stop();
    QNetworkReply* reply = m_reply;
    const int statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();

    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "__________" << reply->errorString();
        return;
    }
    if (!replyStatusAccepted()) {
        abortTransfer(Failure::HttpStatus, QStringLiteral("HTTP %1").arg(statusCode));
        return;
    }
    // Data the last ready-read notification could not store must reach the
    // file now; there is no later notification.
    if (!writeAvailable() || reply->bytesAvailable() > 0) {
        if (m_failure == Failure::None)
            fail(Failure::FileWrite, QStringLiteral("cannot open ") + m_fileName);
        closeDownload();
        emit signalDownloadError();
        return;
    }

    if (!QFile::exists(m_fileName)) {
        fail(Failure::FileWrite, QStringLiteral("nothing received for ") + m_url.toString());
        emit signalDownloadError();
        return;
    }
    if (!m_renameOnFinish) {
        emit signalReplyFinished(statusCode);
        return;
    }
    if (!UpdateInstall::replaceFile(m_fileName, m_targetName)) {
        // The temporary file is kept: the older copy could not be replaced,
        // perhaps because it is in use.
        fail(Failure::FileWrite,
            QStringLiteral("cannot rename ") + m_fileName + QStringLiteral(" to ") + m_targetName);
        emit signalDownloadError();
        return;
    }
    emit signalReplyFinished(statusCode);
}

void DownLoadManager::onError(QNetworkReply::NetworkError code)
{
    const QString text = m_reply ? m_reply->errorString() : QString();
    qDebug() << "__________" << text;
    fail(Failure::Network, text.isEmpty() ? QStringLiteral("network error %1").arg(code) : text);
    // The reply has already failed: release it without aborting it a second time.
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_stopped = true;
    m_stallTimer.stop();
    closeDownload();
    emit signalDownloadError();
}

void DownLoadManager::onStalled()
{
    if (m_stopped)
        return;
    abortTransfer(Failure::Stalled,
        QStringLiteral("no data from %1 for %2 ms").arg(m_url.toString()).arg(m_stallTimer.interval()));
}

void DownLoadManager::fail(Failure failure, const QString& detail)
{
    m_failure = failure;
    m_errorString = detail;
    qDebug() << "__________" << detail;
}

QString DownLoadManager::sizeLimitDetail() const
{
    return QStringLiteral("%1 is larger than %2 bytes").arg(m_url.toString()).arg(m_sizeLimit);
}

void DownLoadManager::abortTransfer(Failure failure, const QString& detail)
{
    fail(failure, detail);
    closeDownload();
    emit signalDownloadError();
}

void DownLoadManager::stopWork()
{
    m_stopped = true;
    m_stallTimer.stop();
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}

void DownLoadManager::pauseDownload()
{
    if (m_stopped)
        return;
    // Store what already arrived, then resume from the file's real length.
    if (!writeAvailable()) {
        closeDownload();
        emit signalDownloadError();
        return;
    }
    m_bytesCurrentReceived = QFileInfo::exists(m_fileName) ? QFileInfo(m_fileName).size() : 0;
    stopWork();
}

void DownLoadManager::closeDownload()
{
    if (!m_stopped)
        stopWork();
    m_bytesCurrentReceived = 0;
    m_bytesReceived = 0;
    m_bytesTotal = 0;
    if (!m_fileName.isEmpty() && QFile::exists(m_fileName))
        QFile::remove(m_fileName);
}
