#pragma once

#include "CardIssue.h"
#include "CardWatch.h"
#include "DeskOutput.h"
#include "UserCardStation.h"

#include <QDialog>
#include <QScopedPointer>
#include <QTimer>
#include <optional>

namespace Ui {
class NewCardDialog;
}

// Issue (also continuously), return and binding of user cards. The card work
// is done by CardIssue, CardReturn and CardBind; this window shows their outcomes.
class NewCardDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(NewCardDialog)

public:
    static constexpr int ContinuousIntervalMs = 500;

    explicit NewCardDialog(QWidget* parent = nullptr);
    ~NewCardDialog() override;

    // Hand-over from the main menu, once after construction.
    void setup(const StationConfig& config, CardReader* reader, const ReaderInfo& readerInfo);
    void setup(const LoginSession& session);

signals:
    void w_close();

private slots:
    void timer_exec();
    void on_btnMenu_Close_clicked();
    void on_btn_receipt_clicked();
    void on_btn_receipt_print_clicked();
    void on_btn_new_card_clicked();
    void on_btn_exit_card_clicked();
    void on_btn_bind_clicked();
    void on_check_multi_new_card_toggled(bool checked);

private:
    CardOwner owner() const;
    void showIssue(const IssueResult& result);
    // Why an operation was refused before its card was touched.
    QString ledgerRefusal(LedgerSecure secure) const;
    // Tells the operator a row waits in the outbox.
    void showKeptLocally(LedgerKept record);
    void showNewTip(const QString& text, bool success);

    // The last successful operation's receipt, offered until the next attempt.
    void offerReceipt(std::optional<DeskOutput::Receipt> receipt);

    const QScopedPointer<Ui::NewCardDialog> m_ui;
    std::optional<DeskOutput::Receipt> m_receipt;
    UserCardStation m_station;
    std::optional<CardWatch> m_watch;
    QTimer m_timer;
};
