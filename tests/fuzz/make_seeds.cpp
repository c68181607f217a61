// Writes the valid and near-valid seed inputs of every fuzz target into
// <corpus>/<target>/, in each target's input layout. Run by scripts/fuzz --seed.
#include "BindBlock.h"
#include "BlacklistCard.h"
#include "CarCardImages.h"
#include "CardCrypto.h"
#include "CardImage.h"
#include "ChargeFile.h"
#include "ReaderFrame.h"
#include "SettingCardImages.h"
#include "StationConfig.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

QString g_root;

void seed(const char* target, const char* name, const QByteArray& bytes)
{
    const QString dir = g_root + QLatin1Char('/') + QString::fromLatin1(target);
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/seed-") + QString::fromLatin1(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s/%s\n", target, name);
        std::exit(1);
    }
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    writeLe32(reinterpret_cast<quint8*>(b.data()), v);
    return b;
}

QByteArray frameInput(int n, QByteArray frame)
{
    frame.resize(ReaderFrame::MaxFrameSize);
    return QByteArray(1, char(n + 3)) + frame;
}

void readerFrameSeeds()
{
    QByteArray payload(ReaderFrame::MaxPayload, '\0');
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = char(i * 7 + 1);
    const auto* p = reinterpret_cast<const quint8*>(payload.constData());
    seed("reader_frame", "empty", frameInput(0, ReaderFrame::build(0x0101, p, 0)));
    seed("reader_frame", "record16", frameInput(16, ReaderFrame::build(0x0203, p, 16)));
    seed("reader_frame", "full", frameInput(56, ReaderFrame::build(0x0304, p, 56)));
    QByteArray broken = ReaderFrame::build(0x0203, p, 16);
    broken[10] = char(broken[10] ^ 0x40);
    seed("reader_frame", "bad-sum", frameInput(16, broken));
    QByteArray longField = ReaderFrame::build(0x0304, p, 56);
    longField[ReaderFrame::LengthOffset] = char(65);
    seed("reader_frame", "length-65", frameInput(16, longField));
    seed("reader_frame", "oversized-request", frameInput(60, ReaderFrame::build(0x0304, p, 56)));
}

void cardImageSeeds()
{
    const quint32 id = 0x1A2B3C4D;
    const QByteArray good = makeCardImage(12345, id, 0);
    const QByteArray head = QByteArray(1, char(16)) + le32(id) + le32(30000);
    seed("card_image", "accepted", head + good + good);
    seed("card_image", "above-limit", head + makeCardImage(30001, id, 0) + makeCardImage(30001, id, 0));
    seed("card_image", "other-card", head + makeCardImage(100, id + 1, 0) + makeCardImage(100, id + 1, 0));
    seed("card_image", "backup-only", head + QByteArray(16, '\x11') + good);
    seed("card_image", "short-main", QByteArray(1, char(15)) + le32(id) + le32(30000) + good.left(15) + good);
    seed("card_image", "bound", head + makeBindBlock(70001, 3));
    seed("card_image", "unbound", head + makeBindBlock(0, 0));
}

void stationConfigSeeds()
{
    const QString path = QDir::temp().filePath(QStringLiteral("veloka-seed-config.ini"));
    StationConfig config;
    config.company = QStringLiteral("示例充电站");
    config.language = 1;
    saveConfig(config, path);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray saved = file.readAll();
    file.remove();
    seed("station_config", "saved", saved);
    seed("station_config", "wrong-types",
        "{\"company\":7,\"usr_key\":null,\"usr_sect\":\"3\",\"limit_money\":1e300,\"dev_type\":1.5,"
        "\"language\":[1]}");
    seed("station_config", "out-of-range", "{\"usr_sect\":300,\"limit_money\":-1,\"dev_type\":-2147483649}");
    seed("station_config", "truncated", saved.left(saved.size() / 2));
    seed("station_config", "array", "[{\"company\":\"x\"}]");
}

void blacklistSeeds()
{
    seed("blacklist_list", "numbers", "123\n4294967295\n 0007 \n0\n");
    seed("blacklist_list", "crlf", "123\r\n456\r\n");
    seed("blacklist_list", "overflow", "4294967296\n");
    seed("blacklist_list", "letters", "12a\n-5\n+5\n");
    seed("blacklist_list", "blank-row", "1\n\n2\n");
    QByteArray many;
    for (int i = 0; i < 600; ++i)
        many += QByteArray::number(100000 + i) + '\n';
    seed("blacklist_list", "600-rows", many);
    seed("blacklist_list", "utf8-bom",
        "\xEF\xBB\xBF"
        "42\n");
}

void chargeFileSeeds()
{
    QByteArray file(ChargeFile::Size, '\0');
    auto* p = reinterpret_cast<quint8*>(file.data());
    writeLe32(p, 50000);
    writeLe16(p + 4, 12);
    writeLe16(p + 6, 3);
    encryptBlock(p, BuiltinKeys::ChargeFile);
    seed("charge_file", "valid", file);
    seed("charge_file", "short", file.left(31));
    seed("charge_file", "long", file + 'x');
}

void tariffSeeds()
{
    seed("tariff_table", "four-ranges",
        QByteArray(1, char(4 + 1)) + "0\t6\t100\n6\t12\t120\n12\t18\t100\n18\t24\t80");
    seed("tariff_table", "one-range", QByteArray(1, char(1 + 1)) + "0\t24\t65535");
    seed("tariff_table", "gap", QByteArray(1, char(2 + 1)) + "0\t6\t100\n7\t24\t100");
    seed("tariff_table", "hour-256", QByteArray(1, char(2 + 1)) + "0\t256\t100\n256\t24\t100");
    seed("tariff_table", "rate-65536", QByteArray(1, char(1 + 1)) + "0\t24\t65536");
    seed("tariff_table", "blank-cells", QByteArray(1, char(3 + 1)) + "0\t\t1\n\n ");
}

void updateSeeds()
{
    seed("update_list", "list",
        "http://127.0.0.1/Veloka/Veloka\nhttp://127.0.0.1/Veloka/Updater\r\n\n  "
        "http://127.0.0.1/Veloka/english.qm  \n");
    seed("update_list", "escapes",
        "http://127.0.0.1/Veloka/..%2f..%2fetc%2fpasswd\nhttp://127.0.0.1/%2e%2e\nhttp://127.0.0.1/"
        "a%5cb\nhttp://127.0.0.1/c:d\n");
    seed("update_list", "not-urls", "::\n/\nfile:///tmp/x\nhttp://[::1\n");

    seed("ver_ini", "newer", le32(20) + "{\"ver\":21}");
    seed("ver_ini", "same", le32(20) + "{\"ver\":20.9}");
    seed("ver_ini", "text", le32(20) + "{\"ver\":\"99\"}");
    seed("ver_ini", "huge", le32(0x7FFFFFFF) + "{\"ver\":1e308}");
    seed("ver_ini", "array", le32(20) + "[21]");
}

void presetSeeds()
{
    BikeSettingValues bike;
    bike.userKeyText = BuiltinKeys::DefaultUserKeyText;
    seed("preset_images", "bike-setting", QByteArray(1, '\0') + BikeSettingImage::buildPreset(bike));
    bike.modeIndex = BikeMode::FixedFee;
    bike.rates = BikeDefaultMinuteRates;
    seed("preset_images", "bike-fixed-fee", QByteArray(1, '\0') + BikeSettingImage::buildPreset(bike));
    seed("preset_images", "bike-param", QByteArray(1, '\1') + BikeParamImage::build(BikeParamValues()));
    CarSettingValues car;
    car.userKeyText = BuiltinKeys::DefaultUserKeyText;
    seed("preset_images", "car-setting", QByteArray(1, '\2') + CarSettingImage::build(car));
    seed("preset_images", "car-tariff", QByteArray(1, '\3') + CarTariffImage::build(CarTariffValues()));
    seed("preset_images", "car-param", QByteArray(1, '\4') + CarParamImage::build(CarParamValues()));
    const quint32 numbers[3] = { 1, 4294967295u, 123456 };
    seed("preset_images", "blacklist-header",
        QByteArray(1, '\5') + BlacklistCard::buildHeader({ 3, 0, 3 }) + char(3)
            + BlacklistCard::buildSectorData(numbers, 3));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    readerFrameSeeds();
    cardImageSeeds();
    stationConfigSeeds();
    blacklistSeeds();
    chargeFileSeeds();
    tariffSeeds();
    updateSeeds();
    presetSeeds();
    return 0;
}
