#pragma once

#include "SimState.h"

#include <QByteArray>

// The reader's firmware: takes one output report, runs the command it frames
// and leaves the 64-byte input report to be read back.
namespace SimDevice {

inline constexpr int FrameSize = 64;
inline constexpr int FrameOverhead = 8;
inline constexpr int PayloadOffset = 6;

// Builds a frame (BB AA, length, command, payload, sum) padded to 64 bytes.
QByteArray buildFrame(quint16 command, const QByteArray& payload);

enum class WriteOutcome { Accepted, Unplugged };

// Handles the 64 frame bytes of one output report, faults included.
WriteOutcome receiveFrame(SimState& state, const QByteArray& frame64);

// readDevInfo's 16 bytes: mode, serial, check code, the unused rest.
QByteArray infoRecord(const SimState& state);

// The device drops off the bus and comes back: handles go stale and the next
// upgradeOpenRefusals opens fail.
void reenumerate(SimState& state);

} // namespace SimDevice
