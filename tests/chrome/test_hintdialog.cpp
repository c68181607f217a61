#include "MouseSend.h"
#include "MsgBox.h"
#include "hintdialog.h"

#include <QtTest>

class TestHintDialog : public QObject
{
    Q_OBJECT

private slots:
    void region_follows_border_bands_in_order_data();
    void region_follows_border_bands_in_order();
    void left_edge_resize_stops_at_minimum_width_data();
    void left_edge_resize_stops_at_minimum_width();
    void pressing_in_the_middle_and_dragging_moves_the_window();
    void fixed_size_window_keeps_size_and_place_when_an_edge_is_dragged_data();
    void fixed_size_window_keeps_size_and_place_when_an_edge_is_dragged();
    void hover_without_button_only_updates_direction();
};

void TestHintDialog::region_follows_border_bands_in_order_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<int>("direction");

    const QRect w(100, 200, 300, 150); // right 399, bottom 349
    QTest::newRow("top-left corner") << w << QPoint(100, 200) << int(hintdialog::LEFTTOP);
    QTest::newRow("top-left band inner edge") << w << QPoint(105, 205) << int(hintdialog::LEFTTOP);
    QTest::newRow("bottom-left corner") << w << QPoint(102, 347) << int(hintdialog::LEFTBOTTOM);
    QTest::newRow("bottom-right corner") << w << QPoint(399, 349) << int(hintdialog::RIGHTBOTTOM);
    QTest::newRow("top-right corner") << w << QPoint(396, 201) << int(hintdialog::RIGHTTOP);
    QTest::newRow("left edge") << w << QPoint(103, 270) << int(hintdialog::LEFT);
    QTest::newRow("right edge") << w << QPoint(394, 270) << int(hintdialog::RIGHT);
    QTest::newRow("top edge") << w << QPoint(250, 200) << int(hintdialog::UP);
    QTest::newRow("bottom edge") << w << QPoint(250, 344) << int(hintdialog::DOWN);
    QTest::newRow("just inside the left band") << w << QPoint(106, 270) << int(hintdialog::NONE);
    QTest::newRow("just inside the bottom band") << w << QPoint(250, 343) << int(hintdialog::NONE);
    QTest::newRow("middle") << w << QPoint(250, 275) << int(hintdialog::NONE);
    QTest::newRow("outside left") << w << QPoint(99, 270) << int(hintdialog::NONE);
    QTest::newRow("outside bottom") << w << QPoint(250, 350) << int(hintdialog::NONE);

    // Narrow windows: where both side bands overlap, the left edge wins at
    // mid height while the bottom corner goes to the right.
    const QRect narrow(0, 0, 10, 100); // right 9
    QTest::newRow("narrow, overlap") << narrow << QPoint(5, 50) << int(hintdialog::LEFT);
    QTest::newRow("narrow, right pixel") << narrow << QPoint(9, 50) << int(hintdialog::RIGHT);
    QTest::newRow("narrow, overlap at bottom") << narrow << QPoint(5, 97) << int(hintdialog::RIGHTBOTTOM);
    QTest::newRow("narrow, overlap at top") << narrow << QPoint(5, 2) << int(hintdialog::LEFTTOP);
    QTest::newRow("eleven wide, overlap") << QRect(0, 0, 11, 100) << QPoint(5, 50) << int(hintdialog::LEFT);
    QTest::newRow("eleven wide, past overlap")
        << QRect(0, 0, 11, 100) << QPoint(6, 50) << int(hintdialog::RIGHT);
}

void TestHintDialog::region_follows_border_bands_in_order()
{
    QFETCH(QRect, window);
    QFETCH(QPoint, cursor);
    QFETCH(int, direction);
    QCOMPARE(int(hintdialog::regionAt(window, cursor)), direction);
}

void TestHintDialog::left_edge_resize_stops_at_minimum_width_data()
{
    QTest::addColumn<QList<int>>("moveXs");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("width");

    // Box 300 wide at x 100 (right edge 399), minimum width 220.
    QTest::newRow("narrower") << QList<int> { 150 } << 150 << 250;
    QTest::newRow("wider") << QList<int> { 60 } << 60 << 340;
    QTest::newRow("last step above minimum") << QList<int> { 178 } << 178 << 222;
    QTest::newRow("stops at minimum") << QList<int> { 150, 179 } << 150 << 250;
    QTest::newRow("far past the right edge") << QList<int> { 150, 500 } << 150 << 250;
    QTest::newRow("back out after stopping") << QList<int> { 190, 120 } << 120 << 280;
}

void TestHintDialog::left_edge_resize_stops_at_minimum_width()
{
    QFETCH(QList<int>, moveXs);
    QFETCH(int, left);
    QFETCH(int, width);

    MsgBox box;
    box.setGeometry(100, 100, 300, 150);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.minimumWidth(), 220);

    sendMouse(&box, QEvent::MouseButtonPress, QPoint(103, 170), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(int(hintdialog::direction()), int(hintdialog::LEFT));
    for (int x : moveXs)
        sendMouse(&box, QEvent::MouseMove, QPoint(x, 170), Qt::NoButton, Qt::LeftButton);
    sendMouse(&box, QEvent::MouseButtonRelease, QPoint(moveXs.last(), 170), Qt::LeftButton, Qt::NoButton);

    QCOMPARE(box.geometry(), QRect(left, 100, width, 150));
    QCOMPARE(box.cursor().shape(), Qt::ArrowCursor);
}

void TestHintDialog::pressing_in_the_middle_and_dragging_moves_the_window()
{
    hintdialog dlg;
    dlg.setGeometry(200, 150, 400, 300);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    sendMouse(&dlg, QEvent::MouseButtonPress, QPoint(400, 300), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(int(hintdialog::direction()), int(hintdialog::NONE));
    sendMouse(&dlg, QEvent::MouseMove, QPoint(430, 320), Qt::NoButton, Qt::LeftButton);
    sendMouse(&dlg, QEvent::MouseMove, QPoint(350, 260), Qt::NoButton, Qt::LeftButton);
    sendMouse(&dlg, QEvent::MouseButtonRelease, QPoint(350, 260), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(dlg.geometry(), QRect(150, 110, 400, 300));

    // After release, moving no longer drags.
    sendMouse(&dlg, QEvent::MouseMove, QPoint(500, 400), Qt::NoButton, Qt::NoButton);
    QCOMPARE(dlg.pos(), QPoint(150, 110));
}

void TestHintDialog::fixed_size_window_keeps_size_and_place_when_an_edge_is_dragged_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("moveTo");

    // Window at (100, 100), 200 x 100: right 299, bottom 199.
    QTest::newRow("left edge outward") << QPoint(101, 150) << QPoint(40, 150);
    QTest::newRow("left edge inward") << QPoint(101, 150) << QPoint(150, 150);
    QTest::newRow("right edge outward") << QPoint(298, 150) << QPoint(380, 150);
    QTest::newRow("top edge outward") << QPoint(200, 101) << QPoint(200, 20);
    QTest::newRow("bottom-left corner outward") << QPoint(101, 198) << QPoint(30, 260);
    QTest::newRow("top-right corner inward") << QPoint(298, 101) << QPoint(250, 150);
}

void TestHintDialog::fixed_size_window_keeps_size_and_place_when_an_edge_is_dragged()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, moveTo);

    hintdialog dlg;
    dlg.setFixedSize(200, 100);
    dlg.move(100, 100);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    sendMouse(&dlg, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(hintdialog::direction() != hintdialog::NONE);
    sendMouse(&dlg, QEvent::MouseMove, moveTo, Qt::NoButton, Qt::LeftButton);
    sendMouse(&dlg, QEvent::MouseButtonRelease, moveTo, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(dlg.geometry(), QRect(100, 100, 200, 100));
}

void TestHintDialog::hover_without_button_only_updates_direction()
{
    hintdialog dlg;
    dlg.setGeometry(100, 100, 300, 200);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    sendMouse(&dlg, QEvent::MouseMove, QPoint(399, 299), Qt::NoButton, Qt::NoButton);
    QCOMPARE(int(hintdialog::direction()), int(hintdialog::RIGHTBOTTOM));
    QCOMPARE(dlg.cursor().shape(), Qt::SizeFDiagCursor);
    sendMouse(&dlg, QEvent::MouseMove, QPoint(101, 200), Qt::NoButton, Qt::NoButton);
    QCOMPARE(dlg.cursor().shape(), Qt::SizeHorCursor);
    sendMouse(&dlg, QEvent::MouseMove, QPoint(250, 200), Qt::NoButton, Qt::NoButton);
    QCOMPARE(int(hintdialog::direction()), int(hintdialog::NONE));
    QCOMPARE(dlg.geometry(), QRect(100, 100, 300, 200));
}

QTEST_MAIN(TestHintDialog)
#include "test_hintdialog.moc"
