#include "UpdateText.h"
#include "VersionCheck.h"

#include <QUrl>
#include <QtTest>

class TestUpdateText : public QObject
{
    Q_OBJECT

private slots:
    void sizes_shown_in_whole_units_data();
    void sizes_shown_in_whole_units();
    void durations_leave_out_zero_parts_data();
    void durations_leave_out_zero_parts();
    void remaining_time_without_speed_is_zero();
    void update_list_skips_blank_lines();
    void unsafe_file_names_refused_data();
    void unsafe_file_names_refused();
    void only_numeric_newer_version_counts_data();
    void only_numeric_newer_version_counts();
};

void TestUpdateText::sizes_shown_in_whole_units_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("speed");
    QTest::addColumn<QString>("text");
    QTest::newRow("negative") << qint64(-5) << false << "0 B";
    QTest::newRow("zero speed") << qint64(0) << true << "0 B/S";
    QTest::newRow("1023") << qint64(1023) << false << "1023 B";
    QTest::newRow("1024") << qint64(1024) << false << "1 KB";
    QTest::newRow("512 KB speed") << qint64(512 * 1024 + 1000) << true << "512 KB/S";
    QTest::newRow("1048575") << qint64(1048575) << false << "1023 KB";
    QTest::newRow("3 MB") << qint64(3 * 1048576 + 5) << false << "3 MB";
    QTest::newRow("1073741823") << qint64(1073741823) << false << "1023 MB";
    QTest::newRow("1073741824") << qint64(1073741824) << false << "1 GB";
    QTest::newRow("5 GB speed") << qint64(5) * 1073741824 << true << "5 GB/S";
}

void TestUpdateText::sizes_shown_in_whole_units()
{
    QFETCH(qint64, bytes);
    QFETCH(bool, speed);
    QFETCH(QString, text);
    QCOMPARE(UpdateText::formatSize(bytes, speed), text);
}

void TestUpdateText::durations_leave_out_zero_parts_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("negative") << qint64(-3) << "0s";
    QTest::newRow("0") << qint64(0) << "0s";
    QTest::newRow("59") << qint64(59) << "59s";
    QTest::newRow("60") << qint64(60) << "1m";
    QTest::newRow("303") << qint64(303) << "5m 3s";
    QTest::newRow("3600") << qint64(3600) << "1h";
    QTest::newRow("3601") << qint64(3601) << "1h 1s";
    QTest::newRow("3661") << qint64(3661) << "1h 1m 1s";
    QTest::newRow("86400") << qint64(86400) << "1d";
    QTest::newRow("2d 3h") << qint64(2 * 86400 + 3 * 3600) << "2d 3h";
    QTest::newRow("1d 1s") << qint64(86401) << "1d 1s";
}

void TestUpdateText::durations_leave_out_zero_parts()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(UpdateText::formatDuration(seconds), text);
}

void TestUpdateText::remaining_time_without_speed_is_zero()
{
    QCOMPARE(UpdateText::remainingSeconds(5000, 0), qint64(0));
    QCOMPARE(UpdateText::remainingSeconds(5000, -200), qint64(0));
    QCOMPARE(UpdateText::remainingSeconds(5000, 1000), qint64(5));
}

void TestUpdateText::update_list_skips_blank_lines()
{
    const QString text = QStringLiteral("http://h/Veloka/Veloka.exe\r\n\r\n  \nhttp://h/Veloka/a.dll\n\n"
                                        "http://h/Veloka/b.dll");
    QCOMPARE(UpdateText::parseUpdateList(text),
        QStringList({ "http://h/Veloka/Veloka.exe", "http://h/Veloka/a.dll", "http://h/Veloka/b.dll" }));
    QVERIFY(UpdateText::parseUpdateList(QStringLiteral("\n\n")).isEmpty());
}

void TestUpdateText::unsafe_file_names_refused_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("local");
    QTest::newRow("plain") << "https://h/Veloka/Veloka.exe"
                           << "./Veloka.exe";
    QTest::newRow("query ignored") << "https://h/Veloka/ver.ini?x=1"
                                   << "./ver.ini";
    QTest::newRow("encoded space decoded") << "https://h/Veloka/my%20file.txt"
                                           << "./my file.txt";
    QTest::newRow("no path") << "https://h"
                             << "";
    QTest::newRow("trailing slash") << "https://h/Veloka/"
                                    << "";
    QTest::newRow("dot-dot") << "https://h/Veloka/%2e%2e"
                             << "";
    QTest::newRow("encoded slash") << "https://h/Veloka/..%2f..%2fetc"
                                   << "";
    QTest::newRow("encoded backslash") << "https://h/Veloka/..%5Cwin.ini"
                                       << "";
    QTest::newRow("drive designator") << "https://h/Veloka/C%3Aboot"
                                      << "";
    QTest::newRow("control character") << "https://h/Veloka/a%0Ab"
                                       << "";
}

void TestUpdateText::unsafe_file_names_refused()
{
    QFETCH(QString, address);
    QFETCH(QString, local);
    QCOMPARE(UpdateText::localFileName(address), local);
}

void TestUpdateText::only_numeric_newer_version_counts_data()
{
    QTest::addColumn<QByteArray>("verIni");
    QTest::addColumn<bool>("newer");
    QTest::newRow("21") << QByteArray("{\"ver\": 21}") << true;
    QTest::newRow("20") << QByteArray("{\"ver\": 20}") << false;
    QTest::newRow("20.9 is version 20") << QByteArray("{\"ver\": 20.9}") << false;
    QTest::newRow("21 as text") << QByteArray("{\"ver\": \"21\"}") << false;
    QTest::newRow("no ver") << QByteArray("{\"version\": 30}") << false;
    QTest::newRow("array") << QByteArray("[21]") << false;
    QTest::newRow("not json") << QByteArray("ver=21") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestUpdateText::only_numeric_newer_version_counts()
{
    QFETCH(QByteArray, verIni);
    QFETCH(bool, newer);
    QCOMPARE(VersionCheck::isNewerVersion(verIni, 20), newer);
}

QTEST_GUILESS_MAIN(TestUpdateText)
#include "test_updatetext.moc"
