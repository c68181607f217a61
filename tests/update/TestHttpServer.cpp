#include "TestHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

TestHttpServer::TestHttpServer(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
}

bool TestHttpServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString TestHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

void TestHttpServer::setRoute(const QString& path, const Route& route)
{
    m_routes.insert(path.toUtf8(), route);
}

void TestHttpServer::setBody(const QString& path, const QByteArray& body)
{
    Route route;
    route.body = body;
    setRoute(path, route);
}

int TestHttpServer::requestCount(const QString& path) const
{
    int count = 0;
    for (const Request& request : m_requests)
        count += request.path == path.toUtf8() ? 1 : 0;
    return count;
}

quint16 TestHttpServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void TestHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { m_buffers.remove(socket); });
    }
}

void TestHttpServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const int end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    buffer.clear();

    Request request;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.path = first.value(1);
    for (const QByteArray& line : lines.mid(1)) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "range")
            request.range = line.mid(colon + 1).trimmed();
    }
    m_requests << request;

    const Route route = m_routes.value(request.path, Route { 404, "not found", 0, -1, -1, false });
    QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(route.delayMs, this, [this, guard, request] {
        if (guard)
            respond(guard, request);
    });
}

void TestHttpServer::respond(QTcpSocket* socket, const Request& request)
{
    const Route route = m_routes.value(request.path, Route { 404, "not found", 0, -1, -1, false });
    int status = route.status;
    QByteArray body = route.body;
    QByteArray extra;
    const bool success = status >= 200 && status < 300;
    if (success && !route.ignoreRange && request.range.startsWith("bytes=")) {
        const qint64 from = request.range.mid(6, request.range.indexOf('-') - 6).toLongLong();
        const qint64 size = body.size();
        if (from >= size && size > 0) {
            status = 416;
            extra = "Content-Range: bytes */" + QByteArray::number(size) + "\r\n";
            body.clear();
        } else {
            status = 206;
            extra = "Content-Range: bytes " + QByteArray::number(from) + "-" + QByteArray::number(size - 1)
                + "/" + QByteArray::number(size) + "\r\n";
            body = body.mid(from);
        }
    }
    if (status >= 300 && status < 400)
        extra += "Location: /moved\r\n";

    const QByteArray head = "HTTP/1.1 " + QByteArray::number(status)
        + " Status\r\nContent-Type: application/octet-stream\r\n"
        + "Content-Length: " + QByteArray::number(body.size()) + "\r\n" + extra + "Connection: close\r\n\r\n";
    socket->write(head);

    if (route.dropAfter >= 0 && route.dropAfter < body.size()) {
        socket->write(body.left(route.dropAfter));
        socket->flush();
        socket->waitForBytesWritten(1000);
        socket->abort();
        return;
    }
    if (route.stallAfter >= 0 && route.stallAfter < body.size()) {
        socket->write(body.left(route.stallAfter));
        m_held << Held { socket, body.mid(route.stallAfter) };
        return;
    }
    socket->write(body);
    socket->disconnectFromHost();
}

void TestHttpServer::releaseStalled()
{
    const QList<Held> held = m_held;
    m_held.clear();
    for (const Held& h : held) {
        if (!h.socket)
            continue;
        h.socket->write(h.rest);
        h.socket->disconnectFromHost();
    }
}
