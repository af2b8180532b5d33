// SPDX-License-Identifier: GPL-3.0-or-later
// The drop-only window on the offscreen platform: where it is placed, how it shows and hides,
// the drops it takes, and the release of its controller racing a new drag.
#include "ShelfTestSupport.h"

#include "HBDraggingInfo.h"
#include "HBDropOnlyWindowController.h"
#include "HBDropTargetView.h"
#include "HBFakeInputMonitor.h"
#include "HBNoInteractionImageView.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBPanel.h"
#include "HBUserDefaults.h"
#include "MemoryPasteboard.h"
#include "PasteboardItem.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include "TestSupport.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

// ---- Placement ----

// The rule is stated for bottom-left-origin, y-up coordinates: there the window's top edge
// sits 100 points below the pointer, and above it when the window would cross the bottom
// edge. Qt's screen coordinates have their origin at the primary screen's top left and y
// growing downwards, so on a primary screen of height H a point (x, y) there is (x, H - y)
// here, and a rectangle (x, y, w, h) there has its top left at (x, H - y - h) here.
// On the 1440 × 900 screen: the pointer at (500, 600) up is (500, 300) down, and the frame
// (400, 380, 200, 120) up is (400, 400, 200, 120) down. Rows give the original y-up values
// in their names where the case comes from there.
struct PlacementRow
{
    const char *name;
    QPoint mouse;
    QRect screen;
    QRect expected;
};

TEST(DropWindowPlacement, BelowThePointerCentredAndKeptOnItsScreen)
{
    const QSize size(200, 120);
    const QRect main(0, 0, 1440, 900);
    // A second, taller screen to the right of the main one, top edges aligned.
    const QRect second(1440, 0, 1920, 1080);
    const PlacementRow rows[] = {
        {"up (500,600): top 100 below the pointer", {500, 300}, main, {400, 400, 200, 120}},
        {"up (500,150): would reach y = -70, goes above to y = 250", {500, 750}, main, {400, 530, 200, 120}},
        {"bottom edge just reached stays below", {500, 680}, main, {400, 780, 200, 120}},
        {"one point more goes above", {500, 681}, main, {400, 461, 200, 120}},
        {"up (1400,600): moved left to 1440 - 200 - 10", {1400, 300}, main, {1230, 400, 200, 120}},
        {"up (30,600): moved right to 10", {30, 300}, main, {10, 400, 200, 120}},
        {"right edge just reached stays", {1340, 300}, main, {1240, 400, 200, 120}},
        {"top is not clamped", {500, -50}, main, {400, 50, 200, 120}},
        {"second screen: centred", {2400, 300}, second, {2300, 400, 200, 120}},
        {"second screen: its right edge", {3350, 300}, second, {3150, 400, 200, 120}},
        {"second screen: its left edge", {1460, 300}, second, {1450, 400, 200, 120}},
        {"second screen: room below that the main screen lacks", {2000, 800}, second, {1900, 900, 200, 120}},
        {"second screen: its bottom edge", {2000, 900}, second, {1900, 680, 200, 120}},
    };
    for (const PlacementRow &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(HBDockWindowController::dropWindowFrame(row.mouse, row.screen, size), row.expected);
    }
}

// ---- The window and its controller ----

/// Drag and drop events delivered to the window's drop target as Qt delivers them.
class DropWindowTest : public ShelfTest
{
protected:
    void SetUp() override
    {
        ShelfTest::SetUp();
        HBInputMonitor::setSharedMonitor(&m_monitor);
        m_monitor.setMouseLocation(QGuiApplication::primaryScreen()->geometry().center());
        defaults().setCombineIntoStacks(false);
        // The shelf first, so that it has reloaded when this observer sees a notification.
        shelf();
        QObject::connect(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted, &m_receiver,
            [this](const QString &name, QObject *object) {
                if (name != HBNotifications::DidAddItem)
                    return;
                EXPECT_EQ(object, nullptr);
                ++m_didAddItem;
                // What the shelf lists at the moment of the notification.
                m_listedAtNotification.append(shelf().itemsArray().size());
                const QList<PasteboardItem *> listed = shelf().itemsArray();
                m_unsavedAtNotification.append(!listed.isEmpty() && listed.last()->isInserted());
            });
    }
    void TearDown() override
    {
        QObject::disconnect(HBNotificationCenter::defaultCenter(), nullptr, &m_receiver, nullptr);
        ShelfTest::TearDown();
        HBInputMonitor::setSharedMonitor(nullptr);
    }

    HBDropOnlyWindowController &shownDropWindow()
    {
        shelf().showDropWindowNearCursor();
        EXPECT_NE(shelf().dropWindowController(), nullptr);
        return *shelf().dropWindowController();
    }

    static std::unique_ptr<QMimeData> fileDrag(const QStringList &paths)
    {
        auto mime = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.append(QUrl::fromLocalFile(path));
        mime->setUrls(urls);
        return mime;
    }

    /// Sends a drag enter; whether the target let it in.
    static bool enter(QWidget *target, const QMimeData &mime)
    {
        QDragEnterEvent event(
            target->rect().center(), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &event);
        return event.isAccepted();
    }

    /// Sends the drop; whether the target took it.
    static bool drop(QWidget *target, const QMimeData &mime)
    {
        QDropEvent event(
            QPointF(target->rect().center()), Qt::CopyAction | Qt::MoveAction, &mime, Qt::NoButton, {});
        QCoreApplication::sendEvent(target, &event);
        return event.isAccepted();
    }

    HBFakeInputMonitor m_monitor;
    QObject m_receiver;
    int m_didAddItem = 0;
    QList<qsizetype> m_listedAtNotification;
    QList<bool> m_unsavedAtNotification;
};

TEST_F(DropWindowTest, ShowsBelowThePointerFadesInAndStartsTheArrowLater)
{
    defaults().setDisableAnimations(false);
    defaults().setWindowAlpha(0.6);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint pointer(screen.left() + 300, screen.top() + 100);
    m_monitor.setMouseLocation(pointer);
    EXPECT_EQ(shelf().screenForCurrentMouseLocation(), QGuiApplication::primaryScreen());
    EXPECT_EQ(shelf().dropWindowController(), nullptr);

    HBDropOnlyWindowController &window = shownDropWindow();
    HBPanel *panel = window.panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Kelvora Drop"));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry(), HBDockWindowController::dropWindowFrame(pointer, screen, panel->size()));
    EXPECT_TRUE(panel->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_LT(panel->windowOpacity(), 1.0) << "fades in";
    EXPECT_EQ(window.tableView()->registeredDraggedTypes(), HBDropOnlyWindowController::supportedTypes());
    EXPECT_EQ(window.tableView()->geometry(), panel->rect()) << "the whole window takes drops";

    // Fully opaque in the end, whatever the shelf's windowAlpha.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return panel->windowOpacity() == 1.0; }));
    EXPECT_TRUE(window.isArrowStartPending());
    EXPECT_FALSE(window.isArrowTimerActive());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.isArrowTimerActive(); }));
    const QRect original = window.originalArrowFrame();
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return window.arrowImageView()->y() > original.y() && window.arrowImageView()->alphaValue() < 1;
    }));

    // Shown again while shown: placed anew at the pointer, the same window.
    const QPoint moved(screen.left() + 120, screen.top() + 60);
    m_monitor.setMouseLocation(moved);
    shelf().showDropWindowNearCursor();
    EXPECT_EQ(shelf().dropWindowController(), &window);
    EXPECT_EQ(panel->geometry(), HBDockWindowController::dropWindowFrame(moved, screen, panel->size()));

    // Hidden: the arrow stops at its place, the window fades out and closes, the controller
    // goes after the release delay.
    const QPointer<HBDropOnlyWindowController> released = &window;
    shelf().hideDropOnlyWindow();
    EXPECT_FALSE(window.isArrowTimerActive());
    EXPECT_EQ(window.arrowImageView()->geometry(), original);
    EXPECT_EQ(shelf().dropWindowController(), &window) << "kept during the fade";
    EXPECT_FALSE(enter(window.tableView(), *fileDrag({TestSupport::home() + u"/next.txt"})))
        << "a window on its way out takes no new drag";
    ASSERT_TRUE(TestSupport::waitUntil([&] { return released.isNull(); }));
    EXPECT_EQ(shelf().dropWindowController(), nullptr);
}

TEST_F(DropWindowTest, PointerOutsideEveryScreenUsesTheShelfsScreen)
{
    m_monitor.setMouseLocation(QPoint(-5000, -5000));
    EXPECT_EQ(shelf().screenForCurrentMouseLocation(), shelf().panel()->screen());
    shelf().showDropWindowNearCursor();
    const QRect frame = shelf().dropWindowController()->panel()->geometry();
    EXPECT_EQ(
        frame.x(), shelf().panel()->screen()->geometry().x() + HBDockWindowController::dropWindowEdgeMargin);
}

TEST_F(DropWindowTest, WithAnimationsOffItAppearsAndGoesAtOnceAndTheArrowStaysStill)
{
    defaults().setDisableAnimations(true);
    HBDropOnlyWindowController &window = shownDropWindow();
    EXPECT_TRUE(window.panel()->isVisible());
    EXPECT_EQ(window.panel()->windowOpacity(), 1.0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !window.isArrowStartPending(); }));
    EXPECT_FALSE(window.isArrowTimerActive());
    EXPECT_EQ(window.arrowImageView()->geometry(), window.originalArrowFrame());
    EXPECT_EQ(window.arrowImageView()->alphaValue(), 1.0);

    bool closed = false;
    QObject::connect(
        &window, &HBDropOnlyWindowController::windowDidClose, &m_receiver, [&] { closed = true; });
    shelf().hideDropOnlyWindow();
    EXPECT_FALSE(window.panel()->isVisible());
    EXPECT_TRUE(closed);
}

TEST_F(DropWindowTest, NewDragWithinTheReleaseDelayKeepsAFreshWindow)
{
    defaults().setDisableAnimations(false);
    HBDropOnlyWindowController &first = shownDropWindow();
    const QPointer<HBDropOnlyWindowController> old = &first;
    shelf().hideDropOnlyWindow();

    // The next drag starts before the pending release.
    shelf().showDropWindowNearCursor();
    HBDropOnlyWindowController *second = shelf().dropWindowController();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, old.data()) << "a fresh controller, not the one on its way out";
    const QPointer<HBDropOnlyWindowController> current = second;

    // The old release takes the old window only.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return old.isNull(); }));
    ASSERT_FALSE(current.isNull());
    EXPECT_EQ(shelf().dropWindowController(), second);
    EXPECT_TRUE(second->panel()->isVisible());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return second->panel()->windowOpacity() == 1.0; }));

    // Its own hide releases it, and a hide without a window does nothing.
    shelf().hideDropOnlyWindow();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return current.isNull(); }));
    shelf().hideDropOnlyWindow();
    EXPECT_EQ(shelf().dropWindowController(), nullptr);
}

TEST_F(DropWindowTest, ThreeFilesBecomeThreeItemsListedBeforeTheyAreSaved)
{
    defaults().setDisableAnimations(true);
    QStringList paths;
    for (const char *name : {"a.txt", "b.txt", "c.txt"}) {
        paths.append(TestSupport::home() + u"/drop/" + QString::fromLatin1(name));
        ASSERT_TRUE(TestSupport::writeFile(paths.back(), "x"));
    }
    HBDropOnlyWindowController &window = shownDropWindow();
    const auto mime = fileDrag(paths);
    ASSERT_TRUE(enter(window.tableView(), *mime));
    EXPECT_TRUE(window.isTakingDrop());
    ASSERT_TRUE(drop(window.tableView(), *mime));
    EXPECT_FALSE(window.isTakingDrop());

    EXPECT_EQ(m_didAddItem, 3);
    EXPECT_EQ(m_listedAtNotification, (QList<qsizetype>{1, 2, 3}));
    EXPECT_EQ(m_unsavedAtNotification, (QList<bool>{true, true, true}));
    const QList<PasteboardItem *> items = shelf().itemsArray();
    ASSERT_EQ(items.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(items[i]->title(), paths[i].section(u'/', -1));
    EXPECT_TRUE(shelf().isWindowVisible());
    EXPECT_TRUE(window.panel()->isVisible()) << "a drop alone does not hide the window";
}

struct RefusedDrop
{
    const char *name;
    QStringList formats;
    bool letIn;
};

TEST_F(DropWindowTest, DropsItCannotTakeChangeNothing)
{
    defaults().setDisableAnimations(true);
    HBDropOnlyWindowController &window = shownDropWindow();

    // By what the drag offers: let in only when it can carry a registered type.
    const RefusedDrop rows[] = {
        {"no formats", {}, false},
        {"the shelf's row type only", {QStringLiteral("application/x-kelvora-rows")}, false},
        {"a files promise only", {QStringLiteral("XdndDirectSave0")}, false},
        {"an unknown type", {QStringLiteral("application/x-unknown")}, false},
        {"an empty file list", {QStringLiteral("text/uri-list")}, true},
    };
    for (const RefusedDrop &row : rows) {
        SCOPED_TRACE(row.name);
        QMimeData mime;
        for (const QString &format : row.formats)
            mime.setData(format, QByteArray());
        EXPECT_EQ(enter(window.tableView(), mime), row.letIn);
        EXPECT_FALSE(drop(window.tableView(), mime));
    }

    // A drag from this program: offered nothing and refused, even with content the intake
    // would take.
    const QString path = TestSupport::home() + u"/own.txt";
    ASSERT_TRUE(TestSupport::writeFile(path, "x"));
    MemoryPasteboard pasteboard(
        {{QString(PasteboardTypes::NSFilenamesPboardType), PropertyList::xmlStringArray({path})}});
    QObject source;
    const HBDraggingInfo own(&pasteboard, &source);
    EXPECT_EQ(window.validateDrop(own), Qt::IgnoreAction);
    EXPECT_FALSE(window.acceptDrop(own));
    const HBDraggingInfo outside(&pasteboard, nullptr);
    EXPECT_EQ(window.validateDrop(outside), Qt::CopyAction);

    EXPECT_EQ(m_didAddItem, 0);
    EXPECT_TRUE(shelf().itemsArray().isEmpty());
    EXPECT_FALSE(window.isTakingDrop());
}

TEST_F(DropWindowTest, DropArrivingAfterTheHideStillLands)
{
    // The button release that hides the window can come before the source's drop message.
    defaults().setDisableAnimations(true);
    const QString path = TestSupport::home() + u"/late.txt";
    ASSERT_TRUE(TestSupport::writeFile(path, "x"));
    HBDropOnlyWindowController &window = shownDropWindow();
    const QPointer<HBDropOnlyWindowController> controller = &window;
    const QPointer<HBDropTargetView> target = window.tableView();
    const auto mime = fileDrag({path});
    ASSERT_TRUE(enter(target, *mime));

    shelf().hideDropOnlyWindow();
    EXPECT_TRUE(window.isHidePending());
    EXPECT_TRUE(window.panel()->isVisible()) << "kept while the drag is over it";

    // The drop comes well after the release delay.
    bool delivered = false;
    bool taken = false;
    QTimer::singleShot(3 * HBDockWindowController::dropWindowReleaseDelay, &m_receiver, [&] {
        delivered = true;
        taken = target && drop(target, *mime);
    });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return delivered; }));
    EXPECT_TRUE(taken);
    EXPECT_EQ(shelf().itemsArray().size(), 1);
    // Then the window goes, and its controller with it.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.isNull(); }));
    EXPECT_EQ(shelf().dropWindowController(), nullptr);
}

} // namespace
