#include "ReaderPanel.h"

#include <QApplication>
#include <QCommandLineParser>

// The virtual reader's panel, run beside a station that works on the same
// state file (through the preload library).
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("veloka-reader-panel"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Window of the virtual card reader."));
    parser.addHelpOption();
    const QCommandLineOption stateOption(QStringLiteral("state"),
        QStringLiteral("State file (default: $VELOKA_SIM_STATE, else ./virtual-reader.json)."),
        QStringLiteral("file"));
    const QCommandLineOption configOption(QStringLiteral("config"),
        QStringLiteral("The station's config.ini with the user card key (default: ./config.ini)."),
        QStringLiteral("file"), QStringLiteral("config.ini"));
    parser.addOption(stateOption);
    parser.addOption(configOption);
    parser.process(app);

    QString state = parser.value(stateOption);
    if (state.isEmpty())
        state = qEnvironmentVariable("VELOKA_SIM_STATE", QStringLiteral("./virtual-reader.json"));

    ReaderPanel panel(state, parser.value(configOption));
    panel.resize(640, 620);
    panel.show();
    return QApplication::exec();
}
