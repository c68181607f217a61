#include "GridModel.h"
#include "ManStore.h"
#include "ManagerDialog.h"
#include "RecordsFixture.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

class TestManagerDialog : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture.open(); }
    void cleanup() { m_fixture.close(); }

    void gate_admits_only_admin_with_the_login_password_data()
    {
        QTest::addColumn<QString>("manager");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("other operator, right password") << "Admin"
                                                        << "pw"
                                                        << "无权限";
        QTest::newRow("admin, wrong password") << "admin"
                                               << "px"
                                               << "密码错误";
        QTest::newRow("admin, right password") << "admin"
                                               << "pw"
                                               << "";
    }

    void gate_admits_only_admin_with_the_login_password()
    {
        QFETCH(QString, manager);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        ManagerDialog* dialog = open(manager, typed);
        QCOMPARE(RecordsFixture::messageTexts(), message.isEmpty() ? QStringList() : QStringList { message });
        QCOMPARE(dialog->findChild<QGroupBox*>("group_man_man")->isHidden(), !message.isEmpty());
        QCOMPARE(dialog->findChild<QGroupBox*>("group_man_pwd")->isHidden(), message.isEmpty());
        if (message.isEmpty())
            QCOMPARE(names(dialog), QStringList { "admin" });
        delete dialog;
    }

    void adding_refuses_existing_names_in_any_case_and_accepts_empty_passwords()
    {
        ManagerDialog* dialog = open("admin", "pw");
        type(dialog, "ADMIN", "x");
        click(dialog, "btn_man_add");
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "此用户已存在" });

        MessageBox::clear();
        type(dialog, "O'Neil", "");
        click(dialog, "btn_man_add");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(names(dialog), QStringList({ "admin", "O'Neil" }));
        QCOMPARE(listMen().last().pwd, QString());
        QCOMPARE(listMen().last().name, QStringLiteral("O'Neil"));

        type(dialog, "", "x");
        click(dialog, "btn_man_add");
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("请输入名字"));
        delete dialog;
    }

    void changing_updates_the_password_cell_of_that_account_only()
    {
        QVERIFY(addMan("ab", "1"));
        QVERIFY(addMan("a_", "2"));
        ManagerDialog* dialog = open("admin", "pw");
        type(dialog, "a_", "new");
        click(dialog, "btn_man_modfy");
        QCOMPARE(RecordsFixture::messageTexts(), QStringList { "更新数据成功" });
        QCOMPARE(cell(dialog, 1, 1), QStringLiteral("1"));
        QCOMPARE(cell(dialog, 2, 1), QStringLiteral("new"));
        QCOMPARE(listMen().at(1).name, QStringLiteral("ab"));
        QCOMPARE(listMen().at(2).pwd, QStringLiteral("new"));

        type(dialog, "nobody", "x");
        click(dialog, "btn_man_modfy");
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("此用户未存在"));
        delete dialog;
    }

    void deleting_spares_the_first_row_and_removes_the_chosen_account()
    {
        QVERIFY(addMan("ab", "1"));
        QVERIFY(addMan("a_", "2"));
        ManagerDialog* dialog = open("admin", "pw");
        auto* table = dialog->findChild<QTableView*>("table_man");
        click(dialog, "btn_man_del");
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("未选择数据"));

        table->setCurrentIndex(table->model()->index(0, 0));
        click(dialog, "btn_man_del");
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("第一用户无法删除"));
        QCOMPARE(listMen().size(), 3);

        // "a_" as a LIKE pattern would also match "ab", listed first.
        table->setCurrentIndex(table->model()->index(2, 0));
        QTest::mouseClick(
            table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(2, 0)).center());
        QCOMPARE(dialog->findChild<QLineEdit*>("edit_man_name")->text(), QStringLiteral("a_"));
        QCOMPARE(dialog->findChild<QLineEdit*>("edit_man_pwd")->text(), QStringLiteral("2"));
        click(dialog, "btn_man_del");
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("删除用户成功"));
        QCOMPARE(names(dialog), QStringList({ "admin", "ab" }));
        QCOMPARE(manNames(), QStringList({ "admin", "ab" }));
        delete dialog;
    }

    void a_list_longer_than_a_page_reads_what_is_shown_and_deletes_the_chosen_account()
    {
        for (int n = 0; n < 300; ++n)
            QVERIFY(addMan(QStringLiteral("m%1").arg(n), QString::number(n)));
        ManagerDialog* dialog = open("admin", "pw");
        auto* table = dialog->findChild<QTableView*>("table_man");
        auto* model = qobject_cast<GridModel*>(table->model());
        QVERIFY(model);
        QCOMPARE(model->totalRows(), 301);
        QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCOMPARE(table->currentIndex().data().toString(), QStringLiteral("m299"));
        QVERIFY(model->cachedPages() < 3); // not every page up to there

        table->setCurrentIndex(model->index(200, 0));
        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum() - 5);
        const int top = table->rowAt(0);
        click(dialog, "btn_man_del");
        QCoreApplication::processEvents();
        QCOMPARE(RecordsFixture::messageTexts().last(), QStringLiteral("删除用户成功"));
        QCOMPARE(model->totalRows(), 300);
        QVERIFY(!manNames().contains("m199"));
        QCOMPARE(manNames().size(), 300);
        // The list stays where it was, on the next account.
        QCOMPARE(table->rowAt(0), top);
        QCOMPARE(table->currentIndex().data().toString(), QStringLiteral("m200"));
        delete dialog;
    }

private:
    ManagerDialog* open(const QString& manager, const QString& typed)
    {
        auto* dialog = new ManagerDialog;
        LoginSession session;
        session.managerName = manager;
        session.managerPwd = QStringLiteral("pw");
        dialog->setSession(session);
        dialog->show();
        dialog->findChild<QLineEdit*>("edit_pwd_pwd")->setText(typed);
        click(dialog, "btn_pwd_ok");
        return dialog;
    }

    static void click(QWidget* window, const char* name)
    {
        QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }

    static void type(QWidget* window, const QString& name, const QString& pwd)
    {
        window->findChild<QLineEdit*>("edit_man_name")->setText(name);
        window->findChild<QLineEdit*>("edit_man_pwd")->setText(pwd);
    }

    static QString cell(QWidget* window, int row, int column)
    {
        const QAbstractItemModel* model = window->findChild<QTableView*>("table_man")->model();
        return model->index(row, column).data().toString();
    }

    static QStringList names(QWidget* window)
    {
        QStringList texts;
        for (int row = 0; row < window->findChild<QTableView*>("table_man")->model()->rowCount(); ++row)
            texts.append(cell(window, row, 0));
        return texts;
    }

    RecordsFixture m_fixture;
};

QTEST_MAIN(TestManagerDialog)
#include "test_managerdialog.moc"
