// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 workspace against real windows: other applications are played by our own test
// program, activated through the window manager by xdotool.
#include "x11/X11Workspace.h"
#include "HBWorkspace.h"
#include "TestSupport.h"
#include "x11/HBWorkspaceFactory.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QRasterWindow>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

using Policy = HBRunningApplication::ActivationPolicy;

// Deadline for what waits on other processes and the window manager.
constexpr std::chrono::seconds windowTimeout{15};

/// One copy of the test window program, with the ids of its windows.
struct OtherApplication
{
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QList<WId> windows;
};

class X11WorkspaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::onDisplay());
        // Alpha has a desktop entry that names its window class; Beta and Gamma have none.
        const QString icon = TestSupport::home() + QStringLiteral("/alpha.png");
        QImage picture(24, 24, QImage::Format_ARGB32);
        picture.fill(Qt::green);
        ASSERT_TRUE(picture.save(icon));
        ASSERT_TRUE(TestSupport::writeFile(
            qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/org.example.Alpha.desktop"),
            "[Desktop Entry]\nType=Application\nName=Alpha Viewer\nExec=alpha\n"
            "StartupWMClass=AlphaClass\nIcon="
                + icon.toUtf8() + '\n'));

        // openbox announces itself before it has finished starting; on a busy machine it may
        // take a while until it manages windows and answers activation requests.
        ASSERT_TRUE(TestSupport::waitUntil(
            [] {
                QProcess xprop;
                xprop.start(
                    QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTED")});
                xprop.waitForFinished();
                return xprop.readAllStandardOutput().contains("_NET_ACTIVE_WINDOW");
            },
            windowTimeout))
            << "the window manager is not running";

        m_workspace = HBWorkspaceFactory::create(&m_owner);
        ASSERT_NE(qobject_cast<X11Workspace *>(m_workspace), nullptr);
        QObject::connect(m_workspace, &HBWorkspace::frontmostApplicationChanged, &m_owner,
            [this](const HBRunningApplication &application) { m_changes.append(application); });
    }

    OtherApplication start(const QStringList &arguments, int windowCount = 1)
    {
        OtherApplication application;
        application.process->start(QStringLiteral(KELVORA_TEST_WINDOW), arguments);
        EXPECT_TRUE(application.process->waitForStarted());
        QByteArray output;
        EXPECT_TRUE(TestSupport::waitUntil(
            [&] {
                output += application.process->readAllStandardOutput();
                return output.count('\n') >= windowCount;
            },
            windowTimeout))
            << "the test window program did not show its windows";
        for (const QByteArray &line : output.trimmed().split('\n'))
            application.windows.append(WId(line.toULongLong()));
        return application;
    }

    std::optional<HBRunningApplication> running(const QString &identifier) const
    {
        for (const HBRunningApplication &application : m_workspace->runningApplications()) {
            if (application.bundleIdentifier == identifier)
                return application;
        }
        return std::nullopt;
    }

    static void activate(WId window)
    {
        // The window manager decides; xdotool asks it through _NET_ACTIVE_WINDOW.
        EXPECT_EQ(QProcess::execute(
                      QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QString::number(window)}),
            0);
    }

    /// The root window's _NET_ACTIVE_WINDOW as another client reads it.
    static WId activeWindow()
    {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
            {QStringLiteral("-root"), QStringLiteral("-notype"), QStringLiteral("-f"),
                QStringLiteral("_NET_ACTIVE_WINDOW"), QStringLiteral("32x"), QStringLiteral(" $0"),
                QStringLiteral("_NET_ACTIVE_WINDOW")});
        xprop.waitForFinished();
        const QByteArray value = xprop.readAllStandardOutput().trimmed().split(' ').last();
        return WId(value.toULongLong(nullptr, 0));
    }

    bool waitForFrontmost(const QString &identifier)
    {
        return TestSupport::waitUntil(
            [&] { return m_workspace->frontmostApplication().bundleIdentifier == identifier; },
            windowTimeout);
    }

    QObject m_owner;
    HBWorkspace *m_workspace = nullptr;
    QList<HBRunningApplication> m_changes;
};

TEST_F(X11WorkspaceTest, FollowsTheFrontmostApplication)
{
    OtherApplication alpha
        = start({QStringLiteral("--instance"), QStringLiteral("alpha"), QStringLiteral("--class"),
                    QStringLiteral("AlphaClass"), QStringLiteral("--title"), QStringLiteral("Alpha"),
                    QStringLiteral("--windows"), QStringLiteral("2")},
            2);
    OtherApplication beta
        = start({QStringLiteral("--instance"), QStringLiteral("beta"), QStringLiteral("--class"),
            QStringLiteral("BetaClass"), QStringLiteral("--title"), QStringLiteral("Beta")});
    ASSERT_EQ(alpha.windows.size(), 2);
    ASSERT_EQ(beta.windows.size(), 1);

    activate(alpha.windows.at(0));
    ASSERT_TRUE(waitForFrontmost(QStringLiteral("org.example.Alpha")));
    ASSERT_FALSE(m_changes.isEmpty());
    EXPECT_EQ(m_changes.last().bundleIdentifier, QStringLiteral("org.example.Alpha"));
    EXPECT_EQ(m_changes.last().localizedName, QStringLiteral("Alpha Viewer"));
    EXPECT_EQ(m_changes.last().processIdentifier, alpha.process->processId());
    EXPECT_EQ(m_changes.last().windows.size(), 2);

    activate(beta.windows.at(0));
    ASSERT_TRUE(waitForFrontmost(QStringLiteral("BetaClass")));
    EXPECT_EQ(m_changes.last().bundleIdentifier, QStringLiteral("BetaClass"));
    EXPECT_EQ(m_changes.last().localizedName, QStringLiteral("BetaClass"));

    // Focus moving between two windows of one application changes no application, nor
    // does a moment without an active window (window managers clear the property between
    // two windows); the next change seen is the one to Beta.
    activate(alpha.windows.at(0));
    ASSERT_TRUE(waitForFrontmost(QStringLiteral("org.example.Alpha")));
    const qsizetype changes = m_changes.size();
    activate(alpha.windows.at(1));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return activeWindow() == alpha.windows.at(1); }));
    ASSERT_EQ(QProcess::execute(QStringLiteral("xprop"),
                  {QStringLiteral("-root"), QStringLiteral("-f"), QStringLiteral("_NET_ACTIVE_WINDOW"),
                      QStringLiteral("32x"), QStringLiteral("-set"), QStringLiteral("_NET_ACTIVE_WINDOW"),
                      QStringLiteral("0")}),
        0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return activeWindow() == 0; }));
    activate(beta.windows.at(0));
    ASSERT_TRUE(waitForFrontmost(QStringLiteral("BetaClass")));
    EXPECT_EQ(m_changes.size(), changes + 1);

    // Our own windows are Kelvora's, whatever Qt put in their WM_CLASS.
    QRasterWindow own;
    own.setTitle(QStringLiteral("Kelvora own window"));
    own.resize(200, 100);
    own.show();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return own.isExposed(); }));
    activate(own.winId());
    ASSERT_TRUE(waitForFrontmost(HBWorkspace::ownBundleIdentifier()));
    EXPECT_EQ(m_changes.last().bundleIdentifier, QStringLiteral("com.norvale.Kelvora"));
    EXPECT_EQ(m_changes.last().processIdentifier, QCoreApplication::applicationPid());
}

TEST_F(X11WorkspaceTest, ListsRunningApplicationsWithTheirPolicy)
{
    OtherApplication alpha
        = start({QStringLiteral("--instance"), QStringLiteral("alpha"), QStringLiteral("--class"),
            QStringLiteral("AlphaClass"), QStringLiteral("--title"), QStringLiteral("Alpha")});
    OtherApplication beta = start({QStringLiteral("--instance"), QStringLiteral("beta"),
        QStringLiteral("--class"), QStringLiteral("BetaClass"), QStringLiteral("--title"),
        QStringLiteral("Beta"), QStringLiteral("--with-icon")});
    OtherApplication gamma = start({QStringLiteral("--instance"), QStringLiteral("gamma"),
        QStringLiteral("--class"), QStringLiteral("GammaClass"), QStringLiteral("--title"),
        QStringLiteral("Gamma"), QStringLiteral("--tool")});

    ASSERT_TRUE(TestSupport::waitUntil(
        [&] {
            return running(QStringLiteral("org.example.Alpha")) && running(QStringLiteral("BetaClass"))
                && running(QStringLiteral("GammaClass"));
        },
        windowTimeout));

    const HBRunningApplication alphaApp = *running(QStringLiteral("org.example.Alpha"));
    EXPECT_EQ(alphaApp.localizedName, QStringLiteral("Alpha Viewer"));
    EXPECT_EQ(alphaApp.activationPolicy, Policy::Regular);
    EXPECT_EQ(alphaApp.processIdentifier, alpha.process->processId());
    EXPECT_EQ(alphaApp.windows, alpha.windows);
    // From the desktop entry's Icon: a green picture.
    ASSERT_FALSE(alphaApp.icon.isNull());
    EXPECT_EQ(alphaApp.iconImage(16).pixelColor(8, 8), QColor(Qt::green));

    const HBRunningApplication betaApp = *running(QStringLiteral("BetaClass"));
    EXPECT_EQ(betaApp.localizedName, QStringLiteral("BetaClass"));
    EXPECT_EQ(betaApp.activationPolicy, Policy::Regular);
    // No desktop entry: the icon the window carries in _NET_WM_ICON.
    ASSERT_FALSE(betaApp.icon.isNull());
    EXPECT_EQ(betaApp.iconImage(16).pixelColor(8, 8), QColor(Qt::magenta));

    EXPECT_EQ(running(QStringLiteral("GammaClass"))->activationPolicy, Policy::Accessory);

    // An application that quits leaves the list.
    gamma.process->kill();
    gamma.process->waitForFinished();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !running(QStringLiteral("GammaClass")); }));
}

} // namespace
