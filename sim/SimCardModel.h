#pragma once

#include "BuiltinKeys.h"

#include <QByteArray>
#include <QtGlobal>

// The contactless card as the reader's radio sees it: 16 sectors of 4 blocks,
// block 0 written by the maker, each sector's trailer holding key A, the
// access bits (3 bytes and a user byte) and key B. The access conditions are
// those these cards define: three bits C1 C2 C3 per block, stored once plain
// and once inverted.
namespace SimCardModel {

inline constexpr int TrailerKeyA = 0;
inline constexpr int TrailerAccess = 6; // 3 access bytes and the user byte
inline constexpr int TrailerKeyB = 10;
inline constexpr int KeySize = 6;

// 1024 bytes: maker block, zero data blocks, transport trailers.
QByteArray blankCard(const QByteArray& uid4);
QByteArray makerBlock(const QByteArray& uid4);

// Access condition (C1 C2 C3 as a 3-bit number, C1 the high bit) of block
// 0..3 of the sector, or -1 when the plain and inverted copies disagree.
int accessCondition(const quint8* accessBytes, int blockInSector);

// Card operations; each returns a SimStatus byte. `stick` false makes a write
// answer as if it succeeded while the block keeps its data.
quint8 readBlock(const QByteArray& card, int block, const SectorKey& key, quint8* out16);
quint8 writeBlock(QByteArray& card, int block, const SectorKey& key, const quint8* data16, bool stick);

} // namespace SimCardModel
