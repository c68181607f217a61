#pragma once

#include <QString>
#include <QStringList>

// Puts a downloaded set of program files in place. The updater downloads every
// file of update.ini under its temporary name first and installs the set only
// once all of them arrived: a failure part-way leaves the installed program as
// it was, so the station can still start.
namespace UpdateInstall {

// The name a file is downloaded under until it is installed.
QString temporaryName(const QString& fileName);

// True for the file names the installed program consists of in the working
// directory: the station and the updater under their names on this platform.
// The ledger, the configuration, the outbox and every other file there are the
// station's data, which an update must never overwrite.
bool isProgramFile(const QString& fileName);

// How the updater takes the addresses of update.ini: every one must name one
// of the program's files. On refusal `refused` is the address that names no
// file or the file name that is none of the program's.
enum class ListVerdict { Accepted, AddressRefused, NotProgramFile };
ListVerdict checkList(const QStringList& addresses, QStringList& localNames, QString& refused);

// Replaces `to` by `from` in one step: at every moment `to` is either the old
// or the new file, never missing.
bool replaceFile(const QString& from, const QString& to);

// True when the file holds a whole program in this platform's executable
// format. An error page served with a success status is none, and on ELF
// systems neither is a program cut short before its header tables end.
bool isCompleteProgram(const QString& path);

enum class Outcome { Installed, Missing, NotAProgram, ReplaceFailed };
struct Result
{
    Outcome outcome = Outcome::Installed;
    QString fileName; // the file that could not be installed
};

// Moves each file's temporary copy over the file, giving it the mode of the
// file it replaces (a program new to the directory becomes executable). A
// copy that is no complete program is refused before anything changes. Either
// every file is replaced or, on failure, every file is back as it was and the
// temporary copies are gone.
Result installSet(const QStringList& fileNames);

// Removes the temporary copies of the listed files, complete or partial.
void discardSet(const QStringList& fileNames);

} // namespace UpdateInstall
