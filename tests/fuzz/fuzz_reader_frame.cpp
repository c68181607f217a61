// The response-frame verifier: a 64-byte report from the device and the
// payload size the command expects.
#include "FuzzCheck.h"
#include "ReaderFrame.h"
#include "ReaderRecords.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // -3 .. 66: inside and just outside the payload sizes a frame can carry.
    const int n = int(data[0] % 70) - 3;
    // Exactly 64 bytes on the heap, so a read past the report is caught.
    std::unique_ptr<quint8[]> report(new quint8[ReaderFrame::MaxFrameSize]());
    std::memcpy(report.get(), data + 1, std::min<size_t>(size - 1, ReaderFrame::MaxFrameSize));
    const int destinationSize = n > 0 ? n : 1;
    std::unique_ptr<quint8[]> destination(new quint8[destinationSize]);
    std::memset(destination.get(), 0x5A, size_t(destinationSize));

    const int result = ReaderFrame::verify(report.get(), destination.get(), n);

    if (n < 0 || n > ReaderFrame::MaxPayload) {
        FUZZ_CHECK(result == ReaderResult::Transfer);
        for (int i = 0; i < destinationSize; ++i)
            FUZZ_CHECK(destination[i] == 0x5A);
    } else if (result == ReaderResult::Ok) {
        FUZZ_CHECK(n == 0
            || std::memcmp(destination.get(), report.get() + ReaderFrame::PayloadOffset, size_t(n)) == 0);
    } else {
        FUZZ_CHECK(result == ReaderResult::Checksum);
        for (int i = 0; i < n; ++i)
            FUZZ_CHECK(destination[i] == 0);
    }
    return 0;
}
