// SPDX-License-Identifier: GPL-3.0-or-later
#include "XdgAutostart.h"

#include "HBPaths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

// The freedesktop desktop-entry format: an Exec argument with reserved characters is quoted, and
// inside quotes ", `, $ and \ are escaped with a backslash.
QString quotedExecArgument(const QString &argument)
{
    QString escaped;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    escaped.replace(u'%', QStringLiteral("%%"));
    return u'"' + escaped + u'"';
}

} // namespace

namespace XdgAutostart {

QString entryPath(const QString &identifier)
{
    return HBPaths::autostartDirectory() + u'/' + identifier + QStringLiteral(".desktop");
}

bool setEnabled(const QString &identifier, bool enabled, const QString &command)
{
    const QString path = entryPath(identifier);
    if (!enabled)
        return !QFile::exists(path) || QFile::remove(path);

    if (!QDir().mkpath(HBPaths::autostartDirectory()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Kelvora\n"
                                         "Comment=Starts Kelvora at login\n"
                                         "Exec=%1\n"
                                         "NoDisplay=true\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(quotedExecArgument(command));
    file.write(entry.toUtf8());
    return file.commit();
}

} // namespace XdgAutostart
