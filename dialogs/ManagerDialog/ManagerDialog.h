#pragma once

#include "LoginSession.h"

#include <QDialog>
#include <QModelIndex>
#include <QScopedPointer>

class GridModel;
class WindowScroller;

namespace Ui {
class ManagerDialog;
}

// The operator accounts (table man). Only "admin", after typing the login
// password again, reaches the list; passwords are plain text. The list reads
// the accounts it shows by id range, so it costs what is on screen however
// many accounts there are; after a change it is read again and kept where it
// was.
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
    // Reads the ids afresh, keeping the top row. The current row stays on
    // the account `keepId`, or, when that is gone, on the row `orRow` (the
    // next account after a delete); neither leaves no current row.
    void reload(qint64 keepId, qint64 orRow = -1);
    // The result row of the current account, -1 for none.
    qint64 chosenRow() const;
    void fail(const QString& text);
    void notice(const QString& text);

    const QScopedPointer<Ui::ManagerDialog> m_ui;
    GridModel* m_model;
    WindowScroller* m_scroller = nullptr;
    // The account the current row was set on: the view's rows are a window
    // of the result that moves as the list scrolls.
    qint64 m_chosenId = -1;
    LoginSession m_session;
    bool m_filled = false;
};
