// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

/// The program's notification centre: one sender, many observers, names from
/// HBNotifications.h. Observers connect to posted() and look at the name; notifications are
/// always delivered on the main thread.
class HBNotificationCenter : public QObject
{
    Q_OBJECT

public:
    /// The process-wide centre (lives on the main thread).
    static HBNotificationCenter *defaultCenter();

    /// Delivers a notification at once when called on the main thread; from another thread
    /// it is queued to the main thread (and dropped if `object` is destroyed meanwhile).
    void post(const QString &name, QObject *object = nullptr);

Q_SIGNALS:
    void posted(const QString &name, QObject *object);

private:
    HBNotificationCenter() = default;
};
