#include "SetCardDialog.h"

#include "BuiltinKeys.h"
#include "CardReader.h"
#include "DialogChrome.h"
#include "MessageBox.h"
#include "PresetFile.h"
#include "StationConfig.h"
#include "ui_SetCardDialog.h"

#include <QTableWidgetItem>
#include <array>

namespace {

constexpr int BikeTab = 0;
constexpr int CarTab = 1;

// Window height per tab, kept for the whole run so that every window opens
// at the height the operator last gave each tab.
std::array<int, 2> s_tabHeights = { 580, 680 };

const char* const FenRateLabels[BikeLevels] = {
    QT_TRANSLATE_NOOP("SetCardDialog", "第1档费率(分):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第2档费率(分):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第3档费率(分):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第4档费率(分):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第5档费率(分):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第6档费率(分):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第7档费率(分):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第8档费率(分):"),
};

const char* const MinuteRateLabels[BikeLevels] = {
    QT_TRANSLATE_NOOP("SetCardDialog", "第1档费率(分钟):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第2档费率(分钟):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第3档费率(分钟):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第4档费率(分钟):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第5档费率(分钟):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第6档费率(分钟):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第7档费率(分钟):"),
    QT_TRANSLATE_NOOP("SetCardDialog", "第8档费率(分钟):"),
};

bool readBikeSettingPreset(BikeSettingValues& values)
{
    QByteArray bytes;
    return PresetFile::read(PresetFile::BikeSetting, BikeSettingImage::PresetSize, bytes)
        && BikeSettingImage::parsePreset(bytes, values);
}

} // namespace

SetCardDialog::SetCardDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::SetCardDialog)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, nullptr, m_ui->btnMenu_Close);
    DialogChrome::centreOverParent(this);

    for (QWidget* group : std::initializer_list<QWidget*> { m_ui->group_user_card, m_ui->group_par,
             m_ui->group_tc_set_car, m_ui->group_set_car_rate, m_ui->group_par_car })
        group->hide();
    m_ui->tab_set_bike->setEnabled(false);
    m_ui->tab_set_car->setEnabled(false);
    on_btn_car_rate_default_clicked();

    m_currentTab = m_ui->tabWidget->currentIndex();
    resize(width(), s_tabHeights[size_t(m_currentTab)]);
}

SetCardDialog::~SetCardDialog() = default;

void SetCardDialog::setup(StationConfig& config, CardReader* reader)
{
    m_config = &config;
    m_reader = reader;
    m_ui->label_company->setText(config.company);
}

void SetCardDialog::setup(const LoginSession& session)
{
    m_session = session;
    const int tab = session.devType == 1 ? CarTab : BikeTab;
    m_ui->tabWidget->setCurrentIndex(tab);
    m_ui->tabWidget->widget(tab)->setEnabled(true);
}

void SetCardDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

SetCardDialog::Gate SetCardDialog::checkGate(const QString& typed)
{
    if (m_session.managerName != QLatin1String("admin")) {
        showMessage(this, tr("错误提示"), tr("无权限"));
        return Refused;
    }
    if (typed == m_session.managerPwd)
        return OperatorPassword;
    if (typed == BuiltinKeys::AccessPassword)
        return AccessPassword;
    showMessage(this, tr("错误提示"), tr("密码错误"));
    return Refused;
}

void SetCardDialog::on_btn_setcard_ok_clicked()
{
    // The operator's own password opens the setting card only, the access
    // password the parameter card only.
    switch (checkGate(m_ui->edit_setcard_pwd->text())) {
    case OperatorPassword:
        loadBikeSettingPreset();
        m_ui->group_user_card->show();
        break;
    case AccessPassword: {
        QByteArray bytes;
        BikeParamValues values;
        if (PresetFile::read(PresetFile::BikeParam, BikeParamImage::Size, bytes)
            && BikeParamImage::parse(bytes, values))
            showBikeParam(values);
        m_ui->group_par->show();
        break;
    }
    case Refused:
        return;
    }
    m_ui->group_setcard_pwd->hide();
}

void SetCardDialog::on_btn_user_set_clicked()
{
    if (!readerReady())
        return;
    report(SettingCardMaker(*m_reader).makeBikeSetting(bikeSettingForm(), *m_config), false);
}

void SetCardDialog::on_btn_par_set_clicked()
{
    if (!readerReady())
        return;
    report(SettingCardMaker(*m_reader).makeBikeParam(bikeParamForm()), false);
}

void SetCardDialog::on_combo_set_model_currentIndexChanged(int index)
{
    QWidget* const fixedFee = m_ui->spin_set_yuan_dec;
    QWidget* const meter[]
        = { m_ui->spin_set_meter_rate, m_ui->spin_set_meter_degree, m_ui->spin_set_meter_maxp };
    for (int k = 1; k <= BikeLevels; ++k) {
        powerSpin(k)->setEnabled(true);
        rateSpin(k)->setEnabled(true);
    }
    for (QWidget* w : meter)
        w->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*> {
             fixedFee, m_ui->combo_set_bindsw, m_ui->spin_set_remain_max, m_ui->spin_set_maxlv })
        w->setEnabled(true);

    BikeSettingValues preset;
    const bool havePreset = readBikeSettingPreset(preset);
    const bool presetInMinutes = havePreset && preset.modeIndex == BikeMode::FixedFee;

    switch (index) {
    case BikeMode::FixedFee:
        for (QWidget* w : meter)
            w->setEnabled(false);
        showRateUnit(true);
        showRates(presetInMinutes ? preset.rates : BikeDefaultMinuteRates);
        break;
    case BikeMode::Meter:
        for (int k = 1; k <= BikeLevels; ++k) {
            powerSpin(k)->setEnabled(false);
            rateSpin(k)->setEnabled(false);
        }
        fixedFee->setEnabled(false);
        return;
    case BikeMode::Home:
        // A home post has one level: the last, at full power.
        m_ui->spin_set_maxlv->setValue(BikeLevels);
        m_ui->spin_set_maxlv->setEnabled(false);
        for (int k = 1; k <= BikeLevels; ++k) {
            rateSpin(k)->setEnabled(false);
            powerSpin(k)->setEnabled(k == BikeLevels);
        }
        fixedFee->setEnabled(false);
        for (QWidget* w : meter)
            w->setEnabled(false);
        m_ui->combo_set_bindsw->setEnabled(false);
        m_ui->spin_set_remain_max->setEnabled(false);
        return;
    default:
        fixedFee->setEnabled(false);
        for (QWidget* w : meter)
            w->setEnabled(false);
        showRateUnit(false);
        showRates(havePreset && !presetInMinutes ? preset.rates : BikeDefaultFenRates);
        break;
    }
    // Levels above the level count stay out of reach in the modes that use levels.
    on_spin_set_maxlv_valueChanged(m_ui->spin_set_maxlv->value());
}

void SetCardDialog::on_btn_user_default_clicked()
{
    const BikeSettingValues defaults;
    showBikeSetting(defaults);
    showRateUnit(false);
}

void SetCardDialog::on_btn_par_default_clicked()
{
    showBikeParam(BikeParamValues());
}

void SetCardDialog::on_spin_set_maxlv_valueChanged(int value)
{
    for (int k = 1; k <= BikeLevels; ++k) {
        powerSpin(k)->setEnabled(k <= value);
        rateSpin(k)->setEnabled(k <= value);
    }
}

void SetCardDialog::on_tabWidget_currentChanged(int index)
{
    if (index != BikeTab && index != CarTab)
        return;
    s_tabHeights[size_t(m_currentTab)] = height();
    m_currentTab = index;
    resize(width(), s_tabHeights[size_t(index)]);
}

void SetCardDialog::on_btn_setcard_pwd_car_clicked()
{
    const Gate gate = checkGate(m_ui->edit_setcard_pwd_car->text());
    if (gate == Refused)
        return;
    loadCarPresets();
    m_ui->group_tc_set_car->show();
    m_ui->group_set_car_rate->show();
    m_ui->group_par_car->show();
    // The operator sees the parameter card but only the access password makes it.
    m_ui->group_par_car->setEnabled(gate == AccessPassword);
    m_ui->group_setcard_pwd_car->hide();
}

void SetCardDialog::on_btn_user_default_car_clicked()
{
    showCarSetting(CarSettingValues());
}

void SetCardDialog::on_btn_user_set_car_clicked()
{
    if (!readerReady())
        return;
    report(SettingCardMaker(*m_reader).makeCarSetting(carSettingForm(), *m_config), true);
}

void SetCardDialog::on_btn_car_rate_default_clicked()
{
    showCarTariff(CarTariffValues());
}

void SetCardDialog::on_spin_totalRate_valueChanged(int value)
{
    m_ui->table_rates->setRowCount(value);
}

void SetCardDialog::on_btn_car_rate_set_clicked()
{
    if (!readerReady())
        return;
    report(SettingCardMaker(*m_reader).makeCarTariff(carTariffForm()), true);
}

void SetCardDialog::on_btn_par_car_default_clicked()
{
    showCarParam(CarParamValues());
}

void SetCardDialog::on_btn_par_car_set_clicked()
{
    if (!readerReady())
        return;
    report(SettingCardMaker(*m_reader).makeCarParam(carParamForm()), true);
}

QSpinBox* SetCardDialog::powerSpin(int level) const
{
    QSpinBox* const spins[]
        = { m_ui->spin_set_plv1, m_ui->spin_set_plv2, m_ui->spin_set_plv3, m_ui->spin_set_plv4,
              m_ui->spin_set_plv5, m_ui->spin_set_plv6, m_ui->spin_set_plv7, m_ui->spin_set_plv8 };
    return spins[level - 1];
}

QSpinBox* SetCardDialog::rateSpin(int level) const
{
    QSpinBox* const spins[]
        = { m_ui->spin_set_rlv1, m_ui->spin_set_rlv2, m_ui->spin_set_rlv3, m_ui->spin_set_rlv4,
              m_ui->spin_set_rlv5, m_ui->spin_set_rlv6, m_ui->spin_set_rlv7, m_ui->spin_set_rlv8 };
    return spins[level - 1];
}

QLabel* SetCardDialog::rateLabel(int level) const
{
    QLabel* const labels[]
        = { m_ui->label_set_rlv1, m_ui->label_set_rlv2, m_ui->label_set_rlv3, m_ui->label_set_rlv4,
              m_ui->label_set_rlv5, m_ui->label_set_rlv6, m_ui->label_set_rlv7, m_ui->label_set_rlv8 };
    return labels[level - 1];
}

void SetCardDialog::showRateUnit(bool minutes)
{
    for (int k = 1; k <= BikeLevels; ++k)
        rateLabel(k)->setText(tr(minutes ? MinuteRateLabels[k - 1] : FenRateLabels[k - 1]));
}

void SetCardDialog::showRates(const std::array<quint16, BikeLevels>& rates)
{
    for (int k = 1; k <= BikeLevels; ++k)
        rateSpin(k)->setValue(rates[size_t(k - 1)]);
}

BikeSettingValues SetCardDialog::bikeSettingForm() const
{
    BikeSettingValues v;
    v.userKeyText = m_ui->edit_set_pwd->text();
    v.userSector = quint8(m_ui->spin_set_sect->value());
    v.modeIndex = quint8(m_ui->combo_set_model->currentIndex());
    v.maxHours = quint8(m_ui->spin_set_chage_max_time->value());
    v.maxBalanceYuan = quint16(m_ui->spin_set_remain_max->value());
    v.levelCount = quint8(m_ui->spin_set_maxlv->value());
    for (int k = 1; k <= BikeLevels; ++k) {
        v.powers[size_t(k - 1)] = quint16(powerSpin(k)->value());
        v.rates[size_t(k - 1)] = quint16(rateSpin(k)->value());
    }
    v.meterRate = quint16(m_ui->spin_set_meter_rate->value());
    v.meterDegree = quint16(m_ui->spin_set_meter_degree->value());
    v.meterMaxPower = quint16(m_ui->spin_set_meter_maxp->value());
    v.fixedFee = quint16(m_ui->spin_set_yuan_dec->value());
    v.postKeyText = m_ui->edit_set_key->text();
    v.keyLock = quint8(m_ui->combo_set_key_state->currentIndex());
    v.postNumber = quint16(m_ui->spin_set_changerid->value());
    v.binding = quint8(m_ui->combo_set_bindsw->currentIndex());
    return v;
}

void SetCardDialog::showBikeSetting(const BikeSettingValues& v)
{
    // The mode goes first: its handler re-enables the widgets and loads rates,
    // which the values below then replace.
    m_ui->combo_set_model->setCurrentIndex(v.modeIndex);
    m_ui->edit_set_pwd->setText(v.userKeyText);
    m_ui->spin_set_sect->setValue(v.userSector);
    m_ui->spin_set_chage_max_time->setValue(v.maxHours);
    m_ui->spin_set_remain_max->setValue(v.maxBalanceYuan);
    m_ui->spin_set_maxlv->setValue(v.levelCount);
    for (int k = 1; k <= BikeLevels; ++k)
        powerSpin(k)->setValue(v.powers[size_t(k - 1)]);
    showRates(v.rates);
    m_ui->spin_set_meter_rate->setValue(v.meterRate);
    m_ui->spin_set_meter_degree->setValue(v.meterDegree);
    m_ui->spin_set_meter_maxp->setValue(v.meterMaxPower);
    m_ui->spin_set_yuan_dec->setValue(v.fixedFee);
    m_ui->edit_set_key->setText(v.postKeyText);
    m_ui->combo_set_key_state->setCurrentIndex(v.keyLock);
    m_ui->spin_set_changerid->setValue(v.postNumber);
    m_ui->combo_set_bindsw->setCurrentIndex(v.binding);
}

void SetCardDialog::loadBikeSettingPreset()
{
    BikeSettingValues values;
    if (readBikeSettingPreset(values))
        showBikeSetting(values);
    // Also without a preset, so the widgets of the starting mode are enabled as
    // that mode wants them; its rates are then the form's own defaults.
    on_combo_set_model_currentIndexChanged(m_ui->combo_set_model->currentIndex());
}

BikeParamValues SetCardDialog::bikeParamForm() const
{
    BikeParamValues v;
    v.plugInPower = quint8(m_ui->spin_par_p_limit_in->value());
    v.pullOutPower = quint8(m_ui->spin_par_p_limit_out->value());
    v.floatPercent = quint8(m_ui->spin_par_fc_p_p->value());
    v.plugInCheckTime = quint8(m_ui->spin_par_check_t_in->value());
    v.pullOutPowerTime = quint8(m_ui->spin_par_check_pt_out->value());
    v.plugInPowerTime = quint8(m_ui->spin_par_check_pt_in->value());
    v.floatTime = quint16(m_ui->spin_par_fc_t->value());
    v.floatCheckTime = quint16(m_ui->spin_par_fc_check_t->value());
    v.overloadPower = quint16(m_ui->spin_par_dynamic_o_p->value());
    v.overloadStart = quint16(m_ui->spin_par_dynamic_o_st->value());
    v.overloadCheck = quint16(m_ui->spin_par_dynamic_o_ct->value());
    v.pullOutJudgeTime = quint8(m_ui->spin_par_pull_out_t->value());
    v.pullOutSwitch = quint8(m_ui->combo_par_pull_out_switch->currentIndex());
    v.autoStopSwitch = quint8(m_ui->combo_par_auto_s_switch->currentIndex());
    v.refundSwitch = quint8(m_ui->combo_par_refund_switch->currentIndex());
    v.deviceSwitch = quint8(m_ui->combo_par_dev_onoff->currentIndex());
    v.interferencePower = quint8(m_ui->spin_par_p_obs_out->value());
    v.interferenceTime = quint16(m_ui->spin_par_t_obs_out->value());
    v.floatSecondStart = quint16(m_ui->spin_par_fc_t2_start->value());
    v.floatSecondCheck = quint16(m_ui->spin_par_fc_check_t2->value());
    return v;
}

void SetCardDialog::showBikeParam(const BikeParamValues& v)
{
    m_ui->spin_par_p_limit_in->setValue(v.plugInPower);
    m_ui->spin_par_p_limit_out->setValue(v.pullOutPower);
    m_ui->spin_par_fc_p_p->setValue(v.floatPercent);
    m_ui->spin_par_check_t_in->setValue(v.plugInCheckTime);
    m_ui->spin_par_check_pt_out->setValue(v.pullOutPowerTime);
    m_ui->spin_par_check_pt_in->setValue(v.plugInPowerTime);
    m_ui->spin_par_fc_t->setValue(v.floatTime);
    m_ui->spin_par_fc_check_t->setValue(v.floatCheckTime);
    m_ui->spin_par_dynamic_o_p->setValue(v.overloadPower);
    m_ui->spin_par_dynamic_o_st->setValue(v.overloadStart);
    m_ui->spin_par_dynamic_o_ct->setValue(v.overloadCheck);
    m_ui->spin_par_pull_out_t->setValue(v.pullOutJudgeTime);
    m_ui->combo_par_pull_out_switch->setCurrentIndex(v.pullOutSwitch);
    m_ui->combo_par_auto_s_switch->setCurrentIndex(v.autoStopSwitch);
    m_ui->combo_par_refund_switch->setCurrentIndex(v.refundSwitch);
    m_ui->combo_par_dev_onoff->setCurrentIndex(v.deviceSwitch);
    m_ui->spin_par_p_obs_out->setValue(v.interferencePower);
    m_ui->spin_par_t_obs_out->setValue(v.interferenceTime);
    m_ui->spin_par_fc_t2_start->setValue(v.floatSecondStart);
    m_ui->spin_par_fc_check_t2->setValue(v.floatSecondCheck);
}

CarSettingValues SetCardDialog::carSettingForm() const
{
    CarSettingValues v;
    v.userKeyText = m_ui->edit_set_pwd_car->text();
    v.userSector = quint8(m_ui->spin_set_sect_car->value());
    v.modeIndex = quint8(m_ui->combo_set_model_car->currentIndex());
    v.refundSwitch = quint8(m_ui->combo_par_refund_switch_car->currentIndex());
    v.preDeductFen = quint16(m_ui->spin_set_yuan_dec_car->value());
    v.maxBalanceYuan = quint16(m_ui->spin_set_remain_max_car->value());
    v.binding = quint8(m_ui->combo_set_bindsw_car->currentIndex());
    v.keyLock = quint8(m_ui->combo_set_key_state_car->currentIndex());
    v.postKeyText = m_ui->edit_set_key_car->text();
    return v;
}

void SetCardDialog::showCarSetting(const CarSettingValues& v)
{
    m_ui->edit_set_pwd_car->setText(v.userKeyText);
    m_ui->spin_set_sect_car->setValue(v.userSector);
    m_ui->combo_set_model_car->setCurrentIndex(v.modeIndex);
    m_ui->combo_par_refund_switch_car->setCurrentIndex(v.refundSwitch);
    m_ui->spin_set_yuan_dec_car->setValue(v.preDeductFen);
    m_ui->spin_set_remain_max_car->setValue(v.maxBalanceYuan);
    m_ui->combo_set_bindsw_car->setCurrentIndex(v.binding);
    m_ui->combo_set_key_state_car->setCurrentIndex(v.keyLock);
    m_ui->edit_set_key_car->setText(v.postKeyText);
}

CarTariffInput SetCardDialog::carTariffForm() const
{
    CarTariffInput input;
    input.rangeCount = m_ui->spin_totalRate->value();
    input.lossPercent = quint8(m_ui->spin_eleLost->value());
    input.serviceFeeFen = quint16(m_ui->spin_car_server->value());
    input.authKeyText = m_ui->edit_l_key_car_rate->text();
    const QTableWidget* table = m_ui->table_rates;
    for (int row = 0; row < table->rowCount(); ++row) {
        TariffRowTexts texts;
        for (int column = 0; column < 3; ++column) {
            const QTableWidgetItem* item = table->item(row, column);
            if (item)
                texts[size_t(column)] = item->data(Qt::DisplayRole).toString();
        }
        input.rows.append(texts);
    }
    return input;
}

void SetCardDialog::showCarTariff(const CarTariffValues& v)
{
    m_ui->spin_eleLost->setValue(v.lossPercent);
    m_ui->spin_car_server->setValue(v.serviceFeeFen);
    m_ui->edit_l_key_car_rate->setText(v.authKeyText);
    m_ui->spin_totalRate->setValue(v.ranges.size());
    QTableWidget* table = m_ui->table_rates;
    table->clearContents();
    table->setRowCount(v.ranges.size());
    for (int row = 0; row < v.ranges.size(); ++row) {
        const TariffRange& r = v.ranges[row];
        table->setItem(row, 0, new QTableWidgetItem(QString::number(r.startHour)));
        table->setItem(row, 1, new QTableWidgetItem(QString::number(r.endHour)));
        table->setItem(row, 2, new QTableWidgetItem(QString::number(r.rateFen)));
    }
}

CarParamValues SetCardDialog::carParamForm() const
{
    CarParamValues v;
    v.maxCurrentA = quint8(m_ui->spin_car_max_ia->value());
    v.maxHours = quint8(m_ui->spin_car_max_time->value());
    v.minCurrentCentiA = quint16(m_ui->spin_car_min_ia->value());
    v.minCheckSeconds = quint16(m_ui->spin_car_check_min_time->value());
    v.minCheckSwitch = quint8(m_ui->combo_check_min->currentIndex());
    return v;
}

void SetCardDialog::showCarParam(const CarParamValues& v)
{
    m_ui->spin_car_max_ia->setValue(v.maxCurrentA);
    m_ui->spin_car_max_time->setValue(v.maxHours);
    m_ui->spin_car_min_ia->setValue(v.minCurrentCentiA);
    m_ui->spin_car_check_min_time->setValue(v.minCheckSeconds);
    m_ui->combo_check_min->setCurrentIndex(v.minCheckSwitch);
}

void SetCardDialog::loadCarPresets()
{
    QByteArray bytes;
    CarSettingValues setting;
    if (PresetFile::read(PresetFile::CarSetting, CarSettingImage::Size, bytes))
        CarSettingImage::parse(bytes, setting);
    showCarSetting(setting);

    CarTariffValues tariff;
    if (PresetFile::read(PresetFile::CarTariff, CarTariffImage::Size, bytes))
        CarTariffImage::parse(bytes, tariff);
    showCarTariff(tariff);

    CarParamValues param;
    if (PresetFile::read(PresetFile::CarParam, CarParamImage::Size, bytes))
        CarParamImage::parse(bytes, param);
    showCarParam(param);
}

bool SetCardDialog::readerReady()
{
    if (m_reader && m_config)
        return true;
    showMessage(this, tr("提示"), tr("写卡失败"));
    return false;
}

void SetCardDialog::report(const SettingCardOutcome& outcome, bool carCard)
{
    using Outcome = SettingCardOutcome;
    const QString error = tr("错误提示");
    const QString notice = tr("提示");
    switch (outcome.code) {
    case Outcome::Made:
        showMessage(this, notice, tr("设置成功"));
        return;
    case Outcome::MadeConfigUnsaved:
        showMessage(this, notice, tr("设置成功,但配置文件保存失败"));
        return;
    case Outcome::WriteFailed:
        showMessage(this, notice, tr("写卡失败"));
        return;
    case Outcome::BindingOnSectorZero:
        if (carCard)
            showMessage(this, error, tr("开启绑定功能时，用户扇区卡不能使用0扇区"));
        else
            showMessage(this, notice, tr("使用绑定功能时用户卡扇区不能使用0扇区"));
        return;
    case Outcome::BadUserKey:
        showMessage(this, error, tr("用户密码错误,必须为12位,只能使用0-9,A-F字母"));
        return;
    case Outcome::BadPostKey:
        showMessage(this, error, tr("密钥错误,必须为12位,只能使用0-9,A-F字母"));
        return;
    case Outcome::RateTooLarge:
        showMessage(this, error, tr("第%1档费率超出范围,固定扣费模式最多为1092分钟").arg(outcome.level));
        return;
    case Outcome::BadTariff:
        break;
    }

    const int row = outcome.tariff.row;
    QString text;
    switch (outcome.tariff.code) {
    case TariffCheck::BadStart:
        text = tr("开始时间有误，必须为整点");
        break;
    case TariffCheck::BadEnd:
        text = tr("结束时间有误，必须为整点");
        break;
    case TariffCheck::BadRate:
        text = tr("费率有误，费率必须为整数，单位为分");
        break;
    case TariffCheck::HourOutOfRange:
        text = tr("第%1档时间超出范围,必须在0到255之间").arg(row);
        break;
    case TariffCheck::RateOutOfRange:
        text = tr("第%1档费率超出范围,最大为65535分").arg(row);
        break;
    case TariffCheck::FirstNotFromZero:
        text = tr("第一档必须从0时开始");
        break;
    case TariffCheck::LastNotToTwentyFour:
        text = tr("最后一档必须24时结束");
        break;
    case TariffCheck::NotContiguous:
        text = tr("第%1档的开始时间必须等于第%2档的结束时间").arg(row).arg(row - 1);
        break;
    case TariffCheck::Ok:
        return;
    }
    showMessage(this, error, text);
}
