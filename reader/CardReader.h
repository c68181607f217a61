#pragma once

#include "BuiltinKeys.h"
#include "HidLink.h"
#include "ReaderRecords.h"

#include <QByteArray>

// The card reader/issuer. One method per reader command; each is
// self-contained (open, request, close, open, response, close) and returns
// ReaderResult codes or the reader's status byte. Output arguments are filled
// only when the result is 0. Requests the frame cannot carry, and data
// arguments of the wrong size, are refused with ReaderResult::Refused (-1)
// before the device is opened. Not thread-safe: callers never interleave
// commands.
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
    // readBlocks and writeBlocks move one block per frame pair and stop at the
    // first failure; id and data are set only when every block succeeded.
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
    // Writes the image to block 2, then block 1, each up to three times until
    // it reads back equal; block 1 is not touched when block 2 never holds.
    // 0 on success; otherwise the last failed write or read code, or -1 when
    // the commands succeeded but the block read back differently. With an
    // expectedId, a write or read answered by another card (one laid on the
    // reader meanwhile, which the write reached) stops with OtherCard and that
    // card's id in answeredId.
    int writeSectorVerified(quint8 sector, const SectorKey& key, const QByteArray& image16,
        quint32 expectedId = 0, quint32* answeredId = nullptr);
    // Puts the new key into key A and key B of the trailer, keeping its
    // access bits; a failed trailer read returns its code with nothing written.
    int changeSectorKey(quint8 sector, const SectorKey& current, const SectorKey& next);

private:
    // One request and its answer; the answer's status byte, or the first
    // non-zero frame code.
    int exchange(quint16 command, const quint8* request, int n, quint8* response, int responseSize);
    // A request of exactly size bytes answered by a status byte.
    int sendFixed(quint16 command, const QByteArray& payload, int size);
    static int otherCard(quint32 id, quint32* answeredId);

    HidLink m_link;
};
