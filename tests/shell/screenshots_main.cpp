// Draws the login window, the main menu and the system menu in both languages
// into PNG files, for docs/screenshots (scripts/screenshots). It runs in a
// scratch working directory against whatever reader hidapi finds there: the
// script preloads the virtual reader.

#include "DownLoadManager.h"
#include "LoginWin.h"
#include "MainDialog.h"
#include "StationConfig.h"
#include "SysDialog.h"
#include "VersionCheck.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

namespace {

void settle()
{
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget* window, const QDir& dir, const QString& name)
{
    settle();
    const QString path = dir.filePath(name);
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTranslator translator;
    bool ok = true;

    struct Shot
    {
        const char* suffix;
        int language;
        int devType;
    };
    for (const Shot& shot : { Shot { "zh", 0, 0 }, Shot { "en", 1, 1 } }) {
        StationConfig config;
        config.company = QStringLiteral("江城绿能充电服务有限公司");
        config.dev_type = shot.devType;
        config.language = shot.language;
        saveConfig(config);

        LoginWin login(&translator);
        login.versionCheck()->downloadManager()->stopWork();
        login.findChild<QLineEdit*>(QStringLiteral("edit_pwd"))->setText(QStringLiteral("secret"));
        login.show();
        ok = save(&login, out, QStringLiteral("login_%1.png").arg(QLatin1String(shot.suffix))) && ok;
        login.hide();

        MainDialog menu;
        menu.show();
        LoginSession session;
        session.devType = shot.devType;
        session.language = shot.language;
        session.loginTime = qint32(QDateTime::currentSecsSinceEpoch());
        session.managerName = QStringLiteral("admin");
        menu.startSession(session);
        ok = save(&menu, out, QStringLiteral("main_%1.png").arg(QLatin1String(shot.suffix))) && ok;

        SysDialog sys;
        sys.setConfig(menu.config(), menu.reader());
        sys.setSession(menu.session());
        sys.show();
        ok = save(&sys, out, QStringLiteral("sysmenu_%1.png").arg(QLatin1String(shot.suffix))) && ok;
        sys.hide();
    }
    return ok ? 0 : 1;
}
