// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBStoreSchema.h"

#include "HBEntity.h"
#include "HBSqliteConnection.h"

#include <sqlite3.h>

#include <iterator>

namespace {

// Version 1. Foreign keys are deferred so that one save can insert an item and the
// representation it names as mainType in either order. Deleting an item deletes its
// representations and files (ON DELETE CASCADE) and its mainType, which need not be one
// of its types (the trigger), so that no record outlives its item. Every column a foreign
// key points from is indexed: deleting a row looks up its referrers.
const char *const kVersion1 = R"sql(
CREATE TABLE IF NOT EXISTS PasteboardItem (
    id INTEGER PRIMARY KEY,
    date INTEGER,
    imagePath TEXT,
    path TEXT,
    title TEXT,
    "order" INTEGER NOT NULL DEFAULT 0,
    mainType INTEGER REFERENCES PasteboardType(id) ON DELETE SET NULL DEFERRABLE INITIALLY DEFERRED
);
CREATE TABLE IF NOT EXISTS PasteboardType (
    id INTEGER PRIMARY KEY,
    data BLOB,
    type TEXT,
    item INTEGER REFERENCES PasteboardItem(id) ON DELETE CASCADE DEFERRABLE INITIALLY DEFERRED
);
CREATE TABLE IF NOT EXISTS PasteboardFile (
    id INTEGER PRIMARY KEY,
    bookmarkData BLOB,
    isRemovable INTEGER NOT NULL DEFAULT 1,
    path TEXT,
    isAlias INTEGER NOT NULL DEFAULT 0,
    item INTEGER REFERENCES PasteboardItem(id) ON DELETE CASCADE DEFERRABLE INITIALLY DEFERRED
);
CREATE INDEX IF NOT EXISTS PasteboardItem_order ON PasteboardItem("order", date DESC);
CREATE INDEX IF NOT EXISTS PasteboardItem_mainType ON PasteboardItem(mainType);
CREATE INDEX IF NOT EXISTS PasteboardType_item ON PasteboardType(item);
CREATE INDEX IF NOT EXISTS PasteboardFile_item ON PasteboardFile(item);
CREATE INDEX IF NOT EXISTS PasteboardFile_path ON PasteboardFile(path);
CREATE TRIGGER IF NOT EXISTS PasteboardItem_deleteMainType AFTER DELETE ON PasteboardItem
BEGIN
    DELETE FROM PasteboardType WHERE id = OLD.mainType;
END;
)sql";

// steps[n] takes a file from version n to n + 1.
const char *const kSteps[] = {kVersion1};
static_assert(std::size(kSteps) == HBStoreSchema::currentVersion);

// A file without a version may still hold same-named tables of another shape; every
// column the store reads must exist, or the file is not ours.
bool tablesMatch(HBSqliteConnection &connection, QString *error)
{
    for (HBEntity entity : {HBEntity::Item, HBEntity::Type, HBEntity::File}) {
        const HBEntityDescription &description = HBEntityDescription::of(entity);
        QString sql = QStringLiteral("SELECT id");
        for (QLatin1StringView column : description.columns)
            sql += QStringLiteral(", \"") + column + u'"';
        sql += QStringLiteral(" FROM ") + description.name + QStringLiteral(" LIMIT 0");
        sqlite3_stmt *statement = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(connection.handle(), utf8.constData(), -1, &statement, nullptr);
        sqlite3_finalize(statement);
        if (rc != SQLITE_OK) {
            *error = connection.errorMessage();
            return false;
        }
    }
    return true;
}

} // namespace

namespace HBStoreSchema {

int readVersion(HBSqliteConnection &connection, QString *error)
{
    // Reading the schema table makes SQLite check the file header, so a file that is no
    // database fails here rather than at the first fetch.
    sqlite3_stmt *statement = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(connection.handle(), "SELECT count(*) FROM sqlite_master", -1, &statement, nullptr)
            == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW) {
        sqlite3_finalize(statement);
        statement = nullptr;
        if (sqlite3_prepare_v2(connection.handle(), "PRAGMA user_version", -1, &statement, nullptr)
                == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_ROW)
            version = sqlite3_column_int(statement, 0);
    }
    if (version < 0)
        *error = connection.errorMessage();
    sqlite3_finalize(statement);
    return version;
}

bool migrate(HBSqliteConnection &connection, QString *error)
{
    const int version = readVersion(connection, error);
    if (version < 0)
        return false;
    if (version > currentVersion) {
        *error = QStringLiteral("it was written by a newer version of Kelvora (schema %1, this one knows %2)")
                     .arg(version)
                     .arg(currentVersion);
        return false;
    }
    if (version == currentVersion)
        return tablesMatch(connection, error);

    if (!connection.exec("BEGIN IMMEDIATE", error))
        return false;
    bool ok = true;
    for (int step = version; ok && step < currentVersion; ++step)
        ok = connection.exec(kSteps[step], error);
    ok = ok && tablesMatch(connection, error);
    ok = ok
        && connection.exec(
            QByteArray("PRAGMA user_version = " + QByteArray::number(currentVersion)).constData(), error);
    ok = ok && connection.exec("COMMIT", error);
    if (!ok)
        connection.exec("ROLLBACK");
    return ok;
}

} // namespace HBStoreSchema
