// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBPaths.h"
#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(HBPaths, EveryFolderLiesInTheTestHome)
{
    const QString home = TestSupport::home();
    ASSERT_FALSE(home.isEmpty());
    for (const QString &path : {HBPaths::applicationSupportDirectory(), HBPaths::storeFile(),
                                HBPaths::storageDirectory(), HBPaths::thumbnailsDirectory(),
                                HBPaths::appIconsDirectory(), HBPaths::settingsFile(),
                                HBPaths::autostartDirectory(), HBPaths::cacheHome()}) {
        EXPECT_TRUE(path.startsWith(home + u'/')) << qPrintable(path);
    }
    EXPECT_EQ(HBPaths::storeFile(), home + QStringLiteral("/data/Kelvora/Harbrook.sqlite"));
    EXPECT_EQ(HBPaths::storageDirectory(), home + QStringLiteral("/data/Kelvora/Kelvora Files"));
}

TEST(HBPaths, RelativeXdgValuesAreIgnored)
{
    // The XDG base-directory rules make relative paths invalid.
    qputenv("XDG_DATA_HOME", "relative/place");
    EXPECT_EQ(HBPaths::applicationSupportDirectory(), QDir::homePath() + QStringLiteral("/.local/share/Kelvora"));
}
