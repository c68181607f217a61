#pragma once

#include <QString>

// Copies the station's database file into a folder the operator chose. The
// earlier backup there is replaced only by a complete copy.
namespace DatabaseBackup {

// The backup always carries the name "database.db".
QString targetPath(const QString& folder);

enum class Outcome {
    Copied,
    SameFile, // the folder is the one the live database lives in
    CopyFailed,
};

Outcome copy(const QString& source, const QString& target);

// Writes the ledger of the default connection, file or server, as a new
// station file with the station's own table layouts and every row with its
// id, read in one consistent view, so that any station can open or merge it.
Outcome snapshot(const QString& target);

// The backup of the system menu: the live file copied, or a snapshot of the
// server.
Outcome backup(const QString& target);

} // namespace DatabaseBackup
