// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

/// The bodies of the fuzz targets. The libFuzzer programs call them, and the corpus replay
/// test runs every checked-in input through the same functions, so a fixed crash stays
/// fixed in the normal test suite. Each one aborts when an invariant of its reader breaks.
namespace FuzzEntries {

/// Drops Qt's log output: the title rules log unknown data, which would swamp a fuzz run.
void silenceLogs();

void rtfText(const uint8_t *data, size_t size);
void htmlImageSource(const uint8_t *data, size_t size);
void propertyList(const uint8_t *data, size_t size);
/// The first byte picks the type (and whether a pasteboard is given), the rest is the data.
void itemTitles(const uint8_t *data, size_t size);

} // namespace FuzzEntries
