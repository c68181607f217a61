#include "CardIssue.h"

#include "AuditTrail.h"
#include "CardCrypto.h"
#include "CardImage.h"

#include <limits>

CardIssue::CardIssue(const UserCardStation& station)
    : m_station(station)
{
}

IssueResult CardIssue::issueOnReader(const CardOwner& owner)
{
    IssueResult result;
    if (owner.name.isEmpty()) {
        result.outcome = IssueResult::NameMissing;
        return result;
    }
    SectorKey key;
    if (!m_station.userKey(key)) {
        result.outcome = IssueResult::BadUserKey;
        return result;
    }
    quint32 id = 0;
    result.code = m_station.reader->readCardId(id);
    if (result.code != ReaderResult::Ok) {
        result.outcome = IssueResult::NoCard;
        return result;
    }
    return issueCard(id, owner);
}

IssueResult CardIssue::issueCard(quint32 id, const CardOwner& owner)
{
    const IssueResult result = writeCard(id, owner);
    AuditTrail::record(AuditAction::CardIssue, AuditTrail::cardSubject(cardNumber(result.id)),
        AuditTrail::outcome(result.outcome == IssueResult::Issued, result.outcome));
    return result;
}

IssueResult CardIssue::writeCard(quint32 id, const CardOwner& owner)
{
    IssueResult result;
    result.id = id;
    SectorKey userKey;
    if (!m_station.userKey(userKey)) {
        result.outcome = IssueResult::BadUserKey;
        return result;
    }
    // The holder is saved in the ledger's write transaction before the card
    // is touched, and committed once the card is issued.
    const UserRow row = ownerRow(id, owner);
    LedgerWrite ledger;
    result.ledger = ledger.secure(LedgerEntry::make(row), [&] {
        result.ownerSave = saveCardOwner(row);
        return result.ownerSave == OwnerSave::Inserted || result.ownerSave == OwnerSave::Updated;
    });
    if (result.ledger != LedgerSecure::Secured) {
        result.outcome = IssueResult::LedgerUnavailable;
        return result;
    }

    m_station.reader->sendPreamble();
    const QByteArray image = makeCardImage(0, id, 0);

    // A returned card carries the spare-card key, a blank one the transport key.
    bool issued = writeAndRekey(BuiltinKeys::SpareCard, userKey, image, id, result);
    if (result.keyUsed == IssueResult::NoKey)
        issued = writeAndRekey(BuiltinKeys::Transport, userKey, image, id, result);
    if (!issued) {
        result.outcome = IssueResult::Failed;
        return result;
    }
    result.outcome = IssueResult::Issued;
    result.code = ReaderResult::Ok;
    result.record = ledger.keep();
    return result;
}

// True when the card ends up with the image under the user key. keyUsed is set
// once the image was written with `from`, so a failed key change is not
// followed by a second attempt with the other key.
bool CardIssue::writeAndRekey(
    const SectorKey& from, const SectorKey& userKey, const QByteArray& image, quint32 id, IssueResult& result)
{
    CardReader& reader = *m_station.reader;
    if (from == userKey && holdsMoney(from))
        return false;
    result.code = reader.writeSectorVerified(m_station.sector(), from, image);
    if (result.code != ReaderResult::Ok)
        return false;
    result.keyUsed = from == BuiltinKeys::SpareCard ? IssueResult::SpareCardKey : IssueResult::TransportKey;
    result.code = reader.changeSectorKey(m_station.sector(), from, userKey);
    // The trailer write is not verified by the reader: its answer may be lost
    // after it went through, or it may answer success without sticking. The
    // card is issued when the fresh image reads back under the user key.
    quint32 readId = 0;
    QByteArray block2;
    const int code = reader.readBlocks(m_station.block(2), 1, userKey, readId, block2);
    const bool issued = code == ReaderResult::Ok && readId == id && block2 == image;
    if (!issued && result.code == ReaderResult::Ok)
        result.code = code != ReaderResult::Ok ? code : ReaderResult::Transfer;
    return issued;
}

// A user key equal to a built-in key also opens issued cards: a card whose
// image still carries money is not blanked, or the money would vanish
// unrecorded. Any card on the reader counts, not only the one with this id.
bool CardIssue::holdsMoney(const SectorKey& key)
{
    quint32 readId = 0;
    QByteArray blocks;
    if (m_station.reader->readBlocks(m_station.block(1), 2, key, readId, blocks) != ReaderResult::Ok)
        return false;
    const CardImageCheck check
        = checkCardImage(blocks.mid(16, 16), blocks.mid(0, 16), readId, std::numeric_limits<quint32>::max());
    return check.outcome == CardImageCheck::Accepted && check.image.balance > 0;
}

UserRow CardIssue::ownerRow(quint32 id, const CardOwner& owner) const
{
    UserRow row;
    row.cardnum = cardNumber(id);
    row.name = owner.name;
    row.addr = owner.addr;
    row.phone = owner.phone;
    row.carnum = owner.carnum;
    row.note = owner.note;
    row.date = UserCardStation::now();
    row.manager = m_station.session.managerName;
    row.sn = m_station.session.readerSerial;
    return row;
}
