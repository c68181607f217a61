#include "ReaderRecords.h"

#include "CardCrypto.h"

#include <QRandomGenerator>

namespace {

constexpr int CheckCodeOffset = 3;
constexpr int CheckCodeSize = 6;
constexpr int RemainBalanceOffset = 0;
constexpr int RemainVersionOffset = 6;

constexpr int RecordSize = 16;
constexpr int RecordAmountOffset = 0;
constexpr int RefundSerialOffset = 4;
constexpr int RefundRandomOffset = 10;
constexpr int RecordCrcOffset = 12;

void sealRecord(quint8* record)
{
    writeLe32(record + RecordCrcOffset, cardCrc32(record, RecordCrcOffset));
}

} // namespace

QString ReaderInfo::checkCodeText() const
{
    QString text;
    for (int i = 0; i < CheckCodeSize; ++i)
        text += QString::asprintf("%02X", bytes[size_t(CheckCodeOffset + i)]);
    return text;
}

quint32 ReaderRemain::balance() const
{
    return readLe32(bytes.data() + RemainBalanceOffset);
}

quint16 ReaderRemain::version() const
{
    return readLe16(bytes.data() + RemainVersionOffset);
}

namespace ReaderRecords {

QByteArray deductRecord(quint32 amountFen)
{
    QByteArray record(RecordSize, '\0');
    auto* p = bytesOf(record);
    writeLe32(p + RecordAmountOffset, amountFen);
    sealRecord(p);
    return record;
}

QByteArray refundRecord(quint32 amountFen, quint16 readerSerial, quint16 random)
{
    QByteArray record(RecordSize, '\0');
    auto* p = bytesOf(record);
    writeLe32(p + RecordAmountOffset, amountFen);
    writeLe16(p + RefundSerialOffset, readerSerial);
    writeLe16(p + RefundRandomOffset, random);
    sealRecord(p);
    encryptBlock(p, BuiltinKeys::Card);
    return record;
}

QByteArray refundRecord(quint32 amountFen, quint16 readerSerial)
{
    return refundRecord(amountFen, readerSerial, quint16(QRandomGenerator::global()->generate()));
}

} // namespace ReaderRecords
