#include "StationCommand.h"
#include "StationStart.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // A job from the command line needs no display.
    if (StationCommand::requested(argc, argv)) {
        QCoreApplication app(argc, argv);
        return StationCommand().run(app.arguments());
    }
    QApplication app(argc, argv);
    return StationStart::run(app);
}
