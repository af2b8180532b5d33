// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVHTTPRequest.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>

namespace {

/// What one request delivered.
struct Outcome
{
    int successes = 0;
    int failures = 0;
    std::optional<NVHTTPRequest::Error> error;
    qint64 statusCode = -1;
    QByteArray body;
    QThread *thread = nullptr;

    int calls() const { return successes + failures; }
};

/// Runs one GET and waits for its one callback. `configure` may adjust the request.
Outcome fetch(const QUrl &url, const std::function<void(NVHTTPRequest &)> &configure = {})
{
    auto outcome = std::make_shared<Outcome>();
    {
        std::shared_ptr<NVHTTPRequest> request = NVHTTPRequest::request();
        if (configure)
            configure(*request);
        request->GET(
            url,
            [outcome](NVHTTPRequest *done) {
                ++outcome->successes;
                outcome->statusCode = done->statusCode();
                outcome->body = done->responseData();
                outcome->thread = QThread::currentThread();
            },
            [outcome](NVHTTPRequest *done, const std::optional<NVHTTPRequest::Error> &error) {
                ++outcome->failures;
                outcome->error = error;
                outcome->statusCode = done->statusCode();
                outcome->body = done->responseData();
                outcome->thread = QThread::currentThread();
            });
        // The caller's reference goes here: the request must finish on its own.
    }
    EXPECT_TRUE(TestSupport::waitUntil([&] { return outcome->calls() > 0; }));
    // A second callback would be queued right behind the first: let it show itself.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return *outcome;
}

class NVHTTPRequestTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_server.listen()); }
    TestHttpServer m_server;
};

} // namespace

TEST_F(NVHTTPRequestTest, StatusRule)
{
    struct Case
    {
        const char *name;
        int status;
        QByteArray body;
        bool succeeds;
    };
    const Case cases[] = {
        {"200 with a body", 200, "picture bytes", true},
        {"200 without a body", 200, "", false},
        {"204", 204, "", false},
        {"201 with a body", 201, "created", false},
        {"404 with an error page", 404, "<html>not found</html>", false},
        {"500 with a body", 500, "oops", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = u'/' + QString::fromLatin1(c.name).replace(u' ', u'-');
        m_server.respond(path, c.status, c.body);
        const Outcome outcome = fetch(m_server.url(path));
        EXPECT_EQ(outcome.calls(), 1);
        EXPECT_EQ(outcome.successes, c.succeeds ? 1 : 0);
        EXPECT_EQ(outcome.statusCode, c.status);
        // A completed response never carries an error, whatever its status.
        EXPECT_FALSE(outcome.error.has_value());
        if (c.succeeds) {
            EXPECT_EQ(outcome.body, c.body);
        }
    }
}

TEST_F(NVHTTPRequestTest, BrokenTransfersFailWithAnError)
{
    m_server.drop(QStringLiteral("/drop"));
    Outcome dropped = fetch(m_server.url(QStringLiteral("/drop")));
    EXPECT_EQ(dropped.failures, 1);
    ASSERT_TRUE(dropped.error.has_value());
    EXPECT_EQ(dropped.error->kind, NVHTTPRequest::Error::Network);

    // Nobody listens on this port any more.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QUrl refusedUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
    closed.close();
    Outcome refused = fetch(refusedUrl);
    EXPECT_EQ(refused.failures, 1);
    ASSERT_TRUE(refused.error.has_value());
    EXPECT_EQ(refused.error->kind, NVHTTPRequest::Error::Network);
}

TEST_F(NVHTTPRequestTest, SilentServerTimesOut)
{
    const Outcome outcome = fetch(m_server.url(QStringLiteral("/silent")),
        [](NVHTTPRequest &request) { request.setTimeoutInterval(0.3); });
    EXPECT_EQ(outcome.calls(), 1);
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->kind, NVHTTPRequest::Error::Timeout);
    EXPECT_EQ(m_server.requestCount(), 1);
}

TEST_F(NVHTTPRequestTest, FileURLs)
{
    const QString path = TestSupport::home() + QStringLiteral("/a file.bin");
    ASSERT_TRUE(TestSupport::writeFile(path, "file bytes"));
    const Outcome present = fetch(QUrl::fromLocalFile(path));
    EXPECT_EQ(present.successes, 1);
    EXPECT_EQ(present.statusCode, 0);
    EXPECT_EQ(present.body, "file bytes");

    const Outcome missing = fetch(QUrl::fromLocalFile(TestSupport::home() + QStringLiteral("/missing")));
    EXPECT_EQ(missing.failures, 1);
    EXPECT_TRUE(missing.error.has_value());
}

TEST_F(NVHTTPRequestTest, BodiesBeyondTheLimitFail)
{
    const QByteArray big(5000, 'x');
    m_server.respond(QStringLiteral("/announced"), 200, big);
    m_server.respondUntilClose(QStringLiteral("/unannounced"), big);
    const QString file = TestSupport::home() + QStringLiteral("/big.bin");
    ASSERT_TRUE(TestSupport::writeFile(file, big));
    const QUrl urls[] = {m_server.url(QStringLiteral("/announced")),
        m_server.url(QStringLiteral("/unannounced")), QUrl::fromLocalFile(file)};
    for (const QUrl &url : urls) {
        SCOPED_TRACE(url.toString().toStdString());
        const Outcome outcome = fetch(url, [](NVHTTPRequest &request) { request.setMaximumBodySize(1000); });
        EXPECT_EQ(outcome.failures, 1);
        ASSERT_TRUE(outcome.error.has_value());
        EXPECT_EQ(outcome.error->kind, NVHTTPRequest::Error::TooLarge);
        EXPECT_TRUE(outcome.body.isEmpty());
    }
    // At the limit exactly it still succeeds.
    const Outcome atLimit = fetch(m_server.url(QStringLiteral("/unannounced")),
        [](NVHTTPRequest &request) { request.setMaximumBodySize(5000); });
    EXPECT_EQ(atLimit.successes, 1);
}

TEST_F(NVHTTPRequestTest, LargeBodyGoesThroughATemporaryFile)
{
    QByteArray body;
    for (int i = 0; i < 20000; ++i)
        body += QByteArray::number(i) + ',';
    m_server.respond(QStringLiteral("/large"), 200, body);
    const QString spillFolder = TestSupport::home() + QStringLiteral("/spill");
    QDir().mkpath(spillFolder);

    auto moved = std::make_shared<std::optional<bool>>();
    const QString destination = TestSupport::home() + QStringLiteral("/kept.bin");
    std::shared_ptr<NVHTTPRequest> request = NVHTTPRequest::request();
    request->setMemoryBodyLimit(1024);
    request->setTemporaryDirectory(spillFolder);
    request->GET(m_server.url(QStringLiteral("/large")), [&](NVHTTPRequest *done) {
        EXPECT_EQ(done->responseSize(), body.size());
        EXPECT_EQ(done->responseData(), body);
        *moved = done->moveResponseToFile(destination);
    });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return moved->has_value(); }));
    EXPECT_TRUE(**moved);
    EXPECT_EQ(TestSupport::readFile(destination), body);
    EXPECT_TRUE(QDir(spillFolder).entryList(QDir::Files).isEmpty());
    // The destination must be new: nothing is overwritten.
    EXPECT_FALSE(request->moveResponseToFile(destination));
}

TEST_F(NVHTTPRequestTest, CallbackRunsOnTheChosenThread)
{
    m_server.respond(QStringLiteral("/ok"), 200, "body");
    QThread worker;
    worker.start();
    QObject queue;
    queue.moveToThread(&worker);
    const Outcome outcome = fetch(m_server.url(QStringLiteral("/ok")),
        [&](NVHTTPRequest &request) { request.setDispatchQueue(&queue); });
    EXPECT_EQ(outcome.successes, 1);
    EXPECT_EQ(outcome.thread, &worker);
    // Without a queue, the main thread.
    EXPECT_EQ(fetch(m_server.url(QStringLiteral("/ok"))).thread, QCoreApplication::instance()->thread());
    worker.quit();
    worker.wait();
}
