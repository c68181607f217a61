#pragma once

#include <QCoreApplication>
#include <QStringList>

// The station's command-line jobs, run without windows or a reader, on the
// ledger the station would open (server.ini in the working directory, else
// database.db there):
//   Veloka --import FILE            merges another station's database.db
//   Veloka --export-snapshot FILE   writes the ledger as a station file
// Each says how it ended in one line on stderr.
class StationCommand
{
    Q_DECLARE_TR_FUNCTIONS(StationCommand)

public:
    // Whether the program's arguments ask for a job rather than the windows.
    static bool requested(int argc, char* argv[]);

    // Runs the job the arguments (program name first) name: 0 done, 1 failed
    // or not understood.
    int run(const QStringList& arguments);

private:
    int runJob(const QStringList& arguments);
    int import(const QString& file);
    int exportSnapshot(const QString& file);
    int usage();
    int fail(const QString& line);
    int done(const QString& line);
};
