#include "IdListReader.h"

#include "RecordIndex.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QSet>
#include <QSqlDatabase>
#include <limits>

IdListReader::IdListReader(const QString& table, QObject* parent)
    : QThread(parent)
    , m_table(table)
{
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    m_driver = db.driverName();
    m_host = db.hostName();
    m_port = db.port();
    m_database = db.databaseName();
    m_user = db.userName();
    m_password = db.password();
    m_options = db.connectOptions();
}

namespace {

QSet<IdListReader*>& givenUp()
{
    static QSet<IdListReader*> readers;
    return readers;
}

void waitForGivenUp()
{
    for (IdListReader* reader : qAsConst(givenUp())) {
        reader->wait();
        delete reader;
    }
    givenUp().clear();
}

} // namespace

void IdListReader::giveUp()
{
    static const bool registered = (qAddPostRoutine(waitForGivenUp), true);
    Q_UNUSED(registered)
    disconnect();
    setParent(nullptr);
    givenUp().insert(this);
    connect(this, &QThread::finished, this, [this] {
        givenUp().remove(this);
        deleteLater();
    });
    if (isFinished()) {
        givenUp().remove(this);
        deleteLater();
    }
}

void IdListReader::run()
{
    static QAtomicInteger<int> serial;
    const QString name = QStringLiteral("veloka_ids_%1").arg(serial.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(m_driver, name);
        db.setHostName(m_host);
        db.setPort(m_port);
        db.setDatabaseName(m_database);
        db.setUserName(m_user);
        db.setPassword(m_password);
        db.setConnectOptions(m_options);
        m_ok = db.open() && RecordIndex::ledgerIdRuns(db, m_table, std::numeric_limits<qint64>::min(), m_ids);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
