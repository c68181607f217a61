#pragma once

#include <QByteArray>
#include <QtGlobal>

// Request and response frames: BB AA, u16 length (payload + 8), u16 command,
// payload, u16 sum of all preceding bytes; little-endian, at most 64 bytes.
namespace ReaderFrame {
inline constexpr int MaxFrameSize = 64;
inline constexpr int Overhead = 8;
inline constexpr int MaxPayload = MaxFrameSize - Overhead;
inline constexpr int PayloadOffset = 6;

// The request frame of L = n + 8 bytes; empty when n exceeds MaxPayload.
QByteArray build(quint16 command, const quint8* payload, int n);

// Verifies a received 64-byte report and copies n payload bytes from offset 6
// to the destination. A checksum mismatch, or a length field outside 8..64,
// zeroes the destination and returns 4081.
int verify(const quint8* report64, quint8* destination, int n);
} // namespace ReaderFrame
