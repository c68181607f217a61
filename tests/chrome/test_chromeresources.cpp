#include "DialogChrome.h"
#include "IconHelper.h"

#include <QDialog>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPushButton>
#include <QtTest>

namespace {

class TitledDialog : public QDialog
{
public:
    int titleEvents = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            ++titleEvents;
        return QDialog::eventFilter(watched, event);
    }
};

} // namespace

class TestChromeResources : public QObject
{
    Q_OBJECT

private slots:
    void every_picture_is_in_the_resources_data();
    void every_picture_is_in_the_resources();
    void icon_font_is_in_the_resources_and_loads();
    void icon_helper_puts_glyph_in_icon_font_on_button();
    void dialog_chrome_sets_up_a_working_dialog();
    void dialog_chrome_centres_over_parent_wherever_it_is();
};

void TestChromeResources::every_picture_is_in_the_resources_data()
{
    QTest::addColumn<QString>("name");
    const char* names[] = { "home", "newCard", "manAdd", "pswManage", "manDelete", "money", "cardSet",
        "syssetting", "deskTotals", "cardStatement", "export", "import", "chNote", "devPay", "blackList",
        "devUpd", "checkinfo", "logo", "winminNormal", "winminPress", "closeNor", "closeSel", "tab_bike",
        "tab_car", "progressbar_back", "progressbar" };
    for (const char* name : names)
        QTest::newRow(name) << QString(name);
}

void TestChromeResources::every_picture_is_in_the_resources()
{
    QFETCH(QString, name);
    const QImage image(":/pic/" + name + ".png");
    QVERIFY(!image.isNull());
    QVERIFY(image.width() >= 16 && image.height() >= 16);
    // Not an empty canvas: something was painted in the middle row.
    bool painted = false;
    for (int x = 0; x < image.width() && !painted; ++x)
        painted = qAlpha(image.pixel(x, image.height() / 2)) > 0;
    QVERIFY(painted);
}

void TestChromeResources::icon_font_is_in_the_resources_and_loads()
{
    QFile font(":/image/fontawesome-webfont.ttf");
    QVERIFY(font.open(QIODevice::ReadOnly));
    const QByteArray data = font.readAll();
    QVERIFY(data.size() > 10000);
    const int id = QFontDatabase::addApplicationFontFromData(data);
    QCOMPARE(QFontDatabase::applicationFontFamilies(id).value(0), QString("FontAwesome"));
}

void TestChromeResources::icon_helper_puts_glyph_in_icon_font_on_button()
{
    IconHelper* helper = IconHelper::instance();
    QVERIFY(helper->fontLoaded());
    QPushButton button;
    helper->setIcon(&button, QChar(0xF00D), 9);
    QCOMPARE(button.text(), QString(QChar(0xF00D)));
    QCOMPARE(button.font().family(), QString("FontAwesome"));
    QCOMPARE(button.font().pointSize(), 9);
    QVERIFY(QFontMetrics(button.font()).inFont(QChar(0xF00D)));
}

void TestChromeResources::dialog_chrome_sets_up_a_working_dialog()
{
    QWidget owner;
    TitledDialog dialog;
    dialog.setParent(&owner, dialog.windowFlags());
    auto* title = new QWidget(&dialog);
    auto* min = new QPushButton(title);
    auto* close = new QPushButton(title);
    DialogChrome::apply(&dialog, title, min, nullptr, close);

    QCOMPARE(dialog.property("form").toBool(), true);
    QCOMPARE(dialog.property("canMove").toBool(), true);
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(flags & Qt::FramelessWindowHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY((flags & Qt::WindowMinMaxButtonsHint) == Qt::WindowMinMaxButtonsHint);
    QVERIFY(dialog.isWindow());
    QCOMPARE(min->text(), QString(QChar(0xF068)));
    QCOMPARE(close->text(), QString(QChar(0xF00D)));
    QCOMPARE(close->font().pointSize(), 9);
    QVERIFY(close->styleSheet().contains("rgba(238,0,0,128)"));
    QVERIFY(min->styleSheet().contains("rgba(51,127,209,230)"));
    QCOMPARE(title->property("form").toString(), QString("title"));

    QMouseEvent dbl(
        QEvent::MouseButtonDblClick, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(title, &dbl);
    QCOMPARE(dialog.titleEvents, 1);
}

void TestChromeResources::dialog_chrome_centres_over_parent_wherever_it_is()
{
    QWidget parent(nullptr, Qt::FramelessWindowHint);
    parent.setGeometry(100, 50, 800, 600);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QDialog dialog(&parent);
    dialog.resize(401, 300);
    DialogChrome::centreOverParent(&dialog);
    QCOMPARE(dialog.pos(), QPoint(100 + 199, 50 + 150));
}

QTEST_MAIN(TestChromeResources)
#include "test_chromeresources.moc"
