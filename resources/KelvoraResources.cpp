// SPDX-License-Identifier: GPL-3.0-or-later
#include "KelvoraResources.h"

#include <QFile>

namespace KelvoraResources {

QString imagePath(const QString &name)
{
    // Vector artwork first: it stays sharp at every scale factor.
    for (const char *suffix : {".svg", ".png"}) {
        const QString path = QStringLiteral(":/images/") + name + QLatin1String(suffix);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

} // namespace KelvoraResources
