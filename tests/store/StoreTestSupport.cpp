// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoreTestSupport.h"

#include "HBObjectStore.h"

#include <sqlite3.h>

void StoreTest::SetUp()
{
    ASSERT_TRUE(HBObjectStore::shared()->setup());
}

void StoreTest::TearDown()
{
    HBObjectStore::shared()->close();
}

namespace StoreTestSupport {

QVariant queryFile(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QVariant result;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_ROW) {
            switch (sqlite3_column_type(statement, 0)) {
            case SQLITE_INTEGER:
                result = QVariant::fromValue<qint64>(sqlite3_column_int64(statement, 0));
                break;
            case SQLITE_TEXT:
                result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
                break;
            default:
                break;
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

} // namespace StoreTestSupport
