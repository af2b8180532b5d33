// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDBusClient.h"

#include "HBDBusService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace {

HBDBusClient::Result call(const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(HBDBusService::ServiceName),
                                                          QString::fromLatin1(HBDBusService::ObjectPath),
                                                          QString::fromLatin1(HBDBusService::ServiceName), method);
    message.setArguments(arguments);
    // Adding many files can take a while on a slow disk; a minute bounds a hung instance.
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 60000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const bool refused = reply.errorName() == QLatin1String(HBDBusService::ErrorName);
        return {refused, false, reply.errorMessage()};
    }
    const bool added = reply.arguments().isEmpty() || reply.arguments().constFirst().toBool();
    return {true, added, added ? QString() : HBDBusService::couldNotAddText()};
}

} // namespace

namespace HBDBusClient {

bool instanceIsRunning()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(QString::fromLatin1(HBDBusService::ServiceName));
}

Result addFiles(const QStringList &absolutePaths)
{
    return call(QStringLiteral("AddFiles"), {absolutePaths});
}

Result addClipboard()
{
    return call(QStringLiteral("AddClipboard"));
}

Result addSelection()
{
    return call(QStringLiteral("AddSelection"));
}

Result toggle()
{
    return call(QStringLiteral("Toggle"));
}

} // namespace HBDBusClient
