#include "TotalsDialog.h"

#include "CardCrypto.h"
#include "DeskOutput.h"
#include "DialogChrome.h"
#include "ManStore.h"
#include "MessageBox.h"
#include "RecordIndex.h"
#include "ui_TotalsDialog.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QMap>
#include <QValueAxis>

using namespace QtCharts;

namespace {

QList<QStandardItem*> rowItems(const QString& day, const QString& manager, const DeskTotalsRow& row)
{
    const QStringList cells = { day, manager, QString::number(row.recharges.count),
        signedMoneyText(row.recharges.fen), QString::number(row.refunds.count),
        signedMoneyText(row.refunds.fen), QString::number(row.issued), QString::number(row.topUps.count),
        signedMoneyText(row.topUps.fen), signedMoneyText(row.netCash()) };
    QList<QStandardItem*> items;
    for (const QString& cell : cells) {
        auto* item = new QStandardItem(cell);
        item->setTextAlignment(Qt::AlignCenter);
        items.append(item);
    }
    return items;
}

} // namespace

TotalsDialog::TotalsDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::TotalsDialog)
{
    m_ui->setupUi(this);
    m_index = RecordIndex::acquire();
    DialogChrome::apply(this, m_ui->widgetTitle, nullptr, nullptr, m_ui->btnMenu_Close);
    DialogChrome::applyWindowStyle(this);

    m_model.setHorizontalHeaderLabels(
        { tr("日期"), tr("操作员"), tr("充值笔数"), tr("充值金额"), tr("退卡笔数"), tr("退卡金额"),
            tr("开卡数"), tr("发卡器充值笔数"), tr("发卡器充值金额"), tr("应交现金") });
    m_ui->table_totals->setModel(&m_model);
    m_ui->table_totals->verticalHeader()->hide();

    m_chartView = new QChartView(new QChart(), m_ui->widget_chart);
    m_chartView->setObjectName(QStringLiteral("chart_totals"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_ui->widget_chart->layout()->addWidget(m_chartView);

    const QDate today = QDate::currentDate();
    m_ui->date_from->setDate(today);
    m_ui->date_to->setDate(today);
    m_ui->combo_manager->addItem(tr("全部操作员"), QString());
    for (const QString& name : manNames())
        m_ui->combo_manager->addItem(name, name);
}

TotalsDialog::~TotalsDialog() = default;

void TotalsDialog::setup(const StationConfig& config, const LoginSession& session)
{
    m_session = session;
    m_company = config.company;
    m_ui->label_company->setText(config.company);
    const int own = m_ui->combo_manager->findData(session.managerName);
    if (own >= 0)
        m_ui->combo_manager->setCurrentIndex(own);
    on_btn_query_clicked();
}

void TotalsDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void TotalsDialog::on_btn_query_clicked()
{
    const QDateTime now = QDateTime::currentDateTime();
    if (m_ui->radio_shift->isChecked()) {
        m_from = QDateTime::fromSecsSinceEpoch(m_session.loginTime);
        m_to = now;
    } else if (m_ui->radio_today->isChecked()) {
        m_from = QDateTime(now.date(), QTime(0, 0));
        m_to = QDateTime(now.date(), QTime(23, 59, 59));
    } else {
        QDate first = m_ui->date_from->date();
        QDate last = m_ui->date_to->date();
        if (last < first)
            std::swap(first, last);
        m_from = QDateTime(first, QTime(0, 0));
        m_to = QDateTime(last, QTime(23, 59, 59));
    }
    const DeskTotals totals
        = loadDeskTotals(m_from, m_to, m_ui->combo_manager->currentData().toString(), m_index.get());
    if (totals.status == LookupStatus::Failed) {
        showMessage(this, tr("错误提示"), tr("读取数据库失败"));
        return;
    }
    showTotals(totals);
    showChart(totals);
}

void TotalsDialog::showTotals(const DeskTotals& totals)
{
    m_model.removeRows(0, m_model.rowCount());
    for (const DeskTotalsRow& row : totals.rows)
        m_model.appendRow(rowItems(row.day, row.manager, row));
    const DeskTotalsRow sum = totals.total();
    QList<QStandardItem*> last = rowItems(tr("合计"), QString(), sum);
    for (QStandardItem* item : last) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    }
    m_model.appendRow(last);
    m_ui->table_totals->resizeColumnsToContents();

    m_unreadable = sum.unreadable;
    QString text = tr("%1 至 %2，应交现金 %3 元")
                       .arg(m_from.toString(kRecordTimeFormat), m_to.toString(kRecordTimeFormat),
                           signedMoneyText(sum.netCash()));
    if (m_unreadable > 0)
        text += QLatin1Char('\n') + tr("%1 条记录的金额无法识别，未计入合计").arg(m_unreadable);
    m_ui->label_summary->setStyleSheet(m_unreadable > 0 ? QStringLiteral("color:red;") : QString());
    m_ui->label_summary->setText(text);
}

void TotalsDialog::showChart(const DeskTotals& totals)
{
    // One group of bars per day, over all operators shown.
    QMap<QString, DeskTotalsRow> days;
    for (const DeskTotalsRow& row : totals.rows)
        days[row.day].add(row);

    auto* recharges = new QBarSet(tr("充值金额"));
    auto* refunds = new QBarSet(tr("退卡金额"));
    auto* net = new QBarSet(tr("应交现金"));
    QStringList categories;
    // Refunds can outweigh recharges on a day: the net bar then goes below zero.
    qreal top = 0;
    qreal bottom = 0;
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        categories << it.key();
        *recharges << it->recharges.fen / 100.0;
        *refunds << it->refunds.fen / 100.0;
        *net << it->netCash() / 100.0;
        top = std::max({ top, it->recharges.fen / 100.0, it->refunds.fen / 100.0 });
        bottom = std::min(bottom, it->netCash() / 100.0);
    }
    auto* series = new QBarSeries();
    series->append({ recharges, refunds, net });

    auto* chart = new QChart();
    chart->addSeries(series);
    auto* axisX = new QBarCategoryAxis();
    axisX->append(categories);
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    auto* axisY = new QValueAxis();
    axisY->setTitleText(tr("元"));
    axisY->setRange(bottom * 1.1, top > 0 ? top * 1.1 : 1);
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    chart->legend()->setAlignment(Qt::AlignBottom);

    QChart* old = m_chartView->chart();
    m_chartView->setChart(chart);
    delete old;
}

QString TotalsDialog::periodText() const
{
    return m_from.toString(kRecordTimeFormat) + tr(" 至 ") + m_to.toString(kRecordTimeFormat);
}

DeskDocument TotalsDialog::report() const
{
    DeskDocument document;
    document.title = tr("班次报表");
    document.pageSize = QPageSize::A4;
    document.fields = {
        { tr("公司"), m_company },
        { tr("发卡器序列号"), m_session.readerSerial },
        { tr("操作员"), m_ui->combo_manager->currentText() },
        { tr("统计时段"), periodText() },
        { tr("打印时间"), QDateTime::currentDateTime().toString(kRecordTimeFormat) },
    };
    document.setTable(m_model);
    if (m_unreadable > 0)
        document.footer << tr("%1 条记录的金额无法识别，未计入合计").arg(m_unreadable);
    document.footer << tr("交班人签字：") + QStringLiteral("________________    ") + tr("接班人签字：")
            + QStringLiteral("________________");
    return document;
}

void TotalsDialog::on_btn_export_clicked()
{
    DeskOutput::exportSheet(this, m_model, tr("班次统计") + QStringLiteral(".xlsx"));
}

void TotalsDialog::on_btn_pdf_clicked()
{
    DeskOutput::savePdf(this, report(), tr("班次报表") + QStringLiteral(".pdf"));
}

void TotalsDialog::on_btn_print_clicked()
{
    DeskOutput::print(this, report());
}
