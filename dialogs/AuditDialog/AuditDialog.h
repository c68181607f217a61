#pragma once

#include "StationConfig.h"

#include <QDialog>
#include <QHash>
#include <QScopedPointer>

class AuditModel;

namespace Ui {
class AuditDialog;
}

// The audit trail, read only: filtered by period, operator and action, and
// exported as shown. No window changes or removes an audit row.
class AuditDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(AuditDialog)

public:
    explicit AuditDialog(QWidget* parent = nullptr);
    ~AuditDialog() override;

    void setConfig(const StationConfig& config);
    const AuditModel& model() const { return *m_model; }

signals:
    void w_close();

private slots:
    void on_btnMenu_Close_clicked();
    void on_btn_search_clicked();
    void on_btn_export_clicked();

private:
    void fillChoices();

    const QScopedPointer<Ui::AuditDialog> m_ui;
    AuditModel* const m_model;
    QHash<QString, QString> m_names; // stored action and outcome names as shown
};
