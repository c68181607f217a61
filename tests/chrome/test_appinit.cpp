#include "AppInit.h"
#include "MouseSend.h"

#include <QPushButton>
#include <QtTest>

class TestAppInit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { AppInit::instance()->start(); }
    void drags_only_windows_marked_can_move_data();
    void drags_only_windows_marked_can_move();
    void press_on_a_child_button_does_not_drag();
};

void TestAppInit::drags_only_windows_marked_can_move_data()
{
    QTest::addColumn<QVariant>("canMove");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("expectedPos");

    QTest::newRow("marked, left button") << QVariant(true) << int(Qt::LeftButton) << QPoint(140, 125);
    QTest::newRow("marked, right button") << QVariant(true) << int(Qt::RightButton) << QPoint(100, 100);
    QTest::newRow("marked false") << QVariant(false) << int(Qt::LeftButton) << QPoint(100, 100);
    QTest::newRow("not marked") << QVariant() << int(Qt::LeftButton) << QPoint(100, 100);
}

void TestAppInit::drags_only_windows_marked_can_move()
{
    QFETCH(QVariant, canMove);
    QFETCH(int, button);
    QFETCH(QPoint, expectedPos);

    QWidget window(nullptr, Qt::FramelessWindowHint);
    if (canMove.isValid())
        window.setProperty("canMove", canMove);
    window.setGeometry(100, 100, 300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const auto b = Qt::MouseButton(button);
    sendMouse(&window, QEvent::MouseButtonPress, QPoint(200, 150), b, b);
    sendMouse(&window, QEvent::MouseMove, QPoint(240, 175), Qt::NoButton, b);
    sendMouse(&window, QEvent::MouseButtonRelease, QPoint(240, 175), b, Qt::NoButton);
    QCOMPARE(window.pos(), expectedPos);

    // Released: later moves leave the window alone.
    sendMouse(&window, QEvent::MouseMove, QPoint(300, 300), Qt::NoButton, Qt::NoButton);
    QCOMPARE(window.pos(), expectedPos);
}

void TestAppInit::press_on_a_child_button_does_not_drag()
{
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setProperty("canMove", true);
    window.setGeometry(100, 100, 300, 200);
    auto* button = new QPushButton("ok", &window);
    button->setGeometry(10, 10, 80, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSignalSpy clicked(button, &QPushButton::clicked);
    sendMouse(button, QEvent::MouseButtonPress, QPoint(130, 125), Qt::LeftButton, Qt::LeftButton);
    sendMouse(button, QEvent::MouseMove, QPoint(135, 127), Qt::NoButton, Qt::LeftButton);
    sendMouse(button, QEvent::MouseButtonRelease, QPoint(135, 127), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(window.pos(), QPoint(100, 100));
    QCOMPARE(clicked.count(), 1);
}

QTEST_MAIN(TestAppInit)
#include "test_appinit.moc"
