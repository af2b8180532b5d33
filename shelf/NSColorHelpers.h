// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

/// Luminosity from which a background counts as light: dark artwork and text go on it.
inline constexpr double nv_lightLuminosityThreshold = 0.5;

/// The colour's luminosity, 0.299 R + 0.587 G + 0.114 B with the factors taken in single
/// precision, so that a colour sits on the same side of nv_lightLuminosityThreshold
/// wherever it is measured. Colours given in another model (HSV, HSL, CMYK, a grey level)
/// are converted to RGB first; an invalid colour measures 0.
double nv_luminosity(const QColor &color);

/// Whether `color` counts as a light background (luminosity of 0.5 or more).
inline bool nv_isLightColor(const QColor &color)
{
    return nv_luminosity(color) >= nv_lightLuminosityThreshold;
}
