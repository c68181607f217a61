#pragma once

#include "CardReader.h"

#include <optional>

// Continuous modes: tells when a card other than the last one seen lies on the
// reader. The last seen id is kept for the life of the window, so laying the
// same card down again does not count as new.
class CardWatch
{
public:
    explicit CardWatch(CardReader* reader);
    std::optional<quint32> newCard();

private:
    CardReader* m_reader;
    quint32 m_lastSeen = 0;
};
