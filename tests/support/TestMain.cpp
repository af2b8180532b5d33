// SPDX-License-Identifier: GPL-3.0-or-later
// The main() of every test program: it gives the process a home of its own, so that no
// test reads or writes a real user's settings, store or caches, and picks the platform:
// offscreen for headless tests, the X display for the display group.
#include <QApplication>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

void setHome(const QString &home)
{
    const auto set = [&](const char *name, const QString &sub) {
        const QString path = home + sub;
        QDir().mkpath(path);
        qputenv(name, path.toLocal8Bit());
    };
    set("KELVORA_TEST_HOME", QString());
    set("HOME", QString());
    set("XDG_DATA_HOME", QStringLiteral("/data"));
    set("XDG_CONFIG_HOME", QStringLiteral("/config"));
    set("XDG_CACHE_HOME", QStringLiteral("/cache"));
    set("XDG_RUNTIME_DIR", QStringLiteral("/runtime"));
    QFile::setPermissions(home + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kelvora-test-XXXXXX"));
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot create a temporary home: %s\n", qPrintable(home.errorString()));
        return 2;
    }
    setHome(home.path());

#ifdef KELVORA_DISPLAY_TEST
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "display test without DISPLAY: run it through scripts/test.sh\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
#else
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kelvora"));
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    return RUN_ALL_TESTS();
}
