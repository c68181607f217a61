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

} // namespace DatabaseBackup
