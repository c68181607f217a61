#include "BackCardDialog.h"
#include "BlackListDialog.h"
#include "DevChDialog.h"
#include "DevUpd.h"
#include "DialogChrome.h"
#include "RecordDialog.h"
#include "RecordsFixture.h"
#include "UserDialog.h"

#include <QLabel>
#include <QTableView>
#include <functional>

namespace {

using WindowFactory = std::function<QDialog*()>;

const QColor Teal(29, 176, 184);
const QColor StatusTeal(55, 198, 192);

QColor colourAt(QWidget* widget, const QPoint& point)
{
    return QColor(widget->grab().toImage().pixel(point));
}

} // namespace

Q_DECLARE_METATYPE(WindowFactory)

// The windows that once had no title-bar colour carry the shared sheet: the
// light title glyphs sit on teal, the title is white, the status bar teal too.
class TestWindowChrome : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture.open(); }
    void cleanup() { m_fixture.close(); }

    void title_and_status_bars_are_teal_with_white_text_data()
    {
        QTest::addColumn<WindowFactory>("make");
        QTest::newRow("blacklist") << WindowFactory([] { return new BlackListDialog; });
        QTest::newRow("reader upgrade") << WindowFactory([] { return new DevUpd; });
        QTest::newRow("users") << WindowFactory([] { return new UserDialog; });
        QTest::newRow("recharges") << WindowFactory([] { return new RecordDialog; });
        QTest::newRow("returns") << WindowFactory([] { return new BackCardDialog; });
        QTest::newRow("reader top-ups") << WindowFactory([] { return new DevChDialog; });
    }

    void title_and_status_bars_are_teal_with_white_text()
    {
        QFETCH(WindowFactory, make);
        QScopedPointer<QDialog> window(make());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.data()));
        QVERIFY(window->styleSheet().startsWith(DialogChrome::windowStyleSheet(window->objectName())));

        auto* title = window->findChild<QWidget*>(QStringLiteral("widgetTitle"));
        auto* titleText = window->findChild<QLabel*>(QStringLiteral("labTitle"));
        auto* status = window->findChild<QWidget*>(QStringLiteral("widgetBom"));
        auto* company = window->findChild<QLabel*>(QStringLiteral("label_company"));
        QVERIFY(title && titleText && status && company);

        // Between the title and the buttons nothing but the bar's own colour.
        const QPoint titleGap(titleText->geometry().right() + 8, title->height() / 2);
        QCOMPARE(colourAt(title, titleGap), Teal);
        QCOMPARE(colourAt(status, QPoint(status->width() - 4, status->height() / 2)), StatusTeal);
        QCOMPARE(titleText->palette().color(titleText->foregroundRole()), QColor(Qt::white));
        QCOMPARE(company->palette().color(company->foregroundRole()), QColor(Qt::white));
        QCOMPARE(title->height(), 36);
    }

    void the_window_keeps_its_own_rules_after_the_shared_ones()
    {
        QWidget window;
        window.setObjectName(QStringLiteral("SomeDialog"));
        window.setStyleSheet(QStringLiteral("#labTitle{font-size:15px;}"));
        DialogChrome::applyWindowStyle(&window);
        DialogChrome::applyWindowStyle(&window);
        QCOMPARE(window.styleSheet(),
            DialogChrome::windowStyleSheet(QStringLiteral("SomeDialog"))
                + QStringLiteral("\n#labTitle{font-size:15px;}"));
    }

private:
    RecordsFixture m_fixture;
};

QTEST_MAIN(TestWindowChrome)
#include "test_window_chrome.moc"
