#include "FirmwareUploader.h"

#include "CardReader.h"

#include <QDebug>
#include <QThread>

namespace {
constexpr int StatusContinue = 0;
constexpr int StatusStartAgain = 3;
} // namespace

FirmwareUploader::FirmwareUploader(CardReader* reader, FirmwarePackets packets, const Options& options)
    : m_reader(reader)
    , m_packets(std::move(packets))
    , m_options(options)
{
}

FirmwareUploader::Ack FirmwareUploader::awaitAcknowledgement(int& lastCode, const CancelCheck& cancelled)
{
    for (int failures = 0; failures < m_options.maxFailedStatusReads; ++failures) {
        // A silent reader costs a time-out per read; the window closing waits
        // for this thread, so it must not sit through all of them.
        if (failures > 0 && cancelled && cancelled())
            return Ack::Cancelled;
        lastCode = m_reader->recvStatusOpen();
        if (lastCode == StatusContinue)
            return Ack::Ok;
        if (lastCode == StatusStartAgain)
            return Ack::Restart;
    }
    return Ack::Failed;
}

FirmwareUploader::Result FirmwareUploader::run(const Progress& progress, const CancelCheck& cancelled)
{
    Result result;
    if (!m_packets.acceptable()) {
        result.outcome = Outcome::BadImage;
        return result;
    }
    const int count = m_packets.count();
    qDebug() << "max pack:" << count;
    qDebug() << "file size:" << m_packets.image().size();
    if (m_options.startDelayMs > 0)
        QThread::msleep(ulong(m_options.startDelayMs));

    int restarts = 0;
    int i = 0;
    while (i < count - 1) {
        result.packet = i;
        if (cancelled && cancelled()) {
            result.outcome = Outcome::Cancelled;
            return result;
        }
        result.lastCode = m_reader->sendUpgradePacket(m_packets.indexOf(i), m_packets.dataOf(i));
        if (result.lastCode != 0) {
            result.outcome = Outcome::SendFailed;
            return result;
        }
        switch (awaitAcknowledgement(result.lastCode, cancelled)) {
        case Ack::Ok:
            if (progress)
                progress(m_packets.bytesThrough(i));
            ++i;
            break;
        case Ack::Restart:
            if (++restarts > m_options.maxRestarts) {
                result.outcome = Outcome::TooManyRestarts;
                return result;
            }
            qDebug() << "upgrade restart";
            if (progress)
                progress(0);
            i = 0;
            break;
        case Ack::Failed:
            result.outcome = Outcome::NoAcknowledgement;
            return result;
        case Ack::Cancelled:
            result.outcome = Outcome::Cancelled;
            return result;
        }
    }

    result.packet = count - 1;
    result.lastCode = m_reader->sendUpgradePacket(FirmwarePackets::FinalIndex, m_packets.dataOf(count - 1));
    if (result.lastCode != 0) {
        result.outcome = Outcome::SendFailed;
        return result;
    }
    qDebug() << "update over";
    result.outcome = Outcome::Done;
    return result;
}
