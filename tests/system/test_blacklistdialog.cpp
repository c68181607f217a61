#include "BlackListDialog.h"
#include "BlacklistCard.h"
#include "CardReader.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "VirtualReader.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestBlackListDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void form_has_the_named_widgets_and_texts();
    void add_stops_at_500_rows();
    void delete_removes_every_selected_row();
    void import_appends_up_to_500_rows();
    void cancelled_import_changes_nothing();
    void export_then_import_round_trips();
    void failed_export_is_reported();
    void write_asks_for_each_further_card_then_reports_done();
    void write_reports_the_bad_row();
    void empty_list_clears_the_posts();
    void foreign_card_is_refused();
    void close_emits_w_close_and_deletes_the_window();

private:
    BlackListDialog* makeDialog();
    void click(BlackListDialog* dialog, const char* name);
    void fill(BlackListDialog* dialog, const QStringList& rows);

    QTemporaryDir m_dir;
    CardReader m_reader;
};

void TestBlackListDialog::initTestCase()
{
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
}

void TestBlackListDialog::init()
{
    MessageBox::clear();
    FileDialog::clear();
    VirtualReader::reset();
    VirtualReader::placeCard(VirtualReader::addBlankCard());
}

BlackListDialog* TestBlackListDialog::makeDialog()
{
    auto* dialog = new BlackListDialog;
    StationConfig config;
    config.company = "Company A";
    dialog->setConfig(config, &m_reader);
    return dialog;
}

void TestBlackListDialog::click(BlackListDialog* dialog, const char* name)
{
    auto* button = dialog->findChild<QPushButton*>(name);
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestBlackListDialog::fill(BlackListDialog* dialog, const QStringList& rows)
{
    auto* table = dialog->findChild<QTableWidget*>("tableWidget");
    for (const QString& row : rows) {
        click(dialog, "btn_add");
        table->item(table->rowCount() - 1, 0)->setText(row);
    }
}

void TestBlackListDialog::form_has_the_named_widgets_and_texts()
{
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    QCOMPARE(dialog->windowTitle(), QString("黑名单功能"));
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
    const QList<QPair<const char*, QString>> buttons = { { "btn_import", "导入" }, { "btn_export", "导出" },
        { "btn_add", "增加" }, { "btn_del", "删除" }, { "btn_write", "开始写入" } };
    for (const auto& b : buttons) {
        auto* button = dialog->findChild<QPushButton*>(b.first);
        QVERIFY2(button, b.first);
        QCOMPARE(button->text(), b.second);
    }
    QVERIFY(dialog->findChild<QPushButton*>("btnMenu_Close"));
    auto* table = dialog->findChild<QTableWidget*>("tableWidget");
    QVERIFY(table);
    QCOMPARE(table->columnCount(), 1);
    QCOMPARE(table->horizontalHeaderItem(0)->text(), QString("挂失的ID号"));
    auto* help = dialog->findChild<QLabel*>("label");
    QVERIFY(help);
    QVERIFY(help->text().startsWith("1、完成后请先把一张新卡放到刷卡器上"));
    QVERIFY(help->text().contains("\n6、如果一个卡号都没有增加，则会清空充电座里面的黑名单"));
    QCOMPARE(dialog->findChild<QLabel*>("label_company")->text(), QString("Company A"));
}

void TestBlackListDialog::add_stops_at_500_rows()
{
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    for (int i = 0; i < 501; ++i)
        click(dialog.data(), "btn_add");
    QCOMPARE(dialog->rows().size(), 500);
    QCOMPARE(dialog->rows().last(), QString());
}

void TestBlackListDialog::delete_removes_every_selected_row()
{
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    fill(dialog.data(), { "1", "2", "3", "4", "5" });
    auto* table = dialog->findChild<QTableWidget*>("tableWidget");
    table->clearSelection();
    table->selectRow(1);
    table->selectionModel()->select(
        table->model()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    click(dialog.data(), "btn_del");
    QCOMPARE(dialog->rows(), QStringList({ "1", "3", "5" }));
}

void TestBlackListDialog::import_appends_up_to_500_rows()
{
    const QString path = m_dir.filePath("600.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    for (int i = 1; i <= 600; ++i)
        file.write(QByteArray::number(i) + "\n");
    file.close();

    QScopedPointer<BlackListDialog> dialog(makeDialog());
    fill(dialog.data(), { "77" });
    FileDialog::setNextFileName(path);
    click(dialog.data(), "btn_import");
    const QStringList rows = dialog->rows();
    QCOMPARE(rows.size(), 500);
    QCOMPARE(rows.first(), QString("77"));
    QCOMPARE(rows.last(), QString("499"));
    QCOMPARE(FileDialog::requests().size(), 1);
    QCOMPARE(FileDialog::requests().first().caption, QString("选择文件"));
    QCOMPARE(FileDialog::requests().first().filter, QString("*.txt"));
}

void TestBlackListDialog::cancelled_import_changes_nothing()
{
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    fill(dialog.data(), { "5" });
    FileDialog::setNextFileName(QString());
    click(dialog.data(), "btn_import");
    FileDialog::setNextFileName(m_dir.filePath("missing.txt"));
    click(dialog.data(), "btn_import");
    QCOMPARE(dialog->rows(), QStringList({ "5" }));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestBlackListDialog::export_then_import_round_trips()
{
    const QStringList rows = { "258", "", "4294967295", "12x" };
    const QString path = m_dir.filePath("list.txt");
    {
        QScopedPointer<BlackListDialog> dialog(makeDialog());
        fill(dialog.data(), rows);
        FileDialog::setNextFileName(path);
        click(dialog.data(), "btn_export");
        const FileDialog::Request request = FileDialog::requests().last();
        QCOMPARE(request.kind, FileDialog::Save);
        QCOMPARE(request.caption, QString("保存文件"));
        QVERIFY(QRegularExpression("^\\d{4}-\\d{2}-\\d{2} \\d{2}\\.\\d{2}\\.\\d{2}\\.txt$")
                    .match(request.directory)
                    .hasMatch());
    }
    QScopedPointer<BlackListDialog> again(makeDialog());
    FileDialog::setNextFileName(path);
    click(again.data(), "btn_import");
    QCOMPARE(again->rows(), rows);
}

void TestBlackListDialog::failed_export_is_reported()
{
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    fill(dialog.data(), { "1" });
    FileDialog::setNextFileName(m_dir.filePath("no/such/folder/list.txt"));
    click(dialog.data(), "btn_export");
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().title, QString("提示"));
    QCOMPARE(MessageBox::last().text, QString("导出失败，无法写入文件"));

    MessageBox::clear();
    FileDialog::setNextFileName(m_dir.filePath("fine.txt"));
    click(dialog.data(), "btn_export");
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestBlackListDialog::write_asks_for_each_further_card_then_reports_done()
{
    QStringList rows;
    for (int i = 1; i <= 169; ++i)
        rows.append(QString::number(i));
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    fill(dialog.data(), rows);
    MessageBox::setNextAnswer(0); // the next-card message closed without OK still continues
    click(dialog.data(), "btn_write");

    const QList<MessageBox::Record> shown = MessageBox::shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].title, QString("提示"));
    QCOMPARE(shown[0].text, QString("请放第2张新卡到刷卡器，然后再点确定"));
    QCOMPARE(shown[1].text, QString("已完成，请按卡顺序依次刷到充电座"));
    BlacklistCard::Header header;
    QVERIFY(BlacklistCard::parseHeader(VirtualReader::block(*VirtualReader::cardOnReader(), 4), header));
    QCOMPARE(int(header.index), 168);
    QCOMPARE(int(header.count), 1);
}

void TestBlackListDialog::write_reports_the_bad_row()
{
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    fill(dialog.data(), { "1", "2", "-3" });
    click(dialog.data(), "btn_write");
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().title, QString("提示"));
    QCOMPARE(MessageBox::last().text, QString("第3行ID输入有误"));
}

void TestBlackListDialog::empty_list_clears_the_posts()
{
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    click(dialog.data(), "btn_write");
    QCOMPARE(MessageBox::last().text, QString("已完成，请刷到充电座"));
}

void TestBlackListDialog::foreign_card_is_refused()
{
    VirtualReader::removeCard();
    QScopedPointer<BlackListDialog> dialog(makeDialog());
    fill(dialog.data(), { "1" });
    click(dialog.data(), "btn_write");
    QCOMPARE(MessageBox::last().text, QString("请使用新卡做为黑名单卡"));
}

void TestBlackListDialog::close_emits_w_close_and_deletes_the_window()
{
    QPointer<BlackListDialog> dialog(makeDialog());
    dialog->show();
    QSignalSpy closed(dialog.data(), &BlackListDialog::w_close);
    click(dialog.data(), "btnMenu_Close");
    QCOMPARE(closed.size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(TestBlackListDialog)
#include "test_blacklistdialog.moc"
