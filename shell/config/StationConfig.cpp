#include "StationConfig.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

// Only a JSON number counts; a non-integral one reads as 0.
void readInteger(const QJsonObject& object, const QString& key, qint32& field)
{
    const QJsonValue value = object.value(key);
    if (value.isDouble())
        field = value.toInt(0);
}

void readText(const QJsonObject& object, const QString& key, QString& field)
{
    const QJsonValue value = object.value(key);
    if (value.isString())
        field = value.toString();
}

} // namespace

void loadConfig(StationConfig& config, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return;
    const QJsonObject object = document.object();

    readText(object, QStringLiteral("company"), config.company);
    readText(object, QStringLiteral("usr_key"), config.usr_key);
    qint32 sector = config.usr_sect;
    readInteger(object, QStringLiteral("usr_sect"), sector);
    config.usr_sect = quint8(sector);
    readInteger(object, QStringLiteral("limit_money"), config.limit_money);
    readInteger(object, QStringLiteral("dev_type"), config.dev_type);
    readInteger(object, QStringLiteral("language"), config.language);
}

bool saveConfig(const StationConfig& config, const QString& path)
{
    QJsonObject object;
    object.insert(QStringLiteral("company"), config.company);
    object.insert(QStringLiteral("usr_key"), config.usr_key);
    object.insert(QStringLiteral("usr_sect"), int(config.usr_sect));
    object.insert(QStringLiteral("limit_money"), config.limit_money);
    object.insert(QStringLiteral("dev_type"), config.dev_type);
    object.insert(QStringLiteral("language"), config.language);
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);

    // Written beside the old file and renamed over it, so a crash or a full
    // disk leaves the previous settings in place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
