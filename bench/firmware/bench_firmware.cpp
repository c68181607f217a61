#include "CardReader.h"
#include "FirmwarePackets.h"
#include "FirmwareUploader.h"
#include "VirtualReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

// Uploads 64 KiB to the virtual reader, which spends 1 ms on every report it
// moves. The floor is the number of reports times that delay: anything above
// it is the station's (and the device model's) own overhead. BENCH_DELAY_MS
// overrides the delay; 0 shows the overhead alone.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    constexpr int ImageBytes = 64 * 1024;
    const int ReportDelayMs
        = qEnvironmentVariableIsSet("BENCH_DELAY_MS") ? qEnvironmentVariableIntValue("BENCH_DELAY_MS") : 1;

    QByteArray image(ImageBytes, '\0');
    for (int i = 0; i < ImageBytes; ++i)
        image[i] = char((i * 131 + 17) & 0xFF);

    VirtualReader::useTemporaryState();
    VirtualReader::setUpgradeOpenRefusals(0);
    CardReader reader;
    if (reader.startUpgrade(FirmwarePackets::countFor(ImageBytes)) != 0 || reader.recvStatus() != 0
        || !reader.openDevice()) {
        out << "the virtual reader did not enter upgrade mode\n";
        return 1;
    }

    VirtualReader::Delays delays;
    delays.reportMs = ReportDelayMs;
    VirtualReader::setDelays(delays);
    VirtualReader::resetCounters();

    FirmwareUploader::Options options;
    options.startDelayMs = 0;
    FirmwareUploader uploader(&reader, FirmwarePackets(image), options);
    QElapsedTimer clock;
    clock.start();
    const FirmwareUploader::Result result = uploader.run();
    const qint64 elapsedUs = clock.nsecsElapsed() / 1000;
    reader.closeDevice();

    const VirtualReader::Counters counters = VirtualReader::counters();
    const qint64 reports = counters.reportsWritten + counters.reportsRead;
    const qint64 floorUs = reports * ReportDelayMs * 1000;
    const bool intact = result.outcome == FirmwareUploader::Outcome::Done
        && VirtualReader::receivedFirmware() == image && VirtualReader::firmwareComplete();

    out << "firmware bytes:   " << ImageBytes << " (" << FirmwarePackets::countFor(ImageBytes)
        << " packets)\n";
    out << "reports moved:    " << reports << " (" << counters.reportsWritten << " written, "
        << counters.reportsRead << " read)\n";
    out << "upload time:      " << QString::number(elapsedUs / 1000.0, 'f', 1) << " ms\n";
    out << "floor:            " << QString::number(floorUs / 1000.0, 'f', 1) << " ms (reports x "
        << ReportDelayMs << " ms)\n";
    out << "ratio:            "
        << (floorUs > 0 ? QString::number(double(elapsedUs) / double(floorUs), 'f', 2)
                        : QStringLiteral("n/a"))
        << "\n";
    out << "image intact:     " << (intact ? "yes" : "NO") << "\n";
    return intact ? 0 : 1;
}
