// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVHTTPRequest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include <limits>
#include <utility>

std::shared_ptr<NVHTTPRequest> NVHTTPRequest::request()
{
    // QObjects must die on their own thread, and the last reference may be dropped on the
    // dispatch thread: hand the deletion to the request's event loop.
    return std::shared_ptr<NVHTTPRequest>(new NVHTTPRequest, [](NVHTTPRequest *request) {
        if (request->thread() == QThread::currentThread())
            delete request;
        else
            request->deleteLater();
    });
}

NVHTTPRequest::NVHTTPRequest()
    : m_temporaryDirectory(QDir::tempPath())
{ }

NVHTTPRequest::~NVHTTPRequest()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

NVHTTPRequest::SuccessBlock NVHTTPRequest::successBlock() const
{
    QMutexLocker lock(&m_blockMutex);
    return m_successBlock;
}

NVHTTPRequest::FailureBlock NVHTTPRequest::failureBlock() const
{
    QMutexLocker lock(&m_blockMutex);
    return m_failureBlock;
}

void NVHTTPRequest::GET(const QUrl &url, SuccessBlock success, FailureBlock failure)
{
    {
        QMutexLocker lock(&m_blockMutex);
        m_successBlock = std::move(success);
        m_failureBlock = std::move(failure);
    }
    if (m_reply || m_done) {
        qWarning("[DEBUG] NVHTTPRequest is not reused");
        return;
    }
    m_self = shared_from_this();

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    if (!m_manager)
        m_manager = new QNetworkAccessManager(this);
    m_reply = m_manager->get(request);
    // Bodies are read as they arrive, so Qt's own buffer never holds more than a chunk.
    m_reply->setReadBufferSize(qint64(1) << 20);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &NVHTTPRequest::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &NVHTTPRequest::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &NVHTTPRequest::onFinished);

    // An idle time-out: it restarts whenever something arrives, so a long but steady
    // download is never cut off.
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    const double seconds = m_timeoutInterval > 0 ? m_timeoutInterval : DefaultTimeoutInterval;
    m_timer->setInterval(int(qMin(seconds * 1000.0, double(std::numeric_limits<int>::max()))));
    connect(m_timer, &QTimer::timeout, this, &NVHTTPRequest::onTimeout);
    m_timer->start();
}

void NVHTTPRequest::onMetaData()
{
    if (!m_reply || m_done)
        return;
    m_timer->start();
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    m_statusCode = status.isValid() ? status.toLongLong() : 0;
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_maximumBodySize)
        fail(Error{
            Error::TooLarge, QStringLiteral("The response is larger than %1 bytes").arg(m_maximumBodySize)});
}

void NVHTTPRequest::onReadyRead()
{
    if (!m_reply || m_done)
        return;
    m_timer->start();
    while (!m_done && m_reply && m_reply->bytesAvailable() > 0) {
        const QByteArray chunk = m_reply->read(qint64(1) << 20);
        if (chunk.isEmpty())
            break;
        if (!appendBody(chunk))
            return;
    }
}

bool NVHTTPRequest::appendBody(const QByteArray &bytes)
{
    if (m_received + bytes.size() > m_maximumBodySize) {
        fail(Error{
            Error::TooLarge, QStringLiteral("The response is larger than %1 bytes").arg(m_maximumBodySize)});
        return false;
    }
    m_received += bytes.size();
    if (!m_spill && m_received > m_memoryBodyLimit) {
        m_spill = std::make_unique<QTemporaryFile>(
            m_temporaryDirectory + QStringLiteral("/download-XXXXXX.part"));
        if (!m_spill->open() || m_spill->write(m_data) != m_data.size()) {
            fail(Error{Error::Storage, m_spill->errorString()});
            return false;
        }
        m_data = QByteArray();
    }
    if (m_spill) {
        if (m_spill->write(bytes) != bytes.size()) {
            fail(Error{Error::Storage, m_spill->errorString()});
            return false;
        }
    } else {
        m_data.append(bytes);
    }
    return true;
}

void NVHTTPRequest::onFinished()
{
    if (!m_reply || m_done)
        return;
    onReadyRead();
    if (m_done)
        return;
    const QNetworkReply::NetworkError error = m_reply->error();
    // Qt reports HTTP statuses such as 404 as errors too; a response that came with a status
    // is a completed response, judged by the status rule below like any other.
    if (error != QNetworkReply::NoError && m_statusCode == 0) {
        fail(Error{Error::Network, m_reply->errorString()});
        return;
    }
    if (m_received > 0 && m_statusCode <= 200)
        succeed();
    else
        fail(std::nullopt);
}

void NVHTTPRequest::onTimeout()
{
    if (m_reply && !m_done)
        fail(Error{Error::Timeout, QStringLiteral("No response within %1 seconds").arg(m_timeoutInterval)});
}

void NVHTTPRequest::finish()
{
    m_done = true;
    if (m_timer)
        m_timer->stop();
    if (m_reply) {
        QNetworkReply *reply = std::exchange(m_reply, nullptr);
        reply->disconnect(this);
        // abort() on a finished reply does nothing; on a running one it closes the connection.
        reply->abort();
        reply->deleteLater();
    }
    if (m_spill)
        m_spill->flush();
}

void NVHTTPRequest::fail(const std::optional<Error> &error)
{
    finish();
    if (error) {
        m_data = QByteArray();
        m_spill.reset();
        m_received = 0;
    }
    dispatch([this, error] {
        if (const FailureBlock block = failureBlock())
            block(this, error);
    });
}

void NVHTTPRequest::succeed()
{
    finish();
    dispatch([this] {
        if (const SuccessBlock block = successBlock())
            block(this);
    });
}

void NVHTTPRequest::dispatch(std::function<void()> call)
{
    std::shared_ptr<NVHTTPRequest> self = std::move(m_self);
    QObject *target = m_dispatchQueue ? m_dispatchQueue.data() : QCoreApplication::instance();
    if (!target)
        return;
    // The lambda holds the request until its block has run, wherever that is.
    QMetaObject::invokeMethod(
        target, [self, call = std::move(call)] { call(); }, Qt::QueuedConnection);
}

QByteArray NVHTTPRequest::responseData() const
{
    if (!m_spill)
        return m_data;
    // The temporary file may have no name at all (O_TMPFILE): read it through its handle.
    if (!m_spill->isOpen() || !m_spill->seek(0))
        return {};
    QByteArray data = m_spill->readAll();
    m_spill->seek(m_spill->size());
    return data;
}

bool NVHTTPRequest::moveResponseToFile(const QString &path)
{
    if (QFileInfo::exists(path))
        return false;
    if (m_spill) {
        // A rename (a link of the unnamed file) when both lie on one file system; otherwise
        // a copy through a temporary file beside `path`.
        m_spill->setAutoRemove(false);
        if (m_spill->rename(path)) {
            m_spill.reset();
            m_received = 0;
            return true;
        }
        m_spill->setAutoRemove(true);
        QSaveFile file(path);
        if (!m_spill->seek(0) || !file.open(QIODevice::WriteOnly))
            return false;
        while (!m_spill->atEnd()) {
            const QByteArray chunk = m_spill->read(qint64(1) << 20);
            if (chunk.isEmpty() || file.write(chunk) != chunk.size()) {
                file.cancelWriting();
                return false;
            }
        }
        if (!file.commit())
            return false;
        m_spill.reset();
        m_received = 0;
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_data) != m_data.size() || !file.commit())
        return false;
    m_data = QByteArray();
    m_received = 0;
    return true;
}
