// The blacklist's text list file as imported, and its rows as card numbers.
#include "BlacklistCard.h"
#include "BlacklistFile.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = fuzzFilePath("blacklist");
    fuzzWriteFile(path, fuzzBytes(data, size));

    QStringList rows;
    FUZZ_CHECK(BlacklistFile::read(path, BlacklistCard::MaxRows, rows));
    FUZZ_CHECK(rows.size() <= BlacklistCard::MaxRows);

    QVector<quint32> numbers;
    const int bad = BlacklistCard::parseRows(rows, numbers);
    FUZZ_CHECK(bad >= 0 && bad <= rows.size());
    FUZZ_CHECK(numbers.size() == (bad == 0 ? rows.size() : bad - 1));
    if (bad > 0) {
        quint32 ignored = 0;
        FUZZ_CHECK(!BlacklistCard::parseRow(rows.at(bad - 1), ignored));
    }
    // A number read back is the row's digits without leading zeros.
    for (int i = 0; i < numbers.size(); ++i) {
        QString digits = rows.at(i).trimmed();
        while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        FUZZ_CHECK(QString::number(numbers.at(i)) == digits);
    }

    // The numbers laid out on cards come back unchanged.
    const QVector<BlacklistCard::CardSlice> slices = BlacklistCard::splitIntoCards(numbers.size());
    int covered = 0;
    for (const BlacklistCard::CardSlice& slice : slices) {
        FUZZ_CHECK(slice.index == covered);
        FUZZ_CHECK(slice.count >= 0 && slice.count <= BlacklistCard::NumbersPerCard);
        covered += slice.count;
        for (int at = 0; at < slice.count; at += BlacklistCard::NumbersPerSector) {
            const int count = std::min(BlacklistCard::NumbersPerSector, slice.count - at);
            const QByteArray sector
                = BlacklistCard::buildSectorData(numbers.constData() + slice.index + at, count);
            FUZZ_CHECK(sector.size() == BlacklistCard::SectorDataBytes);
            const QVector<quint32> back = BlacklistCard::parseSectorData(sector, count);
            FUZZ_CHECK(back == numbers.mid(slice.index + at, count));
        }
    }
    FUZZ_CHECK(covered == numbers.size());
    return 0;
}
