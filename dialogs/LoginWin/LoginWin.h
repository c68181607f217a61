#pragma once

#include "LoginSession.h"
#include "hintdialog.h"

#include <QDateTime>
#include <QScopedPointer>
#include <QStringList>

class QButtonGroup;
class QTranslator;
class VersionCheck;

namespace Ui {
class LoginWin;
}

// The login window: checks the operator against the man table, lets them pick
// bike or car management and the language, and starts the version check.
// Building it also opens the database.
class LoginWin : public hintdialog
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginWin)

public:
    // translator is the application-wide one; the language switch loads into
    // it. It must outlive the window.
    // Without checkVersion no newer version is looked for (a station the
    // updater started after a failed update).
    explicit LoginWin(QTranslator* translator, QWidget* parent = nullptr, bool checkVersion = true);
    ~LoginWin() override;

    // The record filled by a successful login.
    LoginSession session() const { return m_session; }
    // True when the database could not be opened: the window must not be run.
    bool closedAtStart() const { return m_closedAtStart; }
    VersionCheck* versionCheck() const { return m_versionCheck; }
    int finishedDownloads() const { return m_finishedDownloads; }

public slots:
    // Starts the named program of the working directory; closes the window in
    // every case, after warning when the start failed.
    void startProgram(const QString& name);

private slots:
    void on_btn_login_clicked();
    void on_radio_bike_clicked();
    void on_radio_car_clicked();
    void on_radio_eng_clicked();
    void on_radio_chs_clicked();
    void onReplyFinished(int statusCode);

private:
    enum Language { Chinese = 0, English = 1 };

    void showModePicture();
    void switchLanguage(Language language);
    void retranslate();
    // A damaged config.ini is kept aside and told once; the defaults go on.
    void reportDamagedConfig();
    void setUpDatabase();
    void closeAtStart(const QString& text);
    // A ledger that money operations could not write is told now, not at the first sale.
    void reportLedger();
    void refuse(const QString& text);
    // Why a name is refused for now, with the end of its lock.
    QString lockedText(const QDateTime& until) const;

    const QScopedPointer<Ui::LoginWin> m_ui;
    QTranslator* const m_translator;
    QButtonGroup* m_modeGroup;
    const QStringList m_modeStyles;
    LoginSession m_session;
    VersionCheck* m_versionCheck;
    int m_finishedDownloads = 0;
    bool m_closedAtStart = false;
};
