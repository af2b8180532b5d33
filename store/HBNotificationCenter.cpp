// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBNotificationCenter.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

HBNotificationCenter *HBNotificationCenter::defaultCenter()
{
    static HBNotificationCenter *const center = [] {
        auto *instance = new HBNotificationCenter;
        if (QCoreApplication *app = QCoreApplication::instance())
            instance->moveToThread(app->thread());
        return instance;
    }();
    return center;
}

void HBNotificationCenter::post(const QString &name, QObject *object)
{
    if (QThread::currentThread() == thread()) {
        Q_EMIT posted(name, object);
        return;
    }
    const QPointer<QObject> guarded(object);
    const bool hadObject = object != nullptr;
    QMetaObject::invokeMethod(
        this,
        [this, name, guarded, hadObject] {
            if (hadObject && !guarded)
                return;
            Q_EMIT posted(name, guarded.data());
        },
        Qt::QueuedConnection);
}
