#include "FileDialog.h"
#include "MessageBox.h"
#include "MsgBox.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void box_position_measured_from_parent_on_screen_data();
    void box_position_measured_from_parent_on_screen();
    void show_message_places_box_over_parent_wherever_it_is_data();
    void show_message_places_box_over_parent_wherever_it_is();
    void long_message_grows_the_box_instead_of_cutting_text();
    void box_without_parent_is_centred_on_the_screen();
    void test_mode_records_calls_and_answers_from_queue();
    void test_mode_leaves_no_box_behind();
    void box_buttons_give_accept_and_reject();
    void real_box_blocks_its_window_while_up();
    void file_dialog_test_mode_records_and_answers_from_queue();
};

void TestMessageBox::init()
{
    MessageBox::setTestMode(true);
    MessageBox::clear();
    FileDialog::setTestMode(true);
    FileDialog::clear();
}

void TestMessageBox::box_position_measured_from_parent_on_screen_data()
{
    QTest::addColumn<QRect>("parent");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");

    const QRect screen(0, 0, 1920, 1040);
    QTest::newRow("parent at origin")
        << QRect(0, 0, 800, 600) << QSize(300, 150) << screen << QPoint(250, 150);
    QTest::newRow("parent moved") << QRect(200, 120, 800, 600) << QSize(300, 150) << screen
                                  << QPoint(450, 270);
    QTest::newRow("odd sizes truncate halves")
        << QRect(0, 0, 801, 601) << QSize(301, 151) << screen << QPoint(250, 149);
    QTest::newRow("parent on a second screen")
        << QRect(2000, -50, 400, 300) << QSize(300, 150) << screen << QPoint(2050, -50);
    QTest::newRow("no parent") << QRect() << QSize(300, 150) << screen << QPoint(810, 445);
    QTest::newRow("no parent, offset work area")
        << QRect() << QSize(300, 150) << QRect(1920, 40, 1280, 984) << QPoint(2410, 457);
}

void TestMessageBox::box_position_measured_from_parent_on_screen()
{
    QFETCH(QRect, parent);
    QFETCH(QSize, box);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(MessageBox::boxPosition(parent, box, screen), expected);
}

void TestMessageBox::show_message_places_box_over_parent_wherever_it_is_data()
{
    QTest::addColumn<QPoint>("parentPos");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("parent at origin") << QPoint(0, 0) << QPoint(250, 150);
    QTest::newRow("parent moved") << QPoint(130, 70) << QPoint(380, 220);
}

void TestMessageBox::show_message_places_box_over_parent_wherever_it_is()
{
    QFETCH(QPoint, parentPos);
    QFETCH(QPoint, expected);

    QWidget parent(nullptr, Qt::FramelessWindowHint);
    parent.setGeometry(QRect(parentPos, QSize(800, 600)));
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QCOMPARE(showMessage(&parent, "错误提示", "读卡失败"), 1);
    const MessageBox::Record r = MessageBox::last();
    QCOMPARE(r.kind, MessageBox::Message);
    QCOMPARE(r.title, QString("错误提示"));
    QCOMPARE(r.text, QString("读卡失败"));
    QCOMPARE(r.position, expected);
}

void TestMessageBox::long_message_grows_the_box_instead_of_cutting_text()
{
    QWidget parent(nullptr, Qt::FramelessWindowHint);
    parent.setGeometry(0, 0, 800, 600);
    const QString text = QString("The reader balance is not enough for this recharge. ").repeated(4);
    showMessage(&parent, "t", text);
    // Same width, so x is unchanged; a taller box sits higher.
    QCOMPARE(MessageBox::last().position.x(), 250);
    QVERIFY(MessageBox::last().position.y() < 150);
}

void TestMessageBox::box_without_parent_is_centred_on_the_screen()
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    showInfo(nullptr, "卡号：1234");
    const MessageBox::Record r = MessageBox::last();
    QCOMPARE(r.kind, MessageBox::Info);
    QCOMPARE(r.title, QString("提示"));
    QCOMPARE(r.position, QPoint(area.x() + (area.width() - 300) / 2, area.y() + (area.height() - 150) / 2));
}

void TestMessageBox::test_mode_records_calls_and_answers_from_queue()
{
    MessageBox::setNextAnswer(0);
    MessageBox::setNextAnswer(1);
    QCOMPARE(showMessage(nullptr, "a", "first"), 0);
    MessageBox::information(nullptr, "i", "standard");
    MessageBox::warning(nullptr, "w", "careful");
    QCOMPARE(showInfo(nullptr, "second"), 1);
    QCOMPARE(showMessage(nullptr, "c", "queue empty"), 1);

    const QList<MessageBox::Record> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 5);
    QCOMPARE(shown[1].kind, MessageBox::StandardInformation);
    QCOMPARE(shown[1].title, QString("i"));
    QCOMPARE(shown[2].kind, MessageBox::StandardWarning);
    QCOMPARE(shown[2].text, QString("careful"));
    QCOMPARE(shown[3].kind, MessageBox::Info);
    QCOMPARE(shown[4].text, QString("queue empty"));

    MessageBox::clear();
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestMessageBox::test_mode_leaves_no_box_behind()
{
    QWidget parent;
    parent.resize(400, 300);
    showMessage(&parent, "t", "x");
    showInfo(&parent, "y");
    QVERIFY(parent.findChildren<MsgBox*>().isEmpty());
}

void TestMessageBox::box_buttons_give_accept_and_reject()
{
    for (const char* name : { "btn_ok", "Button_Close" }) {
        MsgBox box;
        box.setMessage("m");
        box.open();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* button = box.findChild<QPushButton*>(name);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), QString(name) == "btn_ok" ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }
    QWidget parent;
    MsgBox box(&parent);
    QVERIFY(box.isWindow());
    QVERIFY(box.findChild<QLabel*>("label_msg")->wordWrap());
    QCOMPARE(box.windowTitle(), QString("提示"));
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
}

void TestMessageBox::real_box_blocks_its_window_while_up()
{
    MessageBox::setTestMode(false);
    QWidget window;
    window.resize(400, 300);
    auto* button = new QPushButton(QStringLiteral("again"), &window);
    int clicks = 0;
    connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    bool boxIsModal = false;
    int clicksWhileUp = -1;
    QTimer::singleShot(0, [&] {
        boxIsModal = qobject_cast<MsgBox*>(QApplication::activeModalWidget()) != nullptr;
        // Through the window system, where modality is enforced.
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        clicksWhileUp = clicks;
        if (auto* box = window.findChild<MsgBox*>())
            box->findChild<QPushButton*>("btn_ok")->click();
    });
    const int answer = showMessage(&window, "t", "while up");
    MessageBox::setTestMode(true);
    QVERIFY(boxIsModal);
    QCOMPARE(clicksWhileUp, 0);
    QCOMPARE(answer, 1);
    // The same click reaches the window once the box is gone.
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    QCOMPARE(clicks, 1);
}

void TestMessageBox::file_dialog_test_mode_records_and_answers_from_queue()
{
    FileDialog::setNextFileName("/tmp/in.db");
    QCOMPARE(FileDialog::getOpenFileName(nullptr, "导入", "/data", "*.db"), QString("/tmp/in.db"));
    QCOMPARE(FileDialog::getSaveFileName(nullptr, "保存", ".", "*.xls"), QString());
    FileDialog::setNextFileName("/tmp/out");
    QCOMPARE(FileDialog::getExistingDirectory(nullptr, "目录", "/home"), QString("/tmp/out"));

    const QList<FileDialog::Request> requests = FileDialog::requests();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[0].kind, FileDialog::Open);
    QCOMPARE(requests[0].caption, QString("导入"));
    QCOMPARE(requests[0].directory, QString("/data"));
    QCOMPARE(requests[0].filter, QString("*.db"));
    QCOMPARE(requests[1].kind, FileDialog::Save);
    QCOMPARE(requests[2].kind, FileDialog::Folder);
    QCOMPARE(requests[2].directory, QString("/home"));
}

QTEST_MAIN(TestMessageBox)
#include "test_messagebox.moc"
