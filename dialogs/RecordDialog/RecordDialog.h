#pragma once

#include "RecordBrowser.h"

#include <QScopedPointer>

namespace Ui {
class RecordDialog;
}

// The recharges (table record), searchable by name, telephone and date.
class RecordDialog : public RecordBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY(RecordDialog)

public:
    explicit RecordDialog(QWidget* parent = nullptr);
    ~RecordDialog() override;

private slots:
    void on_btn_refresh_record_clicked() { reload(); }
    void on_btn_recordScName_clicked() { searchName(); }
    void on_btn_recordScTel_clicked() { searchPhone(); }
    void on_btn_recordScDate_clicked() { searchDates(); }

private:
    const QScopedPointer<Ui::RecordDialog> m_ui;
};
