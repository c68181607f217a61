#include "BlacklistWriter.h"

#include "AuditTrail.h"
#include "BuiltinKeys.h"
#include "CardReader.h"

using namespace BlacklistCard;

BlacklistWriter::BlacklistWriter(CardReader* reader, CardPrompt* prompt)
    : m_reader(reader)
    , m_prompt(prompt)
{
}

bool BlacklistWriter::prepareCard()
{
    // A card already made into a blacklist card keeps the setting-card key;
    // a returned user card has the spare-card key; a new one the transport key.
    static const SectorKey candidates[]
        = { BuiltinKeys::SettingCard, BuiltinKeys::SpareCard, BuiltinKeys::Transport };
    for (int sector = 0; sector < SectorCount; ++sector) {
        bool changed = false;
        for (const SectorKey& key : candidates) {
            if (m_reader->changeSectorKey(quint8(sector), key, BuiltinKeys::SettingCard) == 0) {
                changed = true;
                break;
            }
        }
        if (!changed)
            return false;
    }
    return true;
}

int BlacklistWriter::writeBlock(int block, const QByteArray& data)
{
    quint32 id = 0;
    return m_reader->writeBlocks(quint8(block), data.size() / 16, BuiltinKeys::SettingCard, id, data);
}

BlacklistWriter::Result BlacklistWriter::write(const QStringList& rows)
{
    const Result result = writeCards(rows);
    const bool done = result.outcome == Outcome::Done || result.outcome == Outcome::DoneEmpty;
    AuditTrail::record(AuditAction::BlacklistCard, QStringLiteral("%1 numbers").arg(rows.size()),
        AuditTrail::outcome(done, int(result.outcome)) + QStringLiteral(" card %1").arg(result.card));
    return result;
}

BlacklistWriter::Result BlacklistWriter::writeCards(const QStringList& rows)
{
    Q_ASSERT(rows.size() <= MaxRows);
    Result result;
    result.card = 1;
    if (!prepareCard()) {
        result.outcome = Outcome::NotFreshCard;
        return result;
    }

    QVector<quint32> numbers;
    result.row = parseRows(rows, numbers);
    if (result.row != 0) {
        result.outcome = Outcome::BadRow;
        return result;
    }

    const int total = numbers.size();
    if (total == 0) {
        const bool ok = writeBlock(HeaderBlock, buildHeader(Header {})) == 0;
        result.outcome = ok ? Outcome::DoneEmpty : Outcome::EmptyHeaderFailed;
        return result;
    }

    const QVector<CardSlice> cards = splitIntoCards(total);
    for (int k = 0; k < cards.size(); ++k) {
        const CardSlice& slice = cards.at(k);
        const bool lastCard = k == cards.size() - 1;
        result.card = k + 1;
        if (k > 0) {
            m_prompt->nextCard(k + 1);
            if (!prepareCard()) {
                result.outcome = Outcome::NotFreshCard;
                return result;
            }
        }

        int sector = FirstNumberSector;
        for (int done = 0; done < slice.count; done += NumbersPerSector, ++sector) {
            const int first = slice.index + done;
            const int n = qMin(NumbersPerSector, slice.count - done);
            const QByteArray data = buildSectorData(numbers.constData() + first, n);
            if (writeBlock(sector * 4, data) != 0) {
                const bool listEnds = total - first <= NumbersPerSector;
                result.outcome = listEnds ? Outcome::LastSectorFailed : Outcome::SectorFailed;
                return result;
            }
        }

        const Header header { quint16(total), quint16(slice.index), quint16(slice.count) };
        if (writeBlock(HeaderBlock, buildHeader(header)) != 0) {
            result.outcome = lastCard ? Outcome::LastHeaderFailed : Outcome::FullHeaderFailed;
            return result;
        }
    }
    result.outcome = Outcome::Done;
    return result;
}
