#include "StationLanguage.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTranslator>

namespace {
constexpr qint32 English = 1;
} // namespace

QString translationFile(qint32 language)
{
    return language == English ? QStringLiteral(":/Language/english.qm")
                               : QStringLiteral(":/Language/chinese.qm");
}

bool installStationLanguage(QTranslator& translator, const QString& configPath)
{
    StationConfig config;
    loadConfig(config, configPath);
    const QString file = translationFile(config.language);
    if (!translator.load(file)) {
        qDebug() << "cannot load translation" << file;
        return false;
    }
    QCoreApplication::installTranslator(&translator);
    return true;
}
