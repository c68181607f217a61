#include "RecordBrowser.h"

#include "DialogChrome.h"
#include "FileDialog.h"
#include "GridModel.h"
#include "IdListReader.h"
#include "MessageBox.h"
#include "RecordIndex.h"
#include "SheetExport.h"
#include "WindowScroller.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTableView>

namespace {

// Exports of fewer rows end before a progress window would be seen.
constexpr int kProgressFromRows = 5000;
constexpr int kProgressIntervalMs = 100;
constexpr int kDateColumnWidth = 150;
constexpr int kDateColumn = 6;
// Longer button texts would otherwise squeeze the search fields to a few letters.
constexpr int kSearchEditMinWidth = 120;

} // namespace

RecordBrowser::RecordBrowser(const BrowserTable& table, QWidget* parent)
    : QDialog(parent)
    , m_table(table)
    , m_model(new GridModel(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_model->setTable(table);
    // Empty rows alone would look like rows without data.
    connect(m_model, &GridModel::readFailed, this, [this] {
        MessageBox::showMessage(this, trText("错误提示"), trText("无法读取记录，请检查数据库连接"));
    });
}

RecordBrowser::~RecordBrowser()
{
    if (m_fullList)
        m_fullList->giveUp();
}

void RecordBrowser::setUp(const Widgets& widgets, const QStringList& titles, const Texts& texts)
{
    m_widgets = widgets;
    m_texts = texts;
    DialogChrome::apply(this, widgets.titleBar, widgets.minButton, widgets.maxButton, widgets.closeButton);
    DialogChrome::applyWindowStyle(this);
    DialogChrome::centreOverParent(this);
    for (QLineEdit* edit : { widgets.name, widgets.phone }) {
        if (edit)
            edit->setMinimumWidth(kSearchEditMinWidth);
    }

    m_index = RecordIndex::acquire();
    m_model->setTitles(titles);
    widgets.table->setModel(m_model);
    m_scroller = new WindowScroller(widgets.table, m_model, this);
    widgets.table->horizontalHeader()->setStretchLastSection(true);
    // New titles reset the header and with it the widths.
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordBrowser::fitColumnsToTitles);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, &RecordBrowser::fitColumnsToTitles);
    fitColumnsToTitles();

    if (widgets.from && widgets.to) {
        const QDate today = QDate::currentDate();
        widgets.to->setDate(today);
        widgets.from->setDate(QDate(today.year(), today.month(), 1));
    }
}

void RecordBrowser::fitColumnsToTitles()
{
    if (!m_widgets.table)
        return;
    QHeaderView* header = m_widgets.table->horizontalHeader();
    if (m_model->columnCount() > kDateColumn)
        header->resizeSection(kDateColumn, qMax(header->sectionSize(kDateColumn), kDateColumnWidth));
    // The header's own measure: its font, margins and style, so titles of any
    // language (or of several lines) are shown whole.
    header->ensurePolished();
    for (int column = 0; column < header->count(); ++column) {
        const int needed = header->sectionSizeHint(column);
        if (header->sectionSize(column) < needed)
            header->resizeSection(column, needed);
    }
}

void RecordBrowser::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    switch (event->type()) {
    case QEvent::LanguageChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        fitColumnsToTitles();
        break;
    default:
        break;
    }
}

void RecordBrowser::setCompany(const QString& company)
{
    m_widgets.company->setText(company);
}

QString RecordBrowser::trText(const char* source) const
{
    return QCoreApplication::translate(metaObject()->className(), source);
}

void RecordBrowser::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void RecordBrowser::scrollToRow(qint64 row)
{
    m_scroller->scrollToRow(row);
}

qint64 RecordBrowser::topRow() const
{
    return m_scroller->topRow();
}

void RecordBrowser::showResult(RowSet result)
{
    if (!result.found()) {
        showNothingFound(result.status);
        return;
    }
    setRows(std::move(result.ids));
}

// A search that could not run is not an empty result: the operator would
// take the customer for one without records.
void RecordBrowser::showNothingFound(LookupStatus status)
{
    if (status == LookupStatus::Failed)
        MessageBox::showMessage(this, trText("错误提示"), trText("查询失败，无法读取数据库"));
    else
        MessageBox::showMessage(this, trText("提示"), trText("未查找到结果"));
}

void RecordBrowser::setRows(IdRuns ids)
{
    // A whole list still being read belongs to the rows replaced now.
    if (m_fullList) {
        m_fullList->giveUp();
        m_fullList = nullptr;
    }
    m_model->setRows(std::move(ids));
}

LookupStatus RecordBrowser::loadAll()
{
    bool complete = true;
    RowSet opening = RecordQuery::opening(m_table, m_index.get(), GridModel::kWindowRows, complete);
    if (!opening.found())
        return opening.status;
    setRows(std::move(opening.ids));
    if (!complete) {
        m_fullList = new IdListReader(m_table.name, this);
        connect(m_fullList, &QThread::finished, this, &RecordBrowser::adoptFullList);
        m_fullList->start();
    }
    return LookupStatus::Found;
}

void RecordBrowser::adoptFullList()
{
    if (!m_fullList)
        return;
    m_fullList->wait();
    IdListReader* reader = m_fullList;
    m_fullList = nullptr;
    if (reader->ok()) {
        const qint64 top = m_scroller->topRow();
        m_model->setRows(reader->takeIds());
        m_scroller->setTopRow(top);
    }
    reader->deleteLater();
}

void RecordBrowser::reload()
{
    const LookupStatus status = loadAll();
    if (status != LookupStatus::Found)
        showNothingFound(status);
}

void RecordBrowser::loadQuietly()
{
    loadAll();
}

void RecordBrowser::searchName()
{
    const QString text = m_widgets.name->text();
    if (text.isEmpty()) {
        MessageBox::showMessage(this, trText("提示"), trText("请输入查找的姓名"));
        return;
    }
    showResult(RecordQuery::byName(m_table, text, m_index.get()));
}

void RecordBrowser::searchPhone()
{
    const QString text = m_widgets.phone->text();
    if (text.isEmpty()) {
        MessageBox::showMessage(this, trText("提示"), trText(m_texts.emptyPhone));
        return;
    }
    showResult(RecordQuery::byPhone(m_table, text, m_index.get()));
}

void RecordBrowser::searchDates()
{
    showResult(RecordQuery::byDates(m_table, m_widgets.from->date(), m_widgets.to->date(), m_index.get()));
}

void RecordBrowser::on_btn_export_execl_clicked()
{
    if (!m_texts.exportFilter)
        return;
    const QString proposed
        = m_texts.translateExportName ? trText(m_texts.exportName) : QString::fromUtf8(m_texts.exportName);
    const QString path = FileDialog::getSaveFileName(
        this, trText("选择目录"), proposed, QString::fromUtf8(m_texts.exportFilter));
    if (path.isEmpty())
        return;

    QScopedPointer<QProgressDialog> progress;
    const auto showProgress = [&](int maximum) {
        progress.reset(new QProgressDialog(trText("正在导出，请稍候"), trText("取消"), 0, maximum, this));
        progress->setWindowTitle(trText("导出Excel"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        progress->setValue(0);
    };
    // The whole result, not the first rows shown while it was read; the wait
    // shows the export's progress window (busy) and can be cancelled.
    if (m_fullList && !m_fullList->isFinished()) {
        showProgress(0);
        while (m_fullList && !m_fullList->wait(kProgressIntervalMs)) {
            QCoreApplication::processEvents();
            if (progress->wasCanceled())
                return;
        }
        progress.reset();
    }
    adoptFullList();
    const int rows = int(m_model->totalRows());
    if (rows >= kProgressFromRows)
        showProgress(rows);
    QElapsedTimer sinceUpdate;
    sinceUpdate.start();
    // Repainting and polling the cancel button on every row would cost more
    // than writing it.
    const auto onRow = [&](int done, int total) {
        if (!progress || (done < total && sinceUpdate.elapsed() < kProgressIntervalMs))
            return true;
        sinceUpdate.restart();
        progress->setValue(done);
        return !progress->wasCanceled();
    };
    const SheetExport::Result result = SheetExport::write(*m_model, path, onRow);
    progress.reset();

    switch (result.outcome) {
    case SheetExport::Outcome::Written:
        MessageBox::showMessage(this, trText("提示"), trText("导出成功"));
        if (result.sheets > 1)
            MessageBox::showMessage(this, trText("提示"),
                trText("记录超过一个工作表的行数，已分为%1个工作表，每表最多%2行")
                    .arg(result.sheets)
                    .arg(SheetExport::kSheetRows));
        break;
    case SheetExport::Outcome::Cancelled:
        break;
    case SheetExport::Outcome::CannotCreate:
    case SheetExport::Outcome::CannotWrite:
        MessageBox::showMessage(this, trText("错误提示"), trText("导出失败，无法写入文件"));
        break;
    }
}
