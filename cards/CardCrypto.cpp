#include "CardCrypto.h"

#include <memory>
#include <openssl/evp.h>

namespace {

struct CrcTable
{
    quint32 entries[256];
    constexpr CrcTable()
        : entries()
    {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : (r << 1);
            entries[i] = r;
        }
    }
};

constexpr CrcTable kCrcTable;

void aesBlock(quint8* block16, const CipherKey& key, bool encrypt)
{
    // ECB on a single block with no padding is plain AES-128 (FIPS-197).
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(
        EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    Q_ASSERT(ctx);
    EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key.data(), nullptr, encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    quint8 out[32];
    int outLen = 0;
    EVP_CipherUpdate(ctx.get(), out, &outLen, block16, 16);
    Q_ASSERT(outLen == 16);
    std::copy(out, out + 16, block16);
}

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

quint32 cardCrc32(const quint8* bytes, int n)
{
    quint32 reg = 0xFFFFFFFFu;
    for (int i = 0; i < n; ++i) {
        reg ^= bytes[i];
        for (int k = 0; k < 4; ++k)
            reg = (reg << 8) ^ kCrcTable.entries[reg >> 24];
    }
    return reg;
}

quint32 cardCrc32(const QByteArray& bytes)
{
    return cardCrc32(bytesOf(bytes), bytes.size());
}

void encryptBlock(quint8* block16, const CipherKey& key)
{
    aesBlock(block16, key, true);
}

void decryptBlock(quint8* block16, const CipherKey& key)
{
    aesBlock(block16, key, false);
}

bool keyFromHex(const QString& text, SectorKey& key)
{
    if (text.isEmpty() || text.size() % 2 != 0 || text.size() > int(key.size()) * 2)
        return false;
    for (int i = 0; i < text.size(); i += 2) {
        const int hi = hexDigit(text.at(i));
        const int lo = hexDigit(text.at(i + 1));
        if (hi < 0 || lo < 0)
            return false;
        key[size_t(i / 2)] = quint8(hi * 16 + lo);
    }
    return true;
}

bool isValidKeyText(const QString& text)
{
    SectorKey key {};
    return text.size() == 12 && keyFromHex(text, key);
}

QString keyToHex(const SectorKey& key)
{
    QString text;
    for (quint8 b : key)
        text += QString::asprintf("%02X", b);
    return text;
}

quint32 cardNumber(quint32 idValue)
{
    return ((idValue & 0xFFu) << 24) | ((idValue & 0xFF00u) << 8) | ((idValue >> 8) & 0xFF00u)
        | (idValue >> 24);
}

QString cardIdText(quint32 idValue)
{
    return QStringLiteral("%1").arg(idValue, 8, 16, QLatin1Char('0')).toUpper();
}

QString moneyText(quint32 fen)
{
    return QString::asprintf("%u.%02u", fen / 100, fen % 100);
}

QString signedMoneyText(qint64 fen)
{
    const quint64 magnitude = fen < 0 ? quint64(0) - quint64(fen) : quint64(fen);
    return QString::asprintf("%s%llu.%02llu", fen < 0 ? "-" : "", magnitude / 100, magnitude % 100);
}
