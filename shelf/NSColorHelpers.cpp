// SPDX-License-Identifier: GPL-3.0-or-later
#include "NSColorHelpers.h"

double nv_luminosity(const QColor &color)
{
    if (!color.isValid())
        return 0;
    const QColor rgb
        = color.spec() == QColor::Rgb || color.spec() == QColor::ExtendedRgb ? color : color.toRgb();
    // The factors are single-precision constants; the sum is taken in double precision.
    constexpr double red = double(0.299f);
    constexpr double green = double(0.587f);
    constexpr double blue = double(0.114f);
    return (double(rgb.redF()) * red + double(rgb.greenF()) * green) + double(rgb.blueF()) * blue;
}
