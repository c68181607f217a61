#pragma once

#include "BuiltinKeys.h"

#include <QByteArray>
#include <QVector>

class CardReader;

// One run of consecutive block writes: data holds 16 bytes per block.
struct CardWriteStep
{
    quint8 firstBlock = 0;
    QByteArray data;
};

// Prepares a card for a configuration card: tries the keys a card may carry
// (spare card, default user, transport, setting card), writes the images with
// the first that works and leaves sectors 0 to 2 locked with the setting-card
// key.
namespace KeySequence {

enum class Keys {
    All,
    // The bike parameter card is only ever made on a card that has been
    // through the station before, never on a factory blank.
    WithoutTransport,
};

QVector<SectorKey> keys(Keys keys);

// Sends the preamble once, then for each key: every step from the first (a
// key never continues where an earlier one stopped), then the key change of
// sectors 0, 1 and 2 (all three attempted). Returns the index into keys() of
// the key that made the card, or -1.
int run(CardReader& reader, const QVector<CardWriteStep>& steps, Keys keys);

} // namespace KeySequence
