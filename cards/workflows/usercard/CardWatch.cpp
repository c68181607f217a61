#include "CardWatch.h"

CardWatch::CardWatch(CardReader* reader)
    : m_reader(reader)
{
}

std::optional<quint32> CardWatch::newCard()
{
    quint32 id = 0;
    if (m_reader->readCardId(id) != ReaderResult::Ok || id == m_lastSeen)
        return std::nullopt;
    m_lastSeen = id;
    return id;
}
