#include "VirtualReader.h"

#include "CardCrypto.h"
#include "ChargeFile.h"
#include "SimCardModel.h"
#include "SimDevice.h"
#include "SimState.h"

#include <QFile>
#include <QRandomGenerator>

namespace VirtualReader {

namespace {

QByteArray uidOf(quint32 idValue)
{
    QByteArray uid(4, '\0');
    writeLe32(bytesOf(uid), idValue);
    return uid;
}

quint32 idOf(const QByteArray& uid)
{
    return readLe32(bytesOf(uid));
}

QByteArray sized(const QByteArray& bytes, int size)
{
    QByteArray out = bytes.left(size);
    out.append(QByteArray(size - out.size(), '\0'));
    return out;
}

void addCard(SimState& s, const QByteArray& uid)
{
    SimCard card { uid, SimCardModel::blankCard(uid) };
    const int i = s.cardIndex(uid);
    if (i >= 0)
        s.cards[i] = card;
    else
        s.cards.append(card);
}

} // namespace

void useStateFile(const QString& path)
{
    SimStore::setPath(path);
}

void useTemporaryState()
{
    SimStore::useTemporaryPath();
    reset();
}

QString stateFile()
{
    return SimStore::path();
}

void reset()
{
    SimStore::Locked lock(SimStore::Locked::ReadWrite);
    lock.resetDevice();
}

quint8 mode()
{
    return SimStore::read([](const SimState& s) { return s.mode; });
}

void setMode(quint8 mode)
{
    SimStore::modify([&](SimState& s) { s.mode = mode; });
}

quint16 serial()
{
    return SimStore::read([](const SimState& s) { return s.serial; });
}

void setSerial(quint16 serial)
{
    SimStore::modify([&](SimState& s) { s.serial = serial; });
}

QByteArray checkCode()
{
    return SimStore::read([](const SimState& s) { return s.checkCode; });
}

void setCheckCode(const QByteArray& code6)
{
    SimStore::modify([&](SimState& s) { s.checkCode = sized(code6, 6); });
}

quint32 balance()
{
    return SimStore::read([](const SimState& s) { return s.balance; });
}

void setBalance(quint32 fen)
{
    SimStore::modify([&](SimState& s) { s.balance = fen; });
}

quint16 firmwareVersion()
{
    return SimStore::read([](const SimState& s) { return s.firmwareVersion; });
}

void setFirmwareVersion(quint16 version)
{
    SimStore::modify([&](SimState& s) { s.firmwareVersion = version; });
}

QByteArray cardParam()
{
    return SimStore::read([](const SimState& s) { return s.cardParam; });
}

void setCardParam(const QByteArray& param16)
{
    SimStore::modify([&](SimState& s) { s.cardParam = sized(param16, 16); });
}

QByteArray data7()
{
    return SimStore::read([](const SimState& s) { return s.data7; });
}

QByteArray deviceMemory(int address, int length)
{
    return SimStore::read([&](const SimState& s) {
        if (address < 0 || length < 0 || address + length > s.memory.size())
            return QByteArray();
        return s.memory.mid(address, length);
    });
}

QList<quint16> usedChargeVersions()
{
    return SimStore::read([](const SimState& s) { return s.usedChargeVersions; });
}

QByteArray infoRecord()
{
    return SimStore::read([](const SimState& s) { return SimDevice::infoRecord(s); });
}

quint32 addBlankCard()
{
    return SimStore::modify([](SimState& s) {
        QByteArray uid;
        do {
            uid = uidOf(QRandomGenerator::global()->generate());
        } while (s.cardIndex(uid) >= 0);
        addCard(s, uid);
        return idOf(uid);
    });
}

quint32 addBlankCard(quint32 idValue)
{
    SimStore::modify([&](SimState& s) { addCard(s, uidOf(idValue)); });
    return idValue;
}

bool deleteCard(quint32 idValue)
{
    return SimStore::modify([&](SimState& s) {
        const QByteArray uid = uidOf(idValue);
        const int i = s.cardIndex(uid);
        if (i < 0)
            return false;
        s.cards.removeAt(i);
        if (s.cardOnReader == uid)
            s.cardOnReader.clear();
        return true;
    });
}

QList<quint32> cards()
{
    return SimStore::read([](const SimState& s) {
        QList<quint32> ids;
        for (const SimCard& card : s.cards)
            ids.append(idOf(card.uid));
        return ids;
    });
}

bool hasCard(quint32 idValue)
{
    return SimStore::read([&](const SimState& s) { return s.cardIndex(uidOf(idValue)) >= 0; });
}

bool placeCard(quint32 idValue)
{
    return SimStore::modify([&](SimState& s) {
        const QByteArray uid = uidOf(idValue);
        if (s.cardIndex(uid) < 0)
            return false;
        s.cardOnReader = uid;
        return true;
    });
}

void removeCard()
{
    SimStore::modify([](SimState& s) { s.cardOnReader.clear(); });
}

std::optional<quint32> cardOnReader()
{
    return SimStore::read([](const SimState& s) -> std::optional<quint32> {
        if (s.cardOnReader.isEmpty())
            return std::nullopt;
        return idOf(s.cardOnReader);
    });
}

QByteArray uidBytes(quint32 idValue)
{
    return uidOf(idValue);
}

QByteArray block(quint32 idValue, int block)
{
    return SimStore::read([&](const SimState& s) {
        const int i = s.cardIndex(uidOf(idValue));
        if (i < 0 || block < 0 || block >= BlockCount)
            return QByteArray();
        return s.cards[i].blocks.mid(block * BlockSize, BlockSize);
    });
}

bool setBlock(quint32 idValue, int block, const QByteArray& data16)
{
    return SimStore::modify([&](SimState& s) {
        const int i = s.cardIndex(uidOf(idValue));
        if (i < 0 || block < 0 || block >= BlockCount || data16.size() != BlockSize)
            return false;
        s.cards[i].blocks.replace(block * BlockSize, BlockSize, data16);
        return true;
    });
}

void setUnplugged(bool unplugged)
{
    SimStore::modify([&](SimState& s) {
        if (unplugged && !s.unplugged)
            s.unplug();
        else if (!unplugged && s.unplugged)
            s.unplugged = false;
    });
}

bool isUnplugged()
{
    return SimStore::read([](const SimState& s) { return s.unplugged; });
}

void refuseOpens(int n)
{
    SimStore::modify([&](SimState& s) { s.refuseOpens = qMax(0, n); });
}

int refusedOpensLeft()
{
    return SimStore::read([](const SimState& s) { return s.refuseOpens; });
}

void setUpgradeOpenRefusals(int n)
{
    SimStore::modify([&](SimState& s) { s.upgradeOpenRefusals = qMax(0, n); });
}

bool upgradeActive()
{
    return SimStore::read([](const SimState& s) { return s.upgrading; });
}

quint16 announcedPackets()
{
    return SimStore::read([](const SimState& s) { return s.announcedPackets; });
}

QByteArray receivedFirmware()
{
    return SimStore::read([](const SimState& s) { return s.firmware; });
}

bool firmwareComplete()
{
    return SimStore::read([](const SimState& s) { return s.firmwareComplete; });
}

void setDelays(const Delays& delays)
{
    SimStore::modify([&](SimState& s) { s.delays = delays; });
}

Delays delays()
{
    return SimStore::read([](const SimState& s) { return s.delays; });
}

void armFault(const Fault& fault)
{
    SimStore::modify([&](SimState& s) { s.faults.append(fault); });
}

QList<Fault> armedFaults()
{
    return SimStore::read([](const SimState& s) { return s.faults; });
}

void clearFaults()
{
    SimStore::modify([](SimState& s) { s.faults.clear(); });
}

void armNoAnswer(int afterFrames, int command)
{
    Fault fault;
    fault.kind = Fault::NoAnswer;
    fault.afterFrames = afterFrames;
    fault.command = command;
    armFault(fault);
}

void armCorruptChecksum(int afterFrames, int command)
{
    Fault fault;
    fault.kind = Fault::CorruptChecksum;
    fault.afterFrames = afterFrames;
    fault.command = command;
    armFault(fault);
}

namespace {

Fault frameFault(Fault::Kind kind, int afterFrames, int command)
{
    Fault fault;
    fault.kind = kind;
    fault.afterFrames = afterFrames;
    fault.command = command;
    return fault;
}

} // namespace

void armStatus(quint8 status, int command, int afterFrames)
{
    Fault fault = frameFault(Fault::ForcedStatus, afterFrames, command);
    fault.status = status;
    armFault(fault);
}

void armLostWrite(int block, int times)
{
    Fault fault;
    fault.kind = Fault::LostWrite;
    fault.block = block;
    fault.times = times;
    armFault(fault);
}

void removeCardAfterFrames(int frames)
{
    Fault fault;
    fault.kind = Fault::RemoveCard;
    fault.afterFrames = frames;
    armFault(fault);
}

void swapCardAfterFrames(int frames, quint32 idValue, int command)
{
    Fault fault = frameFault(Fault::SwapCard, frames, command);
    fault.card = idValue;
    armFault(fault);
}

void unplugAfterFrames(int frames)
{
    Fault fault;
    fault.kind = Fault::Unplug;
    fault.afterFrames = frames;
    armFault(fault);
}

void armUpgradeRestart(int afterPackets)
{
    armStatus(SimStatus::UpgradeRestart, SimCommand::UpgradePacket, afterPackets);
}

Counters counters()
{
    return SimStore::read([](const SimState& s) { return s.counters; });
}

void resetCounters()
{
    SimStore::modify([](SimState& s) { s.counters = Counters(); });
}

QByteArray makeChargeFile(quint32 amountFen, quint16 serial, quint16 version)
{
    // The issuer's side of ChargeFile::parse: the plain first block, encrypted.
    constexpr int AmountOffset = 0;
    constexpr int SerialOffset = 4;
    constexpr int VersionOffset = 6;
    constexpr int TailOffset = 16;
    QByteArray file(ChargeFile::Size, '\0');
    auto* p = bytesOf(file);
    writeLe32(p + AmountOffset, amountFen);
    writeLe16(p + SerialOffset, serial);
    writeLe16(p + VersionOffset, version);
    encryptBlock(p, BuiltinKeys::ChargeFile);
    for (int i = TailOffset; i < ChargeFile::Size; ++i)
        p[i] = quint8(QRandomGenerator::global()->bounded(256));
    return file;
}

} // namespace VirtualReader
