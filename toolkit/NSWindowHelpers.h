// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

/// Helpers for Kelvora's top-level windows.
///
/// Sizes and frames are in Qt's screen coordinates (origin top left, y downwards). A window's
/// "frame" is its frameGeometry() (decorations included), its "content" its geometry().
/// Content-size changes keep the frame's top edge and horizontal centre where they are.

/// Height of the title area that the window's own content draws above its body.
inline constexpr int nv_titleAreaHeight = 37;
/// Duration of the animated content-size change, in milliseconds.
inline constexpr int nv_contentSizeAnimationDuration = 100;

/// The content's width, and its height minus the title area (nv_titleAreaHeight).
QSize nv_contentSize(const QWidget *window);

/// The frame that gives a window whose frame is `frame` and whose content measures
/// `content` the new content size `size`. The current content is taken as
/// `customBorderThickness` smaller in height than it is, so the window grows that much more.
/// Top edge and horizontal centre are kept.
QRect nv_frameForContentSize(
    const QRect &frame, const QSize &content, const QSize &size, double customBorderThickness = 0);

/// Resizes `window` for the new content size `size` (see nv_frameForContentSize), at once
/// or in an animation of nv_contentSizeAnimationDuration (a hidden window changes at once).
/// A running change of the same window is stopped first, and the new one starts from where
/// it stopped. Works on windows made non-resizable by nv_setResizable().
void nv_setContentSize(
    QWidget *window, const QSize &size, bool animated = false, double customBorderThickness = 0);

/// The same frame arithmetic without a border thickness. On Qt both paths animate alike.
void nv_originalSetContentSize(QWidget *window, const QSize &size, bool animated = false);

/// Whether the window is in full-screen state.
bool nv_isFullScreen(const QWidget *window);

/// Lets the user resize the window, or pins it to its current size. Window flags and the
/// size limits the window had before it was pinned are kept.
void nv_setResizable(QWidget *window, bool resizable);
/// Whether the user may resize the window (its minimum and maximum sizes differ).
bool nv_isResizable(const QWidget *window);

/// Puts the window on every workspace (from now on, each time it is shown) and allows it
/// to take the full screen.
void nv_enableFullScreen(QWidget *window);
/// Keeps the window on every workspace and no longer allows it to take the full screen.
void nv_disableFullScreen(QWidget *window);
/// Whether nv_enableFullScreen() allowed the window to take the full screen.
bool nv_isFullScreenEnabled(const QWidget *window);
