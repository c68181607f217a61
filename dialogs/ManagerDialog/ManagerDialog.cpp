#include "ManagerDialog.h"

#include "DialogChrome.h"
#include "ManStore.h"
#include "MessageBox.h"
#include "ui_ManagerDialog.h"

#include <QHeaderView>

namespace {

// The account a change or a delete acts on. The LIKE look-up alone would let
// "_" or "%" in a name pick another account, so the found name must be the
// typed one up to letter case.
ManLookup findAccount(const QString& name)
{
    ManLookup found = findManLike(name);
    if (!found.found() || found.row.name.compare(name, Qt::CaseInsensitive) == 0)
        return found;
    for (const ManRow& man : listMen()) {
        if (man.name.compare(name, Qt::CaseInsensitive) == 0)
            return { LookupStatus::Found, man };
    }
    return { LookupStatus::NotFound, {} };
}

} // namespace

ManagerDialog::ManagerDialog(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ManagerDialog)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, m_ui->btnMenu_Max, m_ui->btnMenu_Close);
    DialogChrome::centreOverParent(this);
    m_ui->table_man->horizontalHeader()->setStretchLastSection(true);
    m_ui->group_man_man->hide();
}

ManagerDialog::~ManagerDialog() = default;

void ManagerDialog::setCompany(const QString& company)
{
    m_ui->label_company->setText(company);
}

void ManagerDialog::setSession(const LoginSession& session)
{
    m_session = session;
}

void ManagerDialog::fail(const QString& text)
{
    MessageBox::showMessage(this, tr("错误提示"), text);
}

void ManagerDialog::notice(const QString& text)
{
    MessageBox::showMessage(this, tr("提示"), text);
}

void ManagerDialog::appendRow(const QString& name, const QString& pwd)
{
    const int row = m_ui->table_man->rowCount();
    m_ui->table_man->insertRow(row);
    m_ui->table_man->setItem(row, 0, new QTableWidgetItem(name));
    m_ui->table_man->setItem(row, 1, new QTableWidgetItem(pwd));
}

void ManagerDialog::on_btnMenu_Close_clicked()
{
    close();
    emit w_close();
}

void ManagerDialog::on_btn_pwd_ok_clicked()
{
    if (m_session.managerName != QLatin1String("admin")) {
        fail(tr("无权限"));
        return;
    }
    if (m_ui->edit_pwd_pwd->text() != m_session.managerPwd) {
        fail(tr("密码错误"));
        return;
    }
    m_ui->group_man_man->show();
    m_ui->group_man_pwd->hide();
    if (m_filled)
        return;
    for (const ManRow& man : listMen())
        appendRow(man.name, man.pwd);
    m_filled = true;
}

void ManagerDialog::on_table_man_clicked(const QModelIndex& index)
{
    const QTableWidgetItem* name = m_ui->table_man->item(index.row(), 0);
    const QTableWidgetItem* pwd = m_ui->table_man->item(index.row(), 1);
    m_ui->edit_man_name->setText(name ? name->text() : QString());
    m_ui->edit_man_pwd->setText(pwd ? pwd->text() : QString());
}

void ManagerDialog::on_btn_man_add_clicked()
{
    const QString name = m_ui->edit_man_name->text();
    if (name.isEmpty()) {
        fail(tr("请输入名字"));
        return;
    }
    // The name is matched with LIKE, so "Admin" finds "admin".
    const LookupStatus existing = findManLike(name).status;
    if (existing != LookupStatus::NotFound) {
        fail(existing == LookupStatus::Found ? tr("此用户已存在") : tr("插入数据失败"));
        return;
    }
    const QString pwd = m_ui->edit_man_pwd->text();
    if (!addMan(name, pwd)) {
        fail(tr("插入数据失败"));
        return;
    }
    appendRow(name, pwd);
}

void ManagerDialog::on_btn_man_modfy_clicked()
{
    const QString name = m_ui->edit_man_name->text();
    if (name.isEmpty()) {
        fail(tr("请输入名字"));
        return;
    }
    const ManLookup found = findAccount(name);
    if (!found.found()) {
        fail(tr("此用户未存在"));
        return;
    }
    const QString pwd = m_ui->edit_man_pwd->text();
    if (!changeMan(found.row.id, name, pwd)) {
        fail(tr("更新数据错误"));
        return;
    }
    for (int row = 0; row < m_ui->table_man->rowCount(); ++row) {
        QTableWidgetItem* cell = m_ui->table_man->item(row, 0);
        if (cell && cell->text() == name) {
            m_ui->table_man->setItem(row, 1, new QTableWidgetItem(pwd));
            fail(tr("更新数据成功"));
            return;
        }
    }
    fail(tr("表格数据错误"));
}

void ManagerDialog::on_btn_man_del_clicked()
{
    const int row = m_ui->table_man->currentRow();
    if (row == -1) {
        fail(tr("未选择数据"));
        return;
    }
    if (row == 0) {
        fail(tr("第一用户无法删除"));
        return;
    }
    const QTableWidgetItem* cell = m_ui->table_man->item(row, 0);
    if (!cell) {
        fail(tr("选择错误"));
        return;
    }
    const ManLookup found = findAccount(cell->text());
    if (!found.found()) {
        notice(tr("此用户未存在"));
        return;
    }
    if (!deleteMan(found.row.id)) {
        notice(tr("删除用户失败"));
        return;
    }
    m_ui->table_man->removeRow(row);
    notice(tr("删除用户成功"));
}
