// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

/// Checks that run before property-list bytes reach libplist. Its readers (2.2) recurse once
/// per nesting level without a limit, so deep nesting overflows the stack, and its binary
/// reader copies an object once for every reference to it, so a few hundred bytes of shared
/// references expand into gigabytes; and it aborts the process (an assertion) on a string
/// or key that holds a NUL character. Such data is refused unread.
namespace PropertyListGuard {

/// Deepest nesting of containers (and, in XML, of elements) accepted.
inline constexpr int kMaxDepth = 512;
/// Most nodes a binary property list may expand into once shared references are copied.
inline constexpr quint64 kMaxNodes = quint64(1) << 20;
/// Most objects a binary property list may declare.
inline constexpr quint64 kMaxObjects = quint64(1) << 22;

/// Whether libplist may be given `data`: a binary list ("bplist00") whose structure is sound
/// and within the limits, with no NUL in its strings, or text without NUL bytes whose
/// element nesting stays within kMaxDepth.
bool withinLimits(QByteArrayView data);

} // namespace PropertyListGuard
