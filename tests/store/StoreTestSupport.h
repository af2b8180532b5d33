// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

/// Opens the shared store on this test's own store file and closes it afterwards.
class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
};

namespace StoreTestSupport {

/// One value read straight from the store file with SQLite, as the sqlite3 tool would.
QVariant queryFile(const QString &path, const QString &sql);

} // namespace StoreTestSupport
