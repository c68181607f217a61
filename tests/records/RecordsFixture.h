#pragma once

#include "Database.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "RecordStore.h"
#include "UserStore.h"

#include <QAbstractItemModel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>
#include <memory>

// A fresh station database in a temporary folder per test, the message box
// and file dialog answered from queues.
class RecordsFixture
{
public:
    void open()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(prepareDatabase(path(kDatabaseFileName)).opened);
        MessageBox::setTestMode(true);
        MessageBox::clear();
        FileDialog::setTestMode(true);
        FileDialog::clear();
    }

    void close()
    {
        closeLedger();
        m_dir.reset();
    }

    static void closeLedger()
    {
        const QString name = QLatin1String(QSqlDatabase::defaultConnection);
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }

    QString path(const QString& name) const { return m_dir->filePath(name); }

    static RechargeRow recharge(quint32 cardnum, const QString& name, const QString& date)
    {
        RechargeRow row;
        row.cardnum = cardnum;
        row.name = name;
        row.phone = QStringLiteral("1390000") + QString::number(cardnum % 10000);
        row.date = date;
        row.manager = QStringLiteral("admin");
        row.pay = QStringLiteral("10.00");
        row.payOld = QStringLiteral("0.05");
        row.payNew = QStringLiteral("10.05");
        row.sn = QStringLiteral("00007");
        return row;
    }

    static UserRow user(quint32 cardnum, const QString& name, const QString& phone = QString())
    {
        UserRow row;
        row.cardnum = cardnum;
        row.name = name;
        row.phone = phone;
        row.date = QStringLiteral("2024-05-06 07.08.09");
        row.manager = QStringLiteral("admin");
        row.sn = QStringLiteral("00007");
        return row;
    }

    static int count(const QString& table)
    {
        QSqlQuery query(QStringLiteral("select count(*) from %1").arg(table));
        return query.next() ? query.value(0).toInt() : -1;
    }

    static QStringList column(const QAbstractItemModel* model, int column)
    {
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, column).data().toString());
        return texts;
    }

    static QStringList messageTexts()
    {
        QStringList texts;
        for (const MessageBox::Record& record : MessageBox::shown())
            texts.append(record.text);
        return texts;
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};
