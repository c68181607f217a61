#pragma once

#include "VirtualReader.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The whole virtual reader as it is kept in the state file.
struct SimCard
{
    QByteArray uid; // 4 bytes in wire order
    QByteArray blocks; // 64 blocks of 16 bytes
};

struct SimState
{
    // Reader
    quint8 mode = VirtualReader::SaleMode;
    quint16 serial = 1;
    QByteArray checkCode; // 6
    QByteArray infoExtra; // bytes 9..15 of the info record
    quint32 balance = 0;
    quint16 firmwareVersion = 1;
    QByteArray cardParam; // 16
    QByteArray data7; // 7
    QByteArray memory; // DeviceMemorySize
    QList<quint16> usedChargeVersions;

    // Cards
    QList<SimCard> cards;
    QByteArray cardOnReader; // uid, empty when the field is empty

    // Device
    bool unplugged = false;
    int refuseOpens = 0;
    int upgradeOpenRefusals = 1;
    quint32 generation = 0; // bumped whenever the device leaves the bus
    QByteArray pendingResponse; // 64-byte input report, empty when none
    bool reenumerateAfterRead = false;

    // Firmware upgrade
    bool upgrading = false;
    quint16 announcedPackets = 0;
    quint16 nextPacket = 0;
    QByteArray firmware;
    bool firmwareComplete = false;

    VirtualReader::Delays delays;
    QList<VirtualReader::Fault> faults;
    VirtualReader::Counters counters;

    SimState();
    int cardIndex(const QByteArray& uid) const;
    SimCard* presentCard();
    void unplug();
};

namespace SimStore {
QString path();
void setPath(const QString& path);
void useTemporaryPath();

// Holds the state file's lock for its lifetime. The state is loaded on
// construction and, for a writable lock, saved on destruction.
class Locked
{
public:
    enum Access { ReadOnly, ReadWrite };
    explicit Locked(Access access);
    ~Locked();
    Q_DISABLE_COPY(Locked)

    SimState& state() { return m_state; }
    // Skips the save of a writable lock (nothing changed after all).
    void discard() { m_access = ReadOnly; }

private:
    SimState m_state;
    Access m_access;
    QString m_path;
    int m_lockFd = -1;
};

template<typename F>
auto read(F f)
{
    Locked lock(Locked::ReadOnly);
    return f(static_cast<const SimState&>(lock.state()));
}

template<typename F>
auto modify(F f)
{
    Locked lock(Locked::ReadWrite);
    return f(lock.state());
}

QByteArray toJson(const SimState& state);
bool fromJson(const QByteArray& json, SimState& state);
} // namespace SimStore
