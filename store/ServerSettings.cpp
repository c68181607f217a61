#include "ServerSettings.h"

#include "AuditTrail.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString kBackendServer = QStringLiteral("postgresql");
const QString kBackendFile = QStringLiteral("sqlite");

// A connect-option value in libpq's quoting. QPSQL turns every ";" of the
// options into a blank, so a value holding one cannot be passed at all.
QString quotedOption(QString value)
{
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

} // namespace

QString ServerSettings::address() const
{
    return (host.isEmpty() ? QStringLiteral("localhost") : host) + QLatin1Char(':') + QString::number(port)
        + QLatin1Char('/') + database;
}

QString ServerSettings::connectOptions() const
{
    // A station must not hang at start or at a test when the server is away.
    QString options = QStringLiteral("connect_timeout=5;application_name=Veloka");
    if (!passFile.isEmpty() && !passFile.contains(QLatin1Char(';')))
        options += QStringLiteral(";passfile=") + quotedOption(passFile);
    return options;
}

bool ServerSettings::operator==(const ServerSettings& other) const
{
    return useServer == other.useServer && host == other.host && port == other.port
        && database == other.database && user == other.user && passFile == other.passFile;
}

ServerSettings loadServerSettings(const QString& path)
{
    ServerSettings settings;
    QFile file(path);
    if (!file.exists())
        return settings;
    const QJsonDocument document
        = file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()) : QJsonDocument();
    if (!document.isObject()) {
        settings.unreadable = true;
        return settings;
    }
    const QJsonObject object = document.object();
    const auto readText = [&object](const char* key, QString& field) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isString())
            field = value.toString();
    };
    readText("host", settings.host);
    readText("database", settings.database);
    readText("user", settings.user);
    readText("passfile", settings.passFile);
    const QJsonValue port = object.value(QStringLiteral("port"));
    if (port.isDouble() && port.toInt(0) > 0 && port.toInt(0) <= 65535)
        settings.port = port.toInt();
    settings.useServer = object.value(QStringLiteral("backend")).toString() == kBackendServer;
    return settings;
}

namespace {

bool writeServerSettings(const ServerSettings& settings, const QString& path)
{
    QJsonObject object;
    object.insert(QStringLiteral("backend"), settings.useServer ? kBackendServer : kBackendFile);
    object.insert(QStringLiteral("host"), settings.host);
    object.insert(QStringLiteral("port"), settings.port);
    object.insert(QStringLiteral("database"), settings.database);
    object.insert(QStringLiteral("user"), settings.user);
    object.insert(QStringLiteral("passfile"), settings.passFile);
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

bool saveServerSettings(const ServerSettings& settings, const QString& path)
{
    const bool saved = writeServerSettings(settings, path);
    AuditTrail::record(AuditAction::ConfigChange,
        QStringLiteral("%1 %2")
            .arg(QFileInfo(path).fileName(), settings.useServer ? settings.address() : QString())
            .trimmed(),
        AuditTrail::outcome(saved));
    return saved;
}
