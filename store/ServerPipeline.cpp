#include "ServerPipeline.h"

#include <QByteArray>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <libpq-fe.h>

namespace {

PGconn* defaultConnectionHandle()
{
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

bool isIdentifierStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

// The statement with ":name" turned into "$n" (a name used twice is one
// parameter), and the names in parameter order. "::" casts stay as they are.
QString numbered(const QString& statement, QStringList& names)
{
    QString out;
    out.reserve(statement.size());
    for (int i = 0; i < statement.size(); ++i) {
        const QChar c = statement.at(i);
        const bool cast
            = c == QLatin1Char(':') && i + 1 < statement.size() && statement.at(i + 1) == QLatin1Char(':');
        if (c != QLatin1Char(':') || cast || i + 1 >= statement.size()
            || !isIdentifierStart(statement.at(i + 1))) {
            out += c;
            if (cast)
                out += statement.at(++i);
            continue;
        }
        int end = i + 1;
        while (end < statement.size()
            && (statement.at(end).isLetterOrNumber() || statement.at(end) == QLatin1Char('_')))
            ++end;
        const QString name = statement.mid(i, end - i);
        int index = names.indexOf(name);
        if (index < 0) {
            names.append(name);
            index = names.size() - 1;
        }
        out += QLatin1Char('$') + QString::number(index + 1);
        i = end - 1;
    }
    return out;
}

// A parameter in libpq's text form; the server reads it as the column's type.
QByteArray parameterText(const QVariant& value, bool& isNull)
{
    isNull = value.isNull();
    if (isNull)
        return QByteArray();
    if (value.type() == QVariant::Bool)
        return value.toBool() ? QByteArrayLiteral("t") : QByteArrayLiteral("f");
    return value.toString().toUtf8();
}

QSqlError errorOf(const PGresult* result, PGconn* connection)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString message
        = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(connection));
    return QSqlError(QStringLiteral("pipeline"), message.trimmed(), QSqlError::StatementError,
        state ? QString::fromLatin1(state) : QString());
}

// The next result of the pipeline and the null that ends it; true when it
// has the wanted status.
bool takeResult(PGconn* connection, ExecStatusType wanted, QSqlError& error)
{
    PGresult* result = PQgetResult(connection);
    const bool ok = result && PQresultStatus(result) == wanted;
    if (!ok && !error.isValid())
        error = errorOf(result, connection);
    PQclear(result);
    if (wanted != PGRES_PIPELINE_SYNC && result) {
        // Each query's results end with a null.
        PQclear(PQgetResult(connection));
    }
    return ok;
}

struct Numbered
{
    QByteArray text;
    QStringList names;
};

// Every money row of a kind has the same statement: numbered once.
const Numbered& numberedOnce(const QString& statement)
{
    static QHash<QString, Numbered> done;
    auto it = done.find(statement);
    if (it == done.end()) {
        Numbered numbering;
        numbering.text = numbered(statement, numbering.names).toUtf8();
        it = done.insert(statement, numbering);
    }
    return *it;
}

// The statements this process prepared on the connection, by text.
struct Prepared
{
    PGconn* connection = nullptr;
    QHash<QByteArray, QByteArray> names;
};

Prepared& prepared()
{
    static Prepared statements;
    return statements;
}

} // namespace

bool serverTransactionCommittable()
{
    PGconn* connection = defaultConnectionHandle();
    return !connection || PQtransactionStatus(connection) == PQTRANS_INTRANS;
}

void forgetPipelineStatements()
{
    prepared() = Prepared();
}

PipelineStatement pipelineStatement(const QString& statement, const QSqlQuery& bound)
{
    const Numbered& numbering = numberedOnce(statement);
    PipelineStatement out { numbering.text, QVector<QByteArray>(numbering.names.size()),
        QVector<bool>(numbering.names.size()) };
    for (int i = 0; i < numbering.names.size(); ++i) {
        bool isNull = false;
        out.values[i] = parameterText(bound.boundValue(numbering.names.at(i)), isNull);
        out.nulls[i] = isNull;
    }
    return out;
}

bool beginWithStatement(const PipelineStatement& statement, QSqlError& error)
{
    error = QSqlError();
    PGconn* connection = defaultConnectionHandle();
    if (!connection || PQstatus(connection) != CONNECTION_OK) {
        error = QSqlError(
            QStringLiteral("pipeline"), QStringLiteral("no connection"), QSqlError::ConnectionError);
        return false;
    }
    // A transaction already open is not this begin's to take over.
    if (PQtransactionStatus(connection) != PQTRANS_IDLE || PQpipelineStatus(connection) != PQ_PIPELINE_OFF) {
        error = QSqlError(QStringLiteral("pipeline"), QStringLiteral("connection busy"),
            QSqlError::TransactionError, QStringLiteral("25001"));
        return false;
    }

    const QByteArray& text = statement.text;
    const int count = statement.values.size();
    QVector<const char*> pointers(count);
    for (int i = 0; i < count; ++i)
        pointers[i] = statement.nulls.at(i) ? nullptr : statement.values.at(i).constData();

    // Parsed and planned once per connection; a prepared statement outlives
    // a rollback, so it is prepared ahead of the begin.
    Prepared& kept = prepared();
    if (kept.connection != connection)
        kept = Prepared { connection, {} };
    QByteArray name = kept.names.value(text);
    const bool prepare = name.isEmpty();
    if (prepare) {
        // Never reused in the process, so a name is new to the connection
        // even if what was kept of it had been forgotten.
        static int serial = 0;
        name = "veloka_ledger_" + QByteArray::number(++serial);
    }

    bool sent = PQenterPipelineMode(connection) == 1
        && (!prepare || PQsendPrepare(connection, name.constData(), text.constData(), count, nullptr) == 1)
        && PQsendQueryParams(connection, "begin", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1
        && PQsendQueryPrepared(connection, name.constData(), count, pointers.constData(), nullptr, nullptr, 0)
            == 1
        && PQpipelineSync(connection) == 1;
    bool ok = sent;
    if (sent) {
        if (prepare) {
            ok = takeResult(connection, PGRES_COMMAND_OK, error);
            if (ok)
                kept.names.insert(text, name);
        }
        ok = takeResult(connection, PGRES_COMMAND_OK, error) && ok;
        ok = takeResult(connection, PGRES_COMMAND_OK, error) && ok;
        // The sync comes last, also after a failed statement.
        takeResult(connection, PGRES_PIPELINE_SYNC, error);
    } else {
        error = errorOf(nullptr, connection);
    }
    PQexitPipelineMode(connection);
    if (!ok && PQstatus(connection) == CONNECTION_OK && PQtransactionStatus(connection) != PQTRANS_IDLE)
        PQclear(PQexec(connection, "rollback"));
    return ok;
}
