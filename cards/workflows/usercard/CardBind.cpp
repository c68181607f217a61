#include "CardBind.h"

#include "AuditTrail.h"
#include "BindBlock.h"
#include "CardCrypto.h"
#include "UserStore.h"

CardBind::CardBind(const UserCardStation& station)
    : m_station(station)
{
}

BindResult CardBind::bind(quint32 post, quint8 port)
{
    const BindResult result = writeBinding(post, port);
    const bool done = result.outcome == BindResult::Bound || result.outcome == BindResult::Unbound;
    AuditTrail::record(AuditAction::CardBind, AuditTrail::cardSubject(cardNumber(result.id)),
        AuditTrail::bindOutcome(done, result.outcome, post, port));
    return result;
}

BindResult CardBind::writeBinding(quint32 post, quint8 port)
{
    BindResult result;
    if (m_station.sector() == 0) {
        result.outcome = BindResult::SectorZero;
        return result;
    }
    SectorKey key;
    if (!m_station.userKey(key)) {
        result.outcome = BindResult::BadUserKey;
        return result;
    }
    CardReader& reader = *m_station.reader;
    reader.sendPreamble();
    QByteArray block;
    result.code = reader.readBlocks(m_station.block(0), 1, key, result.id, block);
    if (result.code != ReaderResult::Ok) {
        result.outcome = BindResult::ReadFailed;
        return result;
    }

    result.post = post;
    result.port = post == 0 ? 0 : port;

    // A registered card's binding is secured in the ledger before the block is
    // written; an unregistered card is bound on the card alone.
    LedgerWrite ledger;
    ledger.deliver();
    const UserLookup holder = findUserByCard(cardNumber(result.id));
    if (holder.status == LookupStatus::Failed) {
        result.ledger = LedgerSecure::DatabaseUnavailable;
    } else if (holder.found()) {
        const BindingRow binding { cardNumber(result.id), result.post, result.port };
        result.ledger = ledger.secure(LedgerEntry::make(binding),
            [&] { return setUserBinding(holder.row.id, binding.bindchid, binding.bindport); });
    }
    if (result.ledger != LedgerSecure::Secured) {
        result.outcome = BindResult::LedgerUnavailable;
        return result;
    }

    quint32 id = 0;
    const QByteArray bindBlock = makeBindBlock(post, result.port);
    result.code = reader.writeBlocks(m_station.block(0), 1, key, id, bindBlock);
    // Read back: a write may answer success without sticking.
    QByteArray written;
    if (result.code == ReaderResult::Ok)
        result.code = reader.readBlocks(m_station.block(0), 1, key, id, written);
    if (result.code == ReaderResult::Ok && written != bindBlock)
        result.code = ReaderResult::Transfer;
    // The write reaches whatever card lies on the reader: one laid on since
    // the read took this binding, not the card the row is for.
    if (result.code == ReaderResult::Ok && id != result.id)
        result.code = ReaderResult::OtherCard;
    if (result.code != ReaderResult::Ok) {
        result.outcome = BindResult::WriteFailed;
        return result;
    }

    if (!holder.found()) {
        result.outcome = BindResult::NotRegistered;
        return result;
    }
    result.record = ledger.keep();
    if (result.record == LedgerKept::Lost) {
        result.outcome = BindResult::StoreFailed;
        return result;
    }
    result.outcome = post == 0 ? BindResult::Unbound : BindResult::Bound;
    return result;
}
