#include "DownLoadManager.h"
#include "UpdateTestBed.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

namespace {
QByteArray pattern(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return data;
}

} // namespace

class TestDownLoadManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void completed_download_replaces_final_file_and_removes_tmp();
    void error_status_never_replaces_final_file_data();
    void error_status_never_replaces_final_file();
    void older_copy_kept_until_new_copy_fully_arrived();
    void download_requested_during_transfer_has_no_effect();
    void paused_transfer_resumes_with_range_and_completes();
    void resume_survives_server_that_ignores_range();
    void dropped_connection_reports_error_and_removes_partial_file();
    void silent_server_times_out_as_download_error_data();
    void silent_server_times_out_as_download_error();
    void refused_address_writes_nothing_data();
    void refused_address_writes_nothing();

private:
    QScopedPointer<UpdateTestBed> m_bed;
    TestHttpServer* m_server = nullptr;
};

void TestDownLoadManager::init()
{
    m_bed.reset(new UpdateTestBed);
    QVERIFY(m_bed->isValid());
    m_server = &m_bed->server();
}

void TestDownLoadManager::cleanup()
{
    m_bed.reset();
}

void TestDownLoadManager::completed_download_replaces_final_file_and_removes_tmp()
{
    const QByteArray body = pattern(70000);
    m_server->setBody("/Veloka/data.bin", body);
    UpdateTestBed::writeFile("data.bin", "old copy");

    DownLoadManager manager;
    QSignalSpy finished(&manager, &DownLoadManager::signalReplyFinished);
    QSignalSpy progress(&manager, &DownLoadManager::signalDownloadProcess);
    QVERIFY(manager.downloadFile(m_server->url("/Veloka/data.bin"), "./data.bin"));
    QVERIFY(finished.wait(5000));

    QCOMPARE(finished.first().first().toInt(), 200);
    QCOMPARE(UpdateTestBed::fileContent("data.bin"), body);
    QVERIFY(!QFile::exists("data.bin_tmp"));
    QVERIFY(manager.isStopped());
    QCOMPARE(progress.last().at(0).toLongLong(), qint64(body.size()));
    QCOMPARE(progress.last().at(1).toLongLong(), qint64(body.size()));
    // The station never resumes: no Range header without setResumeEnabled.
    QVERIFY(m_server->requests().first().range.isEmpty());
}

void TestDownLoadManager::error_status_never_replaces_final_file_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("not found") << 404;
    QTest::newRow("server error") << 500;
    QTest::newRow("redirect with a page") << 302;
}

void TestDownLoadManager::error_status_never_replaces_final_file()
{
    QFETCH(int, status);
    TestHttpServer::Route route;
    route.status = status;
    route.body = "<html>error page</html>";
    m_server->setRoute("/Veloka/Veloka", route);
    UpdateTestBed::writeFile("Veloka", "working program");

    DownLoadManager manager;
    manager.setResumeEnabled(true);
    QSignalSpy finished(&manager, &DownLoadManager::signalReplyFinished);
    QSignalSpy failed(&manager, &DownLoadManager::signalDownloadError);
    QVERIFY(manager.downloadFile(m_server->url("/Veloka/Veloka"), "./Veloka"));
    QVERIFY(failed.wait(5000));
    QTest::qWait(50);

    QCOMPARE(finished.count(), 0);
    QCOMPARE(UpdateTestBed::fileContent("Veloka"), QByteArray("working program"));
    QVERIFY(!QFile::exists("Veloka_tmp"));
    QVERIFY(manager.isStopped());
    QVERIFY(manager.failure() != DownLoadManager::Failure::None);
}

void TestDownLoadManager::older_copy_kept_until_new_copy_fully_arrived()
{
    const QByteArray body = pattern(4000);
    TestHttpServer::Route route;
    route.body = body;
    route.stallAfter = 1500;
    m_server->setRoute("/Veloka/lib.dll", route);
    UpdateTestBed::writeFile("lib.dll", "older copy");

    DownLoadManager manager;
    QSignalSpy finished(&manager, &DownLoadManager::signalReplyFinished);
    QVERIFY(manager.downloadFile(m_server->url("/Veloka/lib.dll"), "./lib.dll"));
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo("lib.dll_tmp").size(), qint64(1500), 5000);
    QCOMPARE(UpdateTestBed::fileContent("lib.dll"), QByteArray("older copy"));

    m_server->releaseStalled();
    QVERIFY(finished.wait(5000));
    QCOMPARE(UpdateTestBed::fileContent("lib.dll"), body);
    QVERIFY(!QFile::exists("lib.dll_tmp"));
}

void TestDownLoadManager::download_requested_during_transfer_has_no_effect()
{
    const QByteArray body = pattern(3000);
    TestHttpServer::Route route;
    route.body = body;
    route.stallAfter = 100;
    m_server->setRoute("/a.bin", route);
    m_server->setBody("/b.bin", "other");

    DownLoadManager manager;
    QSignalSpy finished(&manager, &DownLoadManager::signalReplyFinished);
    QVERIFY(manager.downloadFile(m_server->url("/a.bin"), "./a.bin"));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->requestCount("/a.bin"), 1, 5000);
    QVERIFY(!manager.downloadFile(m_server->url("/b.bin"), "./b.bin"));
    QCOMPARE(manager.downloadUrl(), m_server->url("/a.bin"));

    m_server->releaseStalled();
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(UpdateTestBed::fileContent("a.bin"), body);
    QVERIFY(!QFile::exists("b.bin"));
    QCOMPARE(m_server->requestCount("/b.bin"), 0);
}

void TestDownLoadManager::paused_transfer_resumes_with_range_and_completes()
{
    const QByteArray body = pattern(5000);
    TestHttpServer::Route route;
    route.body = body;
    route.stallAfter = 1000;
    m_server->setRoute("/Veloka/big.bin", route);

    DownLoadManager manager;
    manager.setResumeEnabled(true);
    QSignalSpy finished(&manager, &DownLoadManager::signalReplyFinished);
    QSignalSpy progress(&manager, &DownLoadManager::signalDownloadProcess);
    QVERIFY(manager.downloadFile(m_server->url("/Veloka/big.bin"), "./big.bin"));
    // Progress notifications are throttled by the network layer; what was
    // received is what reached the temporary file.
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo("big.bin_tmp").size(), qint64(1000), 5000);
    manager.pauseDownload();
    QVERIFY(manager.isStopped());
    QCOMPARE(manager.bytesCurrentReceived(), qint64(1000));
    QCOMPARE(UpdateTestBed::fileContent("big.bin_tmp"), body.left(1000));

    route.stallAfter = -1;
    m_server->setRoute("/Veloka/big.bin", route);
    progress.clear();
    QVERIFY(manager.downloadFile(m_server->url("/Veloka/big.bin"), "./big.bin"));
    QVERIFY(finished.wait(5000));

    QCOMPARE(m_server->requests().size(), 2);
    QCOMPARE(m_server->requests().at(0).range, QByteArray("bytes=0-"));
    QCOMPARE(m_server->requests().at(1).range, QByteArray("bytes=1000-"));
    QCOMPARE(UpdateTestBed::fileContent("big.bin"), body);
    QVERIFY(!QFile::exists("big.bin_tmp"));
    // Listeners see the whole file's progress across the resume.
    QCOMPARE(progress.last().at(0).toLongLong(), qint64(5000));
    QCOMPARE(progress.last().at(1).toLongLong(), qint64(5000));
}

void TestDownLoadManager::resume_survives_server_that_ignores_range()
{
    const QByteArray body = pattern(3000);
    TestHttpServer::Route route;
    route.body = body;
    route.stallAfter = 1000;
    route.ignoreRange = true;
    m_server->setRoute("/x.bin", route);

    DownLoadManager manager;
    manager.setResumeEnabled(true);
    QSignalSpy finished(&manager, &DownLoadManager::signalReplyFinished);
    QVERIFY(manager.downloadFile(m_server->url("/x.bin"), "./x.bin"));
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo("x.bin_tmp").size(), qint64(1000), 5000);
    manager.pauseDownload();

    route.stallAfter = -1;
    m_server->setRoute("/x.bin", route);
    QVERIFY(manager.downloadFile(m_server->url("/x.bin"), "./x.bin"));
    QVERIFY(finished.wait(5000));
    QCOMPARE(m_server->requests().at(1).range, QByteArray("bytes=1000-"));
    QCOMPARE(UpdateTestBed::fileContent("x.bin"), body);
}

void TestDownLoadManager::dropped_connection_reports_error_and_removes_partial_file()
{
    TestHttpServer::Route route;
    route.body = pattern(4000);
    route.dropAfter = 700;
    m_server->setRoute("/cut.bin", route);

    DownLoadManager manager;
    QSignalSpy finished(&manager, &DownLoadManager::signalReplyFinished);
    QSignalSpy failed(&manager, &DownLoadManager::signalDownloadError);
    QVERIFY(manager.downloadFile(m_server->url("/cut.bin"), "./cut.bin"));
    QVERIFY(failed.wait(5000));
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(manager.failure(), DownLoadManager::Failure::Network);
    QVERIFY(!QFile::exists("cut.bin_tmp"));
    QVERIFY(!QFile::exists("cut.bin"));
}

void TestDownLoadManager::silent_server_times_out_as_download_error_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<qint64>("stallAfter");
    QTest::newRow("silent after 1000 bytes") << 0 << qint64(1000);
    QTest::newRow("no answer at all") << 60000 << qint64(-1);
}

void TestDownLoadManager::silent_server_times_out_as_download_error()
{
    QFETCH(int, delayMs);
    QFETCH(qint64, stallAfter);
    m_server->setRoute("/Veloka/Veloka", { 200, pattern(5000), delayMs, stallAfter, -1, false });
    UpdateTestBed::writeFile("Veloka", "working program");

    DownLoadManager manager;
    QCOMPARE(manager.stallTimeout(), DownLoadManager::DefaultStallTimeoutMs);
    manager.setStallTimeout(300);
    QSignalSpy finished(&manager, &DownLoadManager::signalReplyFinished);
    QSignalSpy failed(&manager, &DownLoadManager::signalDownloadError);
    QVERIFY(manager.downloadFile(m_server->url("/Veloka/Veloka"), "./Veloka"));
    QVERIFY(failed.wait(5000));
    m_server->releaseStalled();
    QTest::qWait(100);

    QCOMPARE(failed.count(), 1);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(manager.failure(), DownLoadManager::Failure::Stalled);
    QVERIFY(manager.isStopped());
    QCOMPARE(UpdateTestBed::fileContent("Veloka"), QByteArray("working program"));
    QVERIFY(!QFile::exists("Veloka_tmp"));
}

void TestDownLoadManager::refused_address_writes_nothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("empty file-name part") << "/Veloka/"
                                          << "./";
    QTest::newRow("dot-dot name") << "/Veloka/%2E%2E"
                                  << "./..";
    QTest::newRow("encoded slash") << "/Veloka/..%2F..%2Fevil"
                                   << "./evil";
    QTest::newRow("encoded backslash") << "/Veloka/..%5Cevil"
                                       << "./evil";
    QTest::newRow("local name leaves directory") << "/Veloka/evil"
                                                 << "../evil";
    QTest::newRow("local name in a sub-folder") << "/Veloka/evil"
                                                << "./sub/evil";
}

void TestDownLoadManager::refused_address_writes_nothing()
{
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    m_server->setBody("/Veloka/evil", "payload");
    QDir().mkdir("sub");
    const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    DownLoadManager manager;
    manager.setResumeEnabled(true);
    QSignalSpy failed(&manager, &DownLoadManager::signalDownloadError);
    QVERIFY(!manager.downloadFile(m_server->url(path), fileName));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(manager.failure(), DownLoadManager::Failure::AddressRefused);
    QVERIFY(manager.isStopped());
    QTest::qWait(50);
    QVERIFY(m_server->requests().isEmpty());
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir("sub").isEmpty());
    QVERIFY(!QFile::exists("../evil") && !QFile::exists("../evil_tmp"));
}

QTEST_GUILESS_MAIN(TestDownLoadManager)
#include "test_downloadmanager.moc"
