#pragma once

#include "IdRuns.h"

#include <QString>
#include <QThread>
#include <QVariantMap>

// Reads every id of a table on a connection of its own, like the one the
// station has open, so a browser of the server shows its first rows at once:
// the server counts a table's ids only by reading all of them. The result is
// there once the thread finished.
class IdListReader : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY(IdListReader)

public:
    // Takes the default connection's settings now, in the caller's thread.
    IdListReader(const QString& table, QObject* parent = nullptr);

    // No longer wanted (its window closed or showed other rows): deletes
    // itself once done, without keeping anyone waiting; readers still running
    // when the application object goes are waited for then.
    void giveUp();

    bool ok() const { return m_ok; }
    IdRuns takeIds() { return std::move(m_ids); }

protected:
    void run() override;

private:
    const QString m_table;
    QString m_driver;
    QString m_host;
    int m_port = -1;
    QString m_database;
    QString m_user;
    QString m_password;
    QString m_options;
    bool m_ok = false;
    IdRuns m_ids;
};
