#pragma once

#include "ChargeFile.h"
#include "LoginSession.h"

#include <QDateTime>
#include <QString>

class CardReader;
struct ReaderRemain;

// Loads a charge file into the reader's own balance and records it in devch.
// The reader validates the file (serial, replay); the station only reads the
// amount, serial and version to show and record them.
class ReaderTopUp
{
public:
    enum class Outcome {
        FileError, // no file, unreadable, or not exactly 32 bytes; the reader was not contacted
        ReaderRefused, // writeDevRemain returned code and the reader balance did not
                       // grow by the amount; nothing recorded
        Done, // accepted and recorded
        DoneNotRecorded // accepted by the reader, but the devch row could not be written
    };
    struct Result
    {
        Outcome outcome = Outcome::FileError;
        int code = 0;
        ChargeFile::Contents contents;
    };

    ReaderTopUp(CardReader* reader, const LoginSession& session);

    Result run(const QString& path, const QDateTime& now = QDateTime::currentDateTime());

private:
    bool booked(const ReaderRemain& before, quint32 amount);

    CardReader* m_reader;
    LoginSession m_session;
};
