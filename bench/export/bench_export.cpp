#include "BenchData.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "RecordDialog.h"
#include "RecordIndex.h"

#include <QApplication>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <xlsxwriter.h>

// Export of RecordDialog's rows against libxlsxwriter alone streaming the
// same rows from one query, and openpyxl's write-only mode writing them (its
// cells read before its clock starts). Each contender runs in a process of its
// own, so its peak memory is its own.
namespace {

const char* const kOpenpyxl = R"(
import resource, sqlite3, sys, time
from openpyxl import Workbook
rows = [[("" if v is None else str(v)) for v in r] for r in sqlite3.connect(sys.argv[1]).execute("select * from record")]
start = time.perf_counter()
wb = Workbook(write_only=True)
ws = wb.create_sheet()
ws.append(["title%d" % i for i in range(13)])
for r in rows:
    ws.append(r)
wb.save(sys.argv[2])
print("%.3f %d" % (time.perf_counter() - start, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss))
)";

int exportFromDialog(const QString& database, const QString& out)
{
    prepareDatabase(database);
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
    // An established station: its side index is built before the clock starts.
    const std::shared_ptr<RecordIndex> index = RecordIndex::acquire();
    if (!index || !index->waitUntilCaughtUp(-1))
        return 1;
    RecordDialog dialog;
    FileDialog::setNextFileName(out);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btn_export_execl")), Qt::LeftButton);
    const double elapsed = BenchData::seconds(timer);
    // A result split over sheets is told after the success.
    bool written = false;
    for (const MessageBox::Record& shown : MessageBox::shown())
        written = written || shown.text == QStringLiteral("导出成功");
    if (!written)
        return 1;
    std::printf("%.3f %ld\n", elapsed, BenchData::peakKb());
    return 0;
}

// The floor: one query streamed straight into libxlsxwriter.
int exportAlone(const QString& database, const QString& out)
{
    prepareDatabase(database);
    QElapsedTimer timer;
    timer.start();
    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(out).constData(), &options);
    lxw_format* centred = workbook_add_format(book);
    format_set_align(centred, LXW_ALIGN_CENTER);
    format_set_align(centred, LXW_ALIGN_VERTICAL_CENTER);
    QSqlQuery query;
    query.setForwardOnly(true);
    query.exec(QStringLiteral("select * from record"));
    lxw_worksheet* sheet = nullptr;
    lxw_row_t row = 0;
    while (query.next()) {
        // A sheet holds the titles and 1 048 575 rows.
        if (!sheet || row == 1048575) {
            sheet = workbook_add_worksheet(book, nullptr);
            for (int c = 0; c < 13; ++c)
                worksheet_write_string(sheet, 0, lxw_col_t(c), "title", centred);
            row = 0;
        }
        ++row;
        for (int c = 0; c < 13; ++c)
            worksheet_write_string(
                sheet, row, lxw_col_t(c), query.value(c).toString().toUtf8().constData(), centred);
    }
    const bool ok = workbook_close(book) == LXW_NO_ERROR;
    std::printf("%.3f %ld\n", BenchData::seconds(timer), BenchData::peakKb());
    return ok ? 0 : 1;
}

struct Figures
{
    double seconds = 0;
    double peakMb = 0;
};

Figures parse(const QString& output)
{
    const QStringList fields = output.split(QLatin1Char('\n')).last().split(QLatin1Char(' '));
    return fields.size() == 2 ? Figures { fields.at(0).toDouble(), fields.at(1).toDouble() / 1024 }
                              : Figures {};
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-warning}%{message}%{endif}"));
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--dialog"))
        return exportFromDialog(args.at(2), args.at(3));
    if (args.size() == 4 && args.at(1) == QLatin1String("--alone"))
        return exportAlone(args.at(2), args.at(3));

    const int rows = args.size() > 1 ? args.at(1).toInt() : 100000;
    QTemporaryDir dir;
    const QString database = dir.filePath(kDatabaseFileName);
    BenchData::fill(database, 0, rows, true);

    const QString self = app.applicationFilePath();
    const Figures veloka = parse(BenchData::run(self, { "--dialog", database, dir.filePath("dialog.xlsx") }));
    const Figures alone = parse(BenchData::run(self, { "--alone", database, dir.filePath("alone.xlsx") }));
    // openpyxl holds every cell in memory and takes minutes: beyond 100 000
    // rows it is left out.
    const bool withPython = rows <= 100000;
    const Figures python = withPython
        ? parse(BenchData::run(QStringLiteral("/usr/bin/python3"),
            { QStringLiteral("-c"), QLatin1String(kOpenpyxl), database, dir.filePath("openpyxl.xlsx") }))
        : Figures {};

    std::printf("rows                          %d x 13\n", rows);
    std::printf("RecordDialog export           %.3f s   peak %.1f MB\n", veloka.seconds, veloka.peakMb);
    std::printf("libxlsxwriter alone           %.3f s   peak %.1f MB   ratio %.2f (target <= 1.5)\n",
        alone.seconds, alone.peakMb, veloka.seconds / alone.seconds);
    if (withPython)
        std::printf("openpyxl write-only           %.3f s   peak %.1f MB   speed-up %.2f (target >= 5)\n",
            python.seconds, python.peakMb, python.seconds / veloka.seconds);
    return veloka.seconds > 0 && alone.seconds > 0 ? 0 : 1;
}
