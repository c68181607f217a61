#pragma once

#include "PanelModel.h"

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;

// The virtual reader's window: cards on hand, the reader's settings and the
// USB side, beside a station working on the same state file. All work is done
// by PanelModel; this window only shows it and forwards clicks.
class ReaderPanel : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(ReaderPanel)

public:
    static constexpr int PollIntervalMs = 500;

    // `configPath` is the station's config.ini the decoding key comes from.
    ReaderPanel(const QString& stateFile, const QString& configPath, QWidget* parent = nullptr);
    ~ReaderPanel() override;

private:
    QWidget* buildReaderBox();
    QWidget* buildCardBox();
    QWidget* buildDecodeBox();
    QWidget* buildChargeBox();

    void poll();
    void refresh();
    void showReader(const PanelReader& reader);
    void showCards(const QList<PanelCard>& cards);
    std::optional<quint32> selectedCard() const;
    void say(const QString& text);

    void onItemChanged(QListWidgetItem* item);
    void toggleSelected();
    void newBlank(bool place);
    void deleteSelected();
    void applyBalance();
    void applyDecodeKey();
    void useConfigToggled(bool use);
    void makeChargeFile();

    PanelModel m_model;
    FileWatch m_stateWatch;
    FileWatch m_configWatch;
    QString m_configPath;
    QTimer m_poll;
    QList<PanelCard> m_shownCards;
    std::optional<PanelReader> m_shownReader;
    bool m_stale = true; // read the state again at the next poll
    bool m_describeChanged = true; // rebuild the list even if the cards are the same

    QLabel* m_stateLabel = nullptr;
    QComboBox* m_mode = nullptr;
    QSpinBox* m_serial = nullptr;
    QLineEdit* m_balance = nullptr;
    QLabel* m_firmware = nullptr;
    QLabel* m_plugState = nullptr;
    QPushButton* m_plugButton = nullptr;
    QListWidget* m_cards = nullptr;
    QCheckBox* m_useConfig = nullptr;
    QLineEdit* m_key = nullptr;
    QSpinBox* m_sector = nullptr;
    QLineEdit* m_chargeAmount = nullptr;
    QSpinBox* m_chargeVersion = nullptr;
    QLabel* m_status = nullptr;
};
