#include "StationCommand.h"

#include "Database.h"
#include "DatabaseBackup.h"
#include "DatabaseImport.h"
#include "ServerConnection.h"
#include "ServerSettings.h"
#include "StationLanguage.h"

#include <QCoreApplication>
#include <QTranslator>
#include <cstdio>
#include <cstring>

namespace {

const char* const kImport = "--import";
const char* const kExport = "--export-snapshot";

// The ledger as the login window opens it; the reason when it cannot be.
QString openLedger()
{
    const ServerSettings server = loadServerSettings();
    if (server.unreadable)
        return kServerSettingsFileName;
    const DatabaseStartup startup = server.useServer ? prepareServerDatabase(server) : prepareDatabase();
    if (server.useServer && (!startup.opened || startup.schemaMissing))
        return server.address() + QStringLiteral(": ") + startup.serverError;
    if (!startup.opened)
        return kDatabaseFileName;
    return QString();
}

// The store's debug lines and Qt's warnings would bury the one line a script
// reads; only what ends the program is kept.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toUtf8().constData());
}

} // namespace

bool StationCommand::requested(int argc, char* argv[])
{
    return argc > 1 && (std::strcmp(argv[1], kImport) == 0 || std::strcmp(argv[1], kExport) == 0);
}

int StationCommand::run(const QStringList& arguments)
{
    const QtMessageHandler previous = qInstallMessageHandler(quietMessages);
    const int code = runJob(arguments);
    qInstallMessageHandler(previous);
    return code;
}

int StationCommand::runJob(const QStringList& arguments)
{
    // The lines speak the station's language, as its windows do.
    QTranslator translator;
    installStationLanguage(translator);
    if (arguments.size() != 3 || arguments.at(2).isEmpty())
        return usage();
    const QString job = arguments.at(1);
    if (job == QLatin1String(kImport))
        return import(arguments.at(2));
    if (job == QLatin1String(kExport))
        return exportSnapshot(arguments.at(2));
    return usage();
}

int StationCommand::usage()
{
    return fail(tr("用法：Veloka --import 文件 | --export-snapshot 文件"));
}

int StationCommand::import(const QString& file)
{
    const QString closed = openLedger();
    if (!closed.isEmpty())
        return fail(tr("无法打开账本数据库：%1").arg(closed));
    DatabaseImport importer;
    if (!importer.open(file))
        return fail(tr("打开数据库失败：%1").arg(file));
    const DatabaseImport::Result result = importer.merge();
    if (result.outcome == DatabaseImport::Outcome::SameFile)
        return fail(tr("不能把数据库导入它自己：%1").arg(file));
    if (result.outcome != DatabaseImport::Outcome::Merged)
        return fail(tr("导入失败：已新增%1条，跳过%2条").arg(result.merged).arg(result.skipped));
    return done(tr("导入数据库成功：新增%1条，跳过%2条（其中卡号无效%3条，金额无效%4条）")
                    .arg(result.merged)
                    .arg(result.skipped)
                    .arg(result.badCard)
                    .arg(result.badMoney));
}

int StationCommand::exportSnapshot(const QString& file)
{
    const QString closed = openLedger();
    if (!closed.isEmpty())
        return fail(tr("无法打开账本数据库：%1").arg(closed));
    switch (DatabaseBackup::snapshot(file)) {
    case DatabaseBackup::Outcome::Copied:
        return done(tr("备份数据库成功：%1").arg(file));
    case DatabaseBackup::Outcome::SameFile:
        return fail(tr("不能备份到数据库文件本身：%1").arg(file));
    case DatabaseBackup::Outcome::CopyFailed:
        break;
    }
    return fail(tr("备份数据库失败：%1").arg(file));
}

int StationCommand::fail(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    return 1;
}

int StationCommand::done(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    return 0;
}
