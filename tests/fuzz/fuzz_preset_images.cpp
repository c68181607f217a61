// Preset files (the last card images written, read back from the working
// directory) and blacklist card blocks: plain images parsed into form values.
#include "BlacklistCard.h"
#include "CarCardImages.h"
#include "FuzzCheck.h"
#include "SettingCardImages.h"

namespace {

// Values read from any image, once written by the station, read back to the
// same image: the form never drifts from what it shows.
template<typename Values, typename Parse, typename Build>
void checkStable(const QByteArray& image, Parse parse, Build build)
{
    Values values;
    if (!parse(image, values))
        return;
    const QByteArray built = build(values);
    Values again;
    FUZZ_CHECK(parse(built, again));
    FUZZ_CHECK(build(again) == built);
}

} // namespace

// Layout: which image (selector byte), then the image.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray image = fuzzBytes(data + 1, size - 1);
    switch (data[0] % 6) {
    case 0: {
        BikeSettingValues values;
        if (!BikeSettingImage::parsePreset(image, values) || values.oversizedRateLevel() != 0)
            break;
        const QByteArray built = BikeSettingImage::buildPreset(values);
        BikeSettingValues again;
        FUZZ_CHECK(BikeSettingImage::parsePreset(built, again));
        FUZZ_CHECK(BikeSettingImage::buildPreset(again) == built);
        break;
    }
    case 1:
        checkStable<BikeParamValues>(image, BikeParamImage::parse, BikeParamImage::build);
        break;
    case 2:
        checkStable<CarSettingValues>(image, CarSettingImage::parse, CarSettingImage::build);
        break;
    case 3:
        checkStable<CarTariffValues>(image, CarTariffImage::parse, CarTariffImage::build);
        break;
    case 4:
        checkStable<CarParamValues>(image, CarParamImage::parse, CarParamImage::build);
        break;
    case 5: {
        BlacklistCard::Header header;
        if (BlacklistCard::parseHeader(image.left(16), header)) {
            BlacklistCard::Header again;
            FUZZ_CHECK(BlacklistCard::parseHeader(BlacklistCard::buildHeader(header), again));
            FUZZ_CHECK(
                again.total == header.total && again.index == header.index && again.count == header.count);
        }
        const int count = image.isEmpty() ? 0 : quint8(image[0]) % 14;
        const QVector<quint32> numbers = BlacklistCard::parseSectorData(image.mid(1), count);
        FUZZ_CHECK(numbers.size() <= count);
        break;
    }
    }
    return 0;
}
