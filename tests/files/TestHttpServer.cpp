// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestHttpServer.h"

#include <QTcpSocket>

namespace {
const QByteArray kDrop = QByteArrayLiteral("\0drop");
}

TestHttpServer::TestHttpServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onConnection);
}

bool TestHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost);
}

QUrl TestHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void TestHttpServer::respond(
    const QString &path, int status, const QByteArray &body, const QByteArray &contentType)
{
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + " Test\r\n";
    if (status != 204 && status != 304)
        response += "Content-Type: " + contentType + "\r\nContent-Length: " + QByteArray::number(body.size())
            + "\r\n";
    response += "Connection: close\r\n\r\n" + body;
    m_answers.insert(path, response);
}

void TestHttpServer::respondUntilClose(const QString &path, const QByteArray &body)
{
    m_answers.insert(path, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body);
}

void TestHttpServer::drop(const QString &path)
{
    m_answers.insert(path, kDrop);
}

void TestHttpServer::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n"))
                return;
            ++m_requests;
            const QList<QByteArray> words = request->left(request->indexOf("\r\n")).split(' ');
            const QString path = words.size() > 1 ? QString::fromLatin1(words.at(1)) : QString();
            const auto answer = m_answers.constFind(path);
            if (answer == m_answers.constEnd())
                return; // silent: the client waits for its time-out
            if (*answer == kDrop) {
                socket->abort();
                return;
            }
            socket->write(*answer);
            socket->disconnectFromHost();
        });
    }
}
