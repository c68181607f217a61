#pragma once

#include <QList>
#include <QString>

// Starts another program of the system detached, from the working directory.
// In test mode nothing is started: each request is recorded and answered with
// the configured result.
class ProgramLauncher
{
public:
    struct Request
    {
        QString program; // absolute path in the working directory
        QString workingDirectory;
    };

    // "Updater.exe" on Windows, "Updater" elsewhere.
    static QString updaterProgramName();
    // "Veloka.exe" on Windows, "Veloka" elsewhere.
    static QString stationProgramName();

    // Starts the named file of the working directory. An empty name starts
    // nothing and counts as success; false when the start failed.
    static bool start(const QString& fileName);

    static void setTestMode(bool enabled);
    static bool testMode();
    static void setNextResult(bool started);
    static QList<Request> requests();
    static void clear();
};
