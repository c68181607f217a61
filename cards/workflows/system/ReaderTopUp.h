#pragma once

#include "ChargeFile.h"
#include "LedgerWrite.h"
#include "LoginSession.h"

#include <QDateTime>
#include <QString>

class CardReader;
struct ReaderRemain;

// Loads a charge file into the reader's own balance and records it in devch;
// the row is secured before the reader gets the file.
// The reader validates the file (serial, replay); the station only reads the
// amount, serial and version to show and record them.
class ReaderTopUp
{
public:
    enum class Outcome {
        FileError, // no file, unreadable, or not exactly 32 bytes; the reader was not contacted
        LedgerUnavailable, // the devch row could not be secured (ledger says why); the reader was not
                           // contacted
        ReaderRefused, // the balance before could not be read (code; the file was not
                       // sent), or writeDevRemain returned code and the reader balance
                       // did not grow by the amount; nothing recorded
        ReaderUncertain, // writeDevRemain failed and the balance could not be read back:
                         // the reader may hold the amount; nothing recorded
        Done, // accepted and recorded
        DoneKeptLocally, // accepted; the devch row waits in the outbox
        DoneNotRecorded // accepted by the reader, but neither the ledger nor the outbox took the row
    };
    struct Result
    {
        Outcome outcome = Outcome::FileError;
        int code = 0;
        ChargeFile::Contents contents;
        LedgerSecure ledger = LedgerSecure::Secured;
        quint32 readerBefore = 0; // fen, once read
    };

    ReaderTopUp(CardReader* reader, const LoginSession& session);

    Result run(const QString& path, const QDateTime& now = QDateTime::currentDateTime());

private:
    Result topUp(const QString& path, const QDateTime& now);
    static constexpr int BalanceReadAttempts = 3;
    // After a failed writeDevRemain: Done, ReaderRefused or ReaderUncertain.
    Outcome judge(const ReaderRemain& before, quint32 amount);

    CardReader* m_reader;
    LoginSession m_session;
};
