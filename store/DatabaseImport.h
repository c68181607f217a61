#pragma once

#include <QString>

// Merges the four record tables of another station's database file into the
// station's own, table by table in the order user, record, backcard, devch,
// skipping rows the station already holds:
//   user      same card number
//   record    same card number and same time stamp
//   backcard  same card number and same time stamp
//   devch     same time stamp
// New rows get new ids; imported users come unbound. The man table is never
// read. Rows whose card number or amounts are no such values are skipped and
// counted. The source file is only read. Rows are merged in batches of source
// rows; whatever was merged before a cancel or a failed insert is committed
// and stays, down to the rows before a refused one within its batch. Of
// several source rows with one key, the first is merged.
class DatabaseImport
{
public:
    enum class Table { User, Record, BackCard, DevCh };
    enum class Outcome {
        Merged,
        OpenFailed,
        SameFile, // the file is the station's own database
        Cancelled,
        InsertFailed,
        Incomplete, // fewer rows were read than the source holds
        Damaged, // a source table is there but its rows cannot be counted
    };
    struct Result
    {
        Outcome outcome = Outcome::OpenFailed;
        Table table = Table::User; // where it stopped, for Cancelled, InsertFailed, Incomplete and Damaged
        qint64 held = 0; // rows the source tables hold
        int read = 0;
        int merged = 0;
        int skipped = 0; // read but not merged: present already, or of the two kinds below
        int badCard = 0; // a card number that is no 32-bit unsigned number
        int badMoney = 0; // an amount that is no amount of fen
    };

    // What the progress window sees: the range of each table (the source's
    // highest id, 0 when empty) and, before each batch, the count of the
    // source row it starts with. A false return from rowReached cancels
    // before that batch is merged.
    class Progress
    {
    public:
        virtual ~Progress() = default;
        virtual void tableStarted(Table table, int maximum) = 0;
        virtual bool rowReached(int count) = 0;
    };

    static inline const QString kConnectionName = QStringLiteral("db2");

    // Points the "db2" connection (registered at the first import, reused
    // after) at the file and opens it read-only. False when the file cannot be
    // opened, is not an SQLite database or holds none of the record tables.
    bool open(const QString& fileName);

    // Whether the file is the station's live database, under any path or link.
    static bool isStationFile(const QString& fileName);

    // Merges from the file open() opened, which is attached to the station's
    // connection for the length of the merge. OpenFailed when it cannot be.
    // On the server the file is read through its own connection and merged
    // row by row, one transaction per table: a refused row undoes the rows of
    // its table merged in this run.
    Result merge(Progress* progress = nullptr);

    // Indexes on the columns the duplicate look-ups search; the table layouts
    // stay as they are. Created on the station's database before a merge.
    static bool createLookupIndexes();

    // Source rows per statement; progress and cancel are seen between two.
    void setBatchSize(int rows) { m_batchSize = rows > 0 ? rows : 1; }

private:
    bool openSource(const QString& fileName);
    Result mergeSource(Progress* progress);

    int m_batchSize = 5000;
};
