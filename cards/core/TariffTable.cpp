#include "TariffTable.h"

namespace {

bool wholeNumber(const QString& text, int& value)
{
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok;
}

} // namespace

TariffCheck checkTariffRows(const QVector<TariffRowTexts>& rows, int rangeCount, QVector<TariffRange>& ranges)
{
    ranges.clear();
    for (int i = 0; i < rangeCount; ++i) {
        const int row = i + 1;
        const TariffRowTexts cells = i < rows.size() ? rows[i] : TariffRowTexts {};
        int start = 0;
        int end = 0;
        int rate = 0;
        if (!wholeNumber(cells[0], start))
            return { TariffCheck::BadStart, row };
        if (start < 0 || start > 0xFF)
            return { TariffCheck::HourOutOfRange, row };
        if (!wholeNumber(cells[1], end))
            return { TariffCheck::BadEnd, row };
        if (end < 0 || end > 0xFF)
            return { TariffCheck::HourOutOfRange, row };
        if (!wholeNumber(cells[2], rate))
            return { TariffCheck::BadRate, row };
        if (rate < 0 || rate > 0xFFFF)
            return { TariffCheck::RateOutOfRange, row };
        ranges.append({ quint8(start), quint8(end), quint16(rate) });
    }
    if (ranges.isEmpty())
        return { TariffCheck::LastNotToTwentyFour, 0 };
    if (ranges.first().startHour != 0)
        return { TariffCheck::FirstNotFromZero, 1 };
    if (ranges.last().endHour != 24)
        return { TariffCheck::LastNotToTwentyFour, int(ranges.size()) };
    for (int k = 1; k < ranges.size(); ++k) {
        if (ranges[k].startHour != ranges[k - 1].endHour)
            return { TariffCheck::NotContiguous, k + 1 };
    }
    return { TariffCheck::Ok, 0 };
}
