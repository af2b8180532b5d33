// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTemporaryFile;
class QTimer;

/// A small asynchronous GET: one request object per download, one success or one failure
/// callback, run on a chosen thread.
///
/// - GET() must be called on the thread the request was made on; that thread needs a running
///   event loop, since the transfer runs there. The callbacks run on the thread of
///   dispatchQueue() (the main thread when unset), queued, never inside GET().
/// - Success: a non-empty body with a status of at most 200 (0, the status of a file URL,
///   included). Everything else fails: a completed response with an empty body or a status
///   above 200 fails with no error; a transfer that breaks, times out or grows too large
///   fails with an Error.
/// - Caches are bypassed: every request goes to the network and nothing is stored.
/// - The body is bounded: up to memoryBodyLimit() it is kept in memory, beyond that it is
///   streamed to a temporary file, and beyond maximumBodySize() the request fails rather
///   than fill memory or disk.
/// - A request keeps itself alive while it runs and until its callback has run, so the
///   caller may drop its reference at once. It is not reused.
class NVHTTPRequest : public QObject, public std::enable_shared_from_this<NVHTTPRequest>
{
    Q_OBJECT

public:
    /// Why a transfer ended without a complete response.
    struct Error
    {
        enum Kind {
            Network, ///< connection refused or dropped, host not found, file unreadable…
            Timeout, ///< nothing arrived for timeoutInterval() seconds
            TooLarge, ///< the body grew (or was announced) beyond maximumBodySize()
            Storage, ///< the temporary file for a large body could not be written
        };
        Kind kind = Network;
        QString message;
    };
    using SuccessBlock = std::function<void(NVHTTPRequest *request)>;
    /// `error` is empty for a completed response that does not count as success.
    using FailureBlock = std::function<void(NVHTTPRequest *request, const std::optional<Error> &error)>;

    static constexpr double DefaultTimeoutInterval = 120.0;
    /// 512 MiB: larger than any picture or document a link is dropped for.
    static constexpr qint64 DefaultMaximumBodySize = qint64(512) << 20;
    /// Bodies up to 8 MiB stay in memory; larger ones go to a temporary file.
    static constexpr qint64 DefaultMemoryBodyLimit = qint64(8) << 20;

    /// A new, idle request, living on the calling thread.
    static std::shared_ptr<NVHTTPRequest> request();
    ~NVHTTPRequest() override;

    /// Stores both blocks (either may be empty) and starts the download at once.
    void GET(const QUrl &url, SuccessBlock success = {}, FailureBlock failure = {});

    /// Seconds without any progress after which the transfer fails; 120 for a new request.
    double timeoutInterval() const { return m_timeoutInterval; }
    void setTimeoutInterval(double seconds) { m_timeoutInterval = seconds; }
    /// The callbacks run on this object's thread; nullptr (the default): the main thread.
    QObject *dispatchQueue() const { return m_dispatchQueue; }
    void setDispatchQueue(QObject *queue) { m_dispatchQueue = queue; }
    qint64 maximumBodySize() const { return m_maximumBodySize; }
    void setMaximumBodySize(qint64 bytes) { m_maximumBodySize = bytes; }
    qint64 memoryBodyLimit() const { return m_memoryBodyLimit; }
    void setMemoryBodyLimit(qint64 bytes) { m_memoryBodyLimit = bytes; }
    /// Where a large body is streamed to (default: the system's temporary folder). Put it on
    /// the file system of the body's destination, so that moveResponseToFile() is a rename.
    QString temporaryDirectory() const { return m_temporaryDirectory; }
    void setTemporaryDirectory(const QString &path) { m_temporaryDirectory = path; }

    SuccessBlock successBlock() const;
    FailureBlock failureBlock() const;

    /// The HTTP status of the response; 0 until one arrives and for file URLs.
    qint64 statusCode() const { return m_statusCode; }
    /// Whether the transfer is running.
    bool isLoading() const { return m_reply != nullptr; }
    /// The body's size so far.
    qint64 responseSize() const { return m_received; }
    /// The whole body. A body that went to a temporary file is read back from it; callers
    /// that write the body out should prefer moveResponseToFile().
    QByteArray responseData() const;
    /// Puts the body into a new file at `path` (which must not exist): a rename of the
    /// temporary file when there is one, else an atomic write. False, with no file left at
    /// `path`, when that fails. The body is then no longer available.
    bool moveResponseToFile(const QString &path);

private:
    NVHTTPRequest();

    void onMetaData();
    void onReadyRead();
    void onFinished();
    void onTimeout();
    bool appendBody(const QByteArray &bytes);
    void fail(const std::optional<Error> &error);
    void succeed();
    void finish();
    void dispatch(std::function<void()> call);

    mutable QMutex m_blockMutex;
    SuccessBlock m_successBlock;
    FailureBlock m_failureBlock;

    double m_timeoutInterval = DefaultTimeoutInterval;
    QPointer<QObject> m_dispatchQueue;
    qint64 m_maximumBodySize = DefaultMaximumBodySize;
    qint64 m_memoryBodyLimit = DefaultMemoryBodyLimit;
    QString m_temporaryDirectory;

    qint64 m_statusCode = 0;
    qint64 m_received = 0;
    QByteArray m_data;
    std::unique_ptr<QTemporaryFile> m_spill;
    bool m_done = false;

    QNetworkAccessManager *m_manager = nullptr;
    QNetworkReply *m_reply = nullptr;
    QTimer *m_timer = nullptr;
    /// Held from GET() until the callback has been scheduled.
    std::shared_ptr<NVHTTPRequest> m_self;
};
