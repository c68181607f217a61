#pragma once

#include "CardReader.h"

// The reader's own information, read fresh for the information button.
struct ReaderStatus
{
    int code = 0; // readDevInfo result; the rest is valid when 0
    ReaderInfo info;
    bool remainRead = false; // share mode only: readDevRemain succeeded
    ReaderRemain remain;
};

ReaderStatus queryReaderStatus(CardReader& reader);
