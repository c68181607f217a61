#pragma once

#include <QtGlobal>

// Status bytes the virtual reader answers with (the first response payload
// byte). 0 is success; 3 is the firmware loader's "start again from packet 0".
// The others are the device's own choice, kept apart from 3 so that an
// upgrade loop never mistakes a card error for a restart request.
namespace SimStatus {
inline constexpr quint8 Ok = 0x00;
inline constexpr quint8 UpgradeRestart = 0x03;

inline constexpr quint8 NoCard = 0x10; // no card in the field (or it left mid-command)
inline constexpr quint8 AuthFailed = 0x11; // key is neither a usable key A nor key B of the sector
inline constexpr quint8 WriteRefused = 0x12; // block 0, or the access conditions forbid the write
inline constexpr quint8 ReadRefused = 0x13; // the access conditions forbid the read
inline constexpr quint8 BadAccessBits = 0x14; // trailer write whose access bits are not self-consistent
inline constexpr quint8 BadRecord = 0x15; // deduction/refund/charge record fails its CRC or overflows
inline constexpr quint8 BalanceLow = 0x16; // deduction larger than the reader balance
inline constexpr quint8 OtherReader = 0x17; // charge file or refund issued for another reader serial
inline constexpr quint8 ChargeFileUsed = 0x18; // charge file version already loaded
inline constexpr quint8 BadCommand = 0x19; // unknown command code or wrong payload length
inline constexpr quint8 BadFrame = 0x1A; // request header, length field or checksum wrong
inline constexpr quint8 NoSuchBlock = 0x1B; // block number beyond the card's 64 blocks
inline constexpr quint8 BadAddress = 0x1C; // device memory access outside the memory
inline constexpr quint8 NotUpgrading = 0x1D; // firmware packet without a preceding startUpgrade
} // namespace SimStatus

// Command codes the device understands (the command field of a request frame).
namespace SimCommand {
inline constexpr quint16 ReadCardId = 0x5501;
inline constexpr quint16 ReadBlock = 0x5502;
inline constexpr quint16 WriteBlock = 0x5503;
inline constexpr quint16 ReadDevMem = 0x5601;
inline constexpr quint16 WriteDevMem = 0x5602;
inline constexpr quint16 ReadDevData7 = 0x5701;
inline constexpr quint16 WriteDevData7 = 0x5702;
inline constexpr quint16 ReadDevInfo = 0x5801;
inline constexpr quint16 WriteDevInfo = 0x5802;
inline constexpr quint16 ReadDevCardParam = 0x5901;
inline constexpr quint16 WriteDevCardParam = 0x5902;
inline constexpr quint16 ReadDevRemain = 0x5A01;
inline constexpr quint16 WriteDevRemain = 0x5A02;
inline constexpr quint16 DeductDevRemain = 0x5A04;
inline constexpr quint16 RefundDevRemain = 0x5A05;
inline constexpr quint16 SendPreamble = 0xAB01;
inline constexpr quint16 StartUpgrade = 0xAA01;
inline constexpr quint16 UpgradePacket = 0xAA02;
} // namespace SimCommand
