// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QRecursiveMutex>
#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

/// One SQLite connection with a cache of prepared statements. A connection is used by one
/// thread at a time: callers hold mutex() around each statement sequence or transaction.
/// File connections belong to one context each, so the lock is uncontended; the in-memory
/// fallback store shares one connection between all contexts and the lock serialises them.
class HBSqliteConnection
{
public:
    /// Opens `name` (a path, or a "file:" URI) with the sqlite3_open_v2 `flags`. Returns
    /// nullptr and fills `error` when SQLite refuses.
    static std::unique_ptr<HBSqliteConnection> open(const QString &name, int flags, QString *error);

    ~HBSqliteConnection();
    HBSqliteConnection(const HBSqliteConnection &) = delete;
    HBSqliteConnection &operator=(const HBSqliteConnection &) = delete;

    sqlite3 *handle() const { return m_db; }
    QRecursiveMutex &mutex() { return m_mutex; }

    /// A prepared statement for `sql`, kept for reuse; nullptr when it can't be prepared.
    /// Reset it after use (HBStatementReset does that).
    sqlite3_stmt *statement(const QString &sql);
    /// Runs SQL without results (may hold several statements).
    bool exec(const char *sql, QString *error = nullptr);
    /// The text of the last error on this connection.
    QString errorMessage() const;

private:
    explicit HBSqliteConnection(sqlite3 *db);

    sqlite3 *m_db = nullptr;
    QHash<QString, sqlite3_stmt *> m_statements;
    QRecursiveMutex m_mutex;
};

/// Resets a cached statement and clears its bindings when the scope ends, so that an early
/// return never leaves a read transaction open.
class HBStatementReset
{
public:
    explicit HBStatementReset(sqlite3_stmt *statement)
        : m_statement(statement)
    { }
    ~HBStatementReset();
    HBStatementReset(const HBStatementReset &) = delete;
    HBStatementReset &operator=(const HBStatementReset &) = delete;

private:
    sqlite3_stmt *m_statement;
};
