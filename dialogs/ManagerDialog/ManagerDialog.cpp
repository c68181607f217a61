#include "ManagerDialog.h"

#include "DialogChrome.h"
#include "GridModel.h"
#include "ManStore.h"
#include "MessageBox.h"
#include "WindowScroller.h"
#include "ui_ManagerDialog.h"

#include <QHeaderView>
#include <algorithm>

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
    , m_model(new GridModel(this))
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, m_ui->btnMenu_Max, m_ui->btnMenu_Close);
    DialogChrome::centreOverParent(this);
    m_model->setTable(BrowserTable::man());
    m_model->setTitles({ tr("姓名"), tr("密码") });
    m_ui->table_man->setModel(m_model);
    m_scroller = new WindowScroller(m_ui->table_man, m_model, this);
    m_ui->table_man->horizontalHeader()->setStretchLastSection(true);
    connect(m_ui->table_man->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current) {
            m_chosenId = current.isValid() ? m_model->ids().idAt(m_model->windowStart() + current.row()) : -1;
        });
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

void ManagerDialog::reload(qint64 keepId, qint64 orRow)
{
    IdRuns ids;
    // A failed read leaves the list as it was.
    if (!manIds(ids))
        return;
    const qint64 top = m_scroller->topRow();
    m_model->setRows(std::move(ids));
    m_scroller->setTopRow(top);

    qint64 row = m_model->ids().rowOf(keepId);
    if (row < 0 && orRow >= 0)
        row = std::min(orRow, m_model->totalRows() - 1);
    const qint64 inWindow = row - m_model->windowStart();
    if (row < 0 || inWindow >= m_model->rowCount())
        return;
    // Choosing the row again must not scroll the list away from where it was.
    QTableView* table = m_ui->table_man;
    table->setAutoScroll(false);
    table->setCurrentIndex(m_model->index(int(inWindow), 0));
    table->setAutoScroll(true);
}

qint64 ManagerDialog::chosenRow() const
{
    if (!m_ui->table_man->currentIndex().isValid())
        return -1;
    return m_model->ids().rowOf(m_chosenId);
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
    reload(-1);
    m_filled = true;
}

void ManagerDialog::on_table_man_clicked(const QModelIndex& index)
{
    m_ui->edit_man_name->setText(index.sibling(index.row(), 0).data().toString());
    m_ui->edit_man_pwd->setText(index.sibling(index.row(), 1).data().toString());
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
        // Another station may have added the name since the look-up: the
        // server refuses a second account of one name.
        fail(findManLike(name).found() ? tr("此用户已存在") : tr("插入数据失败"));
        return;
    }
    reload(m_chosenId);
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
    // The list is read again, so it shows the account as stored, the letter
    // case of a renamed name included.
    reload(m_chosenId);
    if (m_model->ids().rowOf(found.row.id) < 0) {
        fail(tr("表格数据错误"));
        return;
    }
    fail(tr("更新数据成功"));
}

void ManagerDialog::on_btn_man_del_clicked()
{
    const qint64 row = chosenRow();
    if (row == -1) {
        fail(tr("未选择数据"));
        return;
    }
    if (row == 0) {
        fail(tr("第一用户无法删除"));
        return;
    }
    const ManLookup found = findAccount(m_model->text(row, 0));
    if (!found.found()) {
        notice(tr("此用户未存在"));
        return;
    }
    if (!deleteMan(found.row.id)) {
        notice(tr("删除用户失败"));
        return;
    }
    // The current row moves to the next account, as when a row is taken out.
    reload(found.row.id, row);
    notice(tr("删除用户成功"));
}
