#include "CardReader.h"
#include "Database.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "Outbox.h"
#include "ReaderTopUpPrompt.h"
#include "VirtualReader.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

class TestTopUpPrompt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void amount_is_shown_in_yuan_with_two_fen_digits_data();
    void amount_is_shown_in_yuan_with_two_fen_digits();
    void outcome_texts_data();
    void outcome_texts();
    void cancelled_choice_reports_a_file_error();
    void accepted_file_reports_the_amount();
    void english_texts_come_from_the_translation();

private:
    QString writeFile(const QByteArray& bytes);
    QTemporaryDir m_dir;
    CardReader m_reader;
};

void TestTopUpPrompt::initTestCase()
{
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
    QVERIFY(openDatabase(m_dir.filePath("database.db")));
    QVERIFY(createTables());
    Outbox::setStationPath(m_dir.filePath(Outbox::kFileName));
}

void TestTopUpPrompt::init()
{
    MessageBox::clear();
    FileDialog::clear();
    VirtualReader::reset();
}

QString TestTopUpPrompt::writeFile(const QByteArray& bytes)
{
    const QString path = m_dir.filePath("pack.chfile");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(bytes);
    return path;
}

void TestTopUpPrompt::amount_is_shown_in_yuan_with_two_fen_digits_data()
{
    QTest::addColumn<quint32>("fen");
    QTest::addColumn<QString>("text");
    QTest::newRow("10005") << 10005u << "100.05元";
    QTest::newRow("5") << 5u << "0.05元";
    QTest::newRow("100000") << 100000u << "1000.00元";
}

void TestTopUpPrompt::amount_is_shown_in_yuan_with_two_fen_digits()
{
    QFETCH(quint32, fen);
    QFETCH(QString, text);
    QCOMPARE(ReaderTopUpPrompt::amountText(fen), text);
}

void TestTopUpPrompt::outcome_texts_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    using O = ReaderTopUp::Outcome;
    QTest::newRow("file") << int(O::FileError) << 0 << "选择文件错误";
    QTest::newRow("unplugged") << int(O::ReaderRefused) << 255 << "充值失败,代码:255";
    QTest::newRow("transfer") << int(O::ReaderRefused) << -1 << "充值失败,代码:-1";
    QTest::newRow("done") << int(O::Done) << 0 << "充值成功,已充值100.05元";
    QTest::newRow("ledger refused") << int(O::LedgerUnavailable) << 0
                                    << "数据库无法写入，未充值，发卡器未改动";
    QTest::newRow("done, row kept locally")
        << int(O::DoneKeptLocally) << 0
        << "充值成功,已充值100.05元\n数据库暂时无法写入，本次充值记录已暂存本地，数据库可写时自动补存";
    QTest::newRow("uncertain")
        << int(O::ReaderUncertain) << -1
        << "充值结果无法确认：发卡器余额读取失败，请读取发卡器信息核对（充值前余额0.00元，"
           "本次充值100.05元）";
    QTest::newRow("done without row")
        << int(O::DoneNotRecorded) << 0 << "充值成功,已充值100.05元\n但充值记录保存失败，请另行记下本次充值";
}

void TestTopUpPrompt::outcome_texts()
{
    QFETCH(int, outcome);
    QFETCH(int, code);
    QFETCH(QString, text);
    ReaderTopUp::Result result;
    result.outcome = ReaderTopUp::Outcome(outcome);
    result.code = code;
    result.contents.amount = 10005;
    QCOMPARE(ReaderTopUpPrompt::outcomeText(result), text);
}

void TestTopUpPrompt::cancelled_choice_reports_a_file_error()
{
    FileDialog::setNextFileName(QString());
    ReaderTopUpPrompt::run(nullptr, &m_reader, LoginSession());
    const FileDialog::Request request = FileDialog::requests().last();
    QCOMPARE(request.caption, QString("请选择充值文件"));
    QCOMPARE(request.directory, QString("./"));
    QCOMPARE(request.filter, QString("*.chfile 充值文件"));
    QCOMPARE(MessageBox::last().title, QString("提示"));
    QCOMPARE(MessageBox::last().text, QString("选择文件错误"));
}

void TestTopUpPrompt::accepted_file_reports_the_amount()
{
    FileDialog::setNextFileName(writeFile(VirtualReader::makeChargeFile(100000, VirtualReader::serial(), 9)));
    const ReaderTopUp::Result result = ReaderTopUpPrompt::run(nullptr, &m_reader, LoginSession());
    QCOMPARE(int(result.outcome), int(ReaderTopUp::Outcome::Done));
    QCOMPARE(MessageBox::last().text, QString("充值成功,已充值1000.00元"));
}

void TestTopUpPrompt::english_texts_come_from_the_translation()
{
    QTranslator english;
    QVERIFY(english.load(":/Language/english.qm"));
    QCoreApplication::installTranslator(&english);
    ReaderTopUp::Result refused;
    refused.outcome = ReaderTopUp::Outcome::ReaderRefused;
    refused.code = 255;
    const QString refusedText = ReaderTopUpPrompt::outcomeText(refused);
    const QString amount = ReaderTopUpPrompt::amountText(10005);
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(refusedText, QString("Recharging failed, code:255"));
    QCOMPARE(amount, QString("100.05$"));
}

QTEST_MAIN(TestTopUpPrompt)
#include "test_topupprompt.moc"
