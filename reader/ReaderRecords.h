#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

// Reader result codes shared by every frame operation and reader command.
// 1 to 254 are the reader's own status bytes, passed up unchanged.
namespace ReaderResult {
inline constexpr int Ok = 0;
inline constexpr int NotOpened = 255;
inline constexpr int Transfer = -1;
inline constexpr int Checksum = 4081;
// Requests the frame cannot carry (a payload above 56 bytes, an expected
// response above 56 bytes, a data argument of the wrong size) are refused
// with -1 before the device is opened: nothing whole can be transferred.
inline constexpr int Refused = Transfer;
// A composite card operation was answered by another card than the one it was for.
inline constexpr int OtherCard = -2;
} // namespace ReaderResult

// The 16-byte identity record of readDevInfo.
struct ReaderInfo
{
    std::array<quint8, 16> bytes {};

    enum Mode : quint8 { SaleMode = 0, ShareMode = 1 };

    quint8 mode() const { return bytes[0]; }
    bool isShareMode() const { return bytes[0] == ShareMode; }
    quint16 serial() const { return quint16(bytes[1] | (bytes[2] << 8)); }
    // The station's "sn" text: the serial as five zero-padded digits.
    QString serialText() const { return QString::asprintf("%05d", serial()); }
    // Check code as twelve upper-case hexadecimal digits in byte order.
    QString checkCodeText() const;
};

// The 16-byte balance record of readDevRemain.
struct ReaderRemain
{
    std::array<quint8, 16> bytes {};

    quint32 balance() const;
    quint16 version() const;
};

// Request payloads of deductDevRemain and refundDevRemain.
namespace ReaderRecords {
// Plain 16 bytes: amount (u32), zeros, cardCrc32 of bytes 0..11 at 12.
QByteArray deductRecord(quint32 amountFen);
// 16 bytes AES-encrypted with the card key: amount (u32), reader serial (u16),
// zeros, random (u16) at 10, cardCrc32 of bytes 0..11 at 12.
QByteArray refundRecord(quint32 amountFen, quint16 readerSerial, quint16 random);
// The same with a fresh random value of the process's generator.
QByteArray refundRecord(quint32 amountFen, quint16 readerSerial);
} // namespace ReaderRecords
