#pragma once

#include "BuiltinKeys.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The station's settings, kept in config.ini. The main menu owns the
// authoritative record; dialogs get copies (the setting-card window a
// reference, since it changes key, sector and limit in place).
struct StationConfig
{
    QString company;
    QString usr_key = BuiltinKeys::DefaultUserKeyText;
    quint8 usr_sect = 0;
    qint32 limit_money = 30000; // fen
    qint32 dev_type = 0; // 0 bike, 1 car
    qint32 language = -1; // 0 Chinese, 1 English, -1 not chosen yet
};

inline const QString kConfigFileName = QStringLiteral("config.ini");

enum class ConfigLoad {
    Loaded, // a JSON object: its usable values were taken
    Missing, // no file (or not a regular file): silent, the defaults stand
    Damaged, // unreadable, or not a JSON object: kept aside before anything overwrites it
};

// Fills the record from the file; values that are missing or of the wrong JSON
// type leave their field as it was. A missing or damaged file changes nothing.
ConfigLoad loadConfig(StationConfig& config, const QString& path = kConfigFileName);
// Moves a damaged file aside as <path>.bad-<yyyyMMdd-hhmmss> (copied when it
// cannot be renamed); the kept file's path, empty when it could not be kept.
QString keepDamagedConfig(
    const QString& path = kConfigFileName, const QDateTime& now = QDateTime::currentDateTime());
// Replaces the file atomically with all six fields; false when it could not be
// written. A damaged file there is kept aside first, and never overwritten.
bool saveConfig(const StationConfig& config, const QString& path = kConfigFileName);
