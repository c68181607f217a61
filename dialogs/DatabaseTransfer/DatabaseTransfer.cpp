#include "DatabaseTransfer.h"

#include "DatabaseBackup.h"
#include "DatabaseImport.h"
#include "FileDialog.h"
#include "MessageBox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>

namespace {

QString sysText(const char* source)
{
    return QCoreApplication::translate("SysDialog", source);
}

// Painting the bar and polling its cancel button on every row would cost more
// than the merge itself; a few times a second is enough to be seen and heard.
class ImportProgress : public DatabaseImport::Progress
{
public:
    explicit ImportProgress(QWidget* parent)
        : m_dialog(sysText("请等待，正在导入数据库"), sysText("取消"), 0, 0, parent)
    {
        m_dialog.setWindowTitle(sysText("导入数据"));
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(0);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.show();
        m_sinceUpdate.start();
    }

    void tableStarted(DatabaseImport::Table, int maximum) override
    {
        m_dialog.setRange(0, maximum);
        m_dialog.setValue(0);
    }

    bool rowReached(int count) override
    {
        if (m_sinceUpdate.elapsed() >= kIntervalMs) {
            m_sinceUpdate.restart();
            m_dialog.setValue(qMin(count, m_dialog.maximum()));
        }
        return !m_dialog.wasCanceled();
    }

private:
    static constexpr int kIntervalMs = 50;
    QProgressDialog m_dialog;
    QElapsedTimer m_sinceUpdate;
};

} // namespace

namespace DatabaseBackupPrompt {

void run(QWidget* parent)
{
    const QString folder = FileDialog::getExistingDirectory(
        parent, sysText("请选择导出数据库的路径..."), QStringLiteral("./"));
    if (folder.isEmpty()) {
        MessageBox::showMessage(parent, sysText("提示"), sysText("未选择文件夹"));
        return;
    }
    qDebug() << folder;
    const QString target = DatabaseBackup::targetPath(folder);
    if (QFileInfo::exists(target)) {
        if (MessageBox::showMessage(parent, sysText("提示"), sysText("数据库已存在，是否覆盖？")) != 1)
            return;
        qDebug() << "Accepted";
    }
    switch (DatabaseBackup::backup(target)) {
    case DatabaseBackup::Outcome::Copied:
        MessageBox::showMessage(parent, sysText("提示"), sysText("备份数据库成功"));
        break;
    case DatabaseBackup::Outcome::SameFile:
        MessageBox::showMessage(parent, sysText("错误提示"), sysText("不能备份到数据库所在的文件夹"));
        break;
    case DatabaseBackup::Outcome::CopyFailed:
        MessageBox::showMessage(parent, sysText("错误提示"), sysText("备份数据库失败"));
        break;
    }
}

} // namespace DatabaseBackupPrompt

namespace DatabaseImportPrompt {

void run(QWidget* parent)
{
    const QString file = FileDialog::getOpenFileName(
        parent, sysText("请选择导入的数据库"), QStringLiteral("./"), sysText("数据库文件 (*.db)"));
    if (file.isEmpty()) {
        MessageBox::showMessage(parent, sysText("提示"), sysText("未选择文件"));
        return;
    }
    const auto refuseLiveFile = [parent] {
        MessageBox::showMessage(parent, sysText("错误提示"), sysText("不能导入正在使用的数据库"));
    };
    // Attaching the live file to itself would wait on its own lock and fail.
    if (DatabaseImport::isStationFile(file)) {
        refuseLiveFile();
        return;
    }
    DatabaseImport importer;
    if (!importer.open(file)) {
        MessageBox::showMessage(parent, sysText("提示"), sysText("打开数据库失败"));
        return;
    }
    DatabaseImport::Result result;
    {
        ImportProgress progress(parent);
        result = importer.merge(&progress);
    }
    switch (result.outcome) {
    case DatabaseImport::Outcome::Merged: {
        QString text = sysText("导入数据库成功");
        if (result.badCard + result.badMoney > 0)
            text += QLatin1Char('\n')
                + sysText("跳过卡号无效的数据 %1 条，金额无效的数据 %2 条")
                      .arg(result.badCard)
                      .arg(result.badMoney);
        MessageBox::showMessage(parent, sysText("提示"), text);
        break;
    }
    case DatabaseImport::Outcome::SameFile:
        refuseLiveFile();
        break;
    case DatabaseImport::Outcome::Incomplete:
        MessageBox::showMessage(parent, sysText("错误提示"),
            sysText("导入数据库未完成：数据库有 %1 条数据，只读到 %2 条，已合并 %3 条")
                .arg(result.held)
                .arg(result.read)
                .arg(result.merged));
        break;
    case DatabaseImport::Outcome::Damaged:
        MessageBox::showMessage(parent, sysText("错误提示"),
            sysText("导入数据库未完成：数据库文件已损坏，已读到 %1 条数据，已合并 %2 条")
                .arg(result.read)
                .arg(result.merged));
        break;
    case DatabaseImport::Outcome::Cancelled:
        break;
    case DatabaseImport::Outcome::OpenFailed:
        MessageBox::showMessage(parent, sysText("提示"), sysText("打开数据库失败"));
        break;
    case DatabaseImport::Outcome::InsertFailed:
        MessageBox::showMessage(parent, sysText("错误提示"),
            result.table == DatabaseImport::Table::User ? sysText("插入用户数据失败")
                                                        : sysText("插入充值记录数据失败"));
        break;
    }
}

} // namespace DatabaseImportPrompt
