#include "ReaderPanel.h"

#include "CardCrypto.h"
#include "FileDialog.h"
#include "VirtualReader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int IdRole = Qt::UserRole;

} // namespace

ReaderPanel::ReaderPanel(const QString& stateFile, const QString& configPath, QWidget* parent)
    : QWidget(parent)
    , m_model(stateFile)
    , m_stateWatch(stateFile)
    , m_configWatch(configPath)
    , m_configPath(configPath)
{
    setWindowTitle(QStringLiteral("Virtual card reader"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildReaderBox());
    layout->addWidget(buildCardBox(), 1);
    layout->addWidget(buildDecodeBox());
    layout->addWidget(buildChargeBox());
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    m_useConfig->setChecked(m_model.loadStationConfig(m_configPath));
    useConfigToggled(m_useConfig->isChecked());
    connect(&m_poll, &QTimer::timeout, this, &ReaderPanel::poll);
    m_poll.start(PollIntervalMs);
    poll();
}

ReaderPanel::~ReaderPanel() = default;

QWidget* ReaderPanel::buildReaderBox()
{
    auto* box = new QGroupBox(QStringLiteral("Reader"), this);
    auto* form = new QFormLayout(box);
    m_stateLabel = new QLabel(m_model.stateFile(), box);
    m_stateLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("State file:"), m_stateLabel);

    m_mode = new QComboBox(box);
    m_mode->addItem(QStringLiteral("sale mode"), int(VirtualReader::SaleMode));
    m_mode->addItem(QStringLiteral("share mode"), int(VirtualReader::ShareMode));
    connect(m_mode, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        m_model.setMode(quint8(m_mode->itemData(index).toInt()));
        poll();
    });
    form->addRow(QStringLiteral("Mode:"), m_mode);

    m_serial = new QSpinBox(box);
    m_serial->setRange(0, 65535);
    connect(m_serial, &QSpinBox::editingFinished, this, [this] {
        if (m_shownReader && m_shownReader->serial == m_serial->value())
            return;
        m_model.setSerial(quint16(m_serial->value()));
        say(QStringLiteral("Serial set to %1.").arg(m_serial->value(), 5, 10, QLatin1Char('0')));
        poll();
    });
    form->addRow(QStringLiteral("Serial:"), m_serial);

    auto* balanceRow = new QHBoxLayout;
    m_balance = new QLineEdit(box);
    m_balance->setPlaceholderText(QStringLiteral("yuan, e.g. 1000.00"));
    auto* setBalance = new QPushButton(QStringLiteral("Set"), box);
    connect(m_balance, &QLineEdit::returnPressed, this, &ReaderPanel::applyBalance);
    connect(setBalance, &QPushButton::clicked, this, &ReaderPanel::applyBalance);
    balanceRow->addWidget(m_balance, 1);
    balanceRow->addWidget(setBalance);
    form->addRow(QStringLiteral("Balance:"), balanceRow);

    m_firmware = new QLabel(box);
    form->addRow(QStringLiteral("Firmware:"), m_firmware);

    auto* plugRow = new QHBoxLayout;
    m_plugState = new QLabel(box);
    m_plugButton = new QPushButton(box);
    connect(m_plugButton, &QPushButton::clicked, this, [this] {
        const bool unplug = !(m_shownReader && m_shownReader->unplugged);
        m_model.setUnplugged(unplug);
        say(unplug ? QStringLiteral("Reader unplugged.") : QStringLiteral("Reader plugged back in."));
        poll();
    });
    plugRow->addWidget(m_plugState, 1);
    plugRow->addWidget(m_plugButton);
    form->addRow(QStringLiteral("USB:"), plugRow);
    return box;
}

QWidget* ReaderPanel::buildCardBox()
{
    auto* box = new QGroupBox(QStringLiteral("Cards on hand (tick: on the reader)"), this);
    auto* layout = new QVBoxLayout(box);
    m_cards = new QListWidget(box);
    m_cards->setMinimumHeight(160);
    connect(m_cards, &QListWidget::itemChanged, this, &ReaderPanel::onItemChanged);
    connect(m_cards, &QListWidget::itemDoubleClicked, this, &ReaderPanel::toggleSelected);
    layout->addWidget(m_cards, 1);

    auto* buttons = new QHBoxLayout;
    auto* toggle = new QPushButton(QStringLiteral("Lay on / take away"), box);
    auto* take = new QPushButton(QStringLiteral("Take away"), box);
    auto* blank = new QPushButton(QStringLiteral("New blank card"), box);
    auto* blankOn = new QPushButton(QStringLiteral("New blank on reader"), box);
    auto* remove = new QPushButton(QStringLiteral("Throw away"), box);
    connect(toggle, &QPushButton::clicked, this, &ReaderPanel::toggleSelected);
    connect(take, &QPushButton::clicked, this, [this] {
        m_model.takeAway();
        poll();
    });
    connect(blank, &QPushButton::clicked, this, [this] { newBlank(false); });
    connect(blankOn, &QPushButton::clicked, this, [this] { newBlank(true); });
    connect(remove, &QPushButton::clicked, this, &ReaderPanel::deleteSelected);
    for (QPushButton* button : { toggle, take, blank, blankOn, remove })
        buttons->addWidget(button);
    layout->addLayout(buttons);
    return box;
}

QWidget* ReaderPanel::buildDecodeBox()
{
    auto* box = new QGroupBox(QStringLiteral("User card key"), this);
    auto* row = new QHBoxLayout(box);
    m_useConfig = new QCheckBox(QStringLiteral("from config.ini"), box);
    m_key = new QLineEdit(box);
    m_key->setMaxLength(12);
    m_key->setInputMask(QStringLiteral("HHHHHHHHHHHH"));
    m_sector = new QSpinBox(box);
    m_sector->setRange(0, PanelModel::SectorCount - 1);
    m_sector->setPrefix(QStringLiteral("sector "));
    auto* apply = new QPushButton(QStringLiteral("Decode"), box);
    connect(m_useConfig, &QCheckBox::toggled, this, &ReaderPanel::useConfigToggled);
    connect(apply, &QPushButton::clicked, this, &ReaderPanel::applyDecodeKey);
    connect(m_key, &QLineEdit::returnPressed, this, &ReaderPanel::applyDecodeKey);
    row->addWidget(m_useConfig);
    row->addWidget(m_key, 1);
    row->addWidget(m_sector);
    row->addWidget(apply);
    return box;
}

QWidget* ReaderPanel::buildChargeBox()
{
    auto* box = new QGroupBox(QStringLiteral("Charge file for this reader"), this);
    auto* row = new QHBoxLayout(box);
    m_chargeAmount = new QLineEdit(QStringLiteral("500.00"), box);
    m_chargeVersion = new QSpinBox(box);
    m_chargeVersion->setRange(0, 65535);
    m_chargeVersion->setValue(1);
    m_chargeVersion->setPrefix(QStringLiteral("version "));
    auto* make = new QPushButton(QStringLiteral("Make charge file..."), box);
    connect(make, &QPushButton::clicked, this, &ReaderPanel::makeChargeFile);
    row->addWidget(new QLabel(QStringLiteral("Amount (yuan):"), box));
    row->addWidget(m_chargeAmount, 1);
    row->addWidget(m_chargeVersion);
    row->addWidget(make);
    return box;
}

void ReaderPanel::poll()
{
    if (m_useConfig->isChecked() && m_configWatch.changed() && m_model.loadStationConfig(m_configPath)) {
        useConfigToggled(true);
    }
    if (m_stateWatch.changed() || m_stale)
        refresh();
}

void ReaderPanel::refresh()
{
    m_stale = false;
    showReader(m_model.reader());
    showCards(m_model.cards());
}

void ReaderPanel::showReader(const PanelReader& reader)
{
    if (m_shownReader == reader)
        return;
    m_shownReader = reader;
    const QSignalBlocker blockMode(m_mode);
    m_mode->setCurrentIndex(m_mode->findData(int(reader.mode)));
    if (!m_serial->hasFocus())
        m_serial->setValue(reader.serial);
    if (!m_balance->hasFocus())
        m_balance->setText(moneyText(reader.balance));
    QStringList versions;
    for (quint16 v : reader.chargeVersions)
        versions << QString::number(v);
    m_firmware->setText(
        QStringLiteral("version %1; charge files loaded: %2")
            .arg(reader.firmwareVersion)
            .arg(versions.isEmpty() ? QStringLiteral("none") : versions.join(QStringLiteral(", "))));
    m_plugState->setText(reader.unplugged ? QStringLiteral("unplugged") : QStringLiteral("plugged in"));
    m_plugButton->setText(reader.unplugged ? QStringLiteral("Replug") : QStringLiteral("Unplug"));
}

void ReaderPanel::showCards(const QList<PanelCard>& cards)
{
    if (cards == m_shownCards && !m_describeChanged)
        return;
    m_describeChanged = false;
    const std::optional<quint32> selected = selectedCard();
    m_shownCards = cards;
    const QSignalBlocker block(m_cards);
    m_cards->clear();
    for (const PanelCard& card : cards) {
        auto* item = new QListWidgetItem(m_model.describe(card), m_cards);
        item->setData(IdRole, card.id);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(card.onReader ? Qt::Checked : Qt::Unchecked);
        if (selected == card.id)
            m_cards->setCurrentItem(item);
    }
}

std::optional<quint32> ReaderPanel::selectedCard() const
{
    const QListWidgetItem* item = m_cards->currentItem();
    if (!item)
        return std::nullopt;
    return item->data(IdRole).toUInt();
}

void ReaderPanel::say(const QString& text)
{
    m_status->setText(text);
}

void ReaderPanel::onItemChanged(QListWidgetItem* item)
{
    const quint32 id = item->data(IdRole).toUInt();
    const bool wantOn = item->checkState() == Qt::Checked;
    if (wantOn != (m_model.cardOnReader() == id))
        m_model.toggleOnReader(id);
    m_cards->setCurrentItem(item);
    say(wantOn ? QStringLiteral("Card %1 laid on the reader.").arg(PanelModel::idText(id))
               : QStringLiteral("Card %1 taken away.").arg(PanelModel::idText(id)));
    poll();
}

void ReaderPanel::toggleSelected()
{
    const std::optional<quint32> id = selectedCard();
    if (!id) {
        say(QStringLiteral("Select a card first."));
        return;
    }
    m_model.toggleOnReader(*id);
    poll();
}

void ReaderPanel::newBlank(bool place)
{
    const quint32 id = m_model.newBlankCard(place);
    say(QStringLiteral("New blank card %1%2.")
            .arg(PanelModel::idText(id), place ? QStringLiteral(" on the reader") : QString()));
    poll();
    for (int i = 0; i < m_cards->count(); ++i) {
        if (m_cards->item(i)->data(IdRole).toUInt() == id)
            m_cards->setCurrentRow(i);
    }
}

void ReaderPanel::deleteSelected()
{
    const std::optional<quint32> id = selectedCard();
    if (!id || !m_model.deleteCard(*id)) {
        say(QStringLiteral("Select a card first."));
        return;
    }
    say(QStringLiteral("Card %1 thrown away.").arg(PanelModel::idText(*id)));
    poll();
}

void ReaderPanel::applyBalance()
{
    const std::optional<quint32> fen = PanelModel::fenFromText(m_balance->text());
    if (!fen) {
        say(QStringLiteral("The balance is yuan with at most two decimals, e.g. 1000.00."));
        return;
    }
    m_model.setBalance(*fen);
    say(QStringLiteral("Reader balance set to %1.").arg(moneyText(*fen)));
    m_balance->clearFocus();
    m_shownReader.reset();
    poll();
}

void ReaderPanel::applyDecodeKey()
{
    if (!m_model.setDecodeKey(m_key->text(), m_sector->value())) {
        say(QStringLiteral("A user key has 12 hexadecimal digits."));
        return;
    }
    {
        const QSignalBlocker block(m_useConfig);
        m_useConfig->setChecked(false);
    }
    useConfigToggled(false);
    say(QStringLiteral("Decoding user cards with key %1 in sector %2.")
            .arg(keyToHex(m_model.decodeSettings().key))
            .arg(m_model.decodeSettings().sector));
    poll();
}

void ReaderPanel::useConfigToggled(bool use)
{
    if (use && !m_model.loadStationConfig(m_configPath)) {
        say(QStringLiteral("No usable %1 here; type the key instead.").arg(m_configPath));
        const QSignalBlocker block(m_useConfig);
        m_useConfig->setChecked(false);
        use = false;
    }
    m_key->setText(keyToHex(m_model.decodeSettings().key));
    m_sector->setValue(m_model.decodeSettings().sector);
    m_key->setEnabled(!use);
    m_sector->setEnabled(!use);
    // The same blocks may decode differently now.
    m_stale = true;
    m_describeChanged = true;
}

void ReaderPanel::makeChargeFile()
{
    const std::optional<quint32> fen = PanelModel::fenFromText(m_chargeAmount->text());
    if (!fen) {
        say(QStringLiteral("The amount is yuan with at most two decimals, e.g. 500.00."));
        return;
    }
    const quint16 version = quint16(m_chargeVersion->value());
    const QString path = FileDialog::getSaveFileName(this, QStringLiteral("Save charge file"),
        QStringLiteral("top-up-%1.chfile").arg(version), QStringLiteral("Charge files (*.chfile)"));
    if (path.isEmpty())
        return;
    if (m_model.writeChargeFile(path, *fen, version) != PanelModel::ChargeFileResult::Written) {
        say(QStringLiteral("Could not write %1.").arg(path));
        return;
    }
    say(QStringLiteral("Charge file of %1 (version %2) for reader %3 saved to %4.")
            .arg(moneyText(*fen))
            .arg(version)
            .arg(m_model.reader().serial, 5, 10, QLatin1Char('0'))
            .arg(path));
    m_chargeVersion->setValue(version + 1);
}
