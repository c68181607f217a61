#include "BlacklistCard.h"

#include "CardCrypto.h"

namespace BlacklistCard {

namespace {
constexpr int HeaderBytes = 16;
constexpr int OffsetMagic = 0;
constexpr int OffsetTotal = 4;
constexpr int OffsetType = 7;
constexpr int OffsetIndex = 8;
constexpr int OffsetCount = 10;
} // namespace

QByteArray buildHeader(const Header& header)
{
    QByteArray block(HeaderBytes, '\0');
    quint8* p = bytesOf(block);
    writeLe32(p + OffsetMagic, Magic);
    writeLe16(p + OffsetTotal, header.total);
    p[OffsetType] = CardType;
    writeLe16(p + OffsetIndex, header.index);
    writeLe16(p + OffsetCount, header.count);
    return block;
}

bool parseHeader(const QByteArray& block16, Header& header)
{
    if (block16.size() != HeaderBytes)
        return false;
    const quint8* p = bytesOf(block16);
    if (readLe32(p + OffsetMagic) != Magic || p[OffsetType] != CardType)
        return false;
    header.total = readLe16(p + OffsetTotal);
    header.index = readLe16(p + OffsetIndex);
    header.count = readLe16(p + OffsetCount);
    return true;
}

QByteArray buildSectorData(const quint32* numbers, int count)
{
    Q_ASSERT(count >= 0 && count <= NumbersPerSector);
    QByteArray data(SectorDataBytes, '\0');
    quint8* p = bytesOf(data);
    for (int i = 0; i < count; ++i) {
        const quint32 n = numbers[i];
        quint8* q = p + i * NumberBytes;
        q[0] = quint8(n >> 24);
        q[1] = quint8(n >> 16);
        q[2] = quint8(n >> 8);
        q[3] = quint8(n);
    }
    return data;
}

QVector<quint32> parseSectorData(const QByteArray& data48, int count)
{
    QVector<quint32> numbers;
    const int fit = qMin(count, data48.size() / NumberBytes);
    const quint8* p = bytesOf(data48);
    for (int i = 0; i < fit; ++i) {
        const quint8* q = p + i * NumberBytes;
        numbers.append((quint32(q[0]) << 24) | (quint32(q[1]) << 16) | (quint32(q[2]) << 8) | quint32(q[3]));
    }
    return numbers;
}

QVector<CardSlice> splitIntoCards(int total)
{
    QVector<CardSlice> cards;
    if (total <= 0) {
        cards.append(CardSlice {});
        return cards;
    }
    for (int index = 0; index < total; index += NumbersPerCard)
        cards.append(CardSlice { index, qMin(NumbersPerCard, total - index) });
    return cards;
}

bool parseRow(const QString& text, quint32& number)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return false;
    quint64 value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + quint64(c.unicode() - '0');
        if (value > 0xFFFFFFFFull)
            return false;
    }
    number = quint32(value);
    return true;
}

int parseRows(const QStringList& rows, QVector<quint32>& numbers)
{
    numbers.clear();
    numbers.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        quint32 n = 0;
        if (!parseRow(rows.at(i), n))
            return i + 1;
        numbers.append(n);
    }
    return 0;
}

} // namespace BlacklistCard
