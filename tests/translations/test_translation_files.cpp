#include <QTranslator>
#include <QtTest>

class TestTranslationFiles : public QObject
{
    Q_OBJECT

private slots:
    void built_in_files_load_under_both_spellings_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("english absolute") << ":/Language/english.qm";
        QTest::newRow("english as the login loads it") << ":Language/english.qm";
        QTest::newRow("chinese absolute") << ":/Language/chinese.qm";
        QTest::newRow("chinese as the login loads it") << ":Language/chinese.qm";
    }

    void built_in_files_load_under_both_spellings()
    {
        QFETCH(QString, path);
        QTranslator translator;
        QVERIFY(translator.load(path));
    }

    void english_file_translates_per_context_and_chinese_keeps_source()
    {
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":Language/english.qm")));
        QCOMPARE(english.translate("LoginWin", "登陆"), QStringLiteral("Login in"));
        QCOMPARE(english.translate(
                     "LoginWin", "启动主程序错误!\n可能主程序不存在或者被破坏!\n解决办法：重新安装程序!"),
            QStringLiteral("Main program failure\nMain program not existed or destroied.\nSolution: "
                           "Re-install the program."));
        QCOMPARE(english.translate("NoSuchWindow", "登陆"), QString());

        QTranslator chinese;
        QVERIFY(chinese.load(QStringLiteral(":Language/chinese.qm")));
        QVERIFY(chinese.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTranslationFiles)
#include "test_translation_files.moc"
