// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cmath>

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

QString runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QRect xGeometry(qulonglong window)
{
    const QString text
        = runProgram(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    const auto field = [&](const char *name) {
        for (const QString &line : text.split(u'\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1String(name)))
                return trimmed.section(u':', 1).trimmed().toInt();
        }
        return -1;
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height")};
}

qulonglong activeWindow()
{
    return runProgram(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).toULongLong();
}

QString builtProgram(const QString &name)
{
    return QStringLiteral(KELVORA_BIN_DIR) + u'/' + name;
}

} // namespace TestSupport

bool TestSupport::playXdotool(const QStringList &arguments, std::chrono::milliseconds timeout)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    return waitUntil([&xdotool] { return xdotool.state() == QProcess::NotRunning; }, timeout)
        && xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

QStringList TestSupport::relativeMoves(
    const QPoint &offset, double stepLength, int minimumSteps, const QString &pause)
{
    const int steps = std::max(minimumSteps, int(std::ceil(std::hypot(offset.x(), offset.y()) / stepLength)));
    QStringList arguments;
    QPoint moved;
    for (int i = 1; i <= steps; ++i) {
        const QPoint next(offset.x() * i / steps, offset.y() * i / steps);
        const QPoint step = next - moved;
        moved = next;
        arguments << QStringLiteral("mousemove_relative") << QStringLiteral("--") << QString::number(step.x())
                  << QString::number(step.y()) << QStringLiteral("sleep") << pause;
    }
    return arguments;
}

QStringList TestSupport::dragGesture(const QPoint &from, const QPoint &to, bool escape)
{
    QStringList arguments = {QStringLiteral("mousemove"), QString::number(from.x()),
        QString::number(from.y()), QStringLiteral("sleep"), QStringLiteral("0.2"),
        QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"), QStringLiteral("0.1")};
    arguments << relativeMoves(to - from, 25, 4, QStringLiteral("0.04"));
    arguments << QStringLiteral("mousemove_relative") << QStringLiteral("--") << QStringLiteral("1")
              << QStringLiteral("0") << QStringLiteral("sleep") << QStringLiteral("0.6");
    if (escape)
        arguments << QStringLiteral("key") << QStringLiteral("Escape") << QStringLiteral("sleep")
                  << QStringLiteral("0.3");
    arguments << QStringLiteral("mouseup") << QStringLiteral("1");
    return arguments;
}
