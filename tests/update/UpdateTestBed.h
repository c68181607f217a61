#pragma once

#include "TestHttpServer.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// One test's working directory (a fresh temporary folder made current) and
// its local HTTP server; the previous directory comes back on destruction.
class UpdateTestBed
{
public:
    UpdateTestBed();
    ~UpdateTestBed();

    bool isValid() const { return m_valid; }
    TestHttpServer& server() { return m_server; }

    static void writeFile(const QString& name, const QByteArray& content);
    static QByteArray fileContent(const QString& name);

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
    TestHttpServer m_server;
    bool m_valid = false;
};
