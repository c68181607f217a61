#include "IconHelper.h"

#include <QPushButton>
#include <QtTest>

// Linked without the resources, so the icon font cannot be found.
class TestIconHelperNoFont : public QObject
{
    Q_OBJECT

private slots:
    void missing_font_logs_error_and_buttons_show_bare_code_point()
    {
        QTest::ignoreMessage(QtDebugMsg, "load fontawesome-webfont.ttf error");
        IconHelper* helper = IconHelper::instance();
        QVERIFY(!helper->fontLoaded());

        QPushButton button;
        const QString defaultFamily = button.font().family();
        helper->setIcon(&button, QChar(0xF068), 9);
        QCOMPARE(button.text(), QString(QChar(0xF068)));
        QCOMPARE(button.font().family(), defaultFamily);
    }
};

QTEST_MAIN(TestIconHelperNoFont)
#include "test_iconhelper_nofont.moc"
