#include "ChargeFile.h"

#include "CardCrypto.h"

#include <cstring>

namespace ChargeFile {

namespace {
constexpr int BlockBytes = 16;
constexpr int OffsetAmount = 0;
constexpr int OffsetSerial = 4;
constexpr int OffsetVersion = 6;
} // namespace

bool parse(const QByteArray& file, Contents& contents)
{
    if (file.size() != Size)
        return false;
    quint8 block[BlockBytes];
    memcpy(block, file.constData(), BlockBytes);
    decryptBlock(block, BuiltinKeys::ChargeFile);
    contents.amount = readLe32(block + OffsetAmount);
    contents.serial = readLe16(block + OffsetSerial);
    contents.version = readLe16(block + OffsetVersion);
    return true;
}

} // namespace ChargeFile
