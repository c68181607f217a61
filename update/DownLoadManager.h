#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;

// Fetches one file at a time into the working directory. Data goes to the
// file name + "_tmp" and is renamed onto the final name only when the server
// delivered the whole file with a success status, so an older copy stays
// intact until its replacement has fully arrived. A transfer that brings no
// data for the stall time-out is given up as failed.
class DownLoadManager : public QObject
{
    Q_OBJECT

public:
    enum class Failure { None, Network, HttpStatus, AddressRefused, FileWrite, Stalled, TooLarge };

    static constexpr int DefaultStallTimeoutMs = 30000;

    explicit DownLoadManager(QObject* parent = nullptr);
    ~DownLoadManager() override;

    // Starts a transfer unless one is running; false when nothing was started.
    // A refused address or file name writes nothing and emits signalDownloadError.
    bool downloadFile(const QString& address, const QString& fileName);
    void setResumeEnabled(bool enabled);
    // Off: a completed file stays under its temporary name for the caller to
    // install together with others (UpdateInstall).
    void setRenameOnFinish(bool enabled);
    void setStallTimeout(int milliseconds);
    int stallTimeout() const { return m_stallTimer.interval(); }
    // A transfer growing beyond this many bytes fails; 0 for no limit.
    void setSizeLimit(qint64 bytes);
    QString downloadUrl() const;
    void resetCounters();
    void pauseDownload();
    void closeDownload();
    void stopWork();

    bool isStopped() const { return m_stopped; }
    qint64 bytesReceived() const { return m_bytesReceived; }
    qint64 bytesCurrentReceived() const { return m_bytesCurrentReceived; }
    Failure failure() const { return m_failure; }
    // Technical detail of the last failure, for the log and the updater's status line.
    QString errorString() const { return m_errorString; }

signals:
    void signalDownloadProcess(qint64 bytesReceived, qint64 bytesTotal);
    // Only for a transfer whose file arrived whole and, unless renaming is
    // off, is now in place under its final name.
    void signalReplyFinished(int statusCode);
    void signalDownloadError();

private slots:
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    void onReadyRead();
    void onFinished();
    void onError(QNetworkReply::NetworkError code);
    void onStalled();

private:
    bool writeAvailable();
    bool replyStatusAccepted() const;
    void fail(Failure failure, const QString& detail);
    // Fails, drops the partial file and tells the listeners.
    void abortTransfer(Failure failure, const QString& detail);
    QString sizeLimitDetail() const;

    QNetworkAccessManager* m_networkManager;
    QNetworkReply* m_reply = nullptr;
    QUrl m_url;
    QString m_fileName;
    QString m_targetName; // the caller's file name
    bool m_resumeEnabled = false;
    qint64 m_bytesReceived = 0;
    qint64 m_bytesTotal = 0;
    qint64 m_bytesCurrentReceived = 0;
    bool m_stopped = true;

    bool m_renameOnFinish = true;
    qint64 m_sizeLimit = 0;
    QTimer m_stallTimer;
    bool m_bodyStarted = false;
    Failure m_failure = Failure::None;
    QString m_errorString;
};
