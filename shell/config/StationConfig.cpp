#include "StationConfig.h"

#include <QFile>
#include <QFileInfo>
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

ConfigLoad loadConfig(StationConfig& config, const QString& path)
{
    if (!QFileInfo(path).isFile())
        return ConfigLoad::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return ConfigLoad::Damaged;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return ConfigLoad::Damaged;
    const QJsonObject object = document.object();

    readText(object, QStringLiteral("company"), config.company);
    readText(object, QStringLiteral("usr_key"), config.usr_key);
    qint32 sector = config.usr_sect;
    readInteger(object, QStringLiteral("usr_sect"), sector);
    config.usr_sect = quint8(sector);
    readInteger(object, QStringLiteral("limit_money"), config.limit_money);
    readInteger(object, QStringLiteral("dev_type"), config.dev_type);
    readInteger(object, QStringLiteral("language"), config.language);
    return ConfigLoad::Loaded;
}

QString keepDamagedConfig(const QString& path, const QDateTime& now)
{
    const QString stem = path + QStringLiteral(".bad-") + now.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString kept = stem;
    // Two starts within the same second must not lose the first one's file.
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = stem + QLatin1Char('-') + QString::number(n);
    if (QFile::rename(path, kept) || QFile::copy(path, kept))
        return kept;
    return QString();
}

bool saveConfig(const StationConfig& config, const QString& path)
{
    // The operator's key, company and limit may still be recoverable from it.
    StationConfig scratch;
    if (loadConfig(scratch, path) == ConfigLoad::Damaged && keepDamagedConfig(path).isEmpty())
        return false;

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
