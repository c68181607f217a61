#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class DownLoadManager;

// The station's start-up question to the update server: fetch ver.ini, then
// update.ini, and report a newer version once both arrived. Owned by the
// login window, which starts the updater when updateAvailable is emitted.
class VersionCheck : public QObject
{
    Q_OBJECT

public:
    explicit VersionCheck(QObject* parent = nullptr);

    // Defaults to the build's UPDATE_BASE_URL.
    void setBaseUrl(const QString& baseUrl);
    QString baseUrl() const { return m_baseUrl; }

    // Fetches baseUrl + "/Veloka/ver.ini"; the rest of the chain follows by itself.
    void start();
    // Downloads one address into the working directory under its file name.
    void fetch(const QString& address);
    // Ends the chain for good: the transfer in progress is dropped and no
    // update is reported any more.
    void stop();

    int finishedCount() const { return m_finishedCount; }
    DownLoadManager* downloadManager() const { return m_downloadManager; }

    // True when the text is a JSON object whose "ver" is a number with an
    // integral value above ownVersion. A "ver" given as text never counts.
    static bool isNewerVersion(const QByteArray& verIni, int ownVersion);

public slots:
    void onReplyFinished(int statusCode);

signals:
    // The program to start: ProgramLauncher::updaterProgramName().
    void updateAvailable(const QString& program);
    // Every completed download of the chain, after it was handled.
    void replyFinished(int statusCode);

private:
    static bool updaterAcceptsList();

    QString m_baseUrl;
    DownLoadManager* m_downloadManager = nullptr;
    int m_finishedCount = 0;
    QByteArray m_verIni;
    bool m_stopped = false;
};
