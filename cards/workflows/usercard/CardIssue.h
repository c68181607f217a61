#pragma once

#include "LedgerWrite.h"
#include "UserCardStation.h"
#include "UserStore.h"

// The holder data typed into the issue form.
struct CardOwner
{
    QString name;
    QString addr;
    QString phone;
    QString carnum;
    QString note;
};

// Issuing a user card: balance 0, the user key on its sector, the holder saved.
struct IssueResult
{
    enum Outcome {
        Issued,
        NameMissing, // the button needs a name; continuous issue does not
        BadUserKey, // usr_key is not twelve hex digits; nothing was touched
        NoCard, // readCardId failed (code): there is no id to issue
        Failed, // neither the spare-card nor the transport key took the image,
                // or the key change failed (code), or the card holds money under
                // a user key equal to one of them
        LedgerUnavailable, // the holder could not be secured (ledger says why); the card was not touched
    };
    enum Key { NoKey, SpareCardKey, TransportKey };

    Outcome outcome = Failed;
    int code = 0;
    quint32 id = 0;
    Key keyUsed = NoKey; // the key the card carried before the issue
    OwnerSave ownerSave = OwnerSave::LookupFailed; // what the holder's save did in the ledger
    LedgerSecure ledger = LedgerSecure::Secured;
    LedgerKept record = LedgerKept::Lost; // Issued: where the holder went
};

class CardIssue
{
public:
    explicit CardIssue(const UserCardStation& station);
    // The issue button: the name is required and the card on the reader is issued.
    IssueResult issueOnReader(const CardOwner& owner);
    // Continuous issue: the card with this id, whatever the name.
    IssueResult issueCard(quint32 id, const CardOwner& owner);

private:
    IssueResult writeCard(quint32 id, const CardOwner& owner);
    bool writeAndRekey(const SectorKey& from, const SectorKey& userKey, const QByteArray& image, quint32 id,
        IssueResult& result);
    bool holdsMoney(const SectorKey& key);
    UserRow ownerRow(quint32 id, const CardOwner& owner) const;

    UserCardStation m_station;
};
