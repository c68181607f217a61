#pragma once

#include "BuiltinKeys.h"

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

// Fills the record from the file; values that are missing or of the wrong JSON
// type leave their field as it was. A missing or malformed file changes nothing.
void loadConfig(StationConfig& config, const QString& path = kConfigFileName);
// Replaces the file atomically with all six fields; false when it could not be written.
bool saveConfig(const StationConfig& config, const QString& path = kConfigFileName);
