// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBRunningApplication.h"

#include <QPainter>

QImage HBRunningApplication::iconImage(int extent) const
{
    if (icon.isNull() || extent <= 0)
        return {};
    // Render through QPainter rather than QIcon::pixmap(): the pixmap size would depend on
    // the screen's device pixel ratio, and the stored picture should not.
    QImage image(extent, extent, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, QRect(0, 0, extent, extent));
    painter.end();
    return image;
}
