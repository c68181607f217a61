#include "CardImage.h"

#include "CardCrypto.h"

#include <QRandomGenerator>

namespace {

constexpr int BalanceOffset = 0;
constexpr int IdOffset = 4;
constexpr int RandomOffset = 8;
constexpr int FlagOffset = 10;
constexpr int ReservedOffset = 11;
constexpr int CrcOffset = 12;

bool decodeCopy(const QByteArray& cipher16, CardImage& image)
{
    if (cipher16.size() != CardImage::Size)
        return false;
    QByteArray plain = cipher16;
    decryptBlock(bytesOf(plain), BuiltinKeys::Card);
    return CardImage::fromBytes(plain, image) && image.crcMatches();
}

} // namespace

QByteArray CardImage::toBytes() const
{
    QByteArray bytes(Size, '\0');
    auto* p = bytesOf(bytes);
    writeLe32(p + BalanceOffset, balance);
    writeLe32(p + IdOffset, id);
    writeLe16(p + RandomOffset, random);
    p[FlagOffset] = flag;
    p[ReservedOffset] = reserved;
    writeLe32(p + CrcOffset, crc);
    return bytes;
}

bool CardImage::fromBytes(const QByteArray& plain16, CardImage& image)
{
    if (plain16.size() != Size)
        return false;
    const auto* p = bytesOf(plain16);
    image.balance = readLe32(p + BalanceOffset);
    image.id = readLe32(p + IdOffset);
    image.random = readLe16(p + RandomOffset);
    image.flag = p[FlagOffset];
    image.reserved = p[ReservedOffset];
    image.crc = readLe32(p + CrcOffset);
    return true;
}

bool CardImage::crcMatches() const
{
    return crc == cardCrc32(bytesOf(toBytes()), CrcOffset);
}

QByteArray makeCardImage(quint32 balance, quint32 id, quint8 reserved)
{
    CardImage image;
    image.balance = balance;
    image.id = id;
    image.random = quint16(QRandomGenerator::global()->generate());
    image.flag = CardImage::Flag;
    image.reserved = reserved;
    QByteArray bytes = image.toBytes();
    auto* p = bytesOf(bytes);
    writeLe32(p + CrcOffset, cardCrc32(p, CrcOffset));
    encryptBlock(p, BuiltinKeys::Card);
    return bytes;
}

CardImageCheck checkCardImage(
    const QByteArray& block2, const QByteArray& block1, quint32 id, quint32 limitMoney)
{
    CardImageCheck check;
    if (decodeCopy(block2, check.image))
        check.source = CardImageCheck::Block2;
    else if (decodeCopy(block1, check.image))
        check.source = CardImageCheck::Block1;
    else {
        check.image = CardImage();
        check.outcome = CardImageCheck::Invalid;
        return check;
    }
    if (check.image.id != id)
        check.outcome = CardImageCheck::IdMismatch;
    else if (check.image.balance > limitMoney)
        check.outcome = CardImageCheck::BalanceAboveLimit;
    else
        check.outcome = CardImageCheck::Accepted;
    return check;
}
