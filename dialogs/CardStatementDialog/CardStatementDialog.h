#pragma once

#include "CardStatement.h"
#include "DeskPdf.h"
#include "UserCardStation.h"

#include <QDialog>
#include <QScopedPointer>
#include <QStandardItemModel>
#include <optional>

namespace Ui {
class CardStatementDialog;
}

// One card's history: holder, binding, and every issue, recharge, refund and
// binding in time order with the balance before and after; rows where the balance
// does not carry over are marked. Export and PDF as the totals window.
class CardStatementDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(CardStatementDialog)

public:
    enum Column { Time, Kind, Amount, OldBalance, NewBalance, Manager, Serial, Gap, ColumnCount };

    explicit CardStatementDialog(QWidget* parent = nullptr);
    ~CardStatementDialog() override;

    // Hand-over from the main menu, once after construction.
    void setup(const StationConfig& config, CardReader* reader, const ReaderInfo& readerInfo);
    void setup(const LoginSession& session);

    const QStandardItemModel& model() const { return m_model; }
    DeskDocument report() const;

signals:
    void w_close();

private slots:
    void on_btnMenu_Close_clicked();
    void on_btn_query_clicked();
    void on_btn_read_clicked();
    void on_btn_export_clicked();
    void on_btn_pdf_clicked();
    void on_btn_print_clicked();

private:
    // cardBalance: what the card on the reader holds, when it was read.
    void showStatement(quint32 cardnum, std::optional<quint32> cardBalance = std::nullopt);
    void clearStatement();
    static QString entryKindText(const StatementEntry& entry);

    const QScopedPointer<Ui::CardStatementDialog> m_ui;
    UserCardStation m_station;
    QStandardItemModel m_model;
    quint32 m_cardnum = 0;
    QString m_holderText;
    QString m_summary;
    QVector<int> m_gapRows;
};
