#pragma once

#include "RecordBrowser.h"

#include <QScopedPointer>

namespace Ui {
class BackCardDialog;
}

// The returned cards (table backcard), searchable by name, telephone and date.
class BackCardDialog : public RecordBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY(BackCardDialog)

public:
    explicit BackCardDialog(QWidget* parent = nullptr);
    ~BackCardDialog() override;

private slots:
    void on_btn_refresh_record_clicked() { reload(); }
    void on_btn_backCardScName_clicked() { searchName(); }
    void on_btn_backCardScTel_clicked() { searchPhone(); }
    void on_btn_backCardScDate_clicked() { searchDates(); }

private:
    const QScopedPointer<Ui::BackCardDialog> m_ui;
};
