#include "CardReader.h"

#include "CardCrypto.h"
#include "ReaderFrame.h"

#include <cstring>

namespace {

enum Command : quint16 {
    CmdReadCardId = 0x5501,
    CmdReadBlock = 0x5502,
    CmdWriteBlock = 0x5503,
    CmdReadDevMem = 0x5601,
    CmdWriteDevMem = 0x5602,
    CmdReadDevData7 = 0x5701,
    CmdWriteDevData7 = 0x5702,
    CmdReadDevInfo = 0x5801,
    CmdWriteDevInfo = 0x5802,
    CmdReadDevCardParam = 0x5901,
    CmdWriteDevCardParam = 0x5902,
    CmdReadDevRemain = 0x5A01,
    CmdWriteDevRemain = 0x5A02,
    CmdDeductDevRemain = 0x5A04,
    CmdRefundDevRemain = 0x5A05,
    CmdPreamble = 0xAB01,
    CmdStartUpgrade = 0xAA01,
    CmdUpgradePacket = 0xAA02,
};

constexpr int BlockSize = 16;
constexpr int RecordSize = 16;
constexpr int KeySize = 6;
constexpr int CardIdSize = 4;
constexpr int Data7Size = 7;
constexpr int UpgradeDataMax = ReaderFrame::MaxPayload - 2;
constexpr int WriteVerifyAttempts = 3;
constexpr int BlocksPerSector = 4;
constexpr int TrailerBlock = 3;
constexpr int TrailerKeyAOffset = 0;
constexpr int TrailerKeyBOffset = 10;

// Response payload offsets: the status byte comes first.
constexpr int StatusOffset = 0;
constexpr int BodyOffset = 1;
constexpr int BlockDataOffset = BodyOffset + CardIdSize;
// readDevData7 answers with 16 bytes of which bytes 1 to 7 are the data.
constexpr int Data7Offset = BodyOffset + 1;

QByteArray fromBytes(const quint8* p, int n)
{
    return QByteArray(reinterpret_cast<const char*>(p), n);
}

} // namespace

CardReader::CardReader() = default;

CardReader::~CardReader() = default;

bool CardReader::openDevice()
{
    return m_link.open(VendorId, ProductId);
}

bool CardReader::isDeviceOpen() const
{
    return m_link.isOpen();
}

void CardReader::closeDevice()
{
    m_link.close();
}

int CardReader::sendFrame(quint16 command, const quint8* payload, int n)
{
    if (n < 0 || n > ReaderFrame::MaxPayload)
        return ReaderResult::Refused;
    if (!openDevice())
        return ReaderResult::NotOpened;
    const int result = sendFrameOpen(command, payload, n);
    closeDevice();
    return result;
}

int CardReader::recvFrame(quint8* destination, int n)
{
    if (n < 0 || n > ReaderFrame::MaxPayload)
        return ReaderResult::Refused;
    if (!openDevice())
        return ReaderResult::NotOpened;
    const int result = recvFrameOpen(destination, n);
    closeDevice();
    return result;
}

int CardReader::sendFrameOpen(quint16 command, const quint8* payload, int n)
{
    const QByteArray frame = ReaderFrame::build(command, payload, n);
    if (frame.isEmpty())
        return ReaderResult::Refused;
    return m_link.writeReport(bytesOf(frame), frame.size());
}

int CardReader::recvFrameOpen(quint8* destination, int n)
{
    if (n < 0 || n > ReaderFrame::MaxPayload)
        return ReaderResult::Refused;
    // The whole report is read, not just n + 8 bytes: the length field may
    // put the checksum anywhere in it.
    quint8 report[HidLink::InputReportSize] = {};
    const int result = m_link.readReport(report, HidLink::InputReportSize);
    if (result != ReaderResult::Ok)
        return result;
    return ReaderFrame::verify(report, destination, n);
}

int CardReader::recvStatus()
{
    quint8 status = 0;
    const int result = recvFrame(&status, 1);
    return result != ReaderResult::Ok ? result : status;
}

int CardReader::recvStatusOpen()
{
    quint8 status = 0;
    const int result = recvFrameOpen(&status, 1);
    return result != ReaderResult::Ok ? result : status;
}

int CardReader::exchange(quint16 command, const quint8* request, int n, quint8* response, int responseSize)
{
    // Both sizes are checked before anything is sent, so a request is never
    // sent whose answer could not be taken.
    if (n < 0 || n > ReaderFrame::MaxPayload || responseSize < 1 || responseSize > ReaderFrame::MaxPayload)
        return ReaderResult::Refused;
    int result = sendFrame(command, request, n);
    if (result != ReaderResult::Ok)
        return result;
    result = recvFrame(response, responseSize);
    if (result != ReaderResult::Ok)
        return result;
    return response[StatusOffset];
}

int CardReader::readCardId(quint32& id)
{
    quint8 response[BodyOffset + CardIdSize] = {};
    const int result = exchange(CmdReadCardId, nullptr, 0, response, sizeof response);
    if (result == ReaderResult::Ok)
        id = readLe32(response + BodyOffset);
    return result;
}

int CardReader::readBlocks(quint8 start, int count, const SectorKey& key, quint32& id, QByteArray& data)
{
    if (count <= 0) {
        data.clear();
        return ReaderResult::Ok;
    }
    QByteArray blocks(BlockSize * count, '\0');
    quint32 lastId = 0;
    for (int i = 0; i < count; ++i) {
        quint8 request[1 + KeySize];
        request[0] = quint8(start + i);
        std::memcpy(request + 1, key.data(), KeySize);
        quint8 response[BlockDataOffset + BlockSize] = {};
        const int result = exchange(CmdReadBlock, request, sizeof request, response, sizeof response);
        if (result != ReaderResult::Ok)
            return result;
        lastId = readLe32(response + BodyOffset);
        std::memcpy(blocks.data() + BlockSize * i, response + BlockDataOffset, BlockSize);
    }
    id = lastId;
    data = blocks;
    return ReaderResult::Ok;
}

int CardReader::writeBlocks(
    quint8 start, int count, const SectorKey& key, quint32& id, const QByteArray& data)
{
    if (count <= 0)
        return ReaderResult::Ok;
    if (data.size() < BlockSize * count)
        return ReaderResult::Refused;
    quint32 lastId = 0;
    for (int i = 0; i < count; ++i) {
        quint8 request[1 + KeySize + BlockSize];
        request[0] = quint8(start + i);
        std::memcpy(request + 1, key.data(), KeySize);
        std::memcpy(request + 1 + KeySize, data.constData() + BlockSize * i, BlockSize);
        quint8 response[BodyOffset + CardIdSize] = {};
        const int result = exchange(CmdWriteBlock, request, sizeof request, response, sizeof response);
        if (result != ReaderResult::Ok)
            return result;
        lastId = readLe32(response + BodyOffset);
    }
    id = lastId;
    return ReaderResult::Ok;
}

int CardReader::readDevMem(quint16 address, quint16 length, QByteArray& out)
{
    if (length > ReaderFrame::MaxPayload - BodyOffset)
        return ReaderResult::Refused;
    quint8 request[4];
    writeLe16(request, address);
    writeLe16(request + 2, length);
    quint8 response[ReaderFrame::MaxPayload] = {};
    const int result = exchange(CmdReadDevMem, request, sizeof request, response, BodyOffset + length);
    if (result == ReaderResult::Ok)
        out = fromBytes(response + BodyOffset, length);
    return result;
}

int CardReader::writeDevMem(quint16 address, const QByteArray& data)
{
    constexpr int HeaderSize = 4;
    if (data.size() > ReaderFrame::MaxPayload - HeaderSize)
        return ReaderResult::Refused;
    quint8 request[ReaderFrame::MaxPayload] = {};
    writeLe16(request, address);
    writeLe16(request + 2, quint16(data.size()));
    std::memcpy(request + HeaderSize, data.constData(), size_t(data.size()));
    quint8 status = 0;
    return exchange(CmdWriteDevMem, request, HeaderSize + data.size(), &status, 1);
}

int CardReader::readDevData7(QByteArray& out7)
{
    quint8 response[BodyOffset + RecordSize] = {};
    const int result = exchange(CmdReadDevData7, nullptr, 0, response, sizeof response);
    if (result == ReaderResult::Ok)
        out7 = fromBytes(response + Data7Offset, Data7Size);
    return result;
}

int CardReader::writeDevData7(const QByteArray& data7)
{
    return sendFixed(CmdWriteDevData7, data7, Data7Size);
}

int CardReader::readDevInfo(ReaderInfo& info)
{
    quint8 response[BodyOffset + RecordSize] = {};
    const int result = exchange(CmdReadDevInfo, nullptr, 0, response, sizeof response);
    if (result == ReaderResult::Ok)
        std::memcpy(info.bytes.data(), response + BodyOffset, RecordSize);
    return result;
}

int CardReader::writeDevInfo(const QByteArray& info16)
{
    return sendFixed(CmdWriteDevInfo, info16, RecordSize);
}

int CardReader::readDevCardParam(QByteArray& out16)
{
    quint8 response[BodyOffset + RecordSize] = {};
    const int result = exchange(CmdReadDevCardParam, nullptr, 0, response, sizeof response);
    if (result == ReaderResult::Ok)
        out16 = fromBytes(response + BodyOffset, RecordSize);
    return result;
}

int CardReader::writeDevCardParam(const QByteArray& param16)
{
    return sendFixed(CmdWriteDevCardParam, param16, RecordSize);
}

int CardReader::readDevRemain(ReaderRemain& remain)
{
    quint8 response[BodyOffset + RecordSize] = {};
    const int result = exchange(CmdReadDevRemain, nullptr, 0, response, sizeof response);
    if (result == ReaderResult::Ok)
        std::memcpy(remain.bytes.data(), response + BodyOffset, RecordSize);
    return result;
}

int CardReader::writeDevRemain(const QByteArray& record)
{
    quint8 status = 0;
    return exchange(CmdWriteDevRemain, bytesOf(record), record.size(), &status, 1);
}

int CardReader::deductDevRemain(const QByteArray& record16)
{
    return sendFixed(CmdDeductDevRemain, record16, RecordSize);
}

int CardReader::refundDevRemain(const QByteArray& record16)
{
    return sendFixed(CmdRefundDevRemain, record16, RecordSize);
}

int CardReader::sendPreamble()
{
    quint8 status = 0;
    return exchange(CmdPreamble, nullptr, 0, &status, 1);
}

int CardReader::startUpgrade(quint16 packetCount)
{
    quint8 request[2];
    writeLe16(request, packetCount);
    return sendFrame(CmdStartUpgrade, request, sizeof request);
}

int CardReader::sendUpgradePacket(quint16 index, const QByteArray& bytes)
{
    if (bytes.size() > UpgradeDataMax)
        return ReaderResult::Refused;
    quint8 request[ReaderFrame::MaxPayload] = {};
    writeLe16(request, index);
    std::memcpy(request + 2, bytes.constData(), size_t(bytes.size()));
    return sendFrameOpen(CmdUpgradePacket, request, 2 + bytes.size());
}

int CardReader::writeSectorVerified(
    quint8 sector, const SectorKey& key, const QByteArray& image16, quint32 expectedId, quint32* answeredId)
{
    if (image16.size() != BlockSize)
        return ReaderResult::Refused;
    // Block 2 is the main copy and goes first: block 1 keeps the previous
    // image until block 2 is known to hold the new one.
    for (const int block : { 2, 1 }) {
        const quint8 number = quint8(sector * BlocksPerSector + block);
        int failure = ReaderResult::Transfer;
        bool stuck = false;
        for (int attempt = 0; attempt < WriteVerifyAttempts && !stuck; ++attempt) {
            quint32 id = 0;
            const int written = writeBlocks(number, 1, key, id, image16);
            if (written == ReaderResult::Ok && expectedId != 0 && id != expectedId)
                return otherCard(id, answeredId);
            QByteArray readBack(BlockSize, '\0');
            const int read = readBlocks(number, 1, key, id, readBack);
            if (read == ReaderResult::Ok && expectedId != 0 && id != expectedId)
                return otherCard(id, answeredId);
            // A failed read leaves the buffer zeroed; that must not pass for
            // an image of zeros.
            stuck = read == ReaderResult::Ok && readBack == image16;
            if (written != ReaderResult::Ok)
                failure = written;
            else if (read != ReaderResult::Ok)
                failure = read;
            else
                failure = ReaderResult::Transfer;
        }
        if (!stuck)
            return failure;
    }
    return ReaderResult::Ok;
}

int CardReader::otherCard(quint32 id, quint32* answeredId)
{
    if (answeredId)
        *answeredId = id;
    return ReaderResult::OtherCard;
}

int CardReader::changeSectorKey(quint8 sector, const SectorKey& current, const SectorKey& next)
{
    const quint8 trailer = quint8(sector * BlocksPerSector + TrailerBlock);
    quint32 id = 0;
    QByteArray block;
    const int result = readBlocks(trailer, 1, current, id, block);
    if (result != ReaderResult::Ok)
        return result;
    // Bytes 6 to 9 are the access conditions and stay as they are.
    std::memcpy(block.data() + TrailerKeyAOffset, next.data(), KeySize);
    std::memcpy(block.data() + TrailerKeyBOffset, next.data(), KeySize);
    return writeBlocks(trailer, 1, current, id, block);
}

int CardReader::sendFixed(quint16 command, const QByteArray& payload, int size)
{
    if (payload.size() != size)
        return ReaderResult::Refused;
    quint8 status = 0;
    return exchange(command, bytesOf(payload), size, &status, 1);
}
