// The user sector as read from a card: the encrypted value image (main and
// backup copy) and the plain binding block.
#include "BindBlock.h"
#include "CardCrypto.h"
#include "CardImage.h"
#include "FuzzCheck.h"

// Layout: main-copy size (0..32), card id, limit, main copy, backup copy.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 9)
        return 0;
    const int mainSize = data[0] % 33;
    const quint32 id = readLe32(data + 1);
    const quint32 limit = readLe32(data + 5);
    const QByteArray rest = fuzzBytes(data + 9, size - 9);
    const QByteArray block2 = rest.left(mainSize);
    const QByteArray block1 = rest.mid(mainSize);

    const CardImageCheck check = checkCardImage(block2, block1, id, limit);
    switch (check.outcome) {
    case CardImageCheck::Invalid:
        FUZZ_CHECK(check.source == CardImageCheck::None);
        break;
    case CardImageCheck::Accepted:
        FUZZ_CHECK(check.image.id == id);
        FUZZ_CHECK(check.image.balance <= limit);
        break;
    case CardImageCheck::IdMismatch:
        FUZZ_CHECK(check.image.id != id);
        break;
    case CardImageCheck::BalanceAboveLimit:
        FUZZ_CHECK(check.image.id == id);
        FUZZ_CHECK(check.image.balance > limit);
        break;
    }
    if (check.outcome != CardImageCheck::Invalid) {
        FUZZ_CHECK(check.source != CardImageCheck::None);
        FUZZ_CHECK(check.image.crcMatches());
        // A copy only counts when it is a whole block.
        const QByteArray& used = check.source == CardImageCheck::Block2 ? block2 : block1;
        FUZZ_CHECK(used.size() == CardImage::Size);
    }

    // The same bytes as a binding block: a bound block is rebuilt identically
    // (the post lives in two fields, which must agree for a block we wrote).
    const Binding binding = readBinding(block2);
    if (!binding.bound)
        return 0;
    FUZZ_CHECK(block2.size() == 16);
    if (binding.post != 0 && binding.post16 == quint16(binding.post)) {
        const QByteArray rebuilt = makeBindBlock(binding.post, binding.port);
        const Binding again = readBinding(rebuilt);
        FUZZ_CHECK(again.bound && again.post == binding.post && again.port == binding.port);
    }
    return 0;
}
