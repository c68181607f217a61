#include "SimCardModel.h"

#include "CardCrypto.h"
#include "SimStatus.h"
#include "VirtualReader.h"

#include <cstring>

namespace SimCardModel {

namespace {

constexpr quint8 TransportAccess[4] = { 0xFF, 0x07, 0x80, 0x69 };
// SAK, ATQA and a maker's batch code after the UID and its check byte.
constexpr quint8 MakerBytes[11] = { 0x08, 0x04, 0x00, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69 };

constexpr int KeyA = 1;
constexpr int KeyB = 2;
constexpr int Both = KeyA | KeyB;

// Keys allowed to read and write a data block, per access condition.
struct DataRights
{
    int read;
    int write;
};
constexpr DataRights DataTable[8] = {
    { Both, Both }, // 000 transport
    { Both, 0 }, // 001 value block, decrement only
    { Both, 0 }, // 010 read only
    { KeyB, KeyB }, // 011
    { Both, KeyB }, // 100
    { KeyB, 0 }, // 101
    { Both, KeyB }, // 110 value block
    { 0, 0 }, // 111 locked
};

// Keys allowed to touch the three parts of a trailer, per access condition.
struct TrailerRights
{
    int writeKeyA;
    int readAccess;
    int writeAccess;
    int readKeyB;
    int writeKeyB;
};
constexpr TrailerRights TrailerTable[8] = {
    { KeyA, KeyA, 0, KeyA, KeyA }, // 000
    { KeyA, KeyA, KeyA, KeyA, KeyA }, // 001 transport
    { 0, KeyA, 0, KeyA, 0 }, // 010
    { KeyB, Both, KeyB, 0, KeyB }, // 011
    { KeyB, Both, 0, 0, KeyB }, // 100
    { 0, Both, KeyB, 0, 0 }, // 101
    { 0, Both, 0, 0, 0 }, // 110
    { 0, Both, 0, 0, 0 }, // 111
};

bool keyBReadable(int trailerCondition)
{
    return TrailerTable[trailerCondition].readKeyB != 0;
}

struct Session
{
    quint8 status = SimStatus::Ok;
    int keys = 0; // the keys the reader holds authenticated: KeyA, KeyB or both
    int trailerCondition = 0;
    int blockCondition = 0;
};

// The reader tries the one key it was given as key A, then as key B. A key B
// that the trailer leaves readable is plain data and cannot authenticate.
Session authenticate(const QByteArray& card, int block, const SectorKey& key)
{
    Session session;
    const auto* trailer = bytesOf(card) + (block / 4 * 4 + 3) * VirtualReader::BlockSize;
    const int trailerCondition = accessCondition(trailer + TrailerAccess, 3);
    const int blockCondition = accessCondition(trailer + TrailerAccess, block % 4);
    if (trailerCondition < 0 || blockCondition < 0) {
        session.status = SimStatus::AuthFailed; // a sector with broken access bits is dead
        return session;
    }
    if (memcmp(trailer + TrailerKeyA, key.data(), KeySize) == 0)
        session.keys |= KeyA;
    if (!keyBReadable(trailerCondition) && memcmp(trailer + TrailerKeyB, key.data(), KeySize) == 0)
        session.keys |= KeyB;
    if (session.keys == 0)
        session.status = SimStatus::AuthFailed;
    session.trailerCondition = trailerCondition;
    session.blockCondition = blockCondition;
    return session;
}

bool allowed(const Session& session, int rights)
{
    return (session.keys & rights) != 0;
}

bool partChanged(const quint8* stored, const quint8* written, int offset, int size)
{
    return memcmp(stored + offset, written + offset, size_t(size)) != 0;
}

} // namespace

QByteArray makerBlock(const QByteArray& uid4)
{
    QByteArray block(VirtualReader::BlockSize, '\0');
    quint8 bcc = 0;
    for (int i = 0; i < 4; ++i) {
        block[i] = uid4[i];
        bcc ^= quint8(uid4[i]);
    }
    block[4] = char(bcc);
    memcpy(block.data() + 5, MakerBytes, sizeof MakerBytes);
    return block;
}

QByteArray blankCard(const QByteArray& uid4)
{
    QByteArray card(VirtualReader::BlockCount * VirtualReader::BlockSize, '\0');
    const QByteArray maker = makerBlock(uid4);
    memcpy(card.data(), maker.constData(), VirtualReader::BlockSize);
    for (int sector = 0; sector < VirtualReader::BlockCount / 4; ++sector) {
        auto* trailer = bytesOf(card) + (sector * 4 + 3) * VirtualReader::BlockSize;
        memcpy(trailer + TrailerKeyA, BuiltinKeys::Transport.data(), KeySize);
        memcpy(trailer + TrailerAccess, TransportAccess, sizeof TransportAccess);
        memcpy(trailer + TrailerKeyB, BuiltinKeys::Transport.data(), KeySize);
    }
    return card;
}

int accessCondition(const quint8* bits, int blockInSector)
{
    // byte 6: ~C2 (high nibble) ~C1 (low); byte 7: C1, ~C3; byte 8: C3, C2.
    const int notC1 = bits[0] & 0x0F;
    const int notC2 = bits[0] >> 4;
    const int notC3 = bits[1] & 0x0F;
    const int c1 = bits[1] >> 4;
    const int c2 = bits[2] & 0x0F;
    const int c3 = bits[2] >> 4;
    if ((c1 ^ notC1) != 0x0F || (c2 ^ notC2) != 0x0F || (c3 ^ notC3) != 0x0F)
        return -1;
    const int bit = 1 << blockInSector;
    return ((c1 & bit) ? 4 : 0) | ((c2 & bit) ? 2 : 0) | ((c3 & bit) ? 1 : 0);
}

quint8 readBlock(const QByteArray& card, int block, const SectorKey& key, quint8* out16)
{
    if (block < 0 || block >= VirtualReader::BlockCount)
        return SimStatus::NoSuchBlock;
    const Session session = authenticate(card, block, key);
    if (session.status != SimStatus::Ok)
        return session.status;
    const auto* stored = bytesOf(card) + block * VirtualReader::BlockSize;

    if (block % 4 != 3) {
        if (!allowed(session, DataTable[session.blockCondition].read))
            return SimStatus::ReadRefused;
        memcpy(out16, stored, VirtualReader::BlockSize);
        return SimStatus::Ok;
    }

    // Key A never leaves the card; key B only where the conditions let it be read.
    const TrailerRights& rights = TrailerTable[session.trailerCondition];
    if (!allowed(session, rights.readAccess))
        return SimStatus::ReadRefused;
    memset(out16, 0, VirtualReader::BlockSize);
    memcpy(out16 + TrailerAccess, stored + TrailerAccess, 4);
    if (allowed(session, rights.readKeyB))
        memcpy(out16 + TrailerKeyB, stored + TrailerKeyB, KeySize);
    return SimStatus::Ok;
}

quint8 writeBlock(QByteArray& card, int block, const SectorKey& key, const quint8* data16, bool stick)
{
    if (block < 0 || block >= VirtualReader::BlockCount)
        return SimStatus::NoSuchBlock;
    const Session session = authenticate(card, block, key);
    if (session.status != SimStatus::Ok)
        return session.status;
    auto* stored = bytesOf(card) + block * VirtualReader::BlockSize;

    if (block == 0)
        return SimStatus::WriteRefused; // the maker block is burnt in
    if (block % 4 != 3) {
        if (!allowed(session, DataTable[session.blockCondition].write))
            return SimStatus::WriteRefused;
    } else {
        // Inconsistent access bits would lock the sector for good: refuse them.
        for (int b = 0; b < 4; ++b) {
            if (accessCondition(data16 + TrailerAccess, b) < 0)
                return SimStatus::BadAccessBits;
        }
        // A part the conditions protect may be written only with its current
        // value; silently keeping it would let the station believe a key changed.
        const TrailerRights& rights = TrailerTable[session.trailerCondition];
        if ((partChanged(stored, data16, TrailerKeyA, KeySize) && !allowed(session, rights.writeKeyA))
            || (partChanged(stored, data16, TrailerAccess, 4) && !allowed(session, rights.writeAccess))
            || (partChanged(stored, data16, TrailerKeyB, KeySize) && !allowed(session, rights.writeKeyB)))
            return SimStatus::WriteRefused;
    }
    if (stick)
        memcpy(stored, data16, VirtualReader::BlockSize);
    return SimStatus::Ok;
}

} // namespace SimCardModel
