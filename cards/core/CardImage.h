#pragma once

#include <QByteArray>
#include <QtGlobal>

// The user sector's value image. Blocks 2 (main) and 1 (backup) of the user
// sector each hold the same 16 bytes: the plain image below, AES-encrypted
// with the built-in card key.
struct CardImage
{
    static constexpr int Size = 16;
    static constexpr quint8 Flag = 1;

    quint32 balance = 0; // fen
    quint32 id = 0; // the card id the reader returned for this card
    quint16 random = 0;
    quint8 flag = Flag;
    quint8 reserved = 0;
    quint32 crc = 0; // cardCrc32 of bytes 0..11

    // The 16 plain bytes; crc is written as it stands.
    QByteArray toBytes() const;
    // Parses 16 plain bytes; false on any other size.
    static bool fromBytes(const QByteArray& plain16, CardImage& image);
    // True when crc is the checksum of the other fields' bytes.
    bool crcMatches() const;
};

// A fresh image (new random, flag 1, crc), encrypted: the 16 bytes written to
// blocks 2 and 1.
QByteArray makeCardImage(quint32 balance, quint32 id, quint8 reserved);

struct CardImageCheck
{
    enum Outcome {
        Accepted,
        Invalid, // neither copy decrypts to a matching crc
        IdMismatch, // the image belongs to another card: a copied card
        BalanceAboveLimit, // more money than limit_money allows
    };
    enum Source { None, Block2, Block1 };

    Outcome outcome = Invalid;
    // The copy the image came from; None only when the outcome is Invalid.
    Source source = None;
    // The plain image, set whenever a copy decoded (also on refusals).
    CardImage image;
};

// Decrypts the main copy (block 2), falling back to the backup (block 1) when
// its crc fails, then checks the card id and the balance limit.
CardImageCheck checkCardImage(
    const QByteArray& block2, const QByteArray& block1, quint32 id, quint32 limitMoney);
