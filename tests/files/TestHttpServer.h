// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

/// A tiny HTTP/1.1 server on 127.0.0.1 for tests, run by the thread that made it. Each
/// path answers with the raw bytes given for it (status line, headers and body, written as
/// is, then the connection closes); a path with no answer keeps the connection open and
/// silent, and a path set to drop() closes it without a word.
class TestHttpServer : public QObject
{
    Q_OBJECT

public:
    explicit TestHttpServer(QObject *parent = nullptr);

    bool listen();
    QUrl url(const QString &path) const;

    /// A complete response with a Content-Length header.
    void respond(const QString &path, int status, const QByteArray &body,
        const QByteArray &contentType = "application/octet-stream");
    /// A response whose body ends when the connection closes (no Content-Length).
    void respondUntilClose(const QString &path, const QByteArray &body);
    void drop(const QString &path);

    int requestCount() const { return m_requests; }

private:
    void onConnection();

    QTcpServer m_server;
    QHash<QString, QByteArray> m_answers;
    int m_requests = 0;
};
