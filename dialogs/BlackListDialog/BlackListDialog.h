#pragma once

#include "BlacklistWriter.h"
#include "LoginSession.h"
#include "StationConfig.h"

#include <QDialog>
#include <QScopedPointer>

class CardReader;

namespace Ui {
class BlackListDialog;
}

// The list of lost card numbers and the writing of blacklist cards. The list
// lives only in the table; import and export keep it between uses.
class BlackListDialog : public QDialog, private BlacklistWriter::CardPrompt
{
    Q_OBJECT
    Q_DISABLE_COPY(BlackListDialog)

public:
    explicit BlackListDialog(QWidget* parent = nullptr);
    ~BlackListDialog() override;

    void setConfig(const StationConfig& config, CardReader* reader);
    void setSession(const LoginSession& session) { m_session = session; }

    QStringList rows() const;

signals:
    void w_close();

private slots:
    void on_btnMenu_Close_clicked();
    void on_btn_add_clicked();
    void on_btn_del_clicked();
    void on_btn_write_clicked();
    void on_btn_import_clicked();
    void on_btn_export_clicked();

private:
    void nextCard(int cardNumber) override;
    QString outcomeText(const BlacklistWriter::Result& result) const;
    void appendRow(const QString& text);

    const QScopedPointer<Ui::BlackListDialog> m_ui;
    StationConfig m_config;
    CardReader* m_reader = nullptr;
    LoginSession m_session;
};
