#include "ProgramLauncher.h"

#include <QDebug>
#include <QDir>
#include <QProcess>

namespace {
struct LauncherState
{
    bool testMode = false;
    bool nextResult = true;
    QList<ProgramLauncher::Request> requests;
};

LauncherState& state()
{
    static LauncherState s;
    return s;
}
} // namespace

QString ProgramLauncher::updaterProgramName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Updater.exe");
#else
    return QStringLiteral("Updater");
#endif
}

QString ProgramLauncher::stationProgramName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Veloka.exe");
#else
    return QStringLiteral("Veloka");
#endif
}

bool ProgramLauncher::start(const QString& fileName, const QStringList& arguments)
{
    if (fileName.isEmpty())
        return true;
    // A bare name would be looked up in PATH on some systems; the programs of
    // the station live in its working directory.
    const QDir dir = QDir::current();
    const Request request { QDir::toNativeSeparators(dir.absoluteFilePath(fileName)),
        QDir::toNativeSeparators(dir.absolutePath()), arguments };
    if (state().testMode) {
        state().requests << request;
        return state().nextResult;
    }
    const bool started
        = QProcess::startDetached(request.program, request.arguments, request.workingDirectory);
    if (!started)
        qDebug() << "cannot start" << request.program;
    return started;
}

void ProgramLauncher::setTestMode(bool enabled)
{
    state().testMode = enabled;
}

bool ProgramLauncher::testMode()
{
    return state().testMode;
}

void ProgramLauncher::setNextResult(bool started)
{
    state().nextResult = started;
}

QList<ProgramLauncher::Request> ProgramLauncher::requests()
{
    return state().requests;
}

void ProgramLauncher::clear()
{
    state().requests.clear();
    state().nextResult = true;
}
