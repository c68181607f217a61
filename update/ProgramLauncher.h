#pragma once

#include <QList>
#include <QString>
#include <QStringList>

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
        QStringList arguments;
    };

    // "Updater.exe" on Windows, "Updater" elsewhere.
    static QString updaterProgramName();
    // "Veloka.exe" on Windows, "Veloka" elsewhere.
    static QString stationProgramName();

    // The station started with it does not look for a newer version: the
    // updater starts it so after an update that failed, which would
    // otherwise be offered, and fail, at every start.
    static QString skipUpdateCheckArgument() { return QStringLiteral("--skip-update-check"); }

    // Starts the named file of the working directory. An empty name starts
    // nothing and counts as success; false when the start failed.
    static bool start(const QString& fileName, const QStringList& arguments = QStringList());

    static void setTestMode(bool enabled);
    static bool testMode();
    static void setNextResult(bool started);
    static QList<Request> requests();
    static void clear();
};
