#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QLockFile>
#include <QScopedPointer>
#include <QStringList>

class DownLoadManager;

namespace Ui {
class Updater;
}

// The second program's window: downloads every address of update.ini in turn,
// installs the files together once all have arrived, then starts the program
// named by the first address (the station when that is the updater itself)
// and closes. A list naming anything but the
// program's own files is refused before anything is downloaded, and so is
// the work while another updater runs in the same folder.
class Updater : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(Updater)

public:
    explicit Updater(QWidget* parent = nullptr);
    ~Updater() override;

    // Zero when update.ini is missing or lists nothing: the program then ends
    // without showing the window.
    int addressCount() const { return m_urlList.size(); }
    // True when the program should end without its window: nothing to do and
    // nothing to tell the operator.
    bool nothingToDo() const { return m_urlList.isEmpty() && !m_listTooLarge; }
    QString programName() const { return m_programName; }

    void startDownload(const QString& address);
    void readUpdateList();
    void startProgram(const QString& fileName);

public slots:
    void onDownloadProcess(qint64 bytesReceived, qint64 bytesTotal);
    void onReplyFinished(int statusCode);

private:
    void onDownloadError();
    void showProgramPosition();
    void showFailure(const QString& text);
    // True when every address names one of the program's files.
    bool acceptList();
    void install();

    const QScopedPointer<Ui::Updater> m_ui;
    QString m_url;
    DownLoadManager* m_downloadManager = nullptr;
    int m_timeInterval = 0;
    qint64 m_lastReceived = 0;
    qint64 m_receivedSinceUpdate = 0;
    QElapsedTimer m_timer;
    QStringList m_urlList;
    QString m_programName;
    int m_index = 0;
    QStringList m_fileNames; // local name of each address, in list order
    bool m_listTooLarge = false;
    bool m_resumeStation = false; // an update failed: closing starts the station
    // Held while this window works in the folder: two updaters would write
    // into the same temporary files and install a mix of both.
    QLockFile m_folderLock;
};
