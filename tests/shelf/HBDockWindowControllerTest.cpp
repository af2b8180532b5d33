// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf's visibility modes, placement, overlay and arrow, on the offscreen platform.
#include "ShelfTestSupport.h"

#include "HBAppExceptionManager.h"
#include "HBDraggingTableView.h"
#include "HBNoInteractionImageView.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPanel.h"
#include "HBRoundedCornersScrollView.h"
#include "HBShelfItemModel.h"
#include "HBUserDefaults.h"
#include "HBWindowBackgroundView.h"
#include "JVMagicalButton.h"
#include "PasteboardItem.h"

#include "TestSupport.h"

#include <QAbstractItemModelTester>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

} // namespace

TEST_F(ShelfTest, EmptyForcedShelfIsOneRowTallWithTheOverlayAndAMovingArrow)
{
    defaults().setDisableAnimations(false);
    HBDockWindowController &controller = shelf();
    EXPECT_FALSE(controller.isWindowVisible()) << "an empty shelf does not show at start";
    EXPECT_EQ(controller.panel()->windowTitle(), QStringLiteral("Kelvora Shelf"));

    HBNotificationCenter::defaultCenter()->post(HBNotifications::ForceShowWindow);
    ASSERT_TRUE(controller.isWindowVisible());
    EXPECT_EQ(controller.windowState(), HBDockWindowController::ForcedVisible);
    const int rowHeight = controller.tableView()->rowHeight();
    EXPECT_EQ(controller.panel()->height(), rowHeight + controller.optionsView()->height());

    EXPECT_TRUE(controller.isOverlayShown());
    EXPECT_TRUE(controller.isArrowTimerActive());
    // The fade-in ends with the list over the options bar.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.optionsView()->isHidden(); }));
    EXPECT_EQ(controller.scrollView()->geometry(), controller.contentView()->rect());
    // The arrow sinks and fades.
    const QRect original = controller.originalArrowFrame();
    ASSERT_TRUE(original.isValid());
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return controller.arrowImageView()->y() > original.y()
            && controller.arrowImageView()->alphaValue() < 1;
    }));
    // ... and comes back at its place.
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return controller.arrowImageView()->geometry() == original
            && controller.arrowImageView()->alphaValue() > 0.9;
    }));

    // Items shown outside a drag remove the overlay and stop the arrow.
    addItems(1);
    controller.fullReload();
    EXPECT_FALSE(controller.isArrowTimerActive());
    EXPECT_FALSE(controller.optionsView()->isHidden());
    EXPECT_EQ(controller.scrollView()->height(),
        controller.contentView()->height() - controller.optionsView()->height());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !controller.isOverlayShown(); }));
}

TEST_F(ShelfTest, ListTallerThanTheScreenIsClampedToTheBottomAndScrolls)
{
    defaults().setDisableAnimations(true);
    const QRect area = screenArea();
    HBDockWindowController &controller = shelf();
    const int rowPitch = controller.tableView()->rowHeight() + controller.tableView()->intercellSpacing();
    const int count = area.height() / rowPitch + 5;
    addItems(count);

    for (qint64 position : {0, 1, 4}) {
        SCOPED_TRACE(position);
        defaults().setWindowPosition(position);
        controller.fullReload();
        const QRect frame = controller.panel()->geometry();
        EXPECT_EQ(frame.height(), area.height() - HBDockWindowController::topMargin);
        EXPECT_EQ(frame.bottom(), area.bottom()) << "anchored at the screen's bottom edge";
        EXPECT_TRUE(controller.scrollView()->scrollingEnabled());
        EXPECT_NE(controller.scrollView()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_GT(controller.scrollView()->verticalScrollBar()->maximum(), 0);
    }

    // A list that fits turns scrolling off again.
    HBObjectContext *context = HBObjectStore::shared()->defaultContext();
    const QList<PasteboardItem *> items = controller.itemsArray();
    for (int i = 2; i < items.size(); ++i)
        items.at(i)->deleteEntityIgnoringFiles(true);
    context->saveAndWait();
    controller.fullReload();
    EXPECT_EQ(controller.panel()->height(), expectedHeight(2));
    EXPECT_FALSE(controller.scrollView()->scrollingEnabled());
    EXPECT_EQ(controller.scrollView()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(ShelfTest, EachPositionPlacesTheShelfOnItsSideAndHeight)
{
    defaults().setDisableAnimations(true);
    addItems(3);
    const QRect area = screenArea();
    HBDockWindowController &controller = shelf();
    const int h = expectedHeight(3);
    const int w = controller.panel()->width();

    struct Row
    {
        const char *name;
        qint64 position;
        int x;
        int y; // -1: the y the shelf had
    };
    const int top = area.top() + HBDockWindowController::topMargin;
    const int middle = int(std::lround(area.top() + 0.5 * area.height() - 0.5 * h));
    const int bottom = area.top() + area.height() - h;
    const int right = area.left() + area.width() - w;
    const Row rows[] = {
        {"left top", 0, area.left(), top},
        {"left middle", 1, area.left(), middle},
        {"left bottom", 2, area.left(), bottom},
        {"right top", 3, right, top},
        {"right middle", 4, right, middle},
        {"right bottom", 5, right, bottom},
        {"unknown value: right side, y kept", 9, right, -1},
        {"negative value: left side, y kept", -1, area.left(), -1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const int yBefore = controller.panel()->y();
        defaults().setWindowPosition(row.position);
        const QRect frame = controller.panel()->geometry();
        EXPECT_EQ(frame.x(), row.x);
        EXPECT_EQ(frame.y(), row.y < 0 ? yBefore : row.y);
        EXPECT_EQ(frame.height(), h);
        EXPECT_TRUE(controller.isWindowVisible());
    }
}

TEST_F(ShelfTest, PositionChangeAnimatesAlongOneSideAndJumpsAcross)
{
    defaults().setDisableAnimations(false);
    defaults().setWindowPosition(0);
    addItems(2);
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(controller.isWindowVisible());
    const QRect top = controller.panel()->geometry();

    // 0 → 2: the same side, animated: the shelf is still near the top right after the change.
    controller.changeWindowPosition(2);
    EXPECT_EQ(controller.panel()->geometry(), top);
    const int bottomY = screenArea().top() + screenArea().height() - expectedHeight(2);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.panel()->y() == bottomY; }));

    // 2 → 0 → 3: to the other side it jumps at once.
    controller.changeWindowPosition(0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.panel()->geometry() == top; }));
    controller.changeWindowPosition(3);
    EXPECT_EQ(controller.panel()->x(), screenArea().left() + screenArea().width() - top.width());
    EXPECT_EQ(controller.panel()->y(), top.y());

    // With animations off, a move along the side is immediate too.
    defaults().setDisableAnimations(true);
    controller.changeWindowPosition(5);
    EXPECT_EQ(controller.panel()->y(), bottomY);
}

TEST_F(ShelfTest, ButtonsAndCornersFollowTheSide)
{
    defaults().setDisableAnimations(true);
    addItems(1);
    HBDockWindowController &controller = shelf();
    const int width = controller.optionsView()->width();
    JVMagicalButton *settings = controller.settingsButton();
    JVMagicalButton *clear = controller.clearButton();

    defaults().setWindowPosition(1);
    EXPECT_EQ(settings->x(), width - settings->width() - HBDockWindowController::buttonMargin);
    EXPECT_EQ(clear->x(), HBDockWindowController::buttonMargin);
    EXPECT_EQ(controller.contentView()->curvedCorners(), 0);
    EXPECT_EQ(controller.scrollView()->curvedCorners(), 0);

    defaults().setWindowPosition(4);
    EXPECT_EQ(settings->x(), HBDockWindowController::buttonMargin);
    EXPECT_EQ(clear->x(), width - clear->width() - HBDockWindowController::buttonMargin);
    EXPECT_EQ(controller.contentView()->curvedCorners(), 1);
    EXPECT_EQ(controller.scrollView()->curvedCorners(), 1);

    // The clear button shows only with items.
    EXPECT_FALSE(clear->isHidden());
    controller.itemsArray().first()->deleteEntityIgnoringFiles(true);
    HBObjectStore::shared()->defaultContext()->saveAndWait();
    controller.reloadData();
    EXPECT_TRUE(clear->isHidden());
}

TEST_F(ShelfTest, HotKeyHidingSurvivesReevaluationsUntilPressedAgain)
{
    defaults().setDisableAnimations(true);
    addItems(2);
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(controller.isWindowVisible()) << "a shelf with items shows at start";

    controller.handleHotKeyEvent();
    EXPECT_EQ(controller.windowState(), HBDockWindowController::HiddenByUser);
    EXPECT_FALSE(controller.isWindowVisible());

    // Re-evaluations keep it hidden.
    m_workspace.setFrontmostApplication(HBFakeWorkspace::application(QStringLiteral("org.example.Editor")));
    controller.hideWindowForActiveAppIfNeeded(true, true);
    EXPECT_FALSE(controller.isWindowVisible());

    // A direct show (a new item) shows it until the next re-evaluation.
    addItems(1);
    HBNotificationCenter::defaultCenter()->post(HBNotifications::DidAddItem);
    EXPECT_TRUE(controller.isWindowVisible());
    EXPECT_EQ(controller.itemsArray().size(), 3);
    m_workspace.setFrontmostApplication(HBFakeWorkspace::application(QStringLiteral("org.example.Viewer")));
    EXPECT_FALSE(controller.isWindowVisible());
    EXPECT_EQ(controller.windowState(), HBDockWindowController::HiddenByUser);

    // The second press brings back the automatic mode, which shows a shelf with items.
    controller.handleHotKeyEvent();
    EXPECT_EQ(controller.windowState(), HBDockWindowController::Automatic);
    EXPECT_TRUE(controller.isWindowVisible());

    // With the hot key switched off, pressing does nothing.
    defaults().setHotKeyEnabled(false);
    controller.handleHotKeyEvent();
    EXPECT_TRUE(controller.isWindowVisible());
    EXPECT_EQ(controller.windowState(), HBDockWindowController::Automatic);
}

TEST_F(ShelfTest, HotKeyOnAnEmptyHiddenShelfLeavesItHidden)
{
    defaults().setDisableAnimations(true);
    HBDockWindowController &controller = shelf();
    controller.handleHotKeyEvent();
    EXPECT_EQ(controller.windowState(), HBDockWindowController::Automatic);
    EXPECT_FALSE(controller.isWindowVisible());
}

TEST_F(ShelfTest, ForcedVisibilityReturnsToThePreviousModeEvenWhenResetTwice)
{
    defaults().setDisableAnimations(true);
    addItems(1);
    HBDockWindowController &controller = shelf();
    controller.handleHotKeyEvent();
    ASSERT_EQ(controller.windowState(), HBDockWindowController::HiddenByUser);

    HBNotificationCenter::defaultCenter()->post(HBNotifications::ForceShowWindow);
    EXPECT_TRUE(controller.isWindowVisible());
    // Re-evaluations keep a forced shelf visible.
    controller.hideWindowForActiveAppIfNeeded(true, true);
    EXPECT_TRUE(controller.isWindowVisible());

    for (int reset = 0; reset < 2; ++reset) {
        SCOPED_TRACE(reset);
        HBNotificationCenter::defaultCenter()->post(HBNotifications::ResetForceWindow);
        EXPECT_EQ(controller.windowState(), HBDockWindowController::HiddenByUser);
        EXPECT_EQ(controller.previousWindowState(), HBDockWindowController::HiddenByUser);
        EXPECT_FALSE(controller.isWindowVisible());
    }

    // From the automatic mode, an empty forced shelf hides when the pane goes away.
    controller.handleHotKeyEvent();
    ASSERT_EQ(controller.windowState(), HBDockWindowController::Automatic);
    controller.itemsArray().first()->deleteEntityIgnoringFiles(true);
    HBObjectStore::shared()->defaultContext()->saveAndWait();
    controller.reloadData();
    controller.forceShowWindow();
    EXPECT_TRUE(controller.isWindowVisible());
    controller.resetForceShowWindow();
    EXPECT_FALSE(controller.isWindowVisible());
    EXPECT_EQ(controller.windowState(), HBDockWindowController::Automatic);
}

TEST_F(ShelfTest, NonForcedHidesAreRefusedWithItemsOrDuringADrag)
{
    defaults().setDisableAnimations(true);
    HBDockWindowController &controller = shelf();

    controller.forceShowWindow();
    controller.resetForceShowWindow();
    ASSERT_FALSE(controller.isWindowVisible());

    // During a drag an empty shelf stays.
    controller.setDragging(true);
    controller.actuallyShowWindow();
    controller.actuallyHideWindow();
    controller.hideWindowForActiveAppIfNeeded(true, false);
    EXPECT_TRUE(controller.isWindowVisible());
    controller.setDragging(false);
    controller.hideWindowForActiveAppIfNeeded(true, false);
    EXPECT_FALSE(controller.isWindowVisible());

    // With items it stays too; a forced hide still hides.
    addItems(1);
    controller.fullReload();
    controller.actuallyHideWindow(false, true);
    EXPECT_TRUE(controller.isWindowVisible());
    controller.actuallyHideWindow(true);
    EXPECT_FALSE(controller.isWindowVisible());
}

TEST_F(ShelfTest, ExcludedFrontmostApplicationHidesAndKelvoraInFrontDoesNot)
{
    defaults().setDisableAnimations(true);
    HBAppExceptionManager::sharedManager().addBlackListedApp(
        HBBlacklistedApp::appWithName(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"), {}));
    addItems(1);
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(controller.isWindowVisible());

    m_workspace.setFrontmostApplication(HBFakeWorkspace::application(QStringLiteral("org.example.Editor")));
    EXPECT_FALSE(controller.isWindowVisible());
    EXPECT_EQ(controller.windowState(), HBDockWindowController::Automatic);

    m_workspace.setFrontmostApplication(HBFakeWorkspace::application(HBWorkspace::ownBundleIdentifier()));
    EXPECT_TRUE(controller.isWindowVisible()) << "Kelvora in front: the default step";

    // Inverted list: only listed applications show the shelf.
    defaults().setWindowHidingBehavior(1);
    m_workspace.setFrontmostApplication(HBFakeWorkspace::application(QStringLiteral("org.example.Viewer")));
    EXPECT_FALSE(controller.isWindowVisible());
    m_workspace.setFrontmostApplication(HBFakeWorkspace::application(QStringLiteral("org.example.Editor")));
    EXPECT_TRUE(controller.isWindowVisible());
}

TEST_F(ShelfTest, HidingRestoresTheWindowAlphaAfterTheFade)
{
    defaults().setDisableAnimations(false);
    defaults().setWindowAlpha(0.7);
    addItems(1);
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(
        TestSupport::waitUntil([&] { return qAbs(controller.panel()->windowOpacity() - 0.7) < 0.01; }));

    controller.actuallyHideWindow(true, true);
    EXPECT_TRUE(controller.isWindowVisible()) << "fading out";
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !controller.isWindowVisible(); }));
    EXPECT_NEAR(controller.panel()->windowOpacity(), 0.7, 0.01);

    // The next show fades in to the setting, and a later change of it applies at once.
    controller.actuallyShowWindowAnimated(true);
    ASSERT_TRUE(
        TestSupport::waitUntil([&] { return qAbs(controller.panel()->windowOpacity() - 0.7) < 0.01; }));
    // (The wait above may end in the fade's last steps: a fade in progress then ends at the
    // new value instead.)
    defaults().setWindowAlpha(0.9);
    EXPECT_TRUE(
        TestSupport::waitUntil([&] { return qAbs(controller.panel()->windowOpacity() - 0.9) < 0.01; }));

    // A show during the fade-out keeps the shelf, at its opacity.
    controller.actuallyHideWindow(true, true);
    controller.actuallyShowWindowAnimated(true);
    QTest::qWait(HBDockWindowController::animationDuration + 100);
    EXPECT_TRUE(controller.isWindowVisible());
    EXPECT_NEAR(controller.panel()->windowOpacity(), 0.9, 0.01);
}

TEST_F(ShelfTest, ArrowStaysStillWithAnimationsOff)
{
    defaults().setDisableAnimations(true);
    HBDockWindowController &controller = shelf();
    controller.forceShowWindow();
    EXPECT_TRUE(controller.isOverlayShown());
    EXPECT_FALSE(controller.isArrowTimerActive());
    EXPECT_EQ(controller.arrowImageView()->geometry(), controller.originalArrowFrame());
    // Without animations the overlay is in place at once.
    EXPECT_TRUE(controller.optionsView()->isHidden());
    controller.showOverlay();
    EXPECT_FALSE(controller.isArrowTimerActive());
}

TEST_F(ShelfTest, SettingsMenuHasPositionsPreferencesAndQuit)
{
    defaults().setDisableAnimations(true);
    defaults().setWindowPosition(4);
    HBDockWindowController &controller = shelf();
    QMenu *positions = controller.windowPositionMenu();
    ASSERT_NE(positions, nullptr);
    ASSERT_EQ(positions->actions().size(), 6);
    for (QAction *action : positions->actions())
        EXPECT_EQ(action->isChecked(), action->data().toLongLong() == 4) << qPrintable(action->text());

    // Choosing an entry moves the shelf and checks it.
    positions->actions().at(0)->trigger();
    EXPECT_EQ(defaults().windowPosition(), 0);
    EXPECT_TRUE(positions->actions().at(0)->isChecked());
    EXPECT_EQ(controller.panel()->x(), screenArea().left());
    EXPECT_TRUE(controller.isWindowVisible()) << "shown after a position change, even empty";

    QStringList titles;
    QAction *preferences = nullptr;
    for (QAction *action : controller.settingsMenu()->actions()) {
        titles.append(action->text());
        if (action->text() == QStringLiteral("Preferences…"))
            preferences = action;
    }
    EXPECT_TRUE(titles.contains(QStringLiteral("Quit"))) << qPrintable(titles.join(u','));
    ASSERT_NE(preferences, nullptr);
    int opened = 0;
    QObject::connect(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted,
        [&](const QString &name, QObject *) { opened += name == HBNotifications::OpenPreferences; });
    preferences->trigger();
    EXPECT_EQ(opened, 1);

    // The settings button pops the menu up.
    QTest::mouseClick(controller.settingsButton(), Qt::LeftButton);
    EXPECT_TRUE(controller.settingsMenu()->isVisible());
    controller.settingsMenu()->close();
}

TEST_F(ShelfTest, ReloadsKeepTheSelectionAndAnnounceRowsPrecisely)
{
    defaults().setDisableAnimations(true);
    const QList<PasteboardItem *> items = addItems(3);
    HBDockWindowController &controller = shelf();
    QAbstractItemModelTester tester(
        controller.itemsModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
    int resets = 0;
    QObject::connect(controller.itemsModel(), &QAbstractItemModel::modelReset, [&] { ++resets; });

    controller.tableView()->selectionModel()->select(
        controller.itemsModel()->index(1), QItemSelectionModel::ClearAndSelect);
    items.at(1)->setIconIsPending(true);
    HBNotificationCenter::defaultCenter()->post(HBNotifications::IconChanged, items.at(1));
    EXPECT_TRUE(controller.tableView()->selectionModel()->isSelected(controller.itemsModel()->index(1)));
    EXPECT_DOUBLE_EQ(
        controller.itemsModel()->index(1).data(HBShelfItemModel::PictureAlphaRole).toDouble(), 0.8);

    // A new first item: inserted above, the selection moves with its row.
    PasteboardItem *first = PasteboardItem::create();
    first->setTitle(QString());
    first->setOrder(-1);
    HBObjectStore::shared()->defaultContext()->saveAndWait();
    HBNotificationCenter::defaultCenter()->post(HBNotifications::DidAddItem, first);
    ASSERT_EQ(controller.itemsArray().size(), 4);
    EXPECT_EQ(controller.itemsArray().first(), first);
    EXPECT_EQ(controller.itemsModel()->index(0).data().toString(), QStringLiteral("<No Title>"));
    EXPECT_TRUE(controller.tableView()->selectionModel()->isSelected(controller.itemsModel()->index(2)));
    EXPECT_EQ(resets, 0);
}
