#pragma once

#include "LoginSession.h"

#include <QDialog>
#include <QModelIndex>
#include <QScopedPointer>

namespace Ui {
class ManagerDialog;
}

// The operator accounts (table man). Only "admin", after typing the login
// password again, reaches the list; passwords are plain text.
class ManagerDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ManagerDialog)

public:
    explicit ManagerDialog(QWidget* parent = nullptr);
    ~ManagerDialog() override;

    void setCompany(const QString& company);
    void setSession(const LoginSession& session);

signals:
    void w_close();

private slots:
    void on_btnMenu_Close_clicked();
    void on_btn_pwd_ok_clicked();
    void on_btn_man_add_clicked();
    void on_table_man_clicked(const QModelIndex& index);
    void on_btn_man_modfy_clicked();
    void on_btn_man_del_clicked();

private:
    void appendRow(const QString& name, const QString& pwd);
    void fail(const QString& text);
    void notice(const QString& text);

    const QScopedPointer<Ui::ManagerDialog> m_ui;
    LoginSession m_session;
    bool m_filled = false;
};
