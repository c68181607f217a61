#pragma once

#include "CarCardImages.h"
#include "LoginSession.h"
#include "SettingCardImages.h"
#include "SettingCardMaker.h"

#include <QDialog>
#include <QScopedPointer>

class CardReader;
class QLabel;
class QSpinBox;
struct StationConfig;

namespace Ui {
class SetCardDialog;
}

// The configuration cards of charging posts: the bike tab (setting and
// parameter cards) and the car tab (setting, tariff and parameter cards),
// each behind its password gate. The card work itself is SettingCardMaker's;
// this window fills the forms, reads them and reports the outcome.
class SetCardDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(SetCardDialog)

public:
    explicit SetCardDialog(QWidget* parent = nullptr);
    ~SetCardDialog() override;

    // The main menu's own configuration: a setting card changes its user key,
    // sector and limit in place and saves it. Neither is owned.
    void setup(StationConfig& config, CardReader* reader);
    // devType selects the tab that can be used.
    void setup(const LoginSession& session);

signals:
    void w_close();

private slots:
    void on_btnMenu_Close_clicked();
    void on_btn_setcard_ok_clicked();
    void on_btn_user_set_clicked();
    void on_btn_par_set_clicked();
    void on_combo_set_model_currentIndexChanged(int index);
    void on_btn_user_default_clicked();
    void on_btn_par_default_clicked();
    void on_spin_set_maxlv_valueChanged(int value);
    void on_tabWidget_currentChanged(int index);
    void on_btn_setcard_pwd_car_clicked();
    void on_btn_user_default_car_clicked();
    void on_btn_user_set_car_clicked();
    void on_btn_car_rate_default_clicked();
    void on_spin_totalRate_valueChanged(int value);
    void on_btn_car_rate_set_clicked();
    void on_btn_par_car_default_clicked();
    void on_btn_par_car_set_clicked();

private:
    enum Gate { Refused, OperatorPassword, AccessPassword };
    Gate checkGate(const QString& typed);

    QSpinBox* powerSpin(int level) const;
    QSpinBox* rateSpin(int level) const;
    QLabel* rateLabel(int level) const;
    void showRateUnit(bool minutes);
    void showRates(const std::array<quint16, BikeLevels>& rates);

    BikeSettingValues bikeSettingForm() const;
    void showBikeSetting(const BikeSettingValues& values);
    void loadBikeSettingPreset();
    BikeParamValues bikeParamForm() const;
    void showBikeParam(const BikeParamValues& values);
    CarSettingValues carSettingForm() const;
    void showCarSetting(const CarSettingValues& values);
    CarTariffInput carTariffForm() const;
    void showCarTariff(const CarTariffValues& values);
    CarParamValues carParamForm() const;
    void showCarParam(const CarParamValues& values);
    void loadCarPresets();

    // Cards need the reader; without one every card fails to write.
    bool readerReady();
    void report(const SettingCardOutcome& outcome, bool carCard);

    const QScopedPointer<Ui::SetCardDialog> m_ui;
    StationConfig* m_config = nullptr;
    CardReader* m_reader = nullptr;
    LoginSession m_session;
    int m_currentTab = 0;
};
