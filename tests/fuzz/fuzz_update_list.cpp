// update.ini from the update server: addresses whose file names are written
// into the working directory.
#include "FuzzCheck.h"
#include "UpdateText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzBytes(data, size));
    const QStringList addresses = UpdateText::parseUpdateList(text);
    for (const QString& address : addresses) {
        FUZZ_CHECK(!address.isEmpty());
        FUZZ_CHECK(address == address.trimmed());
        FUZZ_CHECK(!address.contains(QLatin1Char('\n')));

        // Whatever the server lists, the download lands directly in the
        // working directory or nowhere.
        const QString local = UpdateText::localFileName(address);
        if (local.isEmpty())
            continue;
        FUZZ_CHECK(local.startsWith(QStringLiteral("./")));
        const QString name = local.mid(2);
        FUZZ_CHECK(!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String(".."));
        for (const QChar c : name)
            FUZZ_CHECK(c != QLatin1Char('/') && c != QLatin1Char('\\') && c != QLatin1Char(':')
                && c.unicode() >= 0x20);
    }
    return 0;
}
