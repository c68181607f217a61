#pragma once

#include "BlacklistCard.h"

#include <QStringList>

class CardReader;

// Writes a list of lost card numbers onto as many blacklist cards as it needs.
// Every card is prepared the same way (all sixteen sectors rekeyed to the
// setting-card key) before anything is written to it, so each further card
// may be fresh from the box. Between cards the writer waits on the prompt.
class BlacklistWriter
{
public:
    // The pause between two cards: returns once the operator has put the next
    // card (numbered from 1) on the reader.
    class CardPrompt
    {
    public:
        virtual ~CardPrompt() = default;
        virtual void nextCard(int cardNumber) = 0;
    };

    enum class Outcome {
        Done, // every card written
        DoneEmpty, // an empty list: the header alone, which clears the posts' list
        NotFreshCard, // a sector accepted none of the three keys
        BadRow, // row is not an unsigned 32-bit decimal number
        EmptyHeaderFailed, // the header of an empty list could not be written
        SectorFailed, // a full sector with more numbers after it
        LastSectorFailed, // the sector holding the list's last numbers
        FullHeaderFailed, // the header of a card that is followed by another
        LastHeaderFailed, // the header of the last card
    };
    struct Result
    {
        Outcome outcome = Outcome::Done;
        int row = 0; // 1-based, for BadRow
        int card = 0; // 1-based card the operation ended on
    };

    BlacklistWriter(CardReader* reader, CardPrompt* prompt);

    // rows holds at most BlacklistCard::MaxRows entries.
    Result write(const QStringList& rows);

private:
    Result writeCards(const QStringList& rows);
    bool prepareCard();
    int writeBlock(int block, const QByteArray& data);

    CardReader* m_reader;
    CardPrompt* m_prompt;
};
