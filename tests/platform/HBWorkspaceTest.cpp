// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBFakeWorkspace.h"
#include "HBNullWorkspace.h"
#include "x11/HBWorkspaceFactory.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(Workspace, OffX11TheFactoryGivesTheNullWorkspace)
{
    QObject owner;
    HBWorkspace *workspace = HBWorkspaceFactory::create(&owner);
    ASSERT_NE(qobject_cast<HBNullWorkspace *>(workspace), nullptr);
    EXPECT_FALSE(workspace->frontmostApplication().isValid());
    EXPECT_TRUE(workspace->runningApplications().isEmpty());
}

TEST(Workspace, SharedWorkspaceFallsBackToNullWhenTheInstalledOneGoes)
{
    EXPECT_NE(qobject_cast<HBNullWorkspace *>(HBWorkspace::sharedWorkspace()), nullptr);
    {
        HBFakeWorkspace fake;
        HBWorkspace::setSharedWorkspace(&fake);
        EXPECT_EQ(HBWorkspace::sharedWorkspace(), &fake);
    }
    EXPECT_NE(qobject_cast<HBNullWorkspace *>(HBWorkspace::sharedWorkspace()), nullptr);
}

TEST(Workspace, FakeAnnouncesOnlyAnotherApplication)
{
    HBFakeWorkspace fake;
    QList<HBRunningApplication> changes;
    QObject::connect(&fake, &HBWorkspace::frontmostApplicationChanged,
        [&](const HBRunningApplication &application) { changes.append(application); });

    HBRunningApplication mail
        = HBFakeWorkspace::application(QStringLiteral("org.example.Mail"), QStringLiteral("Mail"), 10);
    fake.setFrontmostApplication(mail);
    mail.windows = {1, 2};
    fake.setFrontmostApplication(mail); // another window of the same application
    fake.setFrontmostApplication(HBFakeWorkspace::application(QStringLiteral("org.example.Mail"), {}, 11));
    fake.setFrontmostApplication({});
    fake.setFrontmostApplication({});

    ASSERT_EQ(changes.size(), 3);
    EXPECT_EQ(changes.at(0).localizedName, QStringLiteral("Mail"));
    EXPECT_EQ(changes.at(1).processIdentifier, 11);
    EXPECT_FALSE(changes.at(2).isValid());
}

TEST(Workspace, IconImageIsSquareAndKeepsColours)
{
    HBRunningApplication application;
    EXPECT_TRUE(application.iconImage().isNull());
    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::red);
    application.icon = QIcon(pixmap);
    const QImage image = application.iconImage(64);
    EXPECT_EQ(image.size(), QSize(64, 64));
    EXPECT_EQ(image.pixelColor(32, 32), QColor(Qt::red));
}

} // namespace
