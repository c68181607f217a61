#pragma once

#include "RecordBrowser.h"

#include <QScopedPointer>

namespace Ui {
class UserDialog;
}

// The issued cards (table user), searchable by name and telephone.
class UserDialog : public RecordBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY(UserDialog)

public:
    explicit UserDialog(QWidget* parent = nullptr);
    ~UserDialog() override;

private slots:
    void on_btn_refresh_user_clicked() { reload(); }
    void on_btn_userScName_clicked() { searchName(); }
    void on_btn_userScTel_clicked() { searchPhone(); }

private:
    const QScopedPointer<Ui::UserDialog> m_ui;
};
