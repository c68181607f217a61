#pragma once

#include "CardReader.h"
#include "LoginSession.h"
#include "ServerConnection.h"
#include "StationConfig.h"

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QScopedPointer>
#include <QTimer>
#include <memory>

namespace Ui {
class MainDialog;
}

// The main menu after login. Owns the run's CardReader and the authoritative
// StationConfig, identifies the reader once at session start, keeps the clock,
// and opens one working dialog at a time.
class MainDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(MainDialog)

public:
    static constexpr int ClockPeriodMs = 1000;
    // How often the status bar asks whether the ledger server answers.
    static constexpr int ServerCheckPeriodMs = 15000;
    // How often rows waiting in the outbox are offered to the ledger again.
    static constexpr int OutboxRetryMs = 30000;

    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    // Called once by the program entry after a successful login: saves the
    // configuration with the chosen mode and language, restarts the clock at
    // the login instant and identifies the reader.
    void startSession(const LoginSession& session);

    const LoginSession& session() const { return m_session; }
    const StationConfig& config() const { return m_config; }
    const ReaderInfo& readerInfo() const { return m_readerInfo; }
    CardReader* reader() const { return m_reader.get(); }
    quint32 clockCounter() const { return m_clock; }
    bool menuIdle() const { return m_menuIdle; }
    // The working dialog open right now, if any.
    QWidget* openDialog() const { return m_openDialog; }

    // Offers the rows waiting in the outbox to the ledger (while no working
    // dialog is open; those deliver before each operation) and shows how many
    // still wait.
    void deliverOutbox();

public slots:
    void initForm();
    void initConfig();
    void timer_exec();
    void mainShow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape would close the menu and with it the whole station.
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_btnMenu_Min_clicked();
    void on_btnMenu_Max_clicked();
    void on_btnMenu_Close_clicked();
    void on_btn_main_clicked();
    void on_btn_newCard_clicked();
    void on_btn_user_clicked();
    void on_btn_man_clicked();
    void on_btn_exitCard_clicked();
    void on_btn_record_clicked();
    void on_btn_setCard_clicked();
    void on_btn_sys_clicked();
    void on_btn_totals_clicked();
    void on_btn_statement_clicked();
    void childDestroyed(QObject* dialog);

private:
    // Opens Dialog as a parentless, delete-on-close window unless one is open
    // already; handOver(Dialog&) gives it what it needs before it is shown.
    template<typename Dialog, typename HandOver>
    void openChildDialog(HandOver&& handOver);
    void showClock();
    void toggleMaximised();
    // The ledger in use (file or server) and whether the server answers.
    void showDatabase();
    void showServerCheck(const ServerCheck& check);
    void showOutbox();

    const QScopedPointer<Ui::MainDialog> m_ui;
    const std::unique_ptr<CardReader> m_reader;
    StationConfig m_config;
    QTimer m_clockTimer;
    QTimer m_outboxTimer;
    quint32 m_clock = 0;
    LoginSession m_session;
    ReaderInfo m_readerInfo;
    bool m_menuIdle = true;

    ServerSettings m_server;
    ServerProbe m_serverProbe;
    QTimer m_serverTimer;

    QPointer<QWidget> m_openDialog;
    QRect m_restoredGeometry;
    bool m_maximised = false;
};

template<typename Dialog, typename HandOver>
void MainDialog::openChildDialog(HandOver&& handOver)
{
    if (!m_menuIdle)
        return;
    auto* dialog = new Dialog();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    handOver(*dialog);
    dialog->show();
    connect(dialog, &Dialog::w_close, this, &MainDialog::mainShow);
    // A dialog closed by the window system never emits w_close; its end still
    // frees the menu, or every button would stay dead for the rest of the run.
    connect(dialog, &QObject::destroyed, this, &MainDialog::childDestroyed);
    m_openDialog = dialog;
    m_menuIdle = false;
}
