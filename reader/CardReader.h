#pragma once

#include "BuiltinKeys.h"
#include "HidLink.h"
#include "ReaderRecords.h"

#include <QByteArray>

// The card reader/issuer. One method per reader command; each is
// self-contained (open, request, close, open, response, close) and returns
// ReaderResult codes or the reader's status byte. Output arguments are filled
// only when the result is 0. Not thread-safe: callers never interleave commands.
class CardReader
{
public:
    static constexpr quint16 VendorId = 0x0483;
    static constexpr quint16 ProductId = 0x5750;

    CardReader();
    ~CardReader();
    Q_DISABLE_COPY(CardReader)

    // Frame operations.
    bool openDevice();
    bool isDeviceOpen() const;
    void closeDevice();
    int sendFrame(quint16 command, const quint8* payload, int n);
    int recvFrame(quint8* destination, int n);
    int sendFrameOpen(quint16 command, const quint8* payload, int n);
    int recvFrameOpen(quint8* destination, int n);
    // One 1-byte-payload response: the status byte, or the receive's code.
    int recvStatus();
    int recvStatusOpen();

    // Card commands. Block numbers wrap at 255; data is 16 bytes per block.
    int readCardId(quint32& id);
    int readBlocks(quint8 start, int count, const SectorKey& key, quint32& id, QByteArray& data);
    int writeBlocks(quint8 start, int count, const SectorKey& key, quint32& id, const QByteArray& data);

    // Reader commands.
    int readDevMem(quint16 address, quint16 length, QByteArray& out);
    int writeDevMem(quint16 address, const QByteArray& data);
    int readDevData7(QByteArray& out7);
    int writeDevData7(const QByteArray& data7);
    int readDevInfo(ReaderInfo& info);
    int writeDevInfo(const QByteArray& info16);
    int readDevCardParam(QByteArray& out16);
    int writeDevCardParam(const QByteArray& param16);
    int readDevRemain(ReaderRemain& remain);
    int writeDevRemain(const QByteArray& record);
    int deductDevRemain(const QByteArray& record16);
    int refundDevRemain(const QByteArray& record16);
    int sendPreamble();

    // Firmware upgrade: startUpgrade frames one request (status via recvStatus);
    // sendUpgradePacket uses the handle left open by openDevice.
    int startUpgrade(quint16 packetCount);
    int sendUpgradePacket(quint16 index, const QByteArray& bytes);

    // Composite card operations.
    int writeSectorVerified(quint8 sector, const SectorKey& key, const QByteArray& image16);
    int changeSectorKey(quint8 sector, const SectorKey& current, const SectorKey& next);

private:
    HidLink m_link;
};
