#pragma once

#include "FirmwarePackets.h"

#include <functional>

class CardReader;

// Streams a firmware image to a reader that has entered upgrade mode and whose
// handle is already open (CardReader::openDevice). Each numbered packet waits
// for a 0 status; a 3 makes the reader start again, so the transfer restarts
// at packet 0 with the image's first bytes. The final packet is not
// acknowledged. Runs on whichever thread calls run(); nothing else may use the
// reader meanwhile.
class FirmwareUploader
{
public:
    enum class Outcome {
        Done,
        NoAcknowledgement, // too many consecutive failed status reads for one packet
        TooManyRestarts, // the reader kept asking to start again
        SendFailed, // a packet could not be handed to the reader
        Cancelled,
        BadImage, // empty, or more packets than 16 bits can count
    };
    struct Result
    {
        Outcome outcome = Outcome::Done;
        int packet = 0; // position (0-based) of the packet the transfer ended on
        int lastCode = 0; // last status or transfer code seen for it
    };
    struct Options
    {
        int startDelayMs = 1000;
        // Each failed read may take the link's 500 ms time-out.
        int maxFailedStatusReads = 10;
        int maxRestarts = 5;
    };

    // Called with the image bytes acknowledged so far (0 again after a restart).
    using Progress = std::function<void(qint64 bytes)>;
    using CancelCheck = std::function<bool()>;

    FirmwareUploader(CardReader* reader, FirmwarePackets packets, const Options& options);

    Result run(const Progress& progress = {}, const CancelCheck& cancelled = {});

private:
    enum class Ack { Ok, Restart, Failed, Cancelled };
    Ack awaitAcknowledgement(int& lastCode, const CancelCheck& cancelled);

    CardReader* m_reader;
    FirmwarePackets m_packets;
    Options m_options;
};
