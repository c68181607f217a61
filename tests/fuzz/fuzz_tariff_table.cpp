// The car tariff table's cells as typed by the operator.
#include "FuzzCheck.h"
#include "TariffTable.h"

// Layout: range count byte, then rows separated by '\n', cells by '\t'.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // -1 .. 10: the form offers 1 to 8 ranges; the rest must not confuse the check.
    const int rangeCount = int(data[0] % 12) - 1;
    const QString text = QString::fromUtf8(fuzzBytes(data + 1, size - 1));
    QVector<TariffRowTexts> rows;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        TariffRowTexts row;
        for (int i = 0; i < 3 && i < cells.size(); ++i)
            row[size_t(i)] = cells.at(i);
        rows.append(row);
    }

    QVector<TariffRange> ranges;
    const TariffCheck check = checkTariffRows(rows, rangeCount, ranges);
    FUZZ_CHECK(check.row >= 0 && check.row <= std::max(rangeCount, 0));
    if (check.code != TariffCheck::Ok)
        return 0;
    FUZZ_CHECK(ranges.size() == rangeCount);
    FUZZ_CHECK(ranges.first().startHour == 0);
    FUZZ_CHECK(ranges.last().endHour == 24);
    for (int k = 0; k < ranges.size(); ++k) {
        if (k > 0)
            FUZZ_CHECK(ranges[k].startHour == ranges[k - 1].endHour);
        FUZZ_CHECK(ranges[k].rateFen == rows[k][2].toInt());
    }
    return 0;
}
