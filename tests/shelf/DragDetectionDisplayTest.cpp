// SPDX-License-Identifier: GPL-3.0-or-later
// Drag detection on a real X server: other programs (the project's test drag sources) start
// real drags, and the shelf, listening through the X11 input monitor and drag selection,
// shows itself, the drop window, or nothing.
#include "ShelfTestSupport.h"

#include "DragSourceProcess.h"
#include "HBAppExceptionManager.h"
#include "HBBlacklistedApp.h"
#include "HBDragSelection.h"
#include "HBDropOnlyWindowController.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBPanel.h"
#include "HBShelfItemModel.h"
#include "HBUserDefaults.h"
#include "PasteboardItem.h"
#include "x11/HBDragSelectionFactory.h"
#include "x11/HBInputMonitorFactory.h"
#include "x11/HBWorkspaceFactory.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

class DragDetectionDisplayTest : public ShelfTest
{
protected:
    void SetUp() override
    {
        ShelfTest::SetUp();
        ASSERT_TRUE(TestSupport::onDisplay());
        m_monitor.reset(HBInputMonitorFactory::create(nullptr));
        m_selection.reset(HBDragSelectionFactory::create(nullptr));
        m_realWorkspace.reset(HBWorkspaceFactory::create(nullptr));
        HBInputMonitor::setSharedMonitor(m_monitor.get());
        HBDragSelection::setSharedSelection(m_selection.get());
        HBWorkspace::setSharedWorkspace(m_realWorkspace.get());
        QObject::connect(m_monitor.get(), &HBInputMonitor::globalEvent, m_monitor.get(),
            [this](const HBInputEvent &event) { m_lastEvent = event; });
        defaults().setDisableAnimations(true);
        defaults().setCombineIntoStacks(false);
        // The pointer starts away from where the shelf and the sources sit.
        TestSupport::runProgram(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("450")});
    }
    void TearDown() override
    {
        ShelfTest::TearDown();
        HBInputMonitor::setSharedMonitor(nullptr);
        HBDragSelection::setSharedSelection(nullptr);
    }

    /// Starts a source offering three files.
    void startSource(
        DragSourceProcess &source, DragSourceProcess::Toolkit toolkit = DragSourceProcess::Toolkit::Qt)
    {
        QStringList files;
        for (const char *name : {"a.txt", "b.txt", "c.txt"}) {
            const QString path = QDir(TestSupport::home()).filePath(QString::fromLatin1(name));
            ASSERT_TRUE(TestSupport::writeFile(path, name));
            files.append(path);
        }
        ASSERT_TRUE(source.start(toolkit, QStringList{QStringLiteral("--files")} + files))
            << source.error().toStdString();
        // A first click gives the source the focus: a window manager may take the first
        // press on a window that is not active for itself.
        ASSERT_TRUE(source.pressAndMove({0, 0}));
        ASSERT_TRUE(source.release());
    }

    /// Waits until the monitor reported the pointer at `location` in a drag, then lets the
    /// shelf's queued reaction run: after this, whatever the drag shows is shown.
    void settleAt(const QPoint &location)
    {
        ASSERT_TRUE(TestSupport::waitUntil([&] {
            return m_lastEvent.type == HBInputEvent::LeftMouseDragged && m_lastEvent.location == location;
        })) << "last drag event at "
            << m_lastEvent.location.x() << "," << m_lastEvent.location.y();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    /// Presses in the source and moves by `offset` in steps of a few points, as a hand does,
    /// and waits until the source has begun its drag (it takes the drag selection once it
    /// has seen enough motion).
    void beginDrag(DragSourceProcess &source, const QPoint &offset)
    {
        const qint64 before = m_selection->changeCount();
        m_finishedBefore = source.output().count(QStringLiteral("finished"));
        ASSERT_TRUE(source.pressAndMove({0, 0}));
        const double length = std::hypot(offset.x(), offset.y());
        const int steps = std::max(1, int(std::ceil(length / 5.0)));
        QPoint moved;
        if (offset.isNull())
            return;
        // Small steps up to the sources' start distances, then the rest of the way at once.
        for (int i = 1; moved != offset; ++i) {
            const QPoint next = moved.manhattanLength() >= 30
                ? offset
                : QPoint(offset.x() * i / steps, offset.y() * i / steps);
            ASSERT_TRUE(source.moveBy(next - moved));
            moved = next;
        }
        ASSERT_TRUE(TestSupport::waitUntil([&] { return m_selection->changeCount() > before; }))
            << "the source began no drag: " << source.output().toStdString();
    }
    /// Releases the button and waits until the source's drag is over, so that the next press
    /// starts a new one.
    void releaseAndSettle(DragSourceProcess &source)
    {
        ASSERT_TRUE(source.release());
        ASSERT_TRUE(TestSupport::waitUntil([&] { return m_lastEvent.type == HBInputEvent::LeftMouseUp; }));
        ASSERT_TRUE(TestSupport::waitUntil(
            [&] { return source.output().count(QStringLiteral("finished")) > m_finishedBefore; }));
    }
    static QPoint pointer() { return HBInputMonitor::sharedMonitor()->mouseLocation(); }

    std::unique_ptr<HBInputMonitor> m_monitor;
    std::unique_ptr<HBDragSelection> m_selection;
    std::unique_ptr<HBWorkspace> m_realWorkspace;
    HBInputEvent m_lastEvent;
    qsizetype m_finishedBefore = 0;
};

TEST_F(DragDetectionDisplayTest, NineteenPointsShowNothingAndTwentyShowTheShelfWithItsOverlay)
{
    for (const auto toolkit : {DragSourceProcess::Toolkit::Qt, DragSourceProcess::Toolkit::Gtk}) {
        SCOPED_TRACE(toolkit == DragSourceProcess::Toolkit::Qt ? "Qt source" : "GTK source");
        DragSourceProcess source;
        startSource(source, toolkit);
        HBDockWindowController &controller = shelf();
        ASSERT_FALSE(controller.isWindowVisible());

        ASSERT_NO_FATAL_FAILURE(beginDrag(source, {0, 19}));
        const QPoint start = pointer() - QPoint(0, 19);
        settleAt(start + QPoint(0, 19));
        EXPECT_FALSE(controller.isDragging());
        EXPECT_FALSE(controller.isWindowVisible());
        ASSERT_NO_FATAL_FAILURE(releaseAndSettle(source));

        ASSERT_NO_FATAL_FAILURE(beginDrag(source, {12, 16}));
        ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.isWindowVisible(); }))
            << source.output().toStdString();
        EXPECT_TRUE(controller.isDragging());
        EXPECT_TRUE(controller.isOverlayShown());
        if (const QString shots = qEnvironmentVariable("KELVORA_SHOTS_DIR"); !shots.isEmpty()) {
            // The screen during the drag: the shelf with its overlay, the source beside it.
            QCoreApplication::processEvents();
            QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(shots).filePath(
                toolkit == DragSourceProcess::Toolkit::Qt ? QStringLiteral("drag-shows-shelf-qt.png")
                                                          : QStringLiteral("drag-shows-shelf-gtk.png")));
        }
        ASSERT_NO_FATAL_FAILURE(releaseAndSettle(source));
        EXPECT_FALSE(controller.isDragging());
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !controller.isWindowVisible(); }));
        m_controller.reset();
    }
}

TEST_F(DragDetectionDisplayTest, DraggingAWindowAfterAFileDragShowsNothing)
{
    DragSourceProcess source;
    startSource(source);
    HBDockWindowController &controller = shelf();
    ASSERT_NO_FATAL_FAILURE(beginDrag(source, {0, 40}));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.isWindowVisible(); }));
    ASSERT_NO_FATAL_FAILURE(releaseAndSettle(source));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !controller.isWindowVisible(); }));

    // The source window moved by its title bar: the drag selection still names the file drag.
    const QRect frame = TestSupport::xGeometry(source.windowId());
    const QPoint titleBar(frame.center().x(), frame.top() - 8);
    ASSERT_TRUE(TestSupport::playXdotool(
        {QStringLiteral("mousemove"), QString::number(titleBar.x()), QString::number(titleBar.y()),
            QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mousedown"), QStringLiteral("1"),
            QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove_relative"),
            QStringLiteral("--"), QStringLiteral("30"), QStringLiteral("30"), QStringLiteral("sleep"),
            QStringLiteral("0.1"), QStringLiteral("mousemove_relative"), QStringLiteral("--"),
            QStringLiteral("30"), QStringLiteral("30")}));
    settleAt(titleBar + QPoint(60, 60));
    EXPECT_FALSE(controller.isDragging());
    EXPECT_FALSE(controller.isWindowVisible());
    ASSERT_TRUE(source.release());
    EXPECT_NE(TestSupport::xGeometry(source.windowId()).topLeft(), frame.topLeft())
        << "the window was really dragged";
}

TEST_F(DragDetectionDisplayTest, TheExceptionListAndTheSettingDecideWhetherADragShowsTheShelf)
{
    DragSourceProcess source;
    startSource(source);
    HBDockWindowController &controller = shelf();
    // A click makes the source the frontmost application.
    ASSERT_TRUE(source.pressAndMove({0, 0}));
    ASSERT_TRUE(source.release());
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const QString id = m_realWorkspace->frontmostApplication().bundleIdentifier;
        return !id.isEmpty() && id != HBWorkspace::ownBundleIdentifier();
    }));
    const QString sourceApp = m_realWorkspace->frontmostApplication().bundleIdentifier;

    struct Case
    {
        const char *name;
        QString listed;
        qint64 hidingBehavior;
        bool automatically;
        bool shows;
    };
    const Case cases[] = {
        {"listed, listed ones hide it", sourceApp, 0, true, false},
        {"listed, only listed ones show it", sourceApp, 1, true, true},
        {"another one listed, only listed ones show it", QStringLiteral("org.example.Other"), 1, true, false},
        {"showing by itself off", QString(), 0, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HBAppExceptionManager &exceptions = HBAppExceptionManager::sharedManager();
        exceptions.removeAppsAtIndexes({0});
        if (!c.listed.isEmpty())
            exceptions.addBlackListedApp(
                HBBlacklistedApp::appWithName(QStringLiteral("Listed"), c.listed, QImage()));
        defaults().setWindowHidingBehavior(c.hidingBehavior);
        defaults().setAutomaticallyShowWindow(c.automatically);

        ASSERT_NO_FATAL_FAILURE(beginDrag(source, {0, 40}));
        settleAt(pointer());
        EXPECT_TRUE(controller.isDragging()) << "the drag is detected either way";
        EXPECT_EQ(controller.isWindowVisible(), c.shows);
        // Shown or not, the release re-evaluates: an empty shelf goes away.
        controller.actuallyShowWindow();
        ASSERT_NO_FATAL_FAILURE(releaseAndSettle(source));
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !controller.isWindowVisible(); }));
    }
}

TEST_F(DragDetectionDisplayTest, NearTheRightEdgeTheShelfShowsFromOneHundredFiftyPointsBeforeItsInnerEdge)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_EQ(screen.width(), 1440);
    defaults().setDraggingBehavior(2);
    defaults().setWindowPosition(4);
    DragSourceProcess source;
    startSource(source);
    HBDockWindowController &controller = shelf();
    controller.panel()->resize(100, controller.panel()->height());

    // The shelf's inner edge is at 1340; 1190 is 150 points before it.
    const QPoint centre = source.windowGeometry().center();
    ASSERT_LT(centre.x(), 1100);
    ASSERT_NO_FATAL_FAILURE(beginDrag(source, {1189 - centre.x(), 0}));
    settleAt({1189, centre.y()});
    EXPECT_TRUE(controller.isDragging());
    EXPECT_FALSE(controller.isWindowVisible());
    ASSERT_TRUE(source.moveBy({1, 0}));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.isWindowVisible(); }));
    EXPECT_EQ(controller.panel()->geometry().x(), 1340);
    ASSERT_NO_FATAL_FAILURE(releaseAndSettle(source));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !controller.isWindowVisible(); }));
}

TEST_F(DragDetectionDisplayTest, TheDropWindowAppearsBelowThePointerAndTakesThreeFilesAsThreeItems)
{
    defaults().setDraggingBehavior(1);
    DragSourceProcess source;
    startSource(source);
    HBDockWindowController &controller = shelf();
    int added = 0;
    QObject::connect(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted, &controller,
        [&added](const QString &name, QObject *) { added += name == HBNotifications::DidAddItem; });

    // One step of exactly 20 points, so the pointer is where the window was placed for.
    ASSERT_NO_FATAL_FAILURE(beginDrag(source, {0, 20}));
    const QPoint at = pointer();
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return controller.dropWindowController() && controller.dropWindowController()->panel()->isVisible();
    }));
    EXPECT_FALSE(controller.isWindowVisible()) << "the shelf itself stays away";
    QWidget *dropWindow = controller.dropWindowController()->panel();
    const QRect expected = HBDockWindowController::dropWindowFrame(
        at, QGuiApplication::primaryScreen()->geometry(), dropWindow->size());
    // The window manager reports the mapped window's place a moment after it maps it.
    EXPECT_TRUE(TestSupport::waitUntil([&] { return dropWindow->geometry() == expected; }))
        << dropWindow->geometry().x() << "," << dropWindow->geometry().y();

    ASSERT_TRUE(source.moveBy(expected.center() - at));
    ASSERT_TRUE(source.release());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.itemsModel()->count() == 3; }));
    EXPECT_EQ(added, 3);
    EXPECT_TRUE(controller.isWindowVisible()) << "the shelf shows its new items";
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !controller.dropWindowController(); }))
        << "the drop window goes with the release";
}

TEST_F(DragDetectionDisplayTest, ADragOutOfTheShelfShowsNoDropWindow)
{
    defaults().setDraggingBehavior(1);
    addItems(1);
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.isWindowVisible(); }));
    const QPoint row = controller.panel()->geometry().topLeft() + QPoint(controller.panel()->width() / 2, 20);

    // The drag runs in this process's event loop; the drop window must not appear meanwhile.
    bool dropWindowSeen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &controller,
        [&] { dropWindowSeen |= controller.dropWindowController() != nullptr; });
    watch.start(5);
    ASSERT_TRUE(TestSupport::playXdotool(
        {QStringLiteral("mousemove"), QString::number(row.x()), QString::number(row.y()),
            QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mousedown"), QStringLiteral("1"),
            QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove_relative"),
            QStringLiteral("--"), QStringLiteral("-30"), QStringLiteral("10"), QStringLiteral("sleep"),
            QStringLiteral("0.05"), QStringLiteral("mousemove_relative"), QStringLiteral("--"),
            QStringLiteral("-30"), QStringLiteral("10"), QStringLiteral("sleep"), QStringLiteral("0.05"),
            QStringLiteral("mousemove_relative"), QStringLiteral("--"), QStringLiteral("-30"),
            QStringLiteral("10"), QStringLiteral("sleep"), QStringLiteral("0.3"), QStringLiteral("mouseup"),
            QStringLiteral("1")}));
    EXPECT_FALSE(dropWindowSeen);
    EXPECT_FALSE(controller.isDragging());
    EXPECT_EQ(controller.itemsModel()->count(), 1);
}

} // namespace
