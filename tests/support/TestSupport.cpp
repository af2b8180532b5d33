// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

namespace TestSupport {

QString home()
{
    return qEnvironmentVariable("KELVORA_TEST_HOME");
}

bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    return QTest::qWaitFor(condition, int(timeout.count()));
}

bool onDisplay()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool startPrivateSessionBus()
{
    // Owned by the process: the daemon is killed when the test program exits.
    static QProcess *daemon = nullptr;
    if (daemon)
        return true;
    auto *process = new QProcess(QCoreApplication::instance());
    process->start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!process->waitForStarted(5000))
        return false;
    QByteArray address;
    while (!address.contains('\n') && process->waitForReadyRead(5000))
        address += process->readAllStandardOutput();
    address = address.trimmed();
    if (address.isEmpty())
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    daemon = process;
    return true;
}

QString builtProgram(const QString &name)
{
    return QStringLiteral(KELVORA_BIN_DIR) + u'/' + name;
}

} // namespace TestSupport
