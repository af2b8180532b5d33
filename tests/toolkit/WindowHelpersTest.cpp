// SPDX-License-Identifier: GPL-3.0-or-later
// Content-size changes and resizability of top-level windows.
//
// The frame arithmetic is stated for screens whose y axis points up from the bottom edge;
// Kelvora's frames are Qt's, with y pointing down from the top edge. On a screen of height
// S a frame (x, y, w, h) measured from the bottom is (x, S - y - h, w, h) measured from the
// top; "the top edge stays" means y + h stays in the first system and y stays in the second.
#include "NSWindowHelpers.h"

#include "TestSupport.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

constexpr int screenHeight = 900;

QRect fromBottomLeft(const QRect &r)
{
    return {r.x(), screenHeight - r.y() - r.height(), r.width(), r.height()};
}

struct ContentSizeCase
{
    const char *name;
    QRect frame; // bottom-left origin
    QSize content;
    QSize newContent;
    double border;
    QRect expected; // bottom-left origin
};

const ContentSizeCase contentSizeCases[] = {
    {"grow", {100, 200, 400, 322}, {400, 300}, {500, 350}, 0, {50, 150, 500, 372}},
    {"shrink", {50, 150, 500, 372}, {500, 350}, {400, 300}, 0, {100, 200, 400, 322}},
    // The current content counts as 10 lower, so the window grows 10 more than 350 - 300.
    {"border thickness", {100, 200, 400, 322}, {400, 300}, {500, 350}, 10, {50, 140, 500, 382}},
    {"same size", {100, 200, 400, 322}, {400, 300}, {400, 300}, 0, {100, 200, 400, 322}},
};

} // namespace

TEST(NSWindowHelpers, FrameForContentSizeKeepsTopEdgeAndCentre)
{
    for (const ContentSizeCase &c : contentSizeCases) {
        SCOPED_TRACE(c.name);
        const QRect frame = fromBottomLeft(c.frame);
        const QRect result = nv_frameForContentSize(frame, c.content, c.newContent, c.border);
        EXPECT_EQ(result, fromBottomLeft(c.expected));
        EXPECT_EQ(result.top(), frame.top());
        EXPECT_EQ(result.x() + result.width() / 2, frame.x() + frame.width() / 2);
    }
}

TEST(NSWindowHelpers, SetContentSizeMovesARealWindow)
{
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 300, 400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    nv_setContentSize(&window, {500, 350});
    EXPECT_EQ(window.geometry(), QRect(50, 300, 500, 350));
    EXPECT_EQ(nv_contentSize(&window), QSize(500, 350 - nv_titleAreaHeight));

    // Measured as 350 - 20 high, the content grows by 300 - 330: the window ends 320 high.
    nv_setContentSize(&window, {400, 300}, false, 20);
    EXPECT_EQ(window.geometry(), QRect(100, 300, 400, 320));
}

TEST(NSWindowHelpers, AnimatedChangeEndsAtTheTarget)
{
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 300, 400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    nv_setContentSize(&window, {600, 400}, true);
    EXPECT_EQ(window.geometry(), QRect(100, 300, 400, 300)) << "an animated change starts from the old frame";
    // A second change replaces the running one instead of fighting it.
    nv_originalSetContentSize(&window, {500, 350}, true);
    const QRect target(50, 300, 500, 350);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return window.geometry() == target; }, std::chrono::seconds(2)));
    QTest::qWait(nv_contentSizeAnimationDuration * 2);
    EXPECT_EQ(window.geometry(), target);
}

TEST(NSWindowHelpers, ResizabilityChangesOnlyTheSizeLimits)
{
    const Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    QWidget window(nullptr, flags);
    window.setMinimumSize(120, 80);
    window.setGeometry(100, 300, 400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(nv_isResizable(&window));

    nv_setResizable(&window, false);
    EXPECT_FALSE(nv_isResizable(&window));
    EXPECT_EQ(window.windowFlags(), flags);
    EXPECT_TRUE(window.isVisible());

    // A pinned window still follows content-size changes, and stays pinned.
    nv_setContentSize(&window, {500, 350});
    EXPECT_EQ(window.geometry(), QRect(50, 300, 500, 350));
    EXPECT_FALSE(nv_isResizable(&window));

    nv_setResizable(&window, true);
    EXPECT_TRUE(nv_isResizable(&window));
    EXPECT_EQ(window.minimumSize(), QSize(120, 80));
    EXPECT_EQ(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    EXPECT_EQ(window.windowFlags(), flags);
    EXPECT_EQ(window.size(), QSize(500, 350));
}

TEST(NSWindowHelpers, FullScreenStateAndNullWindows)
{
    QWidget window;
    EXPECT_FALSE(nv_isFullScreen(&window));
    window.showFullScreen();
    EXPECT_TRUE(nv_isFullScreen(&window));

    nv_enableFullScreen(&window);
    EXPECT_TRUE(nv_isFullScreenEnabled(&window));
    nv_disableFullScreen(&window);
    EXPECT_FALSE(nv_isFullScreenEnabled(&window));

    // No window: nothing happens, nothing breaks.
    nv_setContentSize(nullptr, {10, 10}, true);
    nv_setResizable(nullptr, false);
    EXPECT_EQ(nv_contentSize(nullptr), QSize());
    EXPECT_FALSE(nv_isFullScreen(nullptr));
}
