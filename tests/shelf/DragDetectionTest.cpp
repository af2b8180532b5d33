// SPDX-License-Identifier: GPL-3.0-or-later
// How the shelf reacts to drags in other applications, with the input monitor and the drag
// selection played by fakes: the threshold, new and stale drags, the exception list, the
// dragging behaviours, the end of a drag and pointer tracking over the shelf.
#include "ShelfTestSupport.h"

#include "HBAppExceptionManager.h"
#include "HBBlacklistedApp.h"
#include "HBFakeDragSelection.h"
#include "HBFakeInputMonitor.h"
#include "HBPanel.h"
#include "HBShelfItemModel.h"
#include "HBUserDefaults.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QImage>

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

const QStringList fileDrag = {QStringLiteral("text/uri-list"), QStringLiteral("text/plain")};

class DragDetectionTest : public ShelfTest
{
protected:
    void SetUp() override
    {
        ShelfTest::SetUp();
        HBInputMonitor::setSharedMonitor(&m_monitor);
        HBDragSelection::setSharedSelection(&m_selection);
        defaults().setDisableAnimations(true);
        m_workspace.setFrontmostApplication(
            HBFakeWorkspace::application(QStringLiteral("org.example.Files")));
    }
    void TearDown() override
    {
        ShelfTest::TearDown();
        HBInputMonitor::setSharedMonitor(nullptr);
        HBDragSelection::setSharedSelection(nullptr);
    }

    /// Presses at `from` and drags by `delta` in another application; the drag's source
    /// takes the drag selection first unless `types` says there is no new drag.
    void drag(QPoint from, QPoint delta, std::optional<std::optional<QStringList>> types = fileDrag)
    {
        shelf();
        m_monitor.post(HBInputEvent::LeftMouseDown, from);
        if (types)
            m_selection.beginDrag(*types);
        // Several drag events on the way, as a real pointer sends them.
        m_monitor.post(HBInputEvent::LeftMouseDragged, from + delta / 2);
        m_monitor.post(HBInputEvent::LeftMouseDragged, from + delta);
        QCoreApplication::processEvents();
    }
    void release()
    {
        m_monitor.post(HBInputEvent::LeftMouseUp, m_monitor.mouseLocation());
        QCoreApplication::processEvents();
    }
    /// Whether the shelf is up with its drop overlay, as a detected drag shows it.
    bool showsForDrop() { return shelf().isWindowVisible() && shelf().isOverlayShown(); }

    HBFakeInputMonitor m_monitor;
    HBFakeDragSelection m_selection;
};

TEST_F(DragDetectionTest, TwentyPointsOfTravelMakeADragAndNineteenDoNot)
{
    drag({400, 400}, {19, 0});
    EXPECT_FALSE(shelf().isDragging());
    EXPECT_FALSE(shelf().isWindowVisible());

    // Still the same gesture: the next event reaches 20 points (12² + 16² = 20²).
    m_monitor.post(HBInputEvent::LeftMouseDragged, QPoint(412, 416));
    EXPECT_TRUE(shelf().isDragging());
    EXPECT_FALSE(shelf().isWindowVisible()) << "the shelf shows one turn of the event loop later";
    QCoreApplication::processEvents();
    EXPECT_TRUE(showsForDrop());

    release();
    EXPECT_FALSE(shelf().isDragging());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !shelf().isWindowVisible(); }))
        << "an empty shelf goes away again after the drag";
}

TEST_F(DragDetectionTest, OnlyANewDragOfDroppableContentShowsTheShelf)
{
    struct Case
    {
        const char *name;
        std::optional<std::optional<QStringList>> types; // outer nullopt: no new drag
        bool own;
        bool shows;
    };
    const Case cases[] = {
        {"files", fileDrag, false, true},
        {"source that does not tell its types", std::optional<QStringList>(), false, true},
        {"nothing the shelf takes", QStringList{QStringLiteral("application/x-example-internal")}, false,
            false},
        {"the previous drag still owns the selection", std::nullopt, false, false},
        {"a drag out of the shelf itself", fileDrag, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        shelf();
        m_monitor.post(HBInputEvent::LeftMouseDown, {300, 300});
        if (c.types)
            m_selection.beginDrag(*c.types, c.own);
        m_monitor.post(HBInputEvent::LeftMouseDragged, {300, 340});
        QCoreApplication::processEvents();
        EXPECT_EQ(shelf().isDragging(), c.shows);
        EXPECT_EQ(showsForDrop(), c.shows);
        release();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !shelf().isWindowVisible(); }));
    }
}

TEST_F(DragDetectionTest, ADragWhoseSourceTakesTheSelectionAfterThePointerStoppedIsStillSeen)
{
    // The source reacts to the motion after the monitor saw it: the pointer is already at
    // rest past the threshold when the drag selection changes.
    drag({400, 400}, {0, 30}, std::nullopt);
    EXPECT_FALSE(shelf().isDragging());
    m_selection.beginDrag(fileDrag);
    EXPECT_TRUE(shelf().isDragging());
    QCoreApplication::processEvents();
    EXPECT_TRUE(showsForDrop());

    // After the release a new owner is a drag of something else, not this gesture's.
    release();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !shelf().isWindowVisible(); }));
    m_selection.beginDrag(fileDrag);
    EXPECT_FALSE(shelf().isDragging());
}

TEST_F(DragDetectionTest, ExceptionListDecidesForTheFrontmostApplication)
{
    const QString listed = QStringLiteral("org.example.Listed");
    const QString other = QStringLiteral("org.example.Other");
    struct Case
    {
        bool listEmpty;
        QString frontmost;
        qint64 hidingBehavior;
        bool shows;
    };
    const Case cases[] = {
        {true, listed, 0, true},
        {true, other, 1, true},
        {false, listed, 0, false},
        {false, other, 0, true},
        {false, listed, 1, true},
        {false, other, 1, false},
        {false, QStringLiteral("com.norvale.Kelvora"), 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(
            QStringLiteral("%1 %2 %3").arg(c.listEmpty).arg(c.frontmost).arg(c.hidingBehavior).toStdString());
        HBAppExceptionManager &exceptions = HBAppExceptionManager::sharedManager();
        exceptions.removeAppsAtIndexes({0});
        if (!c.listEmpty)
            exceptions.addBlackListedApp(
                HBBlacklistedApp::appWithName(QStringLiteral("Listed"), listed, QImage()));
        defaults().setWindowHidingBehavior(c.hidingBehavior);
        m_workspace.setFrontmostApplication(HBFakeWorkspace::application(c.frontmost));
        EXPECT_EQ(shelf().shouldTriggerWindowShowForCurrentApp(), c.shows);

        drag({500, 500}, {0, 30});
        EXPECT_TRUE(shelf().isDragging()) << "the drag is detected either way";
        EXPECT_EQ(shelf().isWindowVisible(), c.shows);
        release();
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !shelf().isWindowVisible(); }));
    }
}

TEST_F(DragDetectionTest, WithAutomaticShowingOffNothingShowsButTheReleaseStillReevaluates)
{
    defaults().setAutomaticallyShowWindow(false);
    drag({500, 500}, {40, 0});
    EXPECT_TRUE(shelf().isDragging());
    EXPECT_FALSE(shelf().isWindowVisible());

    // An empty shelf shown meanwhile is hidden by the re-evaluation after the release.
    shelf().actuallyShowWindow();
    release();
    EXPECT_TRUE(shelf().isWindowVisible()) << "the re-evaluation waits a moment";
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !shelf().isWindowVisible(); }));
}

TEST_F(DragDetectionTest, EscapeEndsADragLikeTheReleaseAndOtherKeysDoNot)
{
    drag({500, 500}, {40, 0});
    ASSERT_TRUE(shelf().isDragging());
    m_monitor.post(HBInputEvent::KeyUp, {540, 500}, HBInputEvent::escapeKeyCode + 1);
    EXPECT_TRUE(shelf().isDragging());
    m_monitor.post(HBInputEvent::KeyUp, {540, 500}, HBInputEvent::escapeKeyCode);
    EXPECT_FALSE(shelf().isDragging());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !shelf().isWindowVisible(); }));

    // The drag ended with Escape is the previous one now: dragging on shows nothing.
    drag({500, 500}, {0, 40}, std::nullopt);
    EXPECT_FALSE(shelf().isDragging());
}

TEST_F(DragDetectionTest, NearTheScreenEdgeTheShelfShowsAndStaysUntilTheDragEnds)
{
    // A shelf 100 points wide at the right edge: its inner edge is 100 points from the
    // screen's right edge, and the pointer must come within 150 points of it.
    defaults().setDraggingBehavior(2);
    defaults().setWindowPosition(4);
    shelf().panel()->resize(100, shelf().panel()->height());
    const QRect area = screenArea();
    const int innerEdge = area.x() + area.width() - 100;
    const int threshold = innerEdge - HBDockWindowController::screenEdgeDistance;
    const int y = area.center().y();

    drag({threshold - 200, y}, {199, 0});
    ASSERT_TRUE(shelf().isDragging());
    EXPECT_TRUE(shelf().needsMousePositionUpdates());
    EXPECT_FALSE(shelf().isWindowVisible()) << "one point short of the edge distance";

    m_monitor.post(HBInputEvent::LeftMouseDragged, {threshold, y});
    EXPECT_TRUE(shelf().isWindowVisible());
    EXPECT_EQ(shelf().panel()->geometry().x(), innerEdge);

    // Moving away again keeps the empty shelf while the drag lasts.
    m_monitor.post(HBInputEvent::LeftMouseDragged, {area.x() + 10, y});
    EXPECT_TRUE(shelf().isWindowVisible());

    release();
    EXPECT_FALSE(shelf().needsMousePositionUpdates());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !shelf().isWindowVisible(); }));
}

TEST_F(DragDetectionTest, ADragOverTheShelfShowsTheOverlayAndLeavingRemovesIt)
{
    addItems(2);
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(controller.isWindowVisible());
    ASSERT_FALSE(controller.isOverlayShown());

    // The pointer passing over without a button does nothing.
    controller.mouseEntered();
    EXPECT_FALSE(controller.isOverlayShown());
    controller.mouseExited();

    m_monitor.setPressedMouseButtons(Qt::LeftButton);
    controller.mouseEntered();
    EXPECT_TRUE(controller.isOverlayShown());
    // During a detected drag the overlay stays when the pointer leaves again.
    drag({500, 500}, {40, 0});
    ASSERT_TRUE(controller.isDragging());
    controller.mouseExited();
    EXPECT_TRUE(controller.isOverlayShown());
    release();
    controller.mouseEntered();
    controller.mouseExited();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !controller.isOverlayShown(); }))
        << "leaving a shelf with items outside a detected drag removes the overlay";
}

} // namespace
