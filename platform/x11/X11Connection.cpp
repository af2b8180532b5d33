// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11Connection.h"

#include <QGuiApplication>

namespace X11Connection {

bool isAvailable()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace X11Connection
