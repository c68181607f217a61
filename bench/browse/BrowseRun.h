#pragma once

#include "BenchData.h"
#include "DeskTotals.h"
#include "GridModel.h"
#include "RecordDialog.h"
#include "SqlDialect.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <functional>

// What the browse benchmarks time once the station's ledger is open (the file
// with its side index built, or the server) and holds the rows of
// BenchData::fill: the first window, opening and the first screen, a jump to
// the last row, a telephone and a date search, the desk's totals of a day and
// the resident memory they add. 0 when the searches found what they should.
namespace BrowseRun {

inline double timed(const std::function<void()>& step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::processEvents();
    return BenchData::seconds(timer) * 1000;
}

inline void click(QWidget* window, const char* button)
{
    QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
}

inline int measure(int rows)
{
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
    // The server reads the whole list of ids behind the first screen.
    const double whole = timed([&] {
        while (dialog->readingAllRows())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
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

    // The desk's totals of that day (over the indexes), against a bare scan of
    // the four tables' dates that the sums would need without it.
    const QDateTime dayStart(QDate(2024, 1, 1), QTime(0, 0));
    const QDateTime dayEnd(QDate(2024, 1, 1), QTime(23, 59, 59));
    DeskTotals totals;
    const double totalsTime = timed([&] { totals = loadDeskTotals(dayStart, dayEnd); });
    const double scanTime = timed([&] {
        for (const char* table : { "record", "backcard", "user", "devch" }) {
            QSqlQuery scan(QStringLiteral("select count(*) from %1 where date >= '2024-01-01 00.00.00' and "
                                          "date <= '2024-01-01 23.59.59'")
                               .arg(SqlDialect::current().table(QLatin1String(table))));
            scan.next();
        }
    });

    std::printf("open + first screen           %.1f ms (goal <= 50; first window of the process %.1f ms)\n",
        open, cold);
    std::printf(
        "  every row known after       %.1f ms more (the server reads its ids behind the first screen)\n",
        whole);
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

} // namespace BrowseRun
