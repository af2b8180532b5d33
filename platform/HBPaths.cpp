// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBPaths.h"

#include <QDir>

namespace {

// The XDG base-directory rules: a relative or empty value is invalid and
// must be ignored in favour of the default.
QString xdgHome(const char *variable, const QString &fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + u'/' + fallbackUnderHome;
}

QString ensured(const QString &path)
{
    QDir().mkpath(path);
    return path;
}

} // namespace

namespace HBPaths {

QString applicationSupportDirectory()
{
    return ensured(xdgHome("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/Kelvora"));
}

QString storeFile()
{
    return applicationSupportDirectory() + QStringLiteral("/Harbrook.sqlite");
}

QString storageDirectory()
{
    return ensured(applicationSupportDirectory() + QStringLiteral("/Kelvora Files"));
}

QString thumbnailsDirectory()
{
    return ensured(applicationSupportDirectory() + QStringLiteral("/Thumbnails"));
}

QString appIconsDirectory()
{
    return ensured(applicationSupportDirectory() + QStringLiteral("/AppIcons"));
}

QString settingsFile()
{
    return xdgHome("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/Kelvora/Kelvora.conf");
}

QString autostartDirectory()
{
    return xdgHome("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/autostart");
}

QString cacheHome()
{
    return xdgHome("XDG_CACHE_HOME", QStringLiteral(".cache"));
}

} // namespace HBPaths
