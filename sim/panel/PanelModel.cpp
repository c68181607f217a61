#include "PanelModel.h"

#include "CardCrypto.h"
#include "SimCardInfo.h"
#include "StationConfig.h"
#include "VirtualReader.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <sys/stat.h>

namespace VR = VirtualReader;

namespace {

constexpr int KeyAOffset = 0;
constexpr int KeyBOffset = 10;

QByteArray keyBytes(const SectorKey& key)
{
    return QByteArray(reinterpret_cast<const char*>(key.data()), int(key.size()));
}

bool sectorOpensWith(quint32 id, int sector, const SectorKey& key)
{
    const QByteArray trailer = VR::block(id, sector * 4 + 3);
    const QByteArray bytes = keyBytes(key);
    return trailer.mid(KeyAOffset, 6) == bytes || trailer.mid(KeyBOffset, 6) == bytes;
}

bool allSectorsBlank(quint32 id)
{
    const QByteArray transport = keyBytes(BuiltinKeys::Transport);
    for (int s = 0; s < PanelModel::SectorCount; ++s) {
        if (VR::block(id, s * 4 + 3).mid(KeyAOffset, 6) != transport)
            return false;
    }
    return true;
}

} // namespace

bool PanelCard::operator==(const PanelCard& o) const
{
    return id == o.id && onReader == o.onReader && kind == o.kind && specialType == o.specialType
        && imageOutcome == o.imageOutcome && fromBackup == o.fromBackup && balance == o.balance
        && binding.bound == o.binding.bound && binding.post == o.binding.post
        && binding.port == o.binding.port;
}

bool PanelReader::operator==(const PanelReader& o) const
{
    return mode == o.mode && serial == o.serial && balance == o.balance
        && firmwareVersion == o.firmwareVersion && unplugged == o.unplugged
        && chargeVersions == o.chargeVersions;
}

PanelModel::PanelModel(const QString& stateFile)
    : m_stateFile(stateFile)
{
    VR::useStateFile(stateFile);
}

bool PanelModel::loadStationConfig(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    StationConfig config;
    loadConfig(config, path);
    SectorKey key;
    if (!isValidKeyText(config.usr_key) || !keyFromHex(config.usr_key, key) || config.usr_sect >= SectorCount)
        return false;
    m_decode.key = key;
    m_decode.sector = config.usr_sect;
    m_decode.limitMoney = config.limit_money < 0 ? 0 : quint32(config.limit_money);
    m_decode.carStation = config.dev_type == 1;
    return true;
}

bool PanelModel::setDecodeKey(const QString& keyText, int sector)
{
    SectorKey key;
    if (!isValidKeyText(keyText) || !keyFromHex(keyText, key) || sector < 0 || sector >= SectorCount)
        return false;
    m_decode.key = key;
    m_decode.sector = sector;
    return true;
}

PanelCard PanelModel::card(quint32 id) const
{
    PanelCard card;
    card.id = id;
    card.onReader = VR::cardOnReader() == id;

    const int first = m_decode.sector * 4;
    if (sectorOpensWith(id, m_decode.sector, m_decode.key)) {
        const CardImageCheck check
            = checkCardImage(VR::block(id, first + 2), VR::block(id, first + 1), id, m_decode.limitMoney);
        if (check.outcome != CardImageCheck::Invalid) {
            card.kind = PanelCard::User;
            card.imageOutcome = check.outcome;
            card.fromBackup = check.source == CardImageCheck::Block1;
            card.balance = check.image.balance;
            card.binding = readBinding(VR::block(id, first));
            return card;
        }
    }
    const quint8 type = SimCardInfo::specialType(id);
    if (!SimCardInfo::specialTypeName(type).isEmpty()) {
        card.kind = PanelCard::Special;
        card.specialType = type;
        return card;
    }
    if (sectorOpensWith(id, m_decode.sector, BuiltinKeys::SpareCard))
        card.kind = PanelCard::Spare;
    else
        card.kind = allSectorsBlank(id) ? PanelCard::Blank : PanelCard::Unreadable;
    return card;
}

QList<PanelCard> PanelModel::cards() const
{
    QList<PanelCard> list;
    for (quint32 id : VR::cards())
        list << card(id);
    return list;
}

PanelReader PanelModel::reader() const
{
    PanelReader r;
    r.mode = VR::mode();
    r.serial = VR::serial();
    r.balance = VR::balance();
    r.firmwareVersion = VR::firmwareVersion();
    r.unplugged = VR::isUnplugged();
    r.chargeVersions = VR::usedChargeVersions();
    return r;
}

std::optional<quint32> PanelModel::cardOnReader() const
{
    return VR::cardOnReader();
}

QString PanelModel::idText(quint32 id)
{
    return cardIdText(id);
}

QString PanelModel::describe(const PanelCard& card) const
{
    QString text = idText(card.id) + QStringLiteral("  ");
    switch (card.kind) {
    case PanelCard::Blank:
        text += QStringLiteral("blank card");
        break;
    case PanelCard::Special:
        text += SimCardInfo::specialTypeName(card.specialType);
        break;
    case PanelCard::Spare:
        text += QStringLiteral("spare card (returned, ready to issue)");
        break;
    case PanelCard::Unreadable:
        text += QStringLiteral("unknown card (sector %1 does not decode)").arg(m_decode.sector);
        break;
    case PanelCard::User: {
        text += QStringLiteral("user card  %1").arg(moneyText(card.balance));
        if (card.binding.bound) {
            const quint32 post = m_decode.carStation ? card.binding.post : card.binding.post16;
            text += card.binding.port == 0
                ? QStringLiteral("  post %1, all ports").arg(post)
                : QStringLiteral("  post %1, port %2").arg(post).arg(card.binding.port);
        } else {
            text += QStringLiteral("  not bound");
        }
        if (card.imageOutcome == CardImageCheck::IdMismatch)
            text += QStringLiteral("  (copied from another card)");
        else if (card.imageOutcome == CardImageCheck::BalanceAboveLimit)
            text += QStringLiteral("  (above the limit)");
        if (card.fromBackup)
            text += QStringLiteral("  (backup block)");
        break;
    }
    }
    if (card.onReader)
        text += QStringLiteral("  [on the reader]");
    return text;
}

quint32 PanelModel::newBlankCard(bool place)
{
    const quint32 id = VR::addBlankCard();
    if (place)
        VR::placeCard(id);
    return id;
}

bool PanelModel::toggleOnReader(quint32 id)
{
    if (!VR::hasCard(id))
        return false;
    if (VR::cardOnReader() == id) {
        VR::removeCard();
        return true;
    }
    return VR::placeCard(id);
}

void PanelModel::takeAway()
{
    VR::removeCard();
}

bool PanelModel::deleteCard(quint32 id)
{
    return VR::deleteCard(id);
}

void PanelModel::setMode(quint8 mode)
{
    VR::setMode(mode);
}

void PanelModel::setSerial(quint16 serial)
{
    VR::setSerial(serial);
}

void PanelModel::setBalance(quint32 fen)
{
    VR::setBalance(fen);
}

void PanelModel::setUnplugged(bool unplugged)
{
    VR::setUnplugged(unplugged);
}

std::optional<quint32> PanelModel::fenFromText(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,8})(?:\\.(\\d{1,2}))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const quint64 yuan = match.captured(1).toULongLong();
    QString cents = match.captured(2);
    while (cents.size() < 2)
        cents += QLatin1Char('0');
    const quint64 fen = yuan * 100 + cents.toULongLong();
    if (fen > 0xFFFFFFFFull)
        return std::nullopt;
    return quint32(fen);
}

PanelModel::ChargeFileResult PanelModel::writeChargeFile(
    const QString& path, quint32 amountFen, quint16 version, std::optional<quint16> serial) const
{
    const QByteArray bytes = VR::makeChargeFile(amountFen, serial.value_or(VR::serial()), version);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return ChargeFileResult::NotWritten;
    return ChargeFileResult::Written;
}

bool FileWatch::changed()
{
    Stamp now;
    struct stat info;
    if (::stat(QFile::encodeName(m_path).constData(), &info) == 0) {
        now.mtimeNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        now.size = info.st_size;
        now.inode = info.st_ino;
    } else {
        now.mtimeNs = -1;
    }
    if (now == m_seen)
        return false;
    m_seen = now;
    return true;
}
