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
    // 64-byte input report, empty when none. Only the process that sent the
    // request reads it, so it lives in that process, not in the file.
    QByteArray pendingResponse;
    bool reenumerateAfterRead = false;

    // Firmware upgrade
    bool upgrading = false;
    quint16 announcedPackets = 0;
    quint16 nextPacket = 0;
    QByteArray firmware;
    bool firmwareComplete = false;

    VirtualReader::Delays delays;
    QList<VirtualReader::Fault> faults;
    // Kept in the lock file, so counting a report never rewrites the state.
    VirtualReader::Counters counters;

    SimState();
    // Equal in everything the state file shares: counters and the pending
    // response are kept apart.
    bool sameSharedState(const SimState& other) const;
    int cardIndex(const QByteArray& uid) const;
    SimCard* presentCard();
    void unplug();
};

namespace SimStore {
QString path();
void setPath(const QString& path);
void useTemporaryPath();

// Holds the state file's lock for its lifetime and gives the state as it is
// in the file. The parsed state is kept in the process between locks and the
// file is parsed again only when another process (or a hand) changed it; a
// writable lock writes the file back only when something it holds changed.
// Not reentrant: a thread must not take a second lock while holding one.
class Locked
{
public:
    enum Access { ReadOnly, ReadWrite };
    explicit Locked(Access access);
    ~Locked();
    Q_DISABLE_COPY(Locked)

    SimState& state() { return *m_state; }
    // Back to a fresh reader; a response waiting in any process is lost.
    void resetDevice();
    // Drops the changes of a writable lock (nothing is saved).
    void discard();

private:
    SimState* m_state = nullptr;
    SimState m_before; // the state as loaded, to tell whether anything changed
    Access m_access;
    bool m_busReset = false;
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
