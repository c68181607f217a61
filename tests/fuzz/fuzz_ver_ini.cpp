// ver.ini from the update server: decides whether the updater starts.
#include "CardCrypto.h"
#include "FuzzCheck.h"
#include "VersionCheck.h"

#include <climits>

// Layout: the station's own version (4 bytes), then the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int ownVersion = int(readLe32(data));
    const QByteArray verIni = fuzzBytes(data + 4, size - 4);
    const bool newer = VersionCheck::isNewerVersion(verIni, ownVersion);
    // Newer than this version means newer than any older one.
    if (newer && ownVersion > INT_MIN)
        FUZZ_CHECK(VersionCheck::isNewerVersion(verIni, ownVersion - 1));
    // Never newer than itself plus one when the file names this version.
    FUZZ_CHECK(!VersionCheck::isNewerVersion(
        QByteArray("{\"ver\":") + QByteArray::number(ownVersion) + '}', ownVersion));
    return 0;
}
