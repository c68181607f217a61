#include "DownLoadManager.h"
#include "MessageBox.h"
#include "ProgramLauncher.h"
#include "StationLanguage.h"
#include "UpdateTestBed.h"
#include "UpdateText.h"
#include "Updater.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

namespace {
QString labelText(const Updater& window, const char* name)
{
    const QLabel* label = window.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
}

constexpr QFileDevice::Permissions Mode0750 = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ExeOwner | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser
    | QFileDevice::ReadGroup | QFileDevice::ExeGroup;

void writeProgram(const QString& name, const QByteArray& content)
{
    UpdateTestBed::writeFile(name, content);
    QFile::setPermissions(name, Mode0750);
}

// A program header of this platform whose tables end with the image; the
// rest is `fill`.
QByteArray programImage(int size, char fill)
{
    QByteArray image(size, fill);
    const auto put = [&image](int at, quint64 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            image[at + i] = static_cast<char>(value >> (8 * i));
    };
#ifdef Q_OS_WIN
    image.replace(0, 2, "MZ");
    put(0x3C, 64, 4);
    image.replace(64, 4, QByteArray("PE\0\0", 4));
#else
    image.replace(0, 6, QByteArray::fromHex("7f454c460201")); // ELF, 64-bit, little-endian
    put(0x20, 64, 8); // program header table right after the header
    put(0x28, size - 64, 8); // one section header ends the image
    put(0x36, 56, 2);
    put(0x38, 1, 2);
    put(0x3A, 64, 2);
    put(0x3C, 1, 2);
#endif
    return image;
}

// The installed station and updater, and an update.ini listing the server's new pair.
void stageUpdateOfInstalledPair(const TestHttpServer& server)
{
    writeProgram("Veloka", "older program");
    writeProgram("Updater", "older updater");
    UpdateTestBed::writeFile(
        "update.ini", (server.url("/Veloka/Veloka") + "\n" + server.url("/Veloka/Updater")).toUtf8());
}

QStringList strayFiles()
{
    return QDir().entryList({ "*_tmp", "*_old" }, QDir::AllEntries | QDir::System);
}
} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void missing_or_blank_list_leaves_nothing_to_do();
    void downloads_every_address_in_turn_then_starts_first_program_data();
    void downloads_every_address_in_turn_then_starts_first_program();
    void start_failure_warns_and_closes();
    void list_led_by_updater_starts_station_after_install();
    void second_updater_leaves_the_folder_to_the_first();
    void served_file_that_is_no_whole_program_is_not_installed_data();
    void served_file_that_is_no_whole_program_is_not_installed();
    void transfer_error_keeps_window_open_with_reason_data();
    void transfer_error_keeps_window_open_with_reason();
    void list_naming_station_data_refused_before_download_data();
    void list_naming_station_data_refused_before_download();
    void texts_follow_station_language_data();
    void texts_follow_station_language();

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

void TestUpdater::downloads_every_address_in_turn_then_starts_first_program_data()
{
    QTest::addColumn<bool>("updaterLinked");
    QTest::newRow("updater new to the folder") << false;
    // As the installed launcher leaves it: a link to the installed program.
    QTest::newRow("updater linked to the installed one") << true;
}

void TestUpdater::downloads_every_address_in_turn_then_starts_first_program()
{
    QFETCH(bool, updaterLinked);
    const QByteArray program = programImage(30000, 'P');
    const QByteArray updater = programImage(2000, 'U');
    m_server->setRoute("/Veloka/Veloka", { 200, program, 150, -1, -1, false });
    m_server->setRoute("/Veloka/Updater", { 200, updater, 150, -1, -1, false });
    writeProgram("Veloka", "older program");
    if (updaterLinked) {
        QDir().mkdir("installed");
        writeProgram("installed/Updater", "installed updater");
        QVERIFY(QFile::link("installed/Updater", "Updater"));
    }
    UpdateTestBed::writeFile("update.ini",
        (m_server->url("/Veloka/Veloka") + "\n\n" + m_server->url("/Veloka/Updater") + "\r\n\n").toUtf8());

    Updater window;
    window.show();
    QCOMPARE(window.addressCount(), 2);
    QCOMPARE(window.programName(), QStringLiteral("Veloka"));
    QStringList positions { labelText(window, "label_prog") };
    DownLoadManager* manager = window.findChild<DownLoadManager*>();
    QVERIFY(manager);
    // Connected after the window's own slot, so it sees the position that follows.
    connect(manager, &DownLoadManager::signalReplyFinished, this, [&] {
        if (labelText(window, "label_prog") != positions.last())
            positions << labelText(window, "label_prog");
        if (positions.size() < 2)
            QCOMPARE(UpdateTestBed::fileContent("Veloka"), QByteArray("older program"));
    });

    QTRY_VERIFY_WITH_TIMEOUT(!ProgramLauncher::requests().isEmpty(), 5000);
    QCOMPARE(positions, QStringList({ "1/2", "2/2" }));
    QCOMPARE(m_server->requests().size(), 2);
    QCOMPARE(m_server->requests().at(1).path, QByteArray("/Veloka/Updater"));
    QCOMPARE(m_server->requests().at(1).range, QByteArray("bytes=0-"));
    QCOMPARE(UpdateTestBed::fileContent("Veloka"), program);
    QCOMPARE(QFile::permissions("Veloka"), Mode0750);
    QCOMPARE(UpdateTestBed::fileContent("Updater"), updater);
    QVERIFY(!QFileInfo("Updater").isSymLink());
    QVERIFY(QFile::permissions("Updater") & QFileDevice::ExeOwner);
    if (updaterLinked)
        QCOMPARE(UpdateTestBed::fileContent("installed/Updater"), QByteArray("installed updater"));
    QCOMPARE(strayFiles(), QStringList());

    QCOMPARE(ProgramLauncher::requests().size(), 1);
    QCOMPARE(ProgramLauncher::requests().first().program,
        QDir::toNativeSeparators(QDir::current().absoluteFilePath("Veloka")));
    QVERIFY(MessageBox::shown().isEmpty());
    QTRY_VERIFY(!window.isVisible());
}

void TestUpdater::start_failure_warns_and_closes()
{
    m_server->setBody("/Veloka/Veloka", programImage(1000, 'P'));
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

void TestUpdater::list_led_by_updater_starts_station_after_install()
{
    m_server->setBody("/Veloka/Updater", programImage(2000, 'U'));
    m_server->setBody("/Veloka/Veloka", programImage(3000, 'P'));
    UpdateTestBed::writeFile(
        "update.ini", (m_server->url("/Veloka/Updater") + "\n" + m_server->url("/Veloka/Veloka")).toUtf8());

    Updater window;
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(!ProgramLauncher::requests().isEmpty(), 5000);
    QCOMPARE(ProgramLauncher::requests().first().program,
        QDir::toNativeSeparators(QDir::current().absoluteFilePath(ProgramLauncher::stationProgramName())));
}

void TestUpdater::second_updater_leaves_the_folder_to_the_first()
{
    const QByteArray program = programImage(4000, 'P');
    m_server->setRoute("/Veloka/Veloka", { 200, program, 0, 1000, -1, false });
    UpdateTestBed::writeFile("update.ini", m_server->url("/Veloka/Veloka").toUtf8());

    Updater first;
    first.show();
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo("Veloka_tmp").size(), qint64(1000), 5000);
    {
        Updater second;
        second.show();
        QVERIFY(!second.nothingToDo());
        QCOMPARE(labelText(second, "labelStatus"), QStringLiteral("另一个下载器正在运行"));
        QTest::qWait(100);
        second.close();
        QVERIFY(ProgramLauncher::requests().isEmpty());
    }
    m_server->releaseStalled();
    QTRY_VERIFY_WITH_TIMEOUT(!ProgramLauncher::requests().isEmpty(), 5000);
    QCOMPARE(m_server->requestCount("/Veloka/Veloka"), 1);
    QCOMPARE(UpdateTestBed::fileContent("Veloka"), program);
}

void TestUpdater::served_file_that_is_no_whole_program_is_not_installed_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::newRow("error page with success status") << QByteArray("<html><body>Sign in</body></html>");
    QTest::newRow("program cut short on the server") << programImage(30000, 'P').left(20000);
}

void TestUpdater::served_file_that_is_no_whole_program_is_not_installed()
{
    QFETCH(QByteArray, served);
    m_server->setBody("/Veloka/Veloka", served);
    m_server->setBody("/Veloka/Updater", programImage(2000, 'U'));
    stageUpdateOfInstalledPair(*m_server);

    Updater window;
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(labelText(window, "labelStatus").startsWith("拒绝安装："), 5000);
    QCOMPARE(labelText(window, "labelStatus"), QStringLiteral("拒绝安装：Veloka 不是完整的程序"));
    QCOMPARE(UpdateTestBed::fileContent("Veloka"), QByteArray("older program"));
    QCOMPARE(UpdateTestBed::fileContent("Updater"), QByteArray("older updater"));
    QCOMPARE(strayFiles(), QStringList());
    QVERIFY(ProgramLauncher::requests().isEmpty());
    QVERIFY(window.isVisible());
}

void TestUpdater::transfer_error_keeps_window_open_with_reason_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("dropAfter");
    QTest::addColumn<qint64>("stallAfter");
    QTest::newRow("not found") << 404 << qint64(-1) << qint64(-1);
    QTest::newRow("connection dropped") << 200 << qint64(500) << qint64(-1);
    QTest::newRow("server silent after 1000 bytes") << 200 << qint64(-1) << qint64(1000);
}

void TestUpdater::transfer_error_keeps_window_open_with_reason()
{
    QFETCH(int, status);
    QFETCH(qint64, dropAfter);
    QFETCH(qint64, stallAfter);
    m_server->setBody("/Veloka/Veloka", "new program");
    m_server->setRoute("/Veloka/Updater", { status, QByteArray(3000, 'U'), 0, stallAfter, dropAfter, false });
    stageUpdateOfInstalledPair(*m_server);

    Updater window;
    window.show();
    DownLoadManager* manager = window.findChild<DownLoadManager*>();
    QVERIFY(manager);
    // Only the silent server needs a short stall limit; on a loaded machine a short one would also cut
    // the first file, which must arrive.
    if (stallAfter >= 0)
        manager->setStallTimeout(1500);
    QTRY_VERIFY_WITH_TIMEOUT(labelText(window, "labelStatus").startsWith("下载失败："), 15000);
    QTest::qWait(200);

    QVERIFY(window.isVisible());
    QCOMPARE(labelText(window, "label_prog"), QStringLiteral("2/2"));
    // The first file had arrived whole; it is not installed without the second.
    QCOMPARE(UpdateTestBed::fileContent("Veloka"), QByteArray("older program"));
    QCOMPARE(QFile::permissions("Veloka"), Mode0750);
    QCOMPARE(UpdateTestBed::fileContent("Updater"), QByteArray("older updater"));
    QCOMPARE(strayFiles(), QStringList());
    QVERIFY(ProgramLauncher::requests().isEmpty());
    QVERIFY(MessageBox::shown().isEmpty());
    m_server->releaseStalled();

    // Closed, the window gives the station back as it was, which does not
    // offer the same update again at once.
    window.close();
    QCOMPARE(ProgramLauncher::requests().size(), 1);
    QVERIFY(ProgramLauncher::requests().first().program.endsWith(ProgramLauncher::stationProgramName()));
    QCOMPARE(ProgramLauncher::requests().first().arguments,
        QStringList { ProgramLauncher::skipUpdateCheckArgument() });
}

void TestUpdater::list_naming_station_data_refused_before_download_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("statusPrefix");
    QTest::newRow("ledger") << "database.db"
                            << "拒绝安装：database.db";
    QTest::newRow("ledger journal") << "database.db-wal"
                                    << "拒绝安装：database.db-wal";
    QTest::newRow("configuration") << "config.ini"
                                   << "拒绝安装：config.ini";
    QTest::newRow("outbox") << "outbox.jsonl"
                            << "拒绝安装：outbox.jsonl";
    QTest::newRow("update list") << "update.ini"
                                 << "拒绝安装：update.ini";
    QTest::newRow("program of another platform") << "Veloka.exe"
                                                 << "拒绝安装：Veloka.exe";
    QTest::newRow("address refused") << "..%2FVeloka"
                                     << "下载地址无效：";
    QTest::newRow("oversized list") << QString() << "更新列表无效：";
}

void TestUpdater::list_naming_station_data_refused_before_download()
{
    QFETCH(QString, listed);
    QFETCH(QString, statusPrefix);
    m_server->setBody("/Veloka/Veloka", "new program");
    m_server->setBody("/Veloka/" + listed, "server's copy");
    UpdateTestBed::writeFile("database.db", "ledger");
    QByteArray list = (m_server->url("/Veloka/Veloka") + "\n").toUtf8();
    if (listed.isEmpty())
        list += QByteArray(UpdateText::MaxListFileSize, ' ');
    else
        list += m_server->url("/Veloka/" + listed).toUtf8();
    UpdateTestBed::writeFile("update.ini", list);
    const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    Updater window;
    window.show();
    QVERIFY(!window.nothingToDo());
    QVERIFY(labelText(window, "labelStatus").startsWith(statusPrefix));
    QTest::qWait(100);
    QVERIFY(m_server->requests().isEmpty());
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QCOMPARE(UpdateTestBed::fileContent("database.db"), QByteArray("ledger"));
    QVERIFY(ProgramLauncher::requests().isEmpty());
    QVERIFY(window.isVisible());
}

void TestUpdater::texts_follow_station_language_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("status");
    QTest::newRow("English") << QByteArray("{\"language\":1}") << "Downloader"
                             << "No download task";
    QTest::newRow("no configuration") << QByteArray() << "下载器"
                                      << "无下载任务";
}

void TestUpdater::texts_follow_station_language()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, title);
    QFETCH(QString, status);
    if (!config.isEmpty())
        UpdateTestBed::writeFile("config.ini", config);
    QTranslator translator;
    QVERIFY(installStationLanguage(translator));
    Updater window;
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(window.windowTitle(), title);
    QCOMPARE(labelText(window, "labelStatus"), status);
}

QTEST_MAIN(TestUpdater)
#include "test_updater.moc"
