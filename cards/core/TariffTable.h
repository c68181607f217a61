#pragma once

#include "CarCardImages.h"

#include <QString>
#include <QVector>
#include <array>

// The tariff table as typed: per row the start, end and rate cell texts. A
// missing cell is a null string.
using TariffRowTexts = std::array<QString, 3>;

struct TariffCheck
{
    enum Code {
        Ok,
        BadStart, // row: start cell not a whole number
        BadEnd, // row: end cell not a whole number
        BadRate, // row: rate cell not a whole number
        HourOutOfRange, // row: an hour outside 0..255 does not fit its byte
        RateOutOfRange, // row: a rate outside 0..65535 does not fit its field
        FirstNotFromZero,
        LastNotToTwentyFour,
        NotContiguous, // row: starts elsewhere than row - 1 ends
    };
    Code code = Ok;
    int row = 0; // 1-based range number the message names
};

// Converts and checks the first rangeCount rows in table order; the first
// failure is reported. Only the first start, the last end and contiguity are
// checked: a range may be empty or run backwards.
TariffCheck checkTariffRows(
    const QVector<TariffRowTexts>& rows, int rangeCount, QVector<TariffRange>& ranges);
