#include "VersionCheck.h"

#include "DownLoadManager.h"
#include "ProgramLauncher.h"
#include "UpdateInstall.h"
#include "UpdateText.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

VersionCheck::VersionCheck(QObject* parent)
    : QObject(parent)
    , m_baseUrl(QStringLiteral(UPDATE_BASE_URL))
{
}

void VersionCheck::setBaseUrl(const QString& baseUrl)
{
    m_baseUrl = baseUrl;
}

void VersionCheck::start()
{
    fetch(m_baseUrl + QStringLiteral("/Veloka/ver.ini"));
}

void VersionCheck::fetch(const QString& address)
{
    if (m_stopped)
        return;
    if (!m_downloadManager) {
        qDebug() << "m_downloadManager == NULL";
        m_downloadManager = new DownLoadManager(this);
        connect(
            m_downloadManager, &DownLoadManager::signalReplyFinished, this, &VersionCheck::onReplyFinished);
        // Both files of the chain are small; a server sending more is not answering.
        m_downloadManager->setSizeLimit(UpdateText::MaxListFileSize);
    }
    m_downloadManager->downloadFile(address, UpdateText::localFileName(address));
}

void VersionCheck::stop()
{
    m_stopped = true;
    if (m_downloadManager)
        m_downloadManager->closeDownload();
}

void VersionCheck::onReplyFinished(int statusCode)
{
    if (m_stopped)
        return;
    qDebug() << statusCode;
    ++m_finishedCount;
    if (m_finishedCount == 1) {
        // The manager reports only files that arrived whole with a success
        // status, so this is this run's ver.ini, never one left by an earlier run.
        if (UpdateText::readListFile(QStringLiteral("ver.ini"), m_verIni) == UpdateText::ReadResult::TooLarge)
            qDebug() << "ver.ini is larger than" << UpdateText::MaxListFileSize << "bytes";
        fetch(m_baseUrl + QStringLiteral("/Veloka/update.ini"));
    } else if (m_finishedCount == 2) {
        qDebug() << UpdateText::logPrefix(m_verIni);
        if (isNewerVersion(m_verIni, VERSION_NUMBER)) {
            // The station closes for the updater: only for a list it will install.
            if (updaterAcceptsList())
                emit updateAvailable(ProgramLauncher::updaterProgramName());
            else
                qDebug() << "update.ini lists nothing the updater would install";
        }
    }
    emit replyFinished(statusCode);
}

bool VersionCheck::updaterAcceptsList()
{
    QByteArray content;
    if (UpdateText::readListFile(QStringLiteral("update.ini"), content) != UpdateText::ReadResult::Read)
        return false;
    const QStringList addresses = UpdateText::parseUpdateList(QString::fromUtf8(content));
    QStringList localNames;
    QString refused;
    return !addresses.isEmpty()
        && UpdateInstall::checkList(addresses, localNames, refused) == UpdateInstall::ListVerdict::Accepted;
}

bool VersionCheck::isNewerVersion(const QByteArray& verIni, int ownVersion)
{
    const QJsonDocument document = QJsonDocument::fromJson(verIni);
    if (!document.isObject())
        return false;
    const QJsonValue ver = document.object().value(QStringLiteral("ver"));
    if (!ver.isDouble())
        return false;
    // The integral part decides: 20.9 is still version 20.
    return ver.toDouble() >= static_cast<double>(ownVersion) + 1.0;
}
