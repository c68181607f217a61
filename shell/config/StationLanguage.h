#pragma once

#include "StationConfig.h"

#include <QString>

class QTranslator;

// The translation resource of a StationConfig::language value: English for 1,
// the built-in Chinese for anything else.
QString translationFile(qint32 language);

// Loads the language saved in config.ini into the translator and installs it
// for the whole application, as the station's login does. The translator must
// outlive every window built afterwards. False when the resource did not load.
bool installStationLanguage(QTranslator& translator, const QString& configPath = kConfigFileName);
