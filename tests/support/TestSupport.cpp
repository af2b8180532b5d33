// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
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

} // namespace TestSupport
