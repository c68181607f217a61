#include "DownLoadManager.h"
#include "ProgramLauncher.h"
#include "UpdateTestBed.h"
#include "VersionCheck.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

class TestVersionCheck : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void updater_started_only_for_numeric_newer_version_data();
    void updater_started_only_for_numeric_newer_version();
    void broken_chain_never_starts_updater_data();
    void broken_chain_never_starts_updater();
    void unreachable_server_writes_nothing_and_stops();

private:
    QScopedPointer<UpdateTestBed> m_bed;
    TestHttpServer* m_server = nullptr;
};

void TestVersionCheck::init()
{
    m_bed.reset(new UpdateTestBed);
    QVERIFY(m_bed->isValid());
    m_server = &m_bed->server();
    ProgramLauncher::setTestMode(true);
    ProgramLauncher::clear();
}

void TestVersionCheck::cleanup()
{
    m_bed.reset();
}

void TestVersionCheck::updater_started_only_for_numeric_newer_version_data()
{
    QTest::addColumn<QByteArray>("verIni");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<bool>("update");
    const QString station = ProgramLauncher::stationProgramName();
    QTest::newRow("ver 21") << QByteArray("{\"ver\":21}") << station << true;
    QTest::newRow("ver 20") << QByteArray("{\"ver\":20}") << station << false;
    QTest::newRow("ver \"21\"") << QByteArray("{\"ver\":\"21\"}") << station << false;
    // The updater would end at once or refuse: the station is not closed for it.
    QTest::newRow("ver 21, blank list") << QByteArray("{\"ver\":21}") << QString() << false;
    QTest::newRow("ver 21, list naming data") << QByteArray("{\"ver\":21}") << "database.db" << false;
}

void TestVersionCheck::updater_started_only_for_numeric_newer_version()
{
    QFETCH(QByteArray, verIni);
    QFETCH(QString, listed);
    QFETCH(bool, update);
    m_server->setBody("/Veloka/ver.ini", verIni);
    m_server->setBody("/Veloka/update.ini",
        listed.isEmpty() ? QByteArray("\n \n") : ("http://127.0.0.1/Veloka/" + listed + "\n").toUtf8());

    VersionCheck check;
    check.setBaseUrl(m_server->url(QString()));
    // Wired as the login window wires it.
    connect(&check, &VersionCheck::updateAvailable, this,
        [](const QString& program) { ProgramLauncher::start(program); });
    QSignalSpy available(&check, &VersionCheck::updateAvailable);
    QSignalSpy finished(&check, &VersionCheck::replyFinished);
    check.start();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 5000);
    QTest::qWait(50);

    QCOMPARE(check.finishedCount(), 2);
    QCOMPARE(m_server->requestCount("/Veloka/ver.ini"), 1);
    QCOMPARE(m_server->requestCount("/Veloka/update.ini"), 1);
    QCOMPARE(UpdateTestBed::fileContent("ver.ini"), verIni);
    QVERIFY(QFile::exists("update.ini"));
    QCOMPARE(available.count(), update ? 1 : 0);
    QCOMPARE(ProgramLauncher::requests().size(), update ? 1 : 0);
    if (update) {
        const ProgramLauncher::Request request = ProgramLauncher::requests().first();
        QCOMPARE(request.program, QDir::toNativeSeparators(QDir::current().absoluteFilePath("Updater")));
        QCOMPARE(request.workingDirectory, QDir::toNativeSeparators(QDir::currentPath()));
    }
}

void TestVersionCheck::broken_chain_never_starts_updater_data()
{
    QTest::addColumn<int>("verStatus");
    QTest::addColumn<int>("updateStatus");
    QTest::addColumn<bool>("updateIniRequested");
    QTest::addColumn<int>("verPadding");
    // A ver.ini with 99 is left from an earlier run in every row.
    QTest::newRow("ver.ini not found") << 404 << 200 << false << 0;
    QTest::newRow("ver.ini server error") << 500 << 200 << false << 0;
    QTest::newRow("ver.ini redirect page") << 302 << 200 << false << 0;
    QTest::newRow("update.ini not found") << 200 << 404 << true << 0;
    // Refused whole, never read into memory or parsed in part.
    QTest::newRow("ver.ini oversized") << 200 << 200 << false << 100000;
}

void TestVersionCheck::broken_chain_never_starts_updater()
{
    QFETCH(int, verStatus);
    QFETCH(int, updateStatus);
    QFETCH(bool, updateIniRequested);
    QFETCH(int, verPadding);
    UpdateTestBed::writeFile("ver.ini", "{\"ver\":99}");
    TestHttpServer::Route ver;
    ver.status = verStatus;
    ver.body = verStatus == 200 ? QByteArray("{\"ver\":21}") : QByteArray("{\"ver\":99}");
    ver.body.insert(1, "\"pad\":\"" + QByteArray(verPadding, 'x') + "\",");
    m_server->setRoute("/Veloka/ver.ini", ver);
    TestHttpServer::Route list;
    list.status = updateStatus;
    list.body = "http://127.0.0.1/Veloka/Veloka\n";
    m_server->setRoute("/Veloka/update.ini", list);

    VersionCheck check;
    check.setBaseUrl(m_server->url(QString()));
    QSignalSpy available(&check, &VersionCheck::updateAvailable);
    check.start();
    QSignalSpy failed(check.downloadManager(), &DownLoadManager::signalDownloadError);
    QVERIFY(failed.wait(5000));
    QTest::qWait(100);

    QCOMPARE(available.count(), 0);
    QCOMPARE(m_server->requestCount("/Veloka/update.ini"), updateIniRequested ? 1 : 0);
    if (verStatus != 200 || verPadding > 0)
        QCOMPARE(UpdateTestBed::fileContent("ver.ini"), QByteArray("{\"ver\":99}"));
}

void TestVersionCheck::unreachable_server_writes_nothing_and_stops()
{
    VersionCheck check;
    check.setBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(TestHttpServer::closedPort()));
    QSignalSpy available(&check, &VersionCheck::updateAvailable);
    check.start();
    QSignalSpy failed(check.downloadManager(), &DownLoadManager::signalDownloadError);
    QVERIFY(failed.wait(5000));
    QTest::qWait(100);

    QCOMPARE(check.finishedCount(), 0);
    QVERIFY(!QFile::exists("ver.ini"));
    QVERIFY(!QFile::exists("ver.ini_tmp"));
    QVERIFY(check.downloadManager()->downloadUrl().endsWith("/Veloka/ver.ini"));
    QVERIFY(check.downloadManager()->isStopped());
    QCOMPARE(available.count(), 0);
}

QTEST_GUILESS_MAIN(TestVersionCheck)
#include "test_versioncheck.moc"
