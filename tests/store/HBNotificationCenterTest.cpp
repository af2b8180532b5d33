// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Delivery
{
    QString name;
    QObject *object = nullptr;
    QThread *thread = nullptr;
};

} // namespace

// Observers always hear on the main thread, whichever thread posted; a notification about
// an object that is gone before delivery is dropped rather than handed out dangling.
TEST(HBNotificationCenter, DeliversOnTheMainThread)
{
    HBNotificationCenter *center = HBNotificationCenter::defaultCenter();
    QList<Delivery> deliveries;
    QObject receiver;
    QObject::connect(
        center, &HBNotificationCenter::posted, &receiver, [&](const QString &name, QObject *object) {
            deliveries.append({name, object, QThread::currentThread()});
        });

    QObject item;
    center->post(HBNotifications::DidAddItem, &item);
    ASSERT_EQ(deliveries.size(), 1) << "posted on the main thread: delivered at once";
    EXPECT_EQ(deliveries.at(0).name, QStringLiteral("HB.didAddItem"));
    EXPECT_EQ(deliveries.at(0).object, &item);

    auto doomed = std::make_unique<QObject>();
    QObject *doomedPointer = doomed.get();
    std::unique_ptr<QThread> worker(QThread::create([&] {
        center->post(HBNotifications::IconChanged, &item);
        center->post(HBNotifications::OpenPreferences);
        center->post(HBNotifications::IconChanged, doomedPointer);
    }));
    worker->start();
    worker->wait();
    doomed.reset();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return deliveries.size() >= 3; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(deliveries.size(), 3);
    EXPECT_EQ(deliveries.at(1).name, QStringLiteral("HB.icon.changed"));
    EXPECT_EQ(deliveries.at(1).object, &item);
    EXPECT_EQ(deliveries.at(2).name, QStringLiteral("KR.openPreferences"));
    EXPECT_EQ(deliveries.at(2).object, nullptr);
    for (const Delivery &delivery : deliveries)
        EXPECT_EQ(delivery.thread, QCoreApplication::instance()->thread());
}
