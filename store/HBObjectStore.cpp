// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBObjectStore.h"

#include "HBObjectContext.h"
#include "HBPaths.h"
#include "HBSqliteConnection.h"
#include "HBStoreSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutexLocker>
#include <QThread>

#include <sqlite3.h>

namespace {

// Connection settings that SQLite does not keep in the file.
bool configure(HBSqliteConnection &connection, QString *error)
{
    // WAL lets readers on other connections go on while one writes; writers wait their turn.
    sqlite3_busy_timeout(connection.handle(), 5000);
    // synchronous=NORMAL in WAL mode: a commit survives a crash of the program, and a power
    // failure can lose only the last commits, never the file's consistency.
    return connection.exec("PRAGMA foreign_keys = ON; PRAGMA synchronous = NORMAL", error);
}

} // namespace

HBObjectStore::HBObjectStore(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<HBChangeSet>();
}

HBObjectStore::~HBObjectStore()
{
    close();
}

HBObjectStore *HBObjectStore::shared()
{
    static HBObjectStore *const store = [] {
        auto *instance = new HBObjectStore;
        if (QCoreApplication *app = QCoreApplication::instance())
            instance->moveToThread(app->thread());
        return instance;
    }();
    return store;
}

bool HBObjectStore::setup(const QString &path)
{
    close();
    QMutexLocker lock(&m_mutex);
    m_path = path.isEmpty() ? HBPaths::storeFile() : QDir::cleanPath(path);
    m_open = true;
    QString error;
    if (openFile(&error))
        return true;
    m_openErrorMessage = tr("The item store “%1” could not be opened: %2. Kelvora has left the file "
                            "untouched and starts with an empty shelf; items added now are not kept.")
                             .arg(QDir::toNativeSeparators(m_path), error);
    qWarning("[DEBUG] Could not open the item store %s (%s); running on an empty store in memory",
        qPrintable(m_path), qPrintable(error));
    openInMemory();
    return false;
}

bool HBObjectStore::openFile(QString *error)
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // Nothing below writes to the file before migrate() has accepted it: opening and reading
    // the version only read, so a file that is refused stays byte for byte as it was.
    std::shared_ptr<HBSqliteConnection> connection
        = HBSqliteConnection::open(m_path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
    if (!connection || !configure(*connection, error) || !HBStoreSchema::migrate(*connection, error))
        return false;
    // WAL is recorded in the file, so the other connections find it on their own.
    connection->exec("PRAGMA journal_mode = WAL");
    makeDefaultContext(std::move(connection));
    return true;
}

void HBObjectStore::openInMemory()
{
    m_inMemory = true;
    QString error;
    m_memoryConnection = HBSqliteConnection::open(
        QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &error);
    if (!m_memoryConnection || !configure(*m_memoryConnection, &error)
        || !HBStoreSchema::migrate(*m_memoryConnection, &error))
        qFatal("SQLite cannot create a database in memory: %s", qPrintable(error));
    makeDefaultContext(m_memoryConnection);
}

void HBObjectStore::makeDefaultContext(std::shared_ptr<HBSqliteConnection> connection)
{
    m_defaultContext.reset(new HBObjectContext(this, std::move(connection), true));
    if (QCoreApplication *app = QCoreApplication::instance())
        m_defaultContext->moveToThread(app->thread());
    HBObjectContext *context = m_defaultContext.get();
    // Queued when another thread saved: merges run on the main thread in commit order.
    connect(this, &HBObjectStore::contextDidSave, context,
        [context](const HBChangeSet &changes, quintptr source) {
            if (source != quintptr(context))
                context->mergeChanges(changes);
        });
}

void HBObjectStore::close()
{
    QMutexLocker lock(&m_mutex);
    m_defaultContext.reset();
    m_queryConnection.reset();
    m_memoryConnection.reset();
    m_open = false;
    m_inMemory = false;
    m_openErrorMessage.clear();
}

bool HBObjectStore::isOpen() const
{
    QMutexLocker lock(&m_mutex);
    return m_open;
}

QString HBObjectStore::path() const
{
    QMutexLocker lock(&m_mutex);
    return m_path;
}

bool HBObjectStore::openError() const
{
    QMutexLocker lock(&m_mutex);
    return m_inMemory;
}

QString HBObjectStore::openErrorMessage() const
{
    QMutexLocker lock(&m_mutex);
    return m_openErrorMessage;
}

HBObjectContext *HBObjectStore::defaultContext()
{
    if (!isOpen())
        setup();
    return m_defaultContext.get();
}

std::shared_ptr<HBSqliteConnection> HBObjectStore::openConnection(QString *error) const
{
    if (m_inMemory)
        return m_memoryConnection;
    std::shared_ptr<HBSqliteConnection> connection
        = HBSqliteConnection::open(m_path, SQLITE_OPEN_READWRITE, error);
    if (connection && !configure(*connection, error))
        connection.reset();
    return connection;
}

std::unique_ptr<HBObjectContext> HBObjectStore::newContext()
{
    if (!isOpen())
        setup();
    QString error;
    std::shared_ptr<HBSqliteConnection> connection;
    {
        QMutexLocker lock(&m_mutex);
        connection = openConnection(&error);
    }
    if (!connection) {
        // The file went away under us; the context still works, on an empty database.
        qWarning("[DEBUG] Could not open a connection to the item store: %s", qPrintable(error));
        connection = HBSqliteConnection::open(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE, &error);
        if (connection)
            HBStoreSchema::migrate(*connection, &error);
    }
    return std::unique_ptr<HBObjectContext>(new HBObjectContext(this, std::move(connection), false));
}

QList<qint64> HBObjectStore::fileIDsWithPath(const QString &path)
{
    std::shared_ptr<HBSqliteConnection> connection;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_open)
            return {};
        if (!m_queryConnection) {
            QString error;
            m_queryConnection = openConnection(&error);
        }
        connection = m_queryConnection;
    }
    QList<qint64> ids;
    if (!connection)
        return ids;
    QMutexLocker lock(&connection->mutex());
    sqlite3_stmt *statement
        = connection->statement(QStringLiteral("SELECT id FROM PasteboardFile WHERE path = ?"));
    if (!statement)
        return ids;
    HBStatementReset reset(statement);
    const QByteArray utf8 = path.toUtf8();
    sqlite3_bind_text64(
        statement, 1, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
    while (sqlite3_step(statement) == SQLITE_ROW)
        ids.append(sqlite3_column_int64(statement, 0));
    return ids;
}
