#pragma once

#include "LoginSession.h"
#include "StationConfig.h"

#include <QDialog>
#include <QPointer>
#include <QScopedPointer>

class CardReader;

namespace Ui {
class SysDialog;
}

// The system menu: firmware upgrade, reader top-up and its records, blacklist
// cards, database backup and import. It hides itself while one of its own
// windows is open.
class SysDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(SysDialog)

public:
    explicit SysDialog(QWidget* parent = nullptr);
    ~SysDialog() override;

    // Hand-over from the main menu, once after construction.
    void setConfig(const StationConfig& config, CardReader* reader);
    void setSession(const LoginSession& session);

    // The window opened from this menu and still open, if any.
    QWidget* openDialog() const { return m_openDialog; }

signals:
    void w_close();

public slots:
    void sysShow();
    void updOver(bool ok);

private slots:
    void on_btn_devUpd_clicked();
    void on_btnMenu_Close_clicked();
    void on_btn_devPay_clicked();
    void on_btn_devCh_clicked();
    void on_btn_dbExport_clicked();
    void on_btn_dbImport_clicked();
    void on_btn_blackList_clicked();
    void on_btn_dbServer_clicked();
    void on_btn_audit_clicked();

private:
    // Opens Dialog parentless and delete-on-close, connects its close signal
    // to onClose and hides this menu until it is gone.
    template<typename Dialog, typename HandOver, typename Signal, typename Slot>
    void openSubDialog(HandOver&& handOver, Signal closeSignal, Slot onClose);
    void subDialogDestroyed(QObject* dialog);

    const QScopedPointer<Ui::SysDialog> m_ui;
    StationConfig m_config;
    CardReader* m_reader = nullptr;
    LoginSession m_session;
    QPointer<QWidget> m_openDialog;
};

template<typename Dialog, typename HandOver, typename Signal, typename Slot>
void SysDialog::openSubDialog(HandOver&& handOver, Signal closeSignal, Slot onClose)
{
    auto* dialog = new Dialog();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    handOver(*dialog);
    dialog->show();
    connect(dialog, closeSignal, this, onClose);
    // Closed by the window system, it never signals: the hidden menu would
    // stay hidden and the main menu locked.
    connect(dialog, &QObject::destroyed, this, &SysDialog::subDialogDestroyed);
    m_openDialog = dialog;
    hide();
}
