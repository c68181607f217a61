#include "PgTestServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

const QString kSuperuser = QStringLiteral("postgres");
const QString kTemplate = QStringLiteral("veloka_template");
// scripts/setup creates this user when run as root.
const char* const kServerUser = "veloka-pg";

} // namespace

PgTestServer::PgTestServer()
    : m_binDir(qEnvironmentVariable("VELOKA_PG_BINDIR", QStringLiteral("/usr/lib/postgresql/15/bin")))
{
}

PgTestServer::~PgTestServer()
{
    if (m_running)
        stop(QStringLiteral("immediate"));
}

QString PgTestServer::tool(const QString& name) const
{
    return m_binDir + QLatin1Char('/') + name;
}

bool PgTestServer::run(
    const QString& program, const QStringList& arguments, bool asServerUser, const QByteArray& input)
{
    QProcess process;
    process.setWorkingDirectory(socketDir());
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGHOST"), socketDir());
    environment.insert(QStringLiteral("PGPORT"), QString::number(m_port));
    environment.insert(QStringLiteral("PGUSER"), kSuperuser);
    environment.insert(QStringLiteral("PSQL"), tool(QStringLiteral("psql")));
    process.setProcessEnvironment(environment);
    if (asServerUser && !m_serverUser.isEmpty()) {
        process.start(QStringLiteral("setpriv"),
            QStringList { QStringLiteral("--reuid=") + m_serverUser,
                QStringLiteral("--regid=") + m_serverUser, QStringLiteral("--init-groups"), program }
                + arguments);
    } else {
        process.start(program, arguments);
    }
    if (!process.waitForStarted()) {
        m_error = program + QStringLiteral(": ") + process.errorString();
        return false;
    }
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        m_error = QFileInfo(program).fileName() + QStringLiteral(" failed: ")
            + QString::fromLocal8Bit(process.readAll()).trimmed();
        return false;
    }
    return true;
}

QStringList PgTestServer::pgCtl(const QString& command) const
{
    return { QStringLiteral("-D"), socketDir() + QStringLiteral("/data"), QStringLiteral("-s"),
        QStringLiteral("-w"), command };
}

bool PgTestServer::start()
{
    if (!QFileInfo::exists(tool(QStringLiteral("initdb")))) {
        m_error = tool(QStringLiteral("initdb"))
            + QStringLiteral(" is missing (scripts/setup installs postgresql)");
        return false;
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/veloka-pg-XXXXXX"));
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    // The socket lives in our own folder and nothing listens on TCP, so any
    // number is free; it only names the socket file.
    m_port = 20000 + int(QCoreApplication::applicationPid() % 40000);

    if (geteuid() == 0) {
        const passwd* user = getpwnam(kServerUser);
        if (!user) {
            m_error = QStringLiteral("running as root, but user %1 is missing: run scripts/setup")
                          .arg(QLatin1String(kServerUser));
            return false;
        }
        m_serverUser = QLatin1String(kServerUser);
        if (chown(QFile::encodeName(socketDir()).constData(), user->pw_uid, user->pw_gid) != 0) {
            m_error = QStringLiteral("cannot hand the folder to ") + m_serverUser;
            return false;
        }
    }

    // fsync stays on for the server; initdb's own final sync of its fresh
    // files buys nothing for a throw-away cluster and costs a second.
    if (!run(tool(QStringLiteral("initdb")),
            { QStringLiteral("-D"), socketDir() + QStringLiteral("/data"), QStringLiteral("-U"), kSuperuser,
                QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync"),
                QStringLiteral("--no-instructions") },
            true))
        return false;
    if (!resume())
        return false;

    const QString setup = QStringLiteral(VELOKA_SOURCE_DIR "/scripts/server-setup");
    if (!run(QStringLiteral("bash"),
            { setup, QStringLiteral("--database"), kTemplate, QStringLiteral("--owner"), ownerRole(),
                QStringLiteral("--station"), stationRole() },
            false))
        return false;
    return true;
}

bool PgTestServer::resume()
{
    const QString options = QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -p %2")
                                .arg(socketDir())
                                .arg(m_port);
    m_running = run(tool(QStringLiteral("pg_ctl")),
        pgCtl(QStringLiteral("start"))
            + QStringList { QStringLiteral("-l"), socketDir() + QStringLiteral("/server.log"),
                QStringLiteral("-o"), options },
        true);
    return m_running;
}

bool PgTestServer::stop(const QString& mode)
{
    // The restart after an immediate stop replays the log since the last
    // checkpoint, which holds a copy of every database made so far: over a
    // minute on a saturated machine. The rows in flight stay uncommitted.
    if (mode == QLatin1String("immediate"))
        runAdmin(QStringLiteral("postgres"), QStringLiteral("checkpoint"));
    const bool ok = run(tool(QStringLiteral("pg_ctl")),
        pgCtl(QStringLiteral("stop")) + QStringList { QStringLiteral("-m"), mode }, true);
    if (ok)
        m_running = false;
    return ok;
}

QString PgTestServer::freshLedger()
{
    const QString name = QStringLiteral("veloka_%1").arg(++m_databases);
    if (!runAdmin(QStringLiteral("postgres"),
            QStringLiteral("create database %1 template %2 owner %3").arg(name, kTemplate, ownerRole())))
        return QString();
    return name;
}

QString PgTestServer::emptyDatabase()
{
    const QString name = QStringLiteral("empty_%1").arg(++m_databases);
    if (!runAdmin(
            QStringLiteral("postgres"), QStringLiteral("create database %1 owner %2").arg(name, ownerRole())))
        return QString();
    return name;
}

bool PgTestServer::runAdmin(const QString& database, const QString& sql)
{
    return run(tool(QStringLiteral("psql")),
        { QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
            QStringLiteral("-d"), database },
        false, sql.toUtf8());
}

ServerSettings PgTestServer::stationSettings(const QString& database) const
{
    ServerSettings settings;
    settings.useServer = true;
    settings.host = socketDir();
    settings.port = m_port;
    settings.database = database;
    settings.user = stationRole();
    return settings;
}
