#include "ReaderStatus.h"

ReaderStatus queryReaderStatus(CardReader& reader)
{
    ReaderStatus status;
    status.code = reader.readDevInfo(status.info);
    if (status.code == ReaderResult::Ok && status.info.mode() != ReaderInfo::SaleMode)
        status.remainRead = reader.readDevRemain(status.remain) == ReaderResult::Ok;
    return status;
}
