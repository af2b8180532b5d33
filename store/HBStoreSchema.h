// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class HBSqliteConnection;

/// The store's tables and their history. PRAGMA user_version holds the version of the
/// schema a file was written with; opening an older file runs each step up to
/// currentVersion in one transaction, so a failed migration leaves the file as it was.
namespace HBStoreSchema {

inline constexpr int currentVersion = 1;

/// Creates or migrates the tables on a writable connection. False (with `error`) when the
/// file comes from a newer Kelvora or does not hold the tables this version expects; the
/// transaction is then rolled back.
bool migrate(HBSqliteConnection &connection, QString *error);

/// The schema version recorded in the file; -1 with `error` when the file can't be read
/// as a database.
int readVersion(HBSqliteConnection &connection, QString *error);

} // namespace HBStoreSchema
