#include "SimDevice.h"

#include "CardCrypto.h"
#include "ChargeFile.h"
#include "SimCardModel.h"
#include "SimStatus.h"

#include <cstring>
#include <optional>

namespace SimDevice {

namespace {

using VirtualReader::Fault;

constexpr quint8 Header0 = 0xBB;
constexpr quint8 Header1 = 0xAA;
constexpr int MaxPayload = FrameSize - FrameOverhead;
constexpr int RecordSize = 16;
constexpr int RecordCrcOffset = 12;
constexpr int RefundSerialOffset = 4;
constexpr quint16 FinalPacket = 0xFFFF;
constexpr int RemainVersionOffset = 6;

struct Reply
{
    quint8 status = SimStatus::Ok;
    QByteArray data; // payload after the status byte
};

// Payload length of the answer to a command, status byte included; failures
// answer at the same length so the station's fixed-length copy sees zeros.
int replySize(quint16 command, const QByteArray& request)
{
    switch (command) {
    case SimCommand::ReadCardId:
    case SimCommand::WriteBlock:
        return 5;
    case SimCommand::ReadBlock:
        return 21;
    case SimCommand::ReadDevData7:
    case SimCommand::ReadDevInfo:
    case SimCommand::ReadDevCardParam:
    case SimCommand::ReadDevRemain:
        return 17;
    case SimCommand::ReadDevMem:
        if (request.size() == 4 && readLe16(bytesOf(request) + 2) < MaxPayload)
            return 1 + readLe16(bytesOf(request) + 2);
        return 1;
    default:
        return 1;
    }
}

QByteArray replyPayload(quint16 command, const QByteArray& request, const Reply& reply)
{
    QByteArray payload(replySize(command, request), '\0');
    payload[0] = char(reply.status);
    if (reply.status == SimStatus::Ok)
        memcpy(
            payload.data() + 1, reply.data.constData(), size_t(qMin(reply.data.size(), payload.size() - 1)));
    return payload;
}

bool recordCrcMatches(const quint8* record)
{
    return cardCrc32(record, RecordCrcOffset) == readLe32(record + RecordCrcOffset);
}

bool addToBalance(SimState& s, quint32 amount)
{
    if (amount > 0xFFFFFFFFu - s.balance)
        return false;
    s.balance += amount;
    return true;
}

Reply fail(quint8 status)
{
    return Reply { status, {} };
}

Reply cardBlock(SimState& s, quint16 command, const QByteArray& request, bool lostWrite)
{
    SimCard* card = s.presentCard();
    if (!card)
        return fail(SimStatus::NoCard);
    const quint8* p = bytesOf(request);
    const int block = p[0];
    SectorKey key;
    memcpy(key.data(), p + 1, key.size());
    Reply reply;
    reply.data = card->uid;
    if (command == SimCommand::ReadBlock) {
        quint8 out[VirtualReader::BlockSize];
        reply.status = SimCardModel::readBlock(card->blocks, block, key, out);
        reply.data += QByteArray(reinterpret_cast<const char*>(out), VirtualReader::BlockSize);
    } else {
        reply.status = SimCardModel::writeBlock(card->blocks, block, key, p + 7, !lostWrite);
    }
    return reply;
}

Reply chargeFile(SimState& s, const QByteArray& request)
{
    ChargeFile::Contents contents;
    if (!ChargeFile::parse(request, contents))
        return fail(SimStatus::BadCommand);
    if (contents.serial != s.serial)
        return fail(SimStatus::OtherReader);
    if (s.usedChargeVersions.contains(contents.version))
        return fail(SimStatus::ChargeFileUsed);
    if (!addToBalance(s, contents.amount))
        return fail(SimStatus::BadRecord);
    s.usedChargeVersions.append(contents.version);
    return Reply {};
}

Reply deduct(SimState& s, const QByteArray& request)
{
    const quint8* record = bytesOf(request);
    if (!recordCrcMatches(record))
        return fail(SimStatus::BadRecord);
    const quint32 amount = readLe32(record);
    if (amount > s.balance)
        return fail(SimStatus::BalanceLow);
    s.balance -= amount;
    return Reply {};
}

Reply refund(SimState& s, const QByteArray& request)
{
    quint8 record[RecordSize];
    memcpy(record, request.constData(), RecordSize);
    decryptBlock(record, BuiltinKeys::Card);
    if (!recordCrcMatches(record))
        return fail(SimStatus::BadRecord);
    if (readLe16(record + RefundSerialOffset) != s.serial)
        return fail(SimStatus::OtherReader);
    if (!addToBalance(s, readLe32(record)))
        return fail(SimStatus::BadRecord);
    return Reply {};
}

void restartUpgrade(SimState& s)
{
    s.firmware.clear();
    s.nextPacket = 0;
    s.firmwareComplete = false;
}

Reply upgradePacket(SimState& s, const QByteArray& request)
{
    if (!s.upgrading)
        return fail(SimStatus::NotUpgrading);
    const quint16 index = readLe16(bytesOf(request));
    const QByteArray data = request.mid(2);
    if (index == FinalPacket) {
        s.firmware += data;
        s.upgrading = false;
        // The loader installs the image only when as many packets came as announced.
        s.firmwareComplete = quint32(s.nextPacket) + 1 == s.announcedPackets;
        if (s.firmwareComplete)
            ++s.firmwareVersion;
        return Reply {};
    }
    if (index != s.nextPacket) {
        restartUpgrade(s);
        return fail(SimStatus::UpgradeRestart);
    }
    s.firmware += data;
    ++s.nextPacket;
    return Reply {};
}

} // namespace

QByteArray infoRecord(const SimState& s)
{
    QByteArray info(RecordSize, '\0');
    auto* p = bytesOf(info);
    p[0] = s.mode;
    writeLe16(p + 1, s.serial);
    memcpy(p + 3, s.checkCode.constData(), 6);
    memcpy(p + 9, s.infoExtra.constData(), 7);
    return info;
}

namespace {

// Request payload lengths; -1 where the length varies and the handler checks it.
int requestSize(quint16 command)
{
    switch (command) {
    case SimCommand::ReadCardId:
    case SimCommand::ReadDevData7:
    case SimCommand::ReadDevInfo:
    case SimCommand::ReadDevCardParam:
    case SimCommand::ReadDevRemain:
    case SimCommand::SendPreamble:
        return 0;
    case SimCommand::ReadBlock:
        return 7;
    case SimCommand::WriteBlock:
        return 23;
    case SimCommand::ReadDevMem:
        return 4;
    case SimCommand::WriteDevData7:
        return 7;
    case SimCommand::WriteDevInfo:
    case SimCommand::WriteDevCardParam:
    case SimCommand::DeductDevRemain:
    case SimCommand::RefundDevRemain:
        return RecordSize;
    case SimCommand::WriteDevRemain:
        return ChargeFile::Size;
    case SimCommand::StartUpgrade:
        return 2;
    case SimCommand::WriteDevMem:
    case SimCommand::UpgradePacket:
        return -1;
    default:
        return -2;
    }
}

Reply execute(SimState& s, quint16 command, const QByteArray& request, bool lostWrite)
{
    const int expected = requestSize(command);
    if (expected == -2 || (expected >= 0 && request.size() != expected))
        return fail(SimStatus::BadCommand);
    const quint8* p = bytesOf(request);

    switch (command) {
    case SimCommand::ReadCardId: {
        const SimCard* card = s.presentCard();
        return card ? Reply { SimStatus::Ok, card->uid } : fail(SimStatus::NoCard);
    }
    case SimCommand::ReadBlock:
    case SimCommand::WriteBlock:
        return cardBlock(s, command, request, lostWrite);
    case SimCommand::ReadDevMem: {
        const int address = readLe16(p);
        const int length = readLe16(p + 2);
        if (length >= MaxPayload)
            return fail(SimStatus::BadCommand);
        if (address + length > s.memory.size())
            return fail(SimStatus::BadAddress);
        return Reply { SimStatus::Ok, s.memory.mid(address, length) };
    }
    case SimCommand::WriteDevMem: {
        if (request.size() < 4 || request.size() != 4 + readLe16(p + 2))
            return fail(SimStatus::BadCommand);
        const int address = readLe16(p);
        const int length = readLe16(p + 2);
        if (address + length > s.memory.size())
            return fail(SimStatus::BadAddress);
        s.memory.replace(address, length, request.mid(4));
        return Reply {};
    }
    case SimCommand::ReadDevData7:
        // The 7 bytes sit at 1..7 of the 16-byte record.
        return Reply { SimStatus::Ok, QByteArray(1, '\0') + s.data7 };
    case SimCommand::WriteDevData7:
        s.data7 = request;
        return Reply {};
    case SimCommand::ReadDevInfo:
        return Reply { SimStatus::Ok, infoRecord(s) };
    case SimCommand::WriteDevInfo:
        s.mode = p[0];
        s.serial = readLe16(p + 1);
        s.checkCode = request.mid(3, 6);
        s.infoExtra = request.mid(9, 7);
        return Reply {};
    case SimCommand::ReadDevCardParam:
        return Reply { SimStatus::Ok, s.cardParam };
    case SimCommand::WriteDevCardParam:
        s.cardParam = request;
        return Reply {};
    case SimCommand::ReadDevRemain: {
        QByteArray remain(RecordSize, '\0');
        writeLe32(bytesOf(remain), s.balance);
        writeLe16(bytesOf(remain) + RemainVersionOffset, s.firmwareVersion);
        return Reply { SimStatus::Ok, remain };
    }
    case SimCommand::WriteDevRemain:
        return chargeFile(s, request);
    case SimCommand::DeductDevRemain:
        return deduct(s, request);
    case SimCommand::RefundDevRemain:
        return refund(s, request);
    case SimCommand::SendPreamble:
        return Reply {};
    case SimCommand::StartUpgrade:
        s.upgrading = true;
        s.announcedPackets = readLe16(p);
        restartUpgrade(s);
        // The loader takes over once the answer has gone out: it drops off the bus.
        s.reenumerateAfterRead = true;
        return Reply {};
    case SimCommand::UpgradePacket:
        if (request.size() < 3)
            return fail(SimStatus::BadCommand);
        return upgradePacket(s, request);
    default:
        return fail(SimStatus::BadCommand);
    }
}

// Counts a frame against a fault; true when the fault hits this frame. Spent
// faults are dropped by the caller.
bool hits(Fault& fault, quint16 command, int block)
{
    if (fault.command >= 0 && fault.command != command)
        return false;
    if (fault.kind == Fault::LostWrite
        && (command != SimCommand::WriteBlock || (fault.block >= 0 && fault.block != block)))
        return false;
    if (fault.afterFrames > 0) {
        --fault.afterFrames;
        return false;
    }
    if (fault.times > 0)
        --fault.times;
    return true;
}

bool verifyFrame(const QByteArray& frame)
{
    const quint8* p = bytesOf(frame);
    if (p[0] != Header0 || p[1] != Header1)
        return false;
    const int length = readLe16(p + 2);
    if (length < FrameOverhead || length > FrameSize)
        return false;
    quint16 sum = 0;
    for (int i = 0; i < length - 2; ++i)
        sum = quint16(sum + p[i]);
    return sum == readLe16(p + length - 2);
}

} // namespace

void reenumerate(SimState& s)
{
    s.reenumerateAfterRead = false;
    s.refuseOpens = s.upgradeOpenRefusals;
    ++s.generation;
}

QByteArray buildFrame(quint16 command, const QByteArray& payload)
{
    QByteArray frame(FrameSize, '\0');
    auto* p = bytesOf(frame);
    const int n = qMin(int(payload.size()), MaxPayload);
    p[0] = Header0;
    p[1] = Header1;
    writeLe16(p + 2, quint16(n + FrameOverhead));
    writeLe16(p + 4, command);
    memcpy(p + PayloadOffset, payload.constData(), size_t(n));
    quint16 sum = 0;
    for (int i = 0; i < PayloadOffset + n; ++i)
        sum = quint16(sum + p[i]);
    writeLe16(p + PayloadOffset + n, sum);
    return frame;
}

WriteOutcome receiveFrame(SimState& s, const QByteArray& frame64)
{
    const quint8* p = bytesOf(frame64);
    const quint16 command = readLe16(p + 4);
    const bool valid = verifyFrame(frame64);
    const QByteArray request
        = valid ? frame64.mid(PayloadOffset, readLe16(p + 2) - FrameOverhead) : QByteArray();
    const bool blockCommand = command == SimCommand::ReadBlock || command == SimCommand::WriteBlock;
    const int block = valid && blockCommand && !request.isEmpty() ? p[PayloadOffset] : -1;

    bool unplug = false, removeCard = false, forced = false, lostWrite = false, noAnswer = false,
         corrupt = false;
    std::optional<quint32> swapIn;
    quint8 forcedStatus = 0;
    for (int i = 0; i < s.faults.size();) {
        Fault& fault = s.faults[i];
        if (hits(fault, command, block)) {
            switch (fault.kind) {
            case Fault::Unplug:
                unplug = true;
                break;
            case Fault::RemoveCard:
                removeCard = true;
                break;
            case Fault::ForcedStatus:
                forced = true;
                forcedStatus = fault.status;
                break;
            case Fault::LostWrite:
                lostWrite = true;
                break;
            case Fault::NoAnswer:
                noAnswer = true;
                break;
            case Fault::CorruptChecksum:
                corrupt = true;
                break;
            case Fault::SwapCard:
                swapIn = fault.card;
                break;
            }
        }
        if (fault.times == 0)
            s.faults.removeAt(i);
        else
            ++i;
    }

    if (unplug) {
        s.unplug();
        return WriteOutcome::Unplugged;
    }
    if (removeCard)
        s.cardOnReader.clear();
    if (swapIn) {
        QByteArray uid(4, '\0');
        writeLe32(bytesOf(uid), *swapIn);
        if (s.cardIndex(uid) >= 0)
            s.cardOnReader = uid;
    }

    Reply reply;
    if (!valid) {
        reply = fail(SimStatus::BadFrame);
    } else if (forced) {
        reply = fail(forcedStatus);
        if (command == SimCommand::UpgradePacket && forcedStatus == SimStatus::UpgradeRestart && s.upgrading)
            restartUpgrade(s);
    } else {
        reply = execute(s, command, request, lostWrite);
    }

    if (noAnswer) {
        s.pendingResponse.clear();
        if (s.reenumerateAfterRead)
            reenumerate(s);
        return WriteOutcome::Accepted;
    }
    QByteArray response = buildFrame(
        command, valid ? replyPayload(command, request, reply) : QByteArray(1, char(reply.status)));
    if (corrupt) {
        const int length = readLe16(bytesOf(response) + 2);
        response[length - 1] = char(response[length - 1] ^ 0x5A);
    }
    s.pendingResponse = response;
    return WriteOutcome::Accepted;
}

} // namespace SimDevice
