// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDesktopEntryIndex.h"
#include "TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

/// A literal's bytes, NULs included.
template <qsizetype N> QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

QByteArray application(const QByteArray &name, const QByteArray &extraLines = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extraLines;
}

/// A user data folder (XDG_DATA_HOME of this test) before a system one, each with a few
/// entries of the kinds that decide a match.
class DesktopEntryIndexTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_user = qEnvironmentVariable("XDG_DATA_HOME");
        m_system = TestSupport::home() + QStringLiteral("/system-share");
        writeUser("org.example.Viewer.desktop", application("Viewer", "StartupWMClass=ViewerMain\n"));
        writeUser("firefox-esr.desktop", application("Browser"));
        writeUser("alpha.desktop", application("Alpha by name"));
        writeUser("beta.desktop", application("Beta claims alpha", "StartupWMClass=alpha\n"));
        writeUser("shared.desktop", application("User copy"));
        writeUser("removed.desktop", application("Gone", "Hidden=true\n"));
        writeUser("kde4/kate.desktop", application("Kate"));
        writeSystem("shared.desktop", application("System copy"));
        writeSystem("removed.desktop", application("Still installed"));
        writeSystem("org.kde.dolphin.desktop", application("Dolphin"));
        writeSystem(
            "homepage.desktop", "[Desktop Entry]\nType=Link\nName=Homepage\nURL=https://example.org\n");
        writeSystem("broken.desktop", bytes("\xff\xfe\x00[Desktop Entry\n=\n===\nType"));
    }

    void writeUser(const char *relative, const QByteArray &contents)
    {
        ASSERT_TRUE(TestSupport::writeFile(
            m_user + QStringLiteral("/applications/") + QLatin1String(relative), contents));
    }
    void writeSystem(const char *relative, const QByteArray &contents)
    {
        ASSERT_TRUE(TestSupport::writeFile(
            m_system + QStringLiteral("/applications/") + QLatin1String(relative), contents));
    }
    HBDesktopEntryIndex index() const { return HBDesktopEntryIndex({m_user, m_system}, QStringLiteral("C")); }

    QString m_user;
    QString m_system;
};

struct MatchRow
{
    const char *what;
    const char *instanceName;
    const char *className;
    const char *expectedId; // nullptr: no entry
    const char *expectedName;
};

const MatchRow matchRows[] = {
    {"StartupWMClass equals the class", "viewer", "ViewerMain", "org.example.Viewer", "Viewer"},
    {"StartupWMClass ignores case", "x", "viewermain", "org.example.Viewer", "Viewer"},
    {"StartupWMClass matched by the instance", "ViewerMain", "Other", "org.example.Viewer", "Viewer"},
    {"file name equals the class", "Navigator", "firefox-esr", "firefox-esr", "Browser"},
    {"file name ignores case", "Navigator", "Firefox-ESR", "firefox-esr", "Browser"},
    {"StartupWMClass wins over a file name", "alpha", "alpha", "beta", "Beta claims alpha"},
    {"reverse-DNS id ends in the class", "dolphin", "dolphin", "org.kde.dolphin", "Dolphin"},
    {"subfolder joins the id with a dash", "kde4-kate", "Kde4-kate", "kde4-kate", "Kate"},
    {"user folder wins over system folder", "shared", "Shared", "shared", "User copy"},
    {"Hidden in the user folder removes the system entry", "removed", "Removed", nullptr, nullptr},
    {"a link is no application", "homepage", "Homepage", nullptr, nullptr},
    {"unknown class", "nothing", "Nothing", nullptr, nullptr},
    {"no class at all", "", "", nullptr, nullptr},
};

TEST_F(DesktopEntryIndexTest, MatchesWindowClassToEntry)
{
    const HBDesktopEntryIndex entries = index();
    for (const MatchRow &row : matchRows) {
        SCOPED_TRACE(row.what);
        const auto entry = entries.entryForWindowClass(
            QString::fromUtf8(row.instanceName), QString::fromUtf8(row.className));
        if (!row.expectedId) {
            EXPECT_FALSE(entry.has_value()) << qPrintable(entry ? entry->id : QString());
            continue;
        }
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->id, QString::fromUtf8(row.expectedId));
        EXPECT_EQ(entry->name, QString::fromUtf8(row.expectedName));
    }
}

TEST_F(DesktopEntryIndexTest, StandardFoldersComeFromTheEnvironment)
{
    qputenv("XDG_DATA_DIRS", (m_system + QStringLiteral(":relative/ignored")).toLocal8Bit());
    EXPECT_EQ(HBDesktopEntryIndex::standardDataDirectories(), QStringList({m_user, m_system}));
    const auto entry
        = HBDesktopEntryIndex().entryForWindowClass(QStringLiteral("dolphin"), QStringLiteral("dolphin"));
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->id, QStringLiteral("org.kde.dolphin"));
}

TEST_F(DesktopEntryIndexTest, NoticesEntriesInstalledLater)
{
    HBDesktopEntryIndex entries = index();
    EXPECT_FALSE(entries.entryForWindowClass(QStringLiteral("newcomer"), QStringLiteral("Newcomer")));
    writeSystem("newcomer.desktop", application("Newcomer"));
    entries.reloadIfChanged();
    EXPECT_TRUE(entries.entryForWindowClass(QStringLiteral("newcomer"), QStringLiteral("Newcomer")));
    // In a folder that did not exist before.
    writeUser("vendor/late.desktop", application("Late"));
    entries.reloadIfChanged();
    EXPECT_TRUE(entries.entryForWindowClass(QStringLiteral("vendor-late"), QStringLiteral("Vendor-late")));
}

struct ParseRow
{
    const char *what;
    QByteArray contents;
    const char *locale;
    bool isEntry;
    const char *name;
    const char *icon;
};

TEST(DesktopEntryParse, ReadsTheMainGroup)
{
    const QByteArray translated
        = application("Files", "Name[de]=Dateien\nName[de_AT]=Dateien AT\nName[fr]=Fichiers\n");
    const ParseRow rows[] = {
        {"untranslated locale", translated, "C", true, "Files", ""},
        {"language only", translated, "fr_FR.UTF-8", true, "Fichiers", ""},
        {"language and country first", translated, "de_AT.UTF-8@euro", true, "Dateien AT", ""},
        {"language when the country has none", translated, "de_CH", true, "Dateien", ""},
        {"unknown language falls back", translated, "ja_JP", true, "Files", ""},
        {"escapes and comments",
            "# comment\n[Desktop Entry]\nType=Application\nName=Two\\sWords\\\\\nIcon = /x/y.png\n", "C",
            true, "Two Words\\", "/x/y.png"},
        {"actions don't override",
            application("Main", "Icon=main\n\n[Desktop Action new]\nName=New Window\nIcon=other\n"), "C",
            true, "Main", "main"},
        {"first key of a name counts", application("First", "Name=Second\n"), "C", true, "First", ""},
        {"Hidden", application("Gone", "Hidden=true\n"), "C", false, "", ""},
        {"first group is another", "[Other]\nType=Application\n[Desktop Entry]\nType=Application\nName=X\n",
            "C", false, "", ""},
        {"no type", "[Desktop Entry]\nName=X\n", "C", false, "", ""},
        {"empty", "", "C", false, "", ""},
        {"binary", bytes("\x00\x01[\xff]\n=\n"), "C", false, "", ""},
    };
    for (const ParseRow &row : rows) {
        SCOPED_TRACE(row.what);
        const auto entry = HBDesktopEntryIndex::parse(row.contents, QString::fromUtf8(row.locale));
        ASSERT_EQ(entry.has_value(), row.isEntry);
        if (!entry)
            continue;
        EXPECT_EQ(entry->name, QString::fromUtf8(row.name));
        EXPECT_EQ(entry->icon, QString::fromUtf8(row.icon));
    }
}

TEST_F(DesktopEntryIndexTest, IconFromPathOrPixmapsFolder)
{
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    const QString absolute = TestSupport::home() + QStringLiteral("/icons/viewer.png");
    ASSERT_TRUE(TestSupport::writeFile(absolute, {}));
    ASSERT_TRUE(picture.save(absolute));
    ASSERT_TRUE(TestSupport::writeFile(m_system + QStringLiteral("/pixmaps/dolphin.png"), {}));
    ASSERT_TRUE(picture.save(m_system + QStringLiteral("/pixmaps/dolphin.png")));

    const QStringList folders{m_user, m_system};
    EXPECT_FALSE(HBDesktopEntryIndex::iconFor(absolute, folders).isNull());
    EXPECT_FALSE(HBDesktopEntryIndex::iconFor(QStringLiteral("dolphin"), folders).isNull());
    EXPECT_FALSE(HBDesktopEntryIndex::iconFor(QStringLiteral("dolphin.png"), folders).isNull());
    EXPECT_TRUE(HBDesktopEntryIndex::iconFor(QStringLiteral("../pixmaps/dolphin"), folders).isNull());
    EXPECT_TRUE(HBDesktopEntryIndex::iconFor(QStringLiteral("no-such-icon-anywhere"), folders).isNull());
    EXPECT_TRUE(HBDesktopEntryIndex::iconFor(absolute + QStringLiteral(".missing"), folders).isNull());
    EXPECT_TRUE(HBDesktopEntryIndex::iconFor(QString(), folders).isNull());
}

} // namespace
