#include "ReaderTopUp.h"

#include "AuditTrail.h"
#include "CardCrypto.h"
#include "CardReader.h"
#include "Database.h"

#include <QDebug>
#include <QFile>

ReaderTopUp::ReaderTopUp(CardReader* reader, const LoginSession& session)
    : m_reader(reader)
    , m_session(session)
{
}

// An answer lost after the reader took the file would report a top-up that
// went through as refused, with no devch row for money the reader now holds:
// the balance before and after tells. The balance is asked more than once, as
// the fault that lost the answer may last a frame or two.
ReaderTopUp::Outcome ReaderTopUp::judge(const ReaderRemain& before, quint32 amount)
{
    for (int attempt = 0; attempt < BalanceReadAttempts; ++attempt) {
        ReaderRemain after;
        if (m_reader->readDevRemain(after) == ReaderResult::Ok)
            return amount > 0 && quint64(before.balance()) + amount == after.balance()
                ? Outcome::Done
                : Outcome::ReaderRefused;
    }
    return Outcome::ReaderUncertain;
}

ReaderTopUp::Result ReaderTopUp::run(const QString& path, const QDateTime& now)
{
    const Result result = topUp(path, now);
    if (path.isEmpty()) // no file chosen: nothing was tried
        return result;
    const bool done = result.outcome == Outcome::Done || result.outcome == Outcome::DoneKeptLocally
        || result.outcome == Outcome::DoneNotRecorded;
    AuditTrail::record(AuditAction::ReaderTopUp, QStringLiteral("%1").arg(result.contents.serial, 5, 10, QLatin1Char('0')),
        AuditTrail::outcome(done, int(result.outcome)) + QLatin1Char(' ') + moneyText(result.contents.amount));
    return result;
}

ReaderTopUp::Result ReaderTopUp::topUp(const QString& path, const QDateTime& now)
{
    Result result;
    if (path.isEmpty())
        return result;
    qDebug() << path;
    QFile file(path);
    if (file.size() != ChargeFile::Size || !file.open(QIODevice::ReadOnly))
        return result;
    // Read one byte more than expected so a file that grew meanwhile is still refused.
    const QByteArray bytes = file.read(ChargeFile::Size + 1);
    file.close();
    if (!ChargeFile::parse(bytes, result.contents))
        return result;

    DevChRow row;
    row.money = result.contents.amount;
    row.sn = result.contents.serial;
    row.ver = result.contents.version;
    row.manager = m_session.managerName;
    row.date = now.toString(kRecordTimeFormat);
    LedgerWrite ledger;
    result.ledger = ledger.secure(LedgerEntry::make(row));
    if (result.ledger != LedgerSecure::Secured) {
        result.outcome = Outcome::LedgerUnavailable;
        return result;
    }

    m_reader->sendPreamble();
    // Without the balance before, a lost answer could not be judged: the file
    // is not sent.
    ReaderRemain before;
    result.code = m_reader->readDevRemain(before);
    if (result.code != ReaderResult::Ok) {
        result.outcome = Outcome::ReaderRefused;
        return result;
    }
    result.readerBefore = before.balance();
    qDebug() << "writeDevRemain";
    result.code = m_reader->writeDevRemain(bytes);
    if (result.code != 0) {
        result.outcome = judge(before, result.contents.amount);
        if (result.outcome != Outcome::Done)
            return result;
    }
    result.code = ReaderResult::Ok;

    switch (ledger.keep()) {
    case LedgerKept::Stored:
        result.outcome = Outcome::Done;
        break;
    case LedgerKept::KeptLocally:
        result.outcome = Outcome::DoneKeptLocally;
        break;
    case LedgerKept::Lost:
        result.outcome = Outcome::DoneNotRecorded;
        break;
    }
    return result;
}
