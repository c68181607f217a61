#include "KeySequence.h"

#include "CardReader.h"

namespace {

constexpr quint8 LockedSectors = 3; // sectors 0, 1 and 2

bool writeAll(CardReader& reader, const QVector<CardWriteStep>& steps, const SectorKey& key)
{
    for (const CardWriteStep& step : steps) {
        quint32 id = 0;
        const int count = step.data.size() / 16;
        if (reader.writeBlocks(step.firstBlock, count, key, id, step.data) != 0)
            return false;
    }
    return true;
}

bool lockSectors(CardReader& reader, const SectorKey& key)
{
    bool allChanged = true;
    for (quint8 sector = 0; sector < LockedSectors; ++sector) {
        if (reader.changeSectorKey(sector, key, BuiltinKeys::SettingCard) != 0)
            allChanged = false;
    }
    return allChanged;
}

} // namespace

QVector<SectorKey> KeySequence::keys(Keys keys)
{
    if (keys == Keys::WithoutTransport)
        return { BuiltinKeys::SpareCard, BuiltinKeys::DefaultUser, BuiltinKeys::SettingCard };
    return { BuiltinKeys::SpareCard, BuiltinKeys::DefaultUser, BuiltinKeys::Transport,
        BuiltinKeys::SettingCard };
}

int KeySequence::run(CardReader& reader, const QVector<CardWriteStep>& steps, Keys which)
{
    reader.sendPreamble();
    const QVector<SectorKey> tried = keys(which);
    for (int i = 0; i < tried.size(); ++i) {
        if (!writeAll(reader, steps, tried[i]))
            continue;
        if (lockSectors(reader, tried[i]))
            return i;
    }
    return -1;
}
