#pragma once

#include "BuiltinKeys.h"

#include <QByteArray>
#include <QString>
#include <array>

// CRC-32 as the cards and the reader compute it: polynomial 0x04C11DB7, MSB
// first, register starts at 0xFFFFFFFF, no reflection, no final XOR, each byte
// fed as one zero-extended 32-bit word.
quint32 cardCrc32(const quint8* bytes, int n);
quint32 cardCrc32(const QByteArray& bytes);

// AES-128 on one 16-byte block, in place.
void encryptBlock(quint8* block16, const CipherKey& key);
void decryptBlock(quint8* block16, const CipherKey& key);

// 12 hexadecimal digits (either case) to six key bytes. Fails on an empty
// text, an odd length or a pair that is not hexadecimal. keyFromHex accepts
// any even length up to the key size; isValidKeyText demands exactly 12.
bool keyFromHex(const QString& text, SectorKey& key);
bool isValidKeyText(const QString& text);
QString keyToHex(const SectorKey& key);

// The database's card number: the four id bytes as received, read big-endian.
quint32 cardNumber(quint32 idValue);
// The id value as eight upper-case hexadecimal digits: 0x00A1B2C3 -> "00A1B2C3".
QString cardIdText(quint32 idValue);

// Money in fen as "%d.%02d" yuan text: 1234 -> "12.34", 5 -> "0.05".
QString moneyText(quint32 fen);
// Sums and differences, which may pass 32 bits or fall below zero: "-12.34".
QString signedMoneyText(qint64 fen);

// Little-endian field helpers shared by every byte layout of the station.
inline quint16 readLe16(const quint8* p)
{
    return quint16(p[0] | (p[1] << 8));
}
inline quint32 readLe32(const quint8* p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}
inline void writeLe16(quint8* p, quint16 v)
{
    p[0] = quint8(v);
    p[1] = quint8(v >> 8);
}
inline void writeLe32(quint8* p, quint32 v)
{
    p[0] = quint8(v);
    p[1] = quint8(v >> 8);
    p[2] = quint8(v >> 16);
    p[3] = quint8(v >> 24);
}

// Byte views of a QByteArray for the field helpers above.
inline const quint8* bytesOf(const QByteArray& a)
{
    return reinterpret_cast<const quint8*>(a.constData());
}
inline quint8* bytesOf(QByteArray& a)
{
    return reinterpret_cast<quint8*>(a.data());
}

// Images are assembled in a fixed buffer: writing through QByteArray::data()
// defeats the compiler's bounds tracking.
template<size_t N>
QByteArray toBytes(const std::array<quint8, N>& buffer)
{
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), int(N));
}
