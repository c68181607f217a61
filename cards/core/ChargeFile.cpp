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

QByteArray build(const Contents& contents, const QByteArray& tail16)
{
    quint8 block[BlockBytes] = {};
    writeLe32(block + OffsetAmount, contents.amount);
    writeLe16(block + OffsetSerial, contents.serial);
    writeLe16(block + OffsetVersion, contents.version);
    encryptBlock(block, BuiltinKeys::ChargeFile);
    QByteArray file(reinterpret_cast<const char*>(block), BlockBytes);
    QByteArray tail = tail16.left(BlockBytes);
    tail.append(QByteArray(BlockBytes - tail.size(), '\0'));
    return file + tail;
}

} // namespace ChargeFile
