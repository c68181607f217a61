#pragma once

#include "DeskPdf.h"
#include "DeskTotals.h"
#include "LoginSession.h"
#include "StationConfig.h"

#include <QDialog>
#include <QScopedPointer>
#include <QStandardItemModel>
#include <memory>

class RecordIndex;

namespace Ui {
class TotalsDialog;
}
namespace QtCharts {
class QChartView;
}

// Money taken and paid out per day and operator for this shift, today or a
// range of days; a bar chart of the days, the table to .xlsx and the shift
// report to PDF or the printer.
class TotalsDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(TotalsDialog)

public:
    enum Column {
        Day,
        Manager,
        RechargeCount,
        RechargeSum,
        RefundCount,
        RefundSum,
        Issued,
        TopUpCount,
        TopUpSum,
        NetCash,
        ColumnCount
    };

    explicit TotalsDialog(QWidget* parent = nullptr);
    ~TotalsDialog() override;

    // Hand-over from the main menu: company, reader and who logged in when;
    // shows this shift's totals of the logged-in operator.
    void setup(const StationConfig& config, const LoginSession& session);

    const QStandardItemModel& model() const { return m_model; }
    QtCharts::QChartView* chartView() const { return m_chartView; }
    // The shift report as the PDF and the printer get it.
    DeskDocument report() const;

signals:
    void w_close();

private slots:
    void on_btnMenu_Close_clicked();
    void on_btn_query_clicked();
    void on_btn_export_clicked();
    void on_btn_pdf_clicked();
    void on_btn_print_clicked();

private:
    void showTotals(const DeskTotals& totals);
    void showChart(const DeskTotals& totals);
    QString periodText() const;

    const QScopedPointer<Ui::TotalsDialog> m_ui;
    QStandardItemModel m_model;
    QtCharts::QChartView* m_chartView = nullptr;
    LoginSession m_session;
    QString m_company;
    QDateTime m_from;
    QDateTime m_to;
    int m_unreadable = 0;
    // Held while the window is open: each query reads it, and its catch-up
    // of a ledger that grew runs meanwhile.
    std::shared_ptr<RecordIndex> m_index;
};
