// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11NetWmIcon.h"

#include <QImage>
#include <QPixmap>

namespace X11NetWmIcon {

QIcon decode(const quint32 *values, qsizetype count)
{
    QIcon icon;
    if (!values)
        return icon;
    qsizetype at = 0;
    while (count - at >= 2) {
        const quint32 width = values[at];
        const quint32 height = values[at + 1];
        at += 2;
        if (width == 0 || height == 0 || width > largestSide || height > largestSide
            || qsizetype(width) * qsizetype(height) > count - at)
            break;
        QImage image(int(width), int(height), QImage::Format_ARGB32);
        for (quint32 y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<quint32 *>(image.scanLine(int(y)));
            for (quint32 x = 0; x < width; ++x)
                line[x] = values[at + qsizetype(y) * width + x];
        }
        at += qsizetype(width) * qsizetype(height);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace X11NetWmIcon
