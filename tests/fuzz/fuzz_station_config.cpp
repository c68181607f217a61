// config.ini as found in the working directory.
#include "FuzzCheck.h"
#include "StationConfig.h"

namespace {
bool sameConfig(const StationConfig& a, const StationConfig& b)
{
    return a.company == b.company && a.usr_key == b.usr_key && a.usr_sect == b.usr_sect
        && a.limit_money == b.limit_money && a.dev_type == b.dev_type && a.language == b.language;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = fuzzFilePath("config");
    static const QString copyPath = path + QStringLiteral("-saved");
    fuzzWriteFile(path, fuzzBytes(data, size));

    StationConfig config;
    loadConfig(config, path);

    // Whatever was read must survive the station's own save and the next start.
    FUZZ_CHECK(saveConfig(config, copyPath));
    StationConfig reloaded;
    reloaded.company = QStringLiteral("other");
    reloaded.usr_key.clear();
    reloaded.usr_sect = 99;
    reloaded.limit_money = -7;
    reloaded.dev_type = -7;
    reloaded.language = -7;
    loadConfig(reloaded, copyPath);
    FUZZ_CHECK(sameConfig(config, reloaded));
    return 0;
}
