#include "BenchData.h"
#include "DeskTotals.h"
#include "GridModel.h"
#include "MessageBox.h"
#include "RecordDialog.h"
#include "RecordIndex.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

// RecordDialog on a large record table: the first build of the side index,
// then opening and the first screen, a jump to the last row, a telephone and
// a date search, and the resident memory they add.
namespace {

double timed(const std::function<void()>& step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::processEvents();
    return BenchData::seconds(timer) * 1000;
}

void click(QWidget* window, const char* button)
{
    QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-warning}%{message}%{endif}"));
    const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(kDatabaseFileName);
    QElapsedTimer timer;
    timer.start();
    BenchData::fill(path, 0, rows, true);
    const double fill = BenchData::seconds(timer);
    prepareDatabase(path);
    MessageBox::setTestMode(true);

    // A station's first opening after the upgrade reads the whole ledger
    // into the side index in the background.
    timer.restart();
    {
        const std::shared_ptr<RecordIndex> index = RecordIndex::acquire();
        if (!index || !index->waitUntilCaughtUp(-1))
            return 1;
    }
    const double build = BenchData::seconds(timer);
    const double indexMb = QFileInfo(RecordIndex::indexPath(path)).size() / 1048576.0;
    const double ledgerMb = QFileInfo(path).size() / 1048576.0;

    // The first window of the process also loads fonts and styles.
    const double cold = timed([&] {
        RecordDialog warmUp;
        warmUp.resize(1200, 700);
        warmUp.show();
        QCoreApplication::processEvents();
    });

    const long before = BenchData::residentKb();
    RecordDialog* dialog = nullptr;
    const double open = timed([&] {
        dialog = new RecordDialog;
        dialog->resize(1200, 700);
        dialog->show();
    });
    const double last = timed([&] { dialog->scrollToRow(dialog->model()->totalRows() - 1); });
    const QString lastCard = dialog->model()->index(dialog->model()->rowCount() - 1, 1).data().toString();

    const QString phone = QStringLiteral("138%1").arg(rows / 2, 8, 10, QLatin1Char('0'));
    dialog->findChild<QLineEdit*>(QStringLiteral("edit_recordScTel"))->setText(phone);
    const double phoneSearch = timed([&] { click(dialog, "btn_recordScTel"); });
    const qint64 phoneRows = dialog->model()->totalRows();

    dialog->findChild<QDateEdit*>(QStringLiteral("dateEdit_recordDateScBefore"))->setDate(QDate(2024, 1, 1));
    dialog->findChild<QDateEdit*>(QStringLiteral("dateEdit_recordDateScAfter"))->setDate(QDate(2024, 1, 1));
    const double dateSearch = timed([&] { click(dialog, "btn_recordScDate"); });
    const qint64 dateRows = dialog->model()->totalRows();
    const double dateLast = timed([&] { dialog->scrollToRow(dialog->model()->totalRows() - 1); });
    const long after = BenchData::residentKb();

    // The desk's totals of that day over the side index, against the scan of
    // the four tables' dates that the sums would need without it.
    const QDateTime dayStart(QDate(2024, 1, 1), QTime(0, 0));
    const QDateTime dayEnd(QDate(2024, 1, 1), QTime(23, 59, 59));
    DeskTotals totals;
    const double totalsTime = timed([&] { totals = loadDeskTotals(dayStart, dayEnd); });
    const double scanTime = timed([&] {
        for (const char* table : { "record", "backcard", "user", "devch" }) {
            QSqlQuery scan(QStringLiteral("select count(*) from %1 where date >= '2024-01-01 00.00.00' and "
                                          "date <= '2024-01-01 23.59.59'")
                               .arg(QLatin1String(table)));
            scan.next();
        }
    });

    std::printf("rows                          %d x 13 (filled in %.1f s)\n", rows, fill);
    std::printf("side index first build        %.1f s (background), %.0f MB beside a %.0f MB ledger\n", build,
        indexMb, ledgerMb);
    std::printf("open + first screen           %.1f ms (goal <= 50; first window of the process %.1f ms)\n",
        open, cold);
    std::printf("jump to last row              %.1f ms (goal <= 50), card %s\n", last, qPrintable(lastCard));
    std::printf("telephone search              %.1f ms, %lld rows (goal <= 50)\n", phoneSearch, phoneRows);
    std::printf("date search (one day)         %.1f ms, %lld rows (goal <= 50)\n", dateSearch, dateRows);
    std::printf("  then its last row           %.1f ms\n", dateLast);
    std::printf("desk totals (one day)         %.1f ms, %d recharges (ledger date scan %.1f ms)\n",
        totalsTime, totals.total().recharges.count, scanTime);
    std::printf("resident memory growth        %.1f MB (goal <= 20)\n", (after - before) / 1024.0);
    delete dialog;
    return phoneRows >= 1 && lastCard == QString::number(3000000000LL + rows - 1) ? 0 : 1;
}
