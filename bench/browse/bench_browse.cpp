#include "BenchData.h"
#include "GridModel.h"
#include "MessageBox.h"
#include "RecordDialog.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>

// Opening RecordDialog on a large record table against the sqlite3 tool
// reading the same rows.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-warning}%{message}%{endif}"));
    const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(kDatabaseFileName);
    BenchData::fill(path, 0, rows);
    prepareDatabase(path);
    MessageBox::setTestMode(true);

    QElapsedTimer timer;
    timer.start();
    BenchData::run(QStringLiteral("sqlite3"), { path, QStringLiteral("select * from record") });
    const double tool = BenchData::seconds(timer);

    const long before = BenchData::peakKb();
    timer.restart();
    auto* dialog = new RecordDialog;
    dialog->show();
    QCoreApplication::processEvents();
    const double open = BenchData::seconds(timer);
    const long after = BenchData::peakKb();

    std::printf("rows                         %d x 13\n", dialog->model()->rowCount());
    std::printf("sqlite3 tool reading rows    %.3f s\n", tool);
    std::printf("RecordDialog opening         %.3f s   ratio %.2f (target <= 5)\n", open, open / tool);
    std::printf("cell store                   %.1f MB\n", dialog->model()->grid().memoryUse() / 1048576.0);
    std::printf("peak memory before / after   %.1f / %.1f MB\n", before / 1024.0, after / 1024.0);
    delete dialog;
    return 0;
}
