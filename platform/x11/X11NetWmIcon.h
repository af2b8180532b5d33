// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QtGlobal>

/// The EWMH _NET_WM_ICON property: for each size, width, height, then width*height
/// ARGB values, row by row. Any client can write anything there, so the reader trusts
/// no size: it stops at the first one that is empty, larger than largestSide or longer
/// than what is left.
namespace X11NetWmIcon {

constexpr quint32 largestSide = 1024;

/// Every well-formed size of the property's 32-bit values as one icon; null when none is.
QIcon decode(const quint32 *values, qsizetype count);

} // namespace X11NetWmIcon
