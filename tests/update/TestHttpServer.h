#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for the update tests. It honours
// "Range: bytes=N-", answers any status, and can delay, stall or drop a
// transfer part-way so that pause, resume and failures can be staged.
class TestHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Route
    {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
        qint64 stallAfter = -1; // body bytes sent before the transfer is held
        qint64 dropAfter = -1; // body bytes sent before the connection is cut
        bool ignoreRange = false;
    };
    struct Request
    {
        QByteArray path;
        QByteArray range;
    };

    explicit TestHttpServer(QObject* parent = nullptr);

    bool start();
    QString url(const QString& path) const;
    void setRoute(const QString& path, const Route& route);
    void setBody(const QString& path, const QByteArray& body);
    QList<Request> requests() const { return m_requests; }
    int requestCount(const QString& path) const;
    // Sends the rest of every held transfer and ends it.
    void releaseStalled();

    // A loopback port on which nothing listens.
    static quint16 closedPort();

private:
    struct Held
    {
        QPointer<QTcpSocket> socket;
        QByteArray rest;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const Request& request);

    QHash<QByteArray, Route> m_routes;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<Request> m_requests;
    QList<Held> m_held;
    // Last, so its sockets go before the tables their handlers touch.
    QTcpServer m_server;
};
