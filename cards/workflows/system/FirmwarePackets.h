#pragma once

#include <QByteArray>
#include <QtGlobal>

// A firmware image cut into the reader's upgrade packets: 52 data bytes each,
// numbered from 0; the last 1 to 52 bytes go out with the index 0xFFFF. The
// reader is told the packet count up front in 16 bits.
class FirmwarePackets
{
public:
    static constexpr int PacketBytes = 52;
    static constexpr quint16 FinalIndex = 0xFFFF;
    static constexpr qint64 MaxPackets = 0xFFFF;
    static constexpr qint64 MaxImageBytes = MaxPackets * PacketBytes;

    // An image the reader can be told about: 1 byte to 52 × 65535 bytes.
    static bool sizeAcceptable(qint64 size) { return size > 0 && size <= MaxImageBytes; }
    // ceil(size / 52).
    static quint16 countFor(qint64 size) { return quint16((size + PacketBytes - 1) / PacketBytes); }

    explicit FirmwarePackets(QByteArray image);

    bool acceptable() const { return sizeAcceptable(m_image.size()); }
    int count() const { return countFor(m_image.size()); }
    const QByteArray& image() const { return m_image; }

    // Packet i of count(): its index on the wire and its data bytes.
    quint16 indexOf(int i) const { return i == count() - 1 ? FinalIndex : quint16(i); }
    QByteArray dataOf(int i) const { return m_image.mid(i * PacketBytes, PacketBytes); }
    // Image bytes covered once packets 0 .. i have been acknowledged.
    qint64 bytesThrough(int i) const { return qMin<qint64>(qint64(i + 1) * PacketBytes, m_image.size()); }

private:
    QByteArray m_image;
};
