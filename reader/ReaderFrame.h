#pragma once

#include <QByteArray>
#include <QtGlobal>

// Request and response frames: BB AA, u16 length (payload + 8), u16 command,
// payload, u16 sum of all preceding bytes; little-endian, at most 64 bytes.
namespace ReaderFrame {
inline constexpr int MaxFrameSize = 64;
inline constexpr int Overhead = 8;
inline constexpr int MaxPayload = MaxFrameSize - Overhead;
inline constexpr int LengthOffset = 2;
inline constexpr int CommandOffset = 4;
inline constexpr int PayloadOffset = 6;
inline constexpr quint8 Header0 = 0xBB;
inline constexpr quint8 Header1 = 0xAA;

// The request frame of L = n + 8 bytes; empty when n is negative or exceeds
// MaxPayload, so an oversized payload is never truncated into a valid frame.
QByteArray build(quint16 command, const quint8* payload, int n);

// Verifies a received 64-byte report and copies n payload bytes from offset 6
// to the destination; the length field only locates the checksum, header and
// command are not compared. A checksum mismatch, or a length field outside
// 8..64 (the checksum would lie outside the report), zeroes the destination
// and returns 4081. n outside 0..MaxPayload is refused with -1 and the
// destination untouched: a payload that long cannot come with a checksum.
int verify(const quint8* report64, quint8* destination, int n);
} // namespace ReaderFrame
