#include "ReaderTopUp.h"

#include "CardReader.h"
#include "Database.h"
#include "RecordStore.h"

#include <QDebug>
#include <QFile>

ReaderTopUp::ReaderTopUp(CardReader* reader, const LoginSession& session)
    : m_reader(reader)
    , m_session(session)
{
}

ReaderTopUp::Result ReaderTopUp::run(const QString& path, const QDateTime& now)
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

    m_reader->sendPreamble();
    qDebug() << "writeDevRemain";
    result.code = m_reader->writeDevRemain(bytes);
    if (result.code != 0) {
        result.outcome = Outcome::ReaderRefused;
        return result;
    }

    DevChRow row;
    row.money = result.contents.amount;
    row.sn = result.contents.serial;
    row.ver = result.contents.version;
    row.manager = m_session.managerName;
    row.date = now.toString(kRecordTimeFormat);
    result.outcome = insertDevChRow(row) ? Outcome::Done : Outcome::DoneNotRecorded;
    return result;
}
