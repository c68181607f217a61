#include "StationLanguage.h"
#include "Updater.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The operator reads the updater in the language the station runs in.
    QTranslator translator;
    installStationLanguage(translator);
    Updater window;
    if (window.nothingToDo())
        return 0;
    window.show();
    return app.exec();
}
