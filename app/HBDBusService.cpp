// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDBusService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

HBDBusService::HBDBusService(Handlers handlers, QObject *parent)
    : QObject(parent)
    , m_handlers(std::move(handlers))
{
}

bool HBDBusService::registerOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    // DoNotQueue: a second instance must learn at once that the name is taken.
    const auto reply = bus.interface()->registerService(QString::fromLatin1(ServiceName),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered)
        return false;
    return bus.registerObject(QString::fromLatin1(ObjectPath), this, QDBusConnection::ExportScriptableSlots);
}

bool HBDBusService::answer(bool added)
{
    if (!added && calledFromDBus())
        sendErrorReply(QString::fromLatin1(ErrorName), couldNotAddText());
    return added;
}

bool HBDBusService::AddFiles(const QStringList &paths)
{
    return answer(m_handlers.addFiles && m_handlers.addFiles(paths));
}

bool HBDBusService::AddClipboard()
{
    return answer(m_handlers.addClipboard && m_handlers.addClipboard());
}

bool HBDBusService::AddSelection()
{
    return answer(m_handlers.addSelection && m_handlers.addSelection());
}

void HBDBusService::Toggle()
{
    if (m_handlers.toggle)
        m_handlers.toggle();
}
