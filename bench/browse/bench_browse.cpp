#include "BenchData.h"
#include "BrowseRun.h"
#include "MessageBox.h"
#include "RecordIndex.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

// RecordDialog on a large record table of the station file: the first build
// of the side index, then what BrowseRun times.
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
    std::printf("rows                          %d x 13 (filled in %.1f s)\n", rows, fill);
    std::printf("side index first build        %.1f s (background), %.0f MB beside a %.0f MB ledger\n", build,
        indexMb, ledgerMb);
    return BrowseRun::measure(rows);
}
