#include "StationConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(StationConfig)

namespace {

StationConfig menuDefaults()
{
    StationConfig config;
    config.dev_type = 0;
    config.language = 0;
    return config;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestStationConfig : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void load_takes_usable_values_and_keeps_the_rest_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<StationConfig>("expected");

        StationConfig all = menuDefaults();
        all.company = QStringLiteral("东城充电");
        all.usr_key = QStringLiteral("A1B2C3D4E5F6");
        all.usr_sect = 5;
        all.limit_money = 50000;
        all.dev_type = 1;
        all.language = 1;
        QTest::newRow("every field") << QByteArray(R"({"company":"东城充电","usr_key":"A1B2C3D4E5F6",
            "usr_sect":5,"limit_money":50000,"dev_type":1,"language":1,"extra":true})")
                                     << all;

        QTest::newRow("number given as text is ignored")
            << QByteArray(R"({"limit_money":"5000","dev_type":"1"})") << menuDefaults();

        StationConfig sect = menuDefaults();
        sect.usr_sect = 44;
        QTest::newRow("sector truncated to 8 bits") << QByteArray(R"({"usr_sect":300})") << sect;

        StationConfig fraction = menuDefaults();
        fraction.limit_money = 0;
        QTest::newRow("fraction reads as 0") << QByteArray(R"({"limit_money":12.5})") << fraction;

        QTest::newRow("text field given as number is ignored")
            << QByteArray(R"({"company":12,"usr_key":null})") << menuDefaults();
        QTest::newRow("array changes nothing") << QByteArray(R"([{"limit_money":1}])") << menuDefaults();
        QTest::newRow("malformed file changes nothing")
            << QByteArray(R"({"limit_money":1)") << menuDefaults();
        QTest::newRow("empty file changes nothing") << QByteArray() << menuDefaults();
    }

    void load_takes_usable_values_and_keeps_the_rest()
    {
        QFETCH(QByteArray, json);
        QFETCH(StationConfig, expected);
        const QString path = configPath();
        writeFile(path, json);

        StationConfig config = menuDefaults();
        loadConfig(config, path);
        QCOMPARE(config.company, expected.company);
        QCOMPARE(config.usr_key, expected.usr_key);
        QCOMPARE(config.usr_sect, expected.usr_sect);
        QCOMPARE(config.limit_money, expected.limit_money);
        QCOMPARE(config.dev_type, expected.dev_type);
        QCOMPARE(config.language, expected.language);
    }

    void missing_file_leaves_record_unchanged()
    {
        StationConfig config = menuDefaults();
        config.limit_money = 777;
        QCOMPARE(loadConfig(config, m_dir->filePath(QStringLiteral("absent.ini"))), ConfigLoad::Missing);
        QCOMPARE(config.limit_money, 777);
        QCOMPARE(config.usr_key, StationConfig().usr_key);
    }

    void damaged_file_is_kept_aside_and_never_overwritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("truncated") << QByteArray("{\"usr_key\": \"A1B2C3");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x7f{\x01", 6);
        QTest::newRow("array") << QByteArray(R"([{"usr_key": "A1B2C3D4E5F6"}])");
        QTest::newRow("ini text") << QByteArray("[station]\nusr_key=A1B2C3D4E5F6\n");
        QTest::newRow("empty") << QByteArray();
    }

    void damaged_file_is_kept_aside_and_never_overwritten()
    {
        QFETCH(QByteArray, bytes);
        const QString path = configPath();
        writeFile(path, bytes);
        StationConfig config = menuDefaults();
        QCOMPARE(loadConfig(config, path), ConfigLoad::Damaged);
        QCOMPARE(config.usr_key, menuDefaults().usr_key);

        const QDateTime at(QDate(2026, 12, 9), QTime(13, 5, 1));
        const QString kept = keepDamagedConfig(path, at);
        QCOMPARE(kept, path + QStringLiteral(".bad-20261209-130501"));
        QCOMPARE(loadConfig(config, path), ConfigLoad::Missing);
        // The same second again does not replace the first kept file.
        writeFile(path, bytes);
        QCOMPARE(keepDamagedConfig(path, at), kept + QStringLiteral("-2"));

        // A save over a damaged file keeps it first.
        writeFile(path, bytes);
        QVERIFY(saveConfig(config, path));
        QCOMPARE(loadConfig(config, path), ConfigLoad::Loaded);
        QCOMPARE(QDir(dir()).entryList({ QStringLiteral("config.ini.bad-*") }, QDir::Files).size(), 3);
        QFile first(kept);
        QVERIFY(first.open(QIODevice::ReadOnly));
        QCOMPARE(first.readAll(), bytes);
    }

    void save_writes_sorted_keys_with_four_space_indent()
    {
        StationConfig config = menuDefaults();
        config.usr_sect = 200;
        config.language = 1;
        const QString path = configPath();
        QVERIFY(saveConfig(config, path));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected = "{\n"
                                    "    \"company\": \"\",\n"
                                    "    \"dev_type\": 0,\n"
                                    "    \"language\": 1,\n"
                                    "    \"limit_money\": 30000,\n"
                                    "    \"usr_key\": \""
            + config.usr_key.toLatin1()
            + "\",\n"
              "    \"usr_sect\": 200\n"
              "}\n";
        QCOMPARE(file.readAll(), expected);
    }

    void save_replaces_the_file_and_leaves_no_temporary_behind()
    {
        const QString path = configPath();
        writeFile(path, "{\"company\": \"" + QByteArray(4096, 'x') + "\"}");
        StationConfig config = menuDefaults();
        config.company = QStringLiteral("南站");
        config.limit_money = 12345;
        QVERIFY(saveConfig(config, path));

        QCOMPARE(QDir(dir()).entryList(QDir::Files | QDir::Hidden), QStringList { "config.ini" });
        StationConfig reread;
        loadConfig(reread, path);
        QCOMPARE(reread.company, config.company);
        QCOMPARE(reread.limit_money, 12345);
    }

    void save_reports_failure_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("folder missing") << QStringLiteral("no/such/dir/config.ini");
        QTest::newRow("path is a folder") << QStringLiteral("taken");
    }

    void save_reports_failure()
    {
        QFETCH(QString, relativePath);
        QVERIFY(QDir(dir()).mkdir(QStringLiteral("taken")));
        QVERIFY(!saveConfig(menuDefaults(), dir() + QLatin1Char('/') + relativePath));
        QVERIFY(QFileInfo(dir() + QStringLiteral("/taken")).isDir());
    }

private:
    QString dir() const { return m_dir->path(); }
    QString configPath() const { return m_dir->filePath(QStringLiteral("config.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestStationConfig)
#include "test_stationconfig.moc"
