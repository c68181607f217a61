#pragma once

#include "ServerConnection.h"
#include "StationConfig.h"

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class ServerDialog;
}

// Where the ledger lives: the local file or a PostgreSQL server. Edits
// server.ini, tests a connection without freezing; a change takes effect at
// the next start, as the station opens its database once.
class ServerDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ServerDialog)

public:
    explicit ServerDialog(QWidget* parent = nullptr);
    ~ServerDialog() override;

    // Shows the company and the settings of server.ini.
    void setConfig(const StationConfig& config);

    ServerSettings settings() const;

signals:
    void w_close();

private slots:
    void on_btnMenu_Close_clicked();
    void on_btn_test_clicked();
    void on_btn_save_clicked();

private:
    void showSettings(const ServerSettings& settings);
    void enableServerFields();
    void showCheck(const ServerCheck& check);

    const QScopedPointer<Ui::ServerDialog> m_ui;
    ServerProbe m_probe;
};
