#include "StationStart.h"

#include "AppInit.h"
#include "AuditTrail.h"
#include "LoginWin.h"
#include "MainDialog.h"
#include "ProgramLauncher.h"

#include <QApplication>
#include <QTranslator>
#include <memory>

int StationStart::run(QApplication& app)
{
    AppInit::instance()->start();

    // One translator for the whole run: the login window loads the chosen
    // language into it, every window built later translates through it.
    QTranslator translator;
    const bool checkVersion = !app.arguments().contains(ProgramLauncher::skipUpdateCheckArgument());
    auto login = std::make_unique<LoginWin>(&translator, nullptr, checkVersion);
    if (login->closedAtStart() || login->exec() != QDialog::Accepted)
        return 0;

    auto menu = std::make_unique<MainDialog>();
    // Closing the menu ends the run even while a working dialog is still open.
    QObject::connect(menu.get(), &QDialog::finished, &app, &QCoreApplication::quit);
    menu->show();
    menu->startSession(login->session());

    const int exitCode = app.exec();
    AuditTrail::record(AuditAction::Logout, login->session().managerName, AuditOutcome::Ok);
    menu.reset();
    login.reset();
    return exitCode;
}
