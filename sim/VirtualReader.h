#pragma once

#include "SimStatus.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// In-process control of the virtual card reader, the device model that stands
// in for hidapi in tests (static library veloka_sim) and under LD_PRELOAD
// (libveloka_sim_preload.so).
//
// All state lives in one JSON file, locked for every access, so the station,
// the control tool and a test can share one reader. Every function here reads
// or changes that file; a change from another process is seen by the next
// call. The counters live in the lock file beside it, and a response waiting
// to be read in the process that sent the request.
//
// State file: useStateFile() wins, then the environment variable
// VELOKA_SIM_STATE. Otherwise the preload library uses "./virtual-reader.json"
// in the working directory, while the static library (tests) uses a fresh
// temporary file of its own per process, so tests running in parallel never
// share a reader by accident. A missing file is a fresh reader: sale mode,
// serial 1, balance 0, firmware version 1, no cards, no faults.
//
// Cards are named by their id value: the four UID bytes as the reader sends
// them, read little-endian, which is what CardReader::readCardId returns.
namespace VirtualReader {

inline constexpr quint16 VendorId = 0x0483;
inline constexpr quint16 ProductId = 0x5750;
inline constexpr char DevicePath[] = "veloka-sim:0";
inline constexpr int BlockCount = 64;
inline constexpr int BlockSize = 16;
inline constexpr int DeviceMemorySize = 512;

enum Mode : quint8 { SaleMode = 0, ShareMode = 1 };

// --- State file -----------------------------------------------------------
void useStateFile(const QString& path);
// A unique temporary file for this process (deleted at exit), reset to fresh.
void useTemporaryState();
QString stateFile();
// Back to a fresh reader (settings, cards, faults, counters, delays) on the
// current file.
void reset();

// --- Reader settings ------------------------------------------------------
quint8 mode();
void setMode(quint8 mode);
quint16 serial();
void setSerial(quint16 serial);
QByteArray checkCode(); // 6 bytes
void setCheckCode(const QByteArray& code6);
quint32 balance(); // fen
void setBalance(quint32 fen);
quint16 firmwareVersion();
void setFirmwareVersion(quint16 version);
QByteArray cardParam(); // the 16 bytes of writeDevCardParam
void setCardParam(const QByteArray& param16);
QByteArray data7(); // the 7 bytes of writeDevData7
QByteArray deviceMemory(int address, int length);
// Charge-file versions already loaded into this reader, in load order.
QList<quint16> usedChargeVersions();
// readDevInfo's 16-byte record as the device answers it.
QByteArray infoRecord();

// --- Cards ----------------------------------------------------------------
// A blank card: transport key FF..FF as key A and key B and access bits
// FF 07 80 69 in every sector, data blocks zero. Returns its id value.
quint32 addBlankCard(); // random UID, unique among the cards
quint32 addBlankCard(quint32 idValue); // UID = the id's bytes little-endian; replaces a card of that UID
bool deleteCard(quint32 idValue);
QList<quint32> cards();
bool hasCard(quint32 idValue);
// Lays the card on the reader, taking away whatever lay there. False if unknown.
bool placeCard(quint32 idValue);
void removeCard();
std::optional<quint32> cardOnReader();
QByteArray uidBytes(quint32 idValue); // the 4 UID bytes in wire order

// Raw block access, bypassing keys and access conditions (also block 0 and
// trailers, which are stored as they are: key A and key B in clear). Empty
// array for an unknown card or block out of 0..63.
QByteArray block(quint32 idValue, int block);
bool setBlock(quint32 idValue, int block, const QByteArray& data16);

// --- Device ---------------------------------------------------------------
// An unplugged reader is not enumerated, refuses opens and fails transfers on
// handles opened before. Replugging makes those old handles stale too.
void setUnplugged(bool unplugged);
bool isUnplugged();
// The next n attempts to reach the device fail, as while it re-enumerates:
// each open and each enumeration (which then lists no device) uses up one.
void refuseOpens(int n);
int refusedOpensLeft();
// Opens refused after startUpgrade's answer has been read (default 1).
void setUpgradeOpenRefusals(int n);

// Firmware: packets are appended in index order; an index out of sequence or
// an armed restart answers 3 and discards the image received so far.
bool upgradeActive();
quint16 announcedPackets(); // the count startUpgrade announced
QByteArray receivedFirmware(); // bytes received in the current or last upgrade
bool firmwareComplete(); // the final packet (index 0xFFFF) arrived

// --- Delays ---------------------------------------------------------------
struct Delays
{
    int lookupMs = 0; // hid_enumerate and hid_open by vendor/product
    int reportMs = 0; // each hid_write and hid_read_timeout
    int noAnswerMs = 0; // a read that finds no response waits this long (capped by its time-out)
};
void setDelays(const Delays& delays);
Delays delays();

// --- Faults ---------------------------------------------------------------
// A fault waits for `afterFrames` matching request frames to pass untouched,
// then hits the next `times` matching frames (-1: until cleared).
struct Fault
{
    enum Kind {
        NoAnswer, // the frame is executed but no response comes (read time-out)
        CorruptChecksum, // the response's checksum is wrong
        ForcedStatus, // the frame is not executed; answered with `status`
        LostWrite, // a block write answers success but the block keeps its data
        RemoveCard, // the card leaves the field before the frame is executed
        Unplug, // the device is unplugged; the frame's write fails
        SwapCard // `card` takes the field before the frame is executed
    };
    Kind kind = NoAnswer;
    int afterFrames = 0;
    int times = 1;
    int command = -1; // only frames with this command code (-1: any)
    int block = -1; // LostWrite: only writes to this block (-1: any)
    quint8 status = 0;
    quint32 card = 0; // SwapCard: id value of the card laid on the reader
};
void armFault(const Fault& fault);
QList<Fault> armedFaults();
void clearFaults();
// Shorthands for the common cases.
void armNoAnswer(int afterFrames = 0, int command = -1);
void armCorruptChecksum(int afterFrames = 0, int command = -1);
void armStatus(quint8 status, int command = -1, int afterFrames = 0);
void armLostWrite(int block = -1, int times = -1);
void removeCardAfterFrames(int frames);
void unplugAfterFrames(int frames);
void swapCardAfterFrames(int frames, quint32 idValue, int command = -1);
// The upgrade packet after `afterPackets` acknowledged ones is answered with 3.
void armUpgradeRestart(int afterPackets = 0);

// --- Counters -------------------------------------------------------------
struct Counters
{
    qint64 reportsWritten = 0; // hid_write calls that reached the device
    qint64 reportsRead = 0; // hid_read(_timeout) calls that returned a response
    qint64 lookups = 0; // hid_enumerate and hid_open by vendor/product
    qint64 opens = 0; // successful opens
    qint64 failedOpens = 0;
};
Counters counters();
void resetCounters();

// --- Charge files ---------------------------------------------------------
// The 32 bytes of a charge file for the reader with `serial`: the first block
// holds amount (u32 @0), serial (u16 @4) and version (u16 @6), encrypted with
// the charge-file key; the second block is random.
QByteArray makeChargeFile(quint32 amountFen, quint16 serial, quint16 version);

} // namespace VirtualReader
