#pragma once

#include <QString>

// Where the station keeps its ledger: the SQLite file of the working directory
// (the default) or a shared PostgreSQL database. Kept in server.ini beside
// config.ini, never inside it: an older station rewrites config.ini with its
// own six keys at every login and would drop a section it does not know.
//
// The password is never stored here: libpq looks it up in a password file
// (passFile, else PGPASSFILE or ~/.pgpass).
struct ServerSettings
{
    bool useServer = false;
    QString host; // name, address or Unix socket folder; empty: libpq's default
    int port = 5432;
    QString database = QStringLiteral("veloka");
    QString user = QStringLiteral("veloka_station");
    QString passFile; // empty: libpq's own search
    // The file is there but cannot be read: neither back end is chosen, as
    // the local file would quietly take money meant for the server.
    bool unreadable = false;

    // "host:port/database" as the main window and the messages name it.
    QString address() const;
    // libpq options beyond host, port, database and user, as QPSQL takes them.
    QString connectOptions() const;
    bool operator==(const ServerSettings& other) const;
};

inline const QString kServerSettingsFileName = QStringLiteral("server.ini");

// A missing file, or one that does not choose the server, gives the local
// file; one that cannot be read or is not a settings object is `unreadable`.
// Values of the wrong type keep their defaults.
ServerSettings loadServerSettings(const QString& path = kServerSettingsFileName);
// Replaces the file atomically; false when it could not be written.
bool saveServerSettings(const ServerSettings& settings, const QString& path = kServerSettingsFileName);
