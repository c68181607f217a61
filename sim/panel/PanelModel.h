#pragma once

#include "BindBlock.h"
#include "BuiltinKeys.h"
#include "CardImage.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// What the panel shows of one card on hand, judged from its raw blocks the
// way the station would see it with the decoding key.
struct PanelCard
{
    enum Kind {
        Blank, // every sector still has the transport key, no user image
        User, // the user sector opens with the key and holds a value image
        Special, // a configuration or blacklist card (type byte of block 4)
        Spare, // the user sector carries the spare-card key: returned, ready to issue
        Unreadable, // none of the above: another key, or an unfinished card
    };

    quint32 id = 0;
    bool onReader = false;
    Kind kind = Unreadable;
    quint8 specialType = 0; // Special only
    // User only: the decoded image, its source and the check outcome (an
    // image of another card or above the limit is still a user card).
    CardImageCheck::Outcome imageOutcome = CardImageCheck::Invalid;
    bool fromBackup = false;
    quint32 balance = 0; // fen
    Binding binding;

    bool operator==(const PanelCard& other) const;
    bool operator!=(const PanelCard& other) const { return !(*this == other); }
};

struct PanelReader
{
    quint8 mode = 0;
    quint16 serial = 0;
    quint32 balance = 0; // fen
    quint16 firmwareVersion = 0;
    bool unplugged = false;
    QList<quint16> chargeVersions;

    bool operator==(const PanelReader& other) const;
    bool operator!=(const PanelReader& other) const { return !(*this == other); }
};

// Notices changes of a file that is replaced by rename, as the reader state
// and config.ini are: modification time, size or the file itself.
class FileWatch
{
public:
    explicit FileWatch(const QString& path)
        : m_path(path)
    {
    }
    // True when the file changed since the last call (true on the first).
    bool changed();

private:
    struct Stamp
    {
        qint64 mtimeNs = -2;
        qint64 size = -1;
        quint64 inode = 0;
        bool operator==(const Stamp& o) const
        {
            return mtimeNs == o.mtimeNs && size == o.size && inode == o.inode;
        }
    };
    QString m_path;
    Stamp m_seen;
};

// How user cards are decoded: the station's key, sector and limit.
struct DecodeSettings
{
    SectorKey key = BuiltinKeys::DefaultUser;
    int sector = 0;
    quint32 limitMoney = 30000; // fen
    bool carStation = false; // cars show the 32-bit post, bikes its low 16 bits
};

// The logic of the virtual reader panel: lists and decodes the cards of the
// shared reader state and applies the panel's actions to it. No widgets, so it
// is tested without a display.
class PanelModel
{
public:
    static constexpr int SectorCount = 16;

    // Works on `stateFile` (made VirtualReader's file for this process).
    explicit PanelModel(const QString& stateFile);
    Q_DISABLE_COPY(PanelModel)

    QString stateFile() const { return m_stateFile; }

    // Decoding key: from the station's config.ini, or typed in the panel.
    // Returns false (and keeps the settings) for a missing or unreadable file.
    bool loadStationConfig(const QString& path);
    // False, with nothing changed, for a key that is not 12 hex digits or a
    // sector outside 0..15.
    bool setDecodeKey(const QString& keyText, int sector);
    const DecodeSettings& decodeSettings() const { return m_decode; }

    QList<PanelCard> cards() const;
    PanelCard card(quint32 id) const;
    PanelReader reader() const;
    std::optional<quint32> cardOnReader() const;

    // One line for the card list.
    QString describe(const PanelCard& card) const;
    static QString idText(quint32 id);

    quint32 newBlankCard(bool place);
    // Lays the card on the reader, or takes it away when it lies there already.
    // False for an unknown card.
    bool toggleOnReader(quint32 id);
    void takeAway();
    bool deleteCard(quint32 id);

    void setMode(quint8 mode);
    void setSerial(quint16 serial);
    void setBalance(quint32 fen);
    void setUnplugged(bool unplugged);

    // Yuan text ("12", "12.3", "12.34") to fen; nothing for any other text or
    // an amount beyond 32 bits.
    static std::optional<quint32> fenFromText(const QString& text);

    enum class ChargeFileResult { Written, NotWritten };
    // A charge file for this reader (or `serial` when given), saved to `path`.
    ChargeFileResult writeChargeFile(const QString& path, quint32 amountFen, quint16 version,
        std::optional<quint16> serial = std::nullopt) const;

private:
    QString m_stateFile;
    DecodeSettings m_decode;
};
