#include "BindBlock.h"

#include "CardCrypto.h"

namespace {

constexpr int Size = 16;
constexpr int Post16Offset = 0;
constexpr int PortOffset = 2;
constexpr int PostOffset = 4;
constexpr int CrcOffset = 12;

} // namespace

QByteArray makeBindBlock(quint32 post, quint8 port)
{
    QByteArray block(Size, '\0');
    if (post == 0)
        return block;
    auto* p = bytesOf(block);
    writeLe16(p + Post16Offset, quint16(post));
    p[PortOffset] = port;
    writeLe32(p + PostOffset, post);
    writeLe32(p + CrcOffset, cardCrc32(p, CrcOffset));
    return block;
}

Binding readBinding(const QByteArray& block16)
{
    Binding binding;
    if (block16.size() != Size)
        return binding;
    const auto* p = bytesOf(block16);
    if (readLe32(p + CrcOffset) != cardCrc32(p, CrcOffset))
        return binding;
    binding.bound = true;
    binding.post16 = readLe16(p + Post16Offset);
    binding.port = p[PortOffset];
    binding.post = readLe32(p + PostOffset);
    return binding;
}
