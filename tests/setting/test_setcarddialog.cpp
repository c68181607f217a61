#include "CardReader.h"
#include "MessageBox.h"
#include "PresetFile.h"
#include "SetCardDialog.h"
#include "StationConfig.h"
#include "VirtualReader.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

const QString OperatorPwd = QStringLiteral("op-secret");

template<typename T>
T* child(QWidget* window, const QString& name)
{
    T* widget = window->findChild<T*>(name);
    if (!widget)
        qFatal("no widget %s", qPrintable(name));
    return widget;
}

QSpinBox* spin(QWidget* w, const QString& name)
{
    return child<QSpinBox>(w, name);
}
QComboBox* combo(QWidget* w, const QString& name)
{
    return child<QComboBox>(w, name);
}

void click(QWidget* window, const QString& name)
{
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

QVector<int> rateValues(QWidget* w)
{
    QVector<int> values;
    for (int k = 1; k <= 8; ++k)
        values.append(spin(w, QStringLiteral("spin_set_rlv%1").arg(k))->value());
    return values;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSetCardDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void login_type_selects_the_only_usable_tab();
    void gates_data();
    void gates();
    void car_gate_shows_parameter_group_disabled_for_the_operator();
    void fixed_fee_minutes_round_trip_through_the_preset();
    void switching_mode_away_from_minutes_shows_default_fen_rates();
    void short_preset_leaves_the_widgets();
    void mode_and_level_count_enable_their_widgets();
    void bike_setting_card_updates_the_menu_configuration();
    void bike_refusals_are_reported_with_their_titles();
    void car_setting_card_updates_the_menu_configuration();
    void tariff_table_follows_the_range_count_and_names_bad_ranges();
    void parameter_cards_keep_their_presets();
    void close_emits_w_close_and_deletes_the_window();
    void windows_fit_their_texts_in_both_languages_data();
    void windows_fit_their_texts_in_both_languages();
    void tab_heights_are_shared_by_every_window();

private:
    SetCardDialog* open(int devType, const QString& manager = QStringLiteral("admin"));
    SetCardDialog* unlockBike(const QString& password);

    QTemporaryDir m_dir;
    CardReader m_reader;
    StationConfig m_config;
};

void TestSetCardDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    VirtualReader::useTemporaryState();
    MessageBox::setTestMode(true);
}

void TestSetCardDialog::init()
{
    MessageBox::clear();
    VirtualReader::reset();
    QVERIFY(VirtualReader::placeCard(VirtualReader::addBlankCard()));
    for (const QString& path : { PresetFile::BikeSetting, PresetFile::BikeParam, PresetFile::CarSetting,
             PresetFile::CarTariff, PresetFile::CarParam, kConfigFileName })
        QFile::remove(path);
    m_config = StationConfig();
    m_config.company = QStringLiteral("Depot North");
}

SetCardDialog* TestSetCardDialog::open(int devType, const QString& manager)
{
    auto* dialog = new SetCardDialog;
    dialog->setup(m_config, &m_reader);
    LoginSession session;
    session.devType = devType;
    session.managerName = manager;
    session.managerPwd = OperatorPwd;
    dialog->setup(session);
    return dialog;
}

SetCardDialog* TestSetCardDialog::unlockBike(const QString& password)
{
    SetCardDialog* dialog = open(0);
    child<QLineEdit>(dialog, "edit_setcard_pwd")->setText(password);
    click(dialog, "btn_setcard_ok");
    return dialog;
}

void TestSetCardDialog::login_type_selects_the_only_usable_tab()
{
    QScopedPointer<SetCardDialog> bike(open(0));
    QCOMPARE(child<QTabWidget>(bike.data(), "tabWidget")->currentIndex(), 0);
    QVERIFY(child<QWidget>(bike.data(), "tab_set_bike")->isEnabled());
    QVERIFY(!child<QWidget>(bike.data(), "tab_set_car")->isEnabled());
    QCOMPARE(child<QLabel>(bike.data(), "label_company")->text(), QStringLiteral("Depot North"));

    QScopedPointer<SetCardDialog> car(open(1));
    QCOMPARE(child<QTabWidget>(car.data(), "tabWidget")->currentIndex(), 1);
    QVERIFY(!child<QWidget>(car.data(), "tab_set_bike")->isEnabled());
    QVERIFY(child<QWidget>(car.data(), "tab_set_car")->isEnabled());
    for (const char* name :
        { "group_user_card", "group_par", "group_tc_set_car", "group_set_car_rate", "group_par_car" })
        QVERIFY2(child<QWidget>(car.data(), name)->isHidden(), name);
}

void TestSetCardDialog::gates_data()
{
    QTest::addColumn<QString>("manager");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("settingGroup");
    QTest::addColumn<bool>("parameterGroup");
    QTest::newRow("not admin") << "Admin" << OperatorPwd << "无权限" << false << false;
    QTest::newRow("operator password") << "admin" << OperatorPwd << QString() << true << false;
    QTest::newRow("access password") << "admin" << QString(BuiltinKeys::AccessPassword) << QString() << false
                                     << true;
    QTest::newRow("wrong password") << "admin"
                                    << "op-secreT"
                                    << "密码错误" << false << false;
}

void TestSetCardDialog::gates()
{
    QFETCH(QString, manager);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(bool, settingGroup);
    QFETCH(bool, parameterGroup);

    QScopedPointer<SetCardDialog> dialog(open(0, manager));
    child<QLineEdit>(dialog.data(), "edit_setcard_pwd")->setText(password);
    click(dialog.data(), "btn_setcard_ok");
    if (message.isEmpty()) {
        QVERIFY(MessageBox::shown().isEmpty());
    } else {
        QCOMPARE(MessageBox::last().title, QStringLiteral("错误提示"));
        QCOMPARE(MessageBox::last().text, message);
    }
    QCOMPARE(!child<QWidget>(dialog.data(), "group_user_card")->isHidden(), settingGroup);
    QCOMPARE(!child<QWidget>(dialog.data(), "group_par")->isHidden(), parameterGroup);
    QCOMPARE(child<QWidget>(dialog.data(), "group_setcard_pwd")->isHidden(), settingGroup || parameterGroup);

    QScopedPointer<SetCardDialog> car(open(1, manager));
    child<QLineEdit>(car.data(), "edit_setcard_pwd_car")->setText(password);
    click(car.data(), "btn_setcard_pwd_car");
    const bool opened = settingGroup || parameterGroup;
    QCOMPARE(!child<QWidget>(car.data(), "group_tc_set_car")->isHidden(), opened);
    QCOMPARE(!child<QWidget>(car.data(), "group_set_car_rate")->isHidden(), opened);
    QCOMPARE(child<QWidget>(car.data(), "group_setcard_pwd_car")->isHidden(), opened);
}

void TestSetCardDialog::car_gate_shows_parameter_group_disabled_for_the_operator()
{
    QScopedPointer<SetCardDialog> op(open(1));
    child<QLineEdit>(op.data(), "edit_setcard_pwd_car")->setText(OperatorPwd);
    click(op.data(), "btn_setcard_pwd_car");
    QVERIFY(!child<QWidget>(op.data(), "group_par_car")->isHidden());
    QVERIFY(!child<QWidget>(op.data(), "group_par_car")->isEnabled());
    QVERIFY(child<QWidget>(op.data(), "group_tc_set_car")->isEnabled());

    QScopedPointer<SetCardDialog> access(open(1));
    child<QLineEdit>(access.data(), "edit_setcard_pwd_car")->setText(BuiltinKeys::AccessPassword);
    click(access.data(), "btn_setcard_pwd_car");
    QVERIFY(child<QWidget>(access.data(), "group_par_car")->isEnabled());
}

void TestSetCardDialog::fixed_fee_minutes_round_trip_through_the_preset()
{
    {
        QScopedPointer<SetCardDialog> dialog(unlockBike(OperatorPwd));
        child<QLineEdit>(dialog.data(), "edit_set_pwd")->setText("0123456789AB");
        combo(dialog.data(), "combo_set_model")->setCurrentIndex(3);
        QCOMPARE(rateValues(dialog.data()), (QVector<int> { 300, 240, 180, 150, 120, 90, 60, 30 }));
        QCOMPARE(child<QLabel>(dialog.data(), "label_set_rlv1")->text(), QStringLiteral("第1档费率(分钟):"));
        click(dialog.data(), "btn_user_set");
        QCOMPARE(MessageBox::last().text, QStringLiteral("设置成功"));
    }
    const QByteArray preset = fileBytes(PresetFile::BikeSetting);
    QCOMPARE(preset.size(), 96);
    QCOMPARE(preset.mid(BikeSettingImage::Rates, 4).toHex(), QByteArray("50464038")); // 18000, 14400

    QScopedPointer<SetCardDialog> again(unlockBike(OperatorPwd));
    QCOMPARE(combo(again.data(), "combo_set_model")->currentIndex(), 3);
    QCOMPARE(rateValues(again.data()), (QVector<int> { 300, 240, 180, 150, 120, 90, 60, 30 }));
    QCOMPARE(child<QLabel>(again.data(), "label_set_rlv8")->text(), QStringLiteral("第8档费率(分钟):"));
    QCOMPARE(child<QLineEdit>(again.data(), "edit_set_pwd")->text(), QStringLiteral("0123456789AB"));
}

void TestSetCardDialog::switching_mode_away_from_minutes_shows_default_fen_rates()
{
    BikeSettingValues preset;
    preset.userKeyText = QStringLiteral("0123456789AB");
    preset.modeIndex = BikeMode::FixedFee;
    preset.rates = { 500, 400, 300, 200, 100, 50, 20, 10 };
    QVERIFY(PresetFile::write(PresetFile::BikeSetting, BikeSettingImage::buildPreset(preset)));

    QScopedPointer<SetCardDialog> dialog(unlockBike(OperatorPwd));
    QCOMPARE(rateValues(dialog.data()), (QVector<int> { 500, 400, 300, 200, 100, 50, 20, 10 }));
    combo(dialog.data(), "combo_set_model")->setCurrentIndex(0);
    QCOMPARE(rateValues(dialog.data()), (QVector<int> { 20, 25, 30, 40, 50, 80, 100, 150 }));
    QCOMPARE(child<QLabel>(dialog.data(), "label_set_rlv3")->text(), QStringLiteral("第3档费率(分):"));
    combo(dialog.data(), "combo_set_model")->setCurrentIndex(3);
    QCOMPARE(rateValues(dialog.data()), (QVector<int> { 500, 400, 300, 200, 100, 50, 20, 10 }));

    // A fen preset comes back in the fen modes; the fixed-fee mode then offers its defaults.
    preset.modeIndex = BikeMode::PerUse;
    QVERIFY(PresetFile::write(PresetFile::BikeSetting, BikeSettingImage::buildPreset(preset)));
    combo(dialog.data(), "combo_set_model")->setCurrentIndex(5);
    QCOMPARE(rateValues(dialog.data()), (QVector<int> { 500, 400, 300, 200, 100, 50, 20, 10 }));
    combo(dialog.data(), "combo_set_model")->setCurrentIndex(3);
    QCOMPARE(rateValues(dialog.data()), (QVector<int> { 300, 240, 180, 150, 120, 90, 60, 30 }));
}

void TestSetCardDialog::short_preset_leaves_the_widgets()
{
    BikeSettingValues preset;
    preset.userKeyText = QStringLiteral("0123456789AB");
    preset.userSector = 9;
    QVERIFY(PresetFile::write(PresetFile::BikeSetting, BikeSettingImage::buildPreset(preset).left(95)));
    BikeParamValues param;
    param.floatTime = 999;
    QVERIFY(PresetFile::write(PresetFile::BikeParam, BikeParamImage::build(param).left(31)));

    QScopedPointer<SetCardDialog> dialog(unlockBike(OperatorPwd));
    QCOMPARE(spin(dialog.data(), "spin_set_sect")->value(), 1);
    QCOMPARE(child<QLineEdit>(dialog.data(), "edit_set_pwd")->text(), QString());
    QScopedPointer<SetCardDialog> params(unlockBike(BuiltinKeys::AccessPassword));
    QCOMPARE(spin(params.data(), "spin_par_fc_t")->value(), 3600);
}

void TestSetCardDialog::mode_and_level_count_enable_their_widgets()
{
    QScopedPointer<SetCardDialog> dialog(unlockBike(OperatorPwd));
    QWidget* w = dialog.data();
    auto enabled = [w](const QString& name) { return child<QWidget>(w, name)->isEnabled(); };

    spin(w, "spin_set_maxlv")->setValue(3);
    QVERIFY(enabled("spin_set_plv3") && enabled("spin_set_rlv3"));
    QVERIFY(!enabled("spin_set_plv4") && !enabled("spin_set_rlv8"));
    QVERIFY(!enabled("spin_set_yuan_dec") && !enabled("spin_set_meter_rate"));

    combo(w, "combo_set_model")->setCurrentIndex(2); // meter
    QVERIFY(!enabled("spin_set_plv1") && !enabled("spin_set_rlv1") && !enabled("spin_set_yuan_dec"));
    QVERIFY(
        enabled("spin_set_meter_rate") && enabled("spin_set_meter_degree") && enabled("spin_set_meter_maxp"));

    combo(w, "combo_set_model")->setCurrentIndex(4); // home
    QCOMPARE(spin(w, "spin_set_maxlv")->value(), 8);
    QVERIFY(!enabled("spin_set_maxlv") && !enabled("spin_set_plv7") && enabled("spin_set_plv8"));
    QVERIFY(!enabled("spin_set_rlv8") && !enabled("combo_set_bindsw") && !enabled("spin_set_remain_max"));
    QVERIFY(!enabled("spin_set_meter_maxp") && !enabled("spin_set_yuan_dec"));

    combo(w, "combo_set_model")->setCurrentIndex(3); // fixed fee
    QVERIFY(enabled("spin_set_maxlv") && enabled("spin_set_yuan_dec") && enabled("combo_set_bindsw"));
    QVERIFY(enabled("spin_set_rlv8") && !enabled("spin_set_meter_degree"));

    click(w, "btn_user_default");
    QCOMPARE(combo(w, "combo_set_model")->currentIndex(), 0);
    QCOMPARE(rateValues(w), (QVector<int> { 20, 25, 30, 40, 50, 80, 100, 150 }));
    QCOMPARE(child<QLabel>(w, "label_set_rlv1")->text(), QStringLiteral("第1档费率(分):"));
    QCOMPARE(child<QLineEdit>(w, "edit_set_key")->text(), QStringLiteral("5D0E8A2C7F13"));
}

void TestSetCardDialog::bike_setting_card_updates_the_menu_configuration()
{
    QScopedPointer<SetCardDialog> dialog(unlockBike(OperatorPwd));
    child<QLineEdit>(dialog.data(), "edit_set_pwd")->setText("a1b2c3d4e5f6");
    spin(dialog.data(), "spin_set_sect")->setValue(2);
    spin(dialog.data(), "spin_set_remain_max")->setValue(300);
    click(dialog.data(), "btn_user_set");
    QCOMPARE(MessageBox::last().title, QStringLiteral("提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("设置成功"));
    QCOMPARE(m_config.usr_key, QStringLiteral("a1b2c3d4e5f6"));
    QCOMPARE(m_config.usr_sect, quint8(2));
    QCOMPARE(m_config.limit_money, 30000);
    StationConfig saved;
    loadConfig(saved);
    QCOMPARE(saved.limit_money, 30000);
    QCOMPARE(saved.company, QStringLiteral("Depot North"));
    QCOMPARE(VirtualReader::cardParam().left(8), QByteArray::fromHex("0102a1b2c3d4e5f6"));
}

void TestSetCardDialog::bike_refusals_are_reported_with_their_titles()
{
    QScopedPointer<SetCardDialog> dialog(unlockBike(OperatorPwd));
    QWidget* w = dialog.data();
    VirtualReader::resetCounters();

    combo(w, "combo_set_bindsw")->setCurrentIndex(1);
    spin(w, "spin_set_sect")->setValue(0);
    click(w, "btn_user_set");
    QCOMPARE(MessageBox::last().title, QStringLiteral("提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("使用绑定功能时用户卡扇区不能使用0扇区"));

    combo(w, "combo_set_bindsw")->setCurrentIndex(0);
    child<QLineEdit>(w, "edit_set_pwd")->setText("0123456789AG");
    click(w, "btn_user_set");
    QCOMPARE(MessageBox::last().title, QStringLiteral("错误提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("用户密码错误,必须为12位,只能使用0-9,A-F字母"));

    child<QLineEdit>(w, "edit_set_pwd")->setText("0123456789AB");
    combo(w, "combo_set_model")->setCurrentIndex(3);
    spin(w, "spin_set_rlv5")->setValue(1093);
    click(w, "btn_user_set");
    QCOMPARE(MessageBox::last().title, QStringLiteral("错误提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("第5档费率超出范围,固定扣费模式最多为1092分钟"));

    spin(w, "spin_set_rlv5")->setValue(120);
    child<QLineEdit>(w, "edit_set_key")->setText("5D0E8A2C7F1");
    click(w, "btn_user_set");
    QCOMPARE(MessageBox::last().text, QStringLiteral("密钥错误,必须为12位,只能使用0-9,A-F字母"));
    QCOMPARE(VirtualReader::counters().reportsWritten, 0);
    QCOMPARE(m_config.usr_key, BuiltinKeys::DefaultUserKeyText);

    VirtualReader::removeCard();
    child<QLineEdit>(w, "edit_set_key")->setText("5D0E8A2C7F13");
    click(w, "btn_user_set");
    QCOMPARE(MessageBox::last().title, QStringLiteral("提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("写卡失败"));
    QVERIFY(!QFile::exists(PresetFile::BikeSetting));
}

void TestSetCardDialog::car_setting_card_updates_the_menu_configuration()
{
    QScopedPointer<SetCardDialog> dialog(open(1));
    QWidget* w = dialog.data();
    child<QLineEdit>(w, "edit_setcard_pwd_car")->setText(OperatorPwd);
    click(w, "btn_setcard_pwd_car");
    QCOMPARE(spin(w, "spin_set_remain_max_car")->value(), 1000);
    QCOMPARE(combo(w, "combo_set_model_car")->currentIndex(), 1);

    child<QLineEdit>(w, "edit_set_pwd_car")->setText("0123456789AB");
    combo(w, "combo_set_bindsw_car")->setCurrentIndex(1);
    spin(w, "spin_set_sect_car")->setValue(0);
    click(w, "btn_user_set_car");
    QCOMPARE(MessageBox::last().title, QStringLiteral("错误提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("开启绑定功能时，用户扇区卡不能使用0扇区"));

    spin(w, "spin_set_sect_car")->setValue(4);
    click(w, "btn_user_set_car");
    QCOMPARE(MessageBox::last().text, QStringLiteral("设置成功"));
    QCOMPARE(m_config.limit_money, 100000);
    QCOMPARE(m_config.usr_sect, quint8(4));
    QCOMPARE(fileBytes(PresetFile::CarSetting).mid(CarSettingImage::MaxBalanceFen, 4).toHex(),
        QByteArray("a0860100"));
}

void TestSetCardDialog::tariff_table_follows_the_range_count_and_names_bad_ranges()
{
    QScopedPointer<SetCardDialog> dialog(open(1));
    QWidget* w = dialog.data();
    child<QLineEdit>(w, "edit_setcard_pwd_car")->setText(OperatorPwd);
    click(w, "btn_setcard_pwd_car");
    auto* table = child<QTableWidget>(w, "table_rates");
    QCOMPARE(table->rowCount(), 4);
    QCOMPARE(table->item(3, 1)->text(), QStringLiteral("24"));

    spin(w, "spin_totalRate")->setValue(2);
    QCOMPARE(table->rowCount(), 2);
    table->item(0, 1)->setText("8");
    table->item(1, 0)->setText("9");
    table->item(1, 1)->setText("24");
    click(w, "btn_car_rate_set");
    QCOMPARE(MessageBox::last().title, QStringLiteral("错误提示"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("第2档的开始时间必须等于第1档的结束时间"));

    spin(w, "spin_totalRate")->setValue(3);
    QCOMPARE(table->rowCount(), 3);
    QVERIFY(!table->item(2, 0));
    table->item(1, 0)->setText("8");
    click(w, "btn_car_rate_set");
    QCOMPARE(MessageBox::last().text, QStringLiteral("开始时间有误，必须为整点"));

    table->setItem(2, 0, new QTableWidgetItem("300"));
    table->setItem(2, 1, new QTableWidgetItem("24"));
    table->setItem(2, 2, new QTableWidgetItem("90"));
    click(w, "btn_car_rate_set");
    QCOMPARE(MessageBox::last().text, QStringLiteral("第3档时间超出范围,必须在0到255之间"));

    table->item(1, 1)->setText("20");
    table->item(2, 0)->setText("20");
    VirtualReader::resetCounters();
    click(w, "btn_car_rate_set");
    QCOMPARE(MessageBox::last().text, QStringLiteral("设置成功"));

    // The next window rebuilds the table from the preset.
    QScopedPointer<SetCardDialog> again(open(1));
    child<QLineEdit>(again.data(), "edit_setcard_pwd_car")->setText(OperatorPwd);
    click(again.data(), "btn_setcard_pwd_car");
    auto* rebuilt = child<QTableWidget>(again.data(), "table_rates");
    QCOMPARE(spin(again.data(), "spin_totalRate")->value(), 3);
    QCOMPARE(rebuilt->rowCount(), 3);
    QCOMPARE(rebuilt->item(1, 1)->text(), QStringLiteral("20"));
    QCOMPARE(rebuilt->item(2, 2)->text(), QStringLiteral("90"));
}

void TestSetCardDialog::parameter_cards_keep_their_presets()
{
    // The bike parameter card needs a card that has been through the station.
    {
        QScopedPointer<SetCardDialog> dialog(unlockBike(BuiltinKeys::AccessPassword));
        spin(dialog.data(), "spin_par_fc_t")->setValue(4000);
        click(dialog.data(), "btn_par_set");
        QCOMPARE(MessageBox::last().text, QStringLiteral("写卡失败"));

        QScopedPointer<SetCardDialog> car(open(1));
        child<QLineEdit>(car.data(), "edit_setcard_pwd_car")->setText(BuiltinKeys::AccessPassword);
        click(car.data(), "btn_setcard_pwd_car");
        spin(car.data(), "spin_car_max_ia")->setValue(20);
        click(car.data(), "btn_par_car_set");
        QCOMPARE(MessageBox::last().text, QStringLiteral("设置成功"));

        click(dialog.data(), "btn_par_set");
        QCOMPARE(MessageBox::last().text, QStringLiteral("设置成功"));
    }
    QScopedPointer<SetCardDialog> dialog(unlockBike(BuiltinKeys::AccessPassword));
    QCOMPARE(spin(dialog.data(), "spin_par_fc_t")->value(), 4000);
    click(dialog.data(), "btn_par_default");
    QCOMPARE(spin(dialog.data(), "spin_par_fc_t")->value(), 3600);

    QScopedPointer<SetCardDialog> car(open(1));
    child<QLineEdit>(car.data(), "edit_setcard_pwd_car")->setText(BuiltinKeys::AccessPassword);
    click(car.data(), "btn_setcard_pwd_car");
    QCOMPARE(spin(car.data(), "spin_car_max_ia")->value(), 20);
    click(car.data(), "btn_par_car_default");
    QCOMPARE(spin(car.data(), "spin_car_max_ia")->value(), 32);
    QCOMPARE(combo(car.data(), "combo_check_min")->currentIndex(), 1);
}

void TestSetCardDialog::close_emits_w_close_and_deletes_the_window()
{
    QPointer<SetCardDialog> dialog = open(0);
    dialog->show();
    QSignalSpy closed(dialog.data(), &SetCardDialog::w_close);
    click(dialog.data(), "btnMenu_Close");
    QCOMPARE(closed.count(), 1);
    QTRY_VERIFY(dialog.isNull());
}

void TestSetCardDialog::windows_fit_their_texts_in_both_languages_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

// With every group of a tab shown, each label and button gets the width its
// text needs and the tab fits the window's height for it.
void TestSetCardDialog::windows_fit_their_texts_in_both_languages()
{
    QFETCH(bool, english);
    QTranslator translator;
    if (english) {
        QVERIFY(translator.load(QStringLiteral(":/Language/english.qm")));
        QCoreApplication::installTranslator(&translator);
    }
    for (int devType : { 0, 1 }) {
        QScopedPointer<SetCardDialog> dialog(open(devType));
        QWidget* w = dialog.data();
        // The largest state of each tab: the bike setting group (the two bike
        // groups never show together) and all three car groups.
        const QStringList groups = devType == 0
            ? QStringList { "group_user_card" }
            : QStringList { "group_tc_set_car", "group_set_car_rate", "group_par_car" };
        for (const QString& name : groups)
            child<QWidget>(w, name)->show();
        child<QWidget>(w, devType == 0 ? "group_setcard_pwd" : "group_setcard_pwd_car")->hide();
        if (devType == 0)
            combo(w, "combo_set_model")->setCurrentIndex(3);
        // The size the window opens at holds the widest row at its preferred
        // width; in height the spacers may give way, the widgets may not.
        const QSize opened = w->size();
        QVERIFY2(w->sizeHint().width() <= opened.width(), qPrintable(QString::number(w->sizeHint().width())));
        QVERIFY2(w->minimumSizeHint().height() <= opened.height(),
            qPrintable(QString::number(w->minimumSizeHint().height())));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QString shots = qEnvironmentVariable("VELOKA_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            w->grab().save(QStringLiteral("%1/SetCardDialog-%2-%3.png")
                               .arg(shots)
                               .arg(devType)
                               .arg(english ? "en" : "zh"));
        QCOMPARE(w->size(), opened);
        QCOMPARE(child<QPushButton>(w, devType == 0 ? "btn_user_set" : "btn_car_rate_set")->text(),
            english ? (devType == 0 ? "Make a setting card" : "Make a car tariff card")
                    : (devType == 0 ? "制作设置卡" : "制作汽车费率卡"));
        if (devType == 0)
            QCOMPARE(child<QLabel>(w, "label_set_rlv2")->text(),
                english ? QStringLiteral("Billing rate level 2(min):") : QStringLiteral("第2档费率(分钟):"));
        for (QWidget* widget : w->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<QLabel*>(widget);
            const bool text = (label && !label->text().isEmpty()) || qobject_cast<QAbstractButton*>(widget)
                || qobject_cast<QComboBox*>(widget);
            if (!widget->isVisible() || (!text && !qobject_cast<QAbstractSpinBox*>(widget)))
                continue;
            if (text)
                QVERIFY2(widget->width() >= widget->sizeHint().width(), qPrintable(widget->objectName()));
            QVERIFY2(widget->height() >= widget->sizeHint().height(), qPrintable(widget->objectName()));
        }
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestSetCardDialog::tab_heights_are_shared_by_every_window()
{
    QScopedPointer<SetCardDialog> bike(open(0));
    QCOMPARE(bike->height(), 580);
    QScopedPointer<SetCardDialog> car(open(1));
    QCOMPARE(car->height(), 680);

    bike->resize(bike->width(), 600);
    child<QTabWidget>(bike.data(), "tabWidget")->setCurrentIndex(1);
    QCOMPARE(bike->height(), 680);
    child<QTabWidget>(bike.data(), "tabWidget")->setCurrentIndex(0);
    QCOMPARE(bike->height(), 600);
    QScopedPointer<SetCardDialog> later(open(0));
    QCOMPARE(later->height(), 600);
}

QTEST_MAIN(TestSetCardDialog)
#include "test_setcarddialog.moc"
