// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBSqliteConnection.h"

#include <sqlite3.h>

std::unique_ptr<HBSqliteConnection> HBSqliteConnection::open(const QString &name, int flags, QString *error)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(name.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (error)
            *error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    return std::unique_ptr<HBSqliteConnection>(new HBSqliteConnection(db));
}

HBSqliteConnection::HBSqliteConnection(sqlite3 *db)
    : m_db(db)
{ }

HBSqliteConnection::~HBSqliteConnection()
{
    for (sqlite3_stmt *statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    sqlite3_close_v2(m_db);
}

sqlite3_stmt *HBSqliteConnection::statement(const QString &sql)
{
    if (sqlite3_stmt *cached = m_statements.value(sql))
        return cached;
    sqlite3_stmt *statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v3(
            m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &statement, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    m_statements.insert(sql, statement);
    return statement;
}

bool HBSqliteConnection::exec(const char *sql, QString *error)
{
    char *message = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK && error)
        *error = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

QString HBSqliteConnection::errorMessage() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

HBStatementReset::~HBStatementReset()
{
    if (m_statement) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
}
