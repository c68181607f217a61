#pragma once

#include <QByteArray>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

// Blacklist cards: block 4 holds the header, the first three blocks of sectors
// 2 to 15 hold up to 168 card numbers, twelve per sector. A list longer than
// one card is spread over several cards that the posts read in order.
namespace BlacklistCard {

inline constexpr quint32 Magic = 0x3A3B3C3D;
inline constexpr quint8 CardType = 0x31;
inline constexpr quint8 HeaderBlock = 4;
inline constexpr int FirstNumberSector = 2;
inline constexpr int LastNumberSector = 15;
inline constexpr int SectorCount = 16;
inline constexpr int NumberBytes = 4;
inline constexpr int NumbersPerSector = 12;
inline constexpr int SectorDataBytes = NumbersPerSector * NumberBytes; // three blocks
inline constexpr int NumbersPerCard = (LastNumberSector - FirstNumberSector + 1) * NumbersPerSector;
inline constexpr int MaxRows = 500;

struct Header
{
    quint16 total = 0; // numbers in the whole list
    quint16 index = 0; // list index of this card's first number
    quint16 count = 0; // numbers on this card
};

// The 16-byte header block, little-endian, with the magic and the card type.
QByteArray buildHeader(const Header& header);
// False when the block is not 16 bytes or lacks the magic or the card type.
bool parseHeader(const QByteArray& block16, Header& header);

// Up to twelve numbers, each most significant byte first, zero-padded to 48 bytes.
QByteArray buildSectorData(const quint32* numbers, int count);
QVector<quint32> parseSectorData(const QByteArray& data48, int count);

// Which slice of the list each card carries: an empty list is one card with
// count 0, otherwise consecutive runs of at most 168.
struct CardSlice
{
    int index = 0;
    int count = 0;
};
QVector<CardSlice> splitIntoCards(int total);

// One row of the list: an unsigned decimal number that fits 32 bits, with
// surrounding blanks allowed. Signs, letters and empty rows are refused.
bool parseRow(const QString& text, quint32& number);
// Parses every row; returns 0 when all are numbers, else the 1-based number of
// the first bad row (numbers then holds the rows before it).
int parseRows(const QStringList& rows, QVector<quint32>& numbers);

} // namespace BlacklistCard
