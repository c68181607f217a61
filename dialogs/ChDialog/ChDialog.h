#pragma once

#include "CardRecharge.h"
#include "CardWatch.h"
#include "DeskOutput.h"
#include "UserCardStation.h"
#include "UserStore.h"

#include <QDialog>
#include <QScopedPointer>
#include <QTimer>
#include <optional>

namespace Ui {
class ChDialog;
}

// Query and recharge of user cards, one at a time or continuously. The card
// work is done by CardQuery and CardRecharge; this window shows their outcomes.
class ChDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ChDialog)

public:
    static constexpr int ContinuousIntervalMs = 500;

    explicit ChDialog(QWidget* parent = nullptr);
    ~ChDialog() override;

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
    void on_btn_read_clicked();
    void on_btn_pay_clicked();
    void on_check_multi_ch_toggled(bool checked);
    void on_btn_read_devinfo_clicked();

private:
    void showTip(const QString& text, bool success);
    void showHolder(const UserLookup& holder);
    // Where the row of a recharge that changed the card went, when not simply stored.
    void reportRecord(const RechargeResult& result);

    // The last successful operation's receipt, offered until the next attempt.
    void offerReceipt(std::optional<DeskOutput::Receipt> receipt);
    DeskOutput::Receipt rechargeReceipt(const RechargeResult& result) const;

    const QScopedPointer<Ui::ChDialog> m_ui;
    std::optional<DeskOutput::Receipt> m_receipt;
    UserCardStation m_station;
    std::optional<CardWatch> m_watch;
    quint32 m_uid = 0;
    bool m_cardRead = false;
    // The last recharge whose write could not be confirmed, until its card is read again.
    std::optional<RechargeResult> m_uncertain;
    QTimer m_timer;
};
