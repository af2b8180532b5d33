// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// Whether Qt runs on the xcb platform, so that the X11 services can be used.
/// Everything X11-specific stays in the .cpp files of this folder.
namespace X11Connection {
bool isAvailable();
} // namespace X11Connection
