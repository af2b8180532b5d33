// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// Kelvora's compiled-in artwork, found by name as the interface refers to it.
namespace KelvoraResources {
/// The resource path of the image `name` (":/images/<name>.svg", else ".png"); empty when
/// there is no such image.
QString imagePath(const QString &name);
} // namespace KelvoraResources
