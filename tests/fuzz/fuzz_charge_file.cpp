// A reader charge file chosen by the operator.
#include "ChargeFile.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ChargeFile::Contents contents;
    const bool parsed = ChargeFile::parse(fuzzBytes(data, size), contents);
    FUZZ_CHECK(parsed == (size == size_t(ChargeFile::Size)));
    return 0;
}
