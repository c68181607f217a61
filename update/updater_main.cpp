#include "Updater.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Updater window;
    if (window.nothingToDo())
        return 0;
    window.show();
    return app.exec();
}
