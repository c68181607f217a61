#pragma once

#include "FirmwareUploader.h"
#include "LoginSession.h"
#include "StationConfig.h"

#include <QDialog>
#include <QScopedPointer>

class CardReader;
class QTimer;
class UpdThread;

namespace Ui {
class DevUpd;
}

// Reader firmware upgrade: tells the reader to enter upgrade mode, waits until
// it can be opened again, then lets UpdThread stream the file to it.
class DevUpd : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(DevUpd)

public:
    explicit DevUpd(QWidget* parent = nullptr);
    ~DevUpd() override;

    void setConfig(const StationConfig& config, CardReader* reader);
    void setSession(const LoginSession& session);
    // The worker's pacing and bounds; tests shorten the start delay.
    void setUploadOptions(const FirmwareUploader::Options& options) { m_uploadOptions = options; }

signals:
    // true after a completed upgrade, false when the operator closed the window.
    void w_close(bool ok);

private slots:
    void timer_exec();
    void progUpdate(int value);
    void on_btn_selFw_clicked();
    void on_btn_startDevUpd_clicked();
    void on_btnMenu_Close_clicked();
    void transferFailed(int outcome, int packet, int code);

private:
    void showTip(const QString& text);
    void stopWorker();
    // The upgrade's audit row, for the chosen firmware file.
    void audit(const QString& outcome) const;

    static constexpr int FailuresBeforeTip = 5;

    const QScopedPointer<Ui::DevUpd> m_ui;
    CardReader* m_reader = nullptr;
    LoginSession m_session;
    QTimer* m_timer;
    int m_openFailures = 0;
    qint64 m_size = 0;
    UpdThread* m_thread = nullptr;
    FirmwareUploader::Options m_uploadOptions;
};
