#include "ReaderFrame.h"

#include "CardCrypto.h"
#include "ReaderRecords.h"

#include <cstring>

namespace {

quint16 frameSum(const quint8* bytes, int n)
{
    quint16 sum = 0;
    for (int i = 0; i < n; ++i)
        sum = quint16(sum + bytes[i]);
    return sum;
}

} // namespace

namespace ReaderFrame {

QByteArray build(quint16 command, const quint8* payload, int n)
{
    if (n < 0 || n > MaxPayload)
        return QByteArray();
    const int length = n + Overhead;
    QByteArray frame(length, '\0');
    auto* p = bytesOf(frame);
    p[0] = Header0;
    p[1] = Header1;
    writeLe16(p + LengthOffset, quint16(length));
    writeLe16(p + CommandOffset, command);
    if (n > 0)
        std::memcpy(p + PayloadOffset, payload, size_t(n));
    writeLe16(p + PayloadOffset + n, frameSum(p, PayloadOffset + n));
    return frame;
}

int verify(const quint8* report64, quint8* destination, int n)
{
    if (n < 0 || n > MaxPayload)
        return ReaderResult::Transfer;
    const int length = readLe16(report64 + LengthOffset);
    const bool intact = length >= Overhead && length <= MaxFrameSize
        && readLe16(report64 + length - 2) == frameSum(report64, length - 2);
    if (!intact) {
        if (n > 0)
            std::memset(destination, 0, size_t(n));
        return ReaderResult::Checksum;
    }
    if (n > 0)
        std::memcpy(destination, report64 + PayloadOffset, size_t(n));
    return ReaderResult::Ok;
}

} // namespace ReaderFrame
