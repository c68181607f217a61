#include "DownLoadManager.h"
#include "MessageBox.h"
#include "ProgramLauncher.h"
#include "UpdateTestBed.h"
#include "Updater.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {
QString labelText(const Updater& window, const char* name)
{
    const QLabel* label = window.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
}
} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void missing_or_blank_list_leaves_nothing_to_do();
    void downloads_every_address_in_turn_then_starts_first_program();
    void start_failure_warns_and_closes();
    void transfer_error_keeps_window_open_with_reason_data();
    void transfer_error_keeps_window_open_with_reason();

private:
    QScopedPointer<UpdateTestBed> m_bed;
    TestHttpServer* m_server = nullptr;
};

void TestUpdater::init()
{
    m_bed.reset(new UpdateTestBed);
    QVERIFY(m_bed->isValid());
    m_server = &m_bed->server();
    ProgramLauncher::setTestMode(true);
    ProgramLauncher::clear();
    MessageBox::setTestMode(true);
    MessageBox::clear();
}

void TestUpdater::cleanup()
{
    m_bed.reset();
}

void TestUpdater::missing_or_blank_list_leaves_nothing_to_do()
{
    {
        Updater window;
        QCOMPARE(window.addressCount(), 0);
    }
    UpdateTestBed::writeFile("update.ini", "\n  \r\n\n");
    Updater window;
    QCOMPARE(window.addressCount(), 0);
    QCOMPARE(labelText(window, "labelStatus"), QStringLiteral("无下载任务"));
    QTest::qWait(50);
    QVERIFY(m_server->requests().isEmpty());
    QVERIFY(ProgramLauncher::requests().isEmpty());
}

void TestUpdater::downloads_every_address_in_turn_then_starts_first_program()
{
    const QByteArray program(30000, 'P');
    m_server->setRoute("/Veloka/Veloka", { 200, program, 150, -1, -1, false });
    m_server->setRoute("/Veloka/a.dll", { 200, QByteArray(2000, 'A'), 150, -1, -1, false });
    m_server->setRoute("/Veloka/b.dat", { 200, QByteArray("new b"), 150, -1, -1, false });
    UpdateTestBed::writeFile("b.dat", "older b");
    UpdateTestBed::writeFile("update.ini",
        (m_server->url("/Veloka/Veloka") + "\n\n" + m_server->url("/Veloka/a.dll") + "\r\n"
            + m_server->url("/Veloka/b.dat") + "\n\n")
            .toUtf8());

    Updater window;
    window.show();
    QCOMPARE(window.addressCount(), 3);
    QCOMPARE(window.programName(), QStringLiteral("Veloka"));
    QStringList positions { labelText(window, "label_prog") };
    DownLoadManager* manager = window.findChild<DownLoadManager*>();
    QVERIFY(manager);
    // Connected after the window's own slot, so it sees the position that follows.
    connect(manager, &DownLoadManager::signalReplyFinished, this, [&] {
        if (labelText(window, "label_prog") != positions.last())
            positions << labelText(window, "label_prog");
        if (positions.size() < 3)
            QCOMPARE(UpdateTestBed::fileContent("b.dat"), QByteArray("older b"));
    });

    QTRY_VERIFY_WITH_TIMEOUT(!ProgramLauncher::requests().isEmpty(), 5000);
    QCOMPARE(positions, QStringList({ "1/3", "2/3", "3/3" }));
    QCOMPARE(m_server->requests().size(), 3);
    QCOMPARE(m_server->requests().at(0).path, QByteArray("/Veloka/Veloka"));
    QCOMPARE(m_server->requests().at(2).path, QByteArray("/Veloka/b.dat"));
    QCOMPARE(m_server->requests().at(1).range, QByteArray("bytes=0-"));
    QCOMPARE(UpdateTestBed::fileContent("Veloka"), program);
    QCOMPARE(UpdateTestBed::fileContent("a.dll"), QByteArray(2000, 'A'));
    QCOMPARE(UpdateTestBed::fileContent("b.dat"), QByteArray("new b"));
    QVERIFY(QDir().entryList({ "*_tmp" }).isEmpty());

    QCOMPARE(ProgramLauncher::requests().size(), 1);
    QCOMPARE(ProgramLauncher::requests().first().program,
        QDir::toNativeSeparators(QDir::current().absoluteFilePath("Veloka")));
    QVERIFY(MessageBox::shown().isEmpty());
    QTRY_VERIFY(!window.isVisible());
}

void TestUpdater::start_failure_warns_and_closes()
{
    m_server->setBody("/Veloka/Veloka", "program");
    UpdateTestBed::writeFile("update.ini", m_server->url("/Veloka/Veloka").toUtf8());
    ProgramLauncher::setNextResult(false);

    Updater window;
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(!ProgramLauncher::requests().isEmpty(), 5000);
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().kind, MessageBox::StandardWarning);
    QCOMPARE(MessageBox::last().title, QStringLiteral("警告信息"));
    QCOMPARE(MessageBox::last().text,
        QStringLiteral("启动主程序错误!\n可能主程序不存在或者被破坏!\n解决办法：重新安装程序!"));
    QVERIFY(!window.isVisible());
}

void TestUpdater::transfer_error_keeps_window_open_with_reason_data()
{
    QTest::addColumn<QString>("secondPath");
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("dropAfter");
    QTest::addColumn<QString>("statusPrefix");
    QTest::newRow("not found") << "/Veloka/a.dll" << 404 << qint64(-1) << "下载失败：";
    QTest::newRow("connection dropped") << "/Veloka/a.dll" << 200 << qint64(500) << "下载失败：";
    QTest::newRow("address refused") << "/Veloka/..%2Fa.dll" << 200 << qint64(-1) << "下载地址无效：";
}

void TestUpdater::transfer_error_keeps_window_open_with_reason()
{
    QFETCH(QString, secondPath);
    QFETCH(int, status);
    QFETCH(qint64, dropAfter);
    QFETCH(QString, statusPrefix);
    m_server->setBody("/Veloka/Veloka", "program");
    m_server->setRoute("/Veloka/a.dll", { status, QByteArray(3000, 'A'), 0, -1, dropAfter, false });
    m_server->setBody("/Veloka/b.dll", "b");
    UpdateTestBed::writeFile("a.dll", "older a");
    UpdateTestBed::writeFile("update.ini",
        (m_server->url("/Veloka/Veloka") + "\n" + m_server->url(secondPath) + "\n"
            + m_server->url("/Veloka/b.dll"))
            .toUtf8());

    Updater window;
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(labelText(window, "labelStatus").startsWith(statusPrefix), 5000);
    QTest::qWait(200);

    QVERIFY(window.isVisible());
    QVERIFY(labelText(window, "labelStatus").startsWith(statusPrefix));
    QCOMPARE(labelText(window, "label_prog"), QStringLiteral("2/3"));
    QCOMPARE(UpdateTestBed::fileContent("a.dll"), QByteArray("older a"));
    QVERIFY(!QFile::exists("a.dll_tmp"));
    QCOMPARE(m_server->requestCount("/Veloka/b.dll"), 0);
    QVERIFY(ProgramLauncher::requests().isEmpty());
    QVERIFY(MessageBox::shown().isEmpty());
}

QTEST_MAIN(TestUpdater)
#include "test_updater.moc"
