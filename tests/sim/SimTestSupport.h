#pragma once

#include "CardCrypto.h"
#include "SimStatus.h"
#include "VirtualReader.h"

#include <QByteArray>
#include <cstring>
#include <hidapi.h>

// Talks to the virtual reader through the hidapi functions with frames built
// here, independently of the production reader code.
namespace SimTest {

inline QByteArray frame(quint16 command, const QByteArray& payload)
{
    QByteArray f(64, '\0');
    auto* p = reinterpret_cast<quint8*>(f.data());
    p[0] = 0xBB;
    p[1] = 0xAA;
    writeLe16(p + 2, quint16(payload.size() + 8));
    writeLe16(p + 4, command);
    memcpy(p + 6, payload.constData(), size_t(payload.size()));
    quint16 sum = 0;
    for (int i = 0; i < 6 + payload.size(); ++i)
        sum = quint16(sum + p[i]);
    writeLe16(p + 6 + payload.size(), sum);
    return f;
}

// One output report on an open handle; hid_write's result.
inline int send(hid_device* dev, const QByteArray& frame64)
{
    QByteArray report(1, '\0');
    report += frame64;
    return hid_write(dev, reinterpret_cast<const unsigned char*>(report.constData()), size_t(report.size()));
}

// The 64-byte input report, empty when none came.
inline QByteArray receive(hid_device* dev)
{
    unsigned char report[65] = {};
    const int n = hid_read_timeout(dev, report, sizeof report, 500);
    return n == 64 ? QByteArray(reinterpret_cast<const char*>(report), 64) : QByteArray();
}

inline bool checksumOk(const QByteArray& response)
{
    const auto* p = reinterpret_cast<const quint8*>(response.constData());
    const int length = readLe16(p + 2);
    if (length < 8 || length > 64)
        return false;
    quint16 sum = 0;
    for (int i = 0; i < length - 2; ++i)
        sum = quint16(sum + p[i]);
    return sum == readLe16(p + length - 2);
}

// Request and response the way the station moves them: each with its own
// open and close. Returns the response payload (status first), empty when no
// response could be read.
inline QByteArray exchangeFrame(const QByteArray& frame64)
{
    hid_device* dev = hid_open_path(VirtualReader::DevicePath);
    if (!dev)
        return QByteArray();
    send(dev, frame64);
    hid_close(dev);
    dev = hid_open_path(VirtualReader::DevicePath);
    if (!dev)
        return QByteArray();
    const QByteArray response = receive(dev);
    hid_close(dev);
    if (response.isEmpty() || !checksumOk(response))
        return QByteArray();
    return response.mid(6, readLe16(reinterpret_cast<const quint8*>(response.constData()) + 2) - 8);
}

inline QByteArray exchange(quint16 command, const QByteArray& payload)
{
    return exchangeFrame(frame(command, payload));
}

inline QByteArray keyBytes(const SectorKey& key)
{
    return QByteArray(reinterpret_cast<const char*>(key.data()), int(key.size()));
}

// Status of reading a block; the 16 data bytes go to `data`.
inline int readBlock(int block, const SectorKey& key, QByteArray* data = nullptr)
{
    const QByteArray reply = exchange(SimCommand::ReadBlock, QByteArray(1, char(block)) + keyBytes(key));
    if (reply.size() != 21)
        return -1;
    if (data)
        *data = reply.mid(5, 16);
    return quint8(reply[0]);
}

inline int writeBlock(int block, const SectorKey& key, const QByteArray& data16)
{
    const QByteArray reply
        = exchange(SimCommand::WriteBlock, QByteArray(1, char(block)) + keyBytes(key) + data16);
    return reply.size() == 5 ? quint8(reply[0]) : -1;
}

// Access bits for the conditions (C1 C2 C3 as a 3-bit number) of blocks 0..3,
// plus the user byte.
inline QByteArray accessBits(int data0, int data1, int data2, int trailer, quint8 userByte = 0x69)
{
    const int conditions[4] = { data0, data1, data2, trailer };
    int c1 = 0, c2 = 0, c3 = 0;
    for (int b = 0; b < 4; ++b) {
        c1 |= ((conditions[b] >> 2) & 1) << b;
        c2 |= ((conditions[b] >> 1) & 1) << b;
        c3 |= (conditions[b] & 1) << b;
    }
    QByteArray bits(4, '\0');
    bits[0] = char(((~c2 & 0xF) << 4) | (~c1 & 0xF));
    bits[1] = char((c1 << 4) | (~c3 & 0xF));
    bits[2] = char((c3 << 4) | c2);
    bits[3] = char(userByte);
    return bits;
}

inline QByteArray trailer(const SectorKey& keyA, const QByteArray& access, const SectorKey& keyB)
{
    return keyBytes(keyA) + access + keyBytes(keyB);
}

} // namespace SimTest
