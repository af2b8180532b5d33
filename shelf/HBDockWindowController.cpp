// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDockWindowController.h"

#include "HBFileManager.h"
#include "HBInputMonitor.h"

#include "HBAnimationRunner.h"
#include "HBAppExceptionManager.h"
#include "HBArrowAnimator.h"
#include "HBDragPasteboard.h"
#include "HBDragSelection.h"
#include "HBDraggingTableView.h"
#include "HBDropOnlyWindowController.h"
#include "HBNoInteractionImageView.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPanel.h"
#include "HBPasteboardHelper.h"
#include "HBRoundedCornersScrollView.h"
#include "HBShelfItemModel.h"
#include "HBUserDefaults.h"
#include "HBWindowBackgroundView.h"
#include "HBWorkspace.h"
#include "JVMagicalButton.h"
#include "KelvoraResources.h"
#include "NSColorHelpers.h"
#include "NVInterfaceFiles.h"
#include "PasteboardItem.h"

#include "ui_HBDockWindowController.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

NV_INTERFACE_FILE(HBDockWindowController);

namespace {

struct PositionEntry
{
    qint64 position;
    const char *title;
};

constexpr PositionEntry positionEntries[] = {
    {0, "Left Top"},
    {1, "Left Middle"},
    {2, "Left Bottom"},
    {3, "Right Top"},
    {4, "Right Middle"},
    {5, "Right Bottom"},
};

bool isLeftPosition(qint64 position)
{
    return position < 3;
}

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

} // namespace

QString HBDockWindowController::windowTitleText()
{
    return QStringLiteral("Kelvora Shelf");
}

HBDockWindowController::HBDockWindowController(QObject *parent)
    : NVWindowController(parent)
    , m_model(new HBShelfItemModel(this))
    , m_arrow(new HBArrowAnimator(this))
{
    commonInit();
}

HBDockWindowController::~HBDockWindowController()
{
    for (QPointer<QVariantAnimation> *slot : {&m_frameAnimation, &m_alphaAnimation, &m_overlayAnimation})
        HBAnimationRunner::stop(*slot);
}

std::unique_ptr<HBDockWindowController> HBDockWindowController::controller()
{
    return NVWindowController::controller<HBDockWindowController>();
}

void HBDockWindowController::commonInit()
{
    addEventListener();
    // The first access loads the interface file, which runs nv_viewDidLoad(): the list is
    // loaded and the shelf shown when it holds items.
    window();
    updateDragOperation();
    registerDropTypes();
    updateContentView();
    if (m_settingsButton)
        m_settingsButton->setDarkImageName(QStringLiteral("icon-settings-dark"));
    if (m_clearButton)
        m_clearButton->setDarkImageName(QStringLiteral("icon-clear-dark"));
    makeTrackingArea();
    updateAlpha();
    cleanupStorageFolder();
    if (m_arrowImageView)
        m_arrow->setOriginalFrame(m_arrowImageView->geometry());
}

void HBDockWindowController::nv_viewDidLoad()
{
    m_panel = qobject_cast<HBPanel *>(window());
    m_contentView = outlet<HBWindowBackgroundView>(QStringLiteral("actualContentView"));
    m_scrollView = outlet<HBRoundedCornersScrollView>(QStringLiteral("scrollView"));
    m_tableView = outlet<HBDraggingTableView>(QStringLiteral("tableView"));
    m_optionsView = outlet<QWidget>(QStringLiteral("optionsView"));
    m_clearButton = outlet<JVMagicalButton>(QStringLiteral("clearButton"));
    m_settingsButton = outlet<JVMagicalButton>(QStringLiteral("settingsButton"));
    m_overlayView = outlet<HBWindowBackgroundView>(QStringLiteral("overlayView"));
    m_arrowImageView = outlet<HBNoInteractionImageView>(QStringLiteral("arrowImageView"));
    Q_ASSERT(m_panel && m_contentView && m_scrollView && m_tableView && m_optionsView && m_overlayView);

    m_panel->setTitle(windowTitleText());
    m_arrow->setArrowView(m_arrowImageView);

    // The list scrolls inside the scroll view, which is as wide as the shelf.
    if (m_scrollView->widget() != m_tableView) {
        m_scrollView->setWidget(m_tableView);
    }
    m_scrollView->setWidgetResizable(true);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tableView->setModel(m_model);

    // The overlay is absent until a drop may come; it lets clicks and drops through to the
    // list beneath it.
    m_overlayView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_overlayOpacity = new QGraphicsOpacityEffect(m_overlayView);
    m_overlayOpacity->setOpacity(0);
    m_overlayView->setGraphicsEffect(m_overlayOpacity);
    m_overlayView->hide();
    m_contentView->installEventFilter(this);
    updateOverlayArtwork();

    makeMenus();
    connect(m_settingsButton, &QAbstractButton::clicked, this, &HBDockWindowController::openSettingsMenu);
    // The clear button's command comes with the item commands; until then it does nothing.

    layoutContentView();
    reloadData();
    if (!m_model->isEmpty())
        actuallyShowWindow();
    m_panel->setMouseTracking(true);
}

void HBDockWindowController::addEventListener()
{
    installEventMonitors();

    setWorkspace(HBWorkspace::sharedWorkspace());

    const auto screensChanged = [this] { hideWindowForActiveAppIfNeeded(); };
    const auto followScreen = [this, screensChanged](QScreen *screen) {
        if (screen)
            connect(screen, &QScreen::availableGeometryChanged, this, screensChanged);
    };
    const auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (app) {
        connect(app, &QGuiApplication::primaryScreenChanged, this,
            [followScreen, screensChanged](QScreen *screen) {
                followScreen(screen);
                screensChanged();
            });
        connect(app, &QGuiApplication::screenAdded, this, screensChanged);
        connect(app, &QGuiApplication::screenRemoved, this, screensChanged);
        followScreen(QGuiApplication::primaryScreen());
    }

    connect(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted, this,
        [this](const QString &name, QObject *) {
            if (name == HBNotifications::DidAddItem || name == HBNotifications::IconChanged)
                fullReload();
            else if (name == HBNotifications::ForceShowWindow)
                forceShowWindow();
            else if (name == HBNotifications::ResetForceWindow)
                resetForceShowWindow();
        });

    HBUserDefaults &settings = defaults();
    settings.observe(
        HBSettingsKeys::windowAlpha, this, [this](const QVariant &, const QVariant &) { updateAlpha(); });
    settings.observe(
        HBSettingsKeys::windowPosition, this, [this](const QVariant &oldValue, const QVariant &) {
            updatePositionMenuUI();
            windowPositionChangedFrom(oldValue.toLongLong());
        });
    settings.observe(HBSettingsKeys::dragOperation, this,
        [this](const QVariant &, const QVariant &) { updateDragOperation(); });
    settings.observe(HBSettingsKeys::windowColor, this, [this](const QVariant &, const QVariant &) {
        updateOverlayArtwork();
        if (m_tableView)
            m_tableView->viewport()->update();
    });
}

void HBDockWindowController::installEventMonitors()
{
    connect(inputMonitor(), &HBInputMonitor::globalEvent, this, &HBDockWindowController::handleEvent);
    // The source of a drag takes the drag selection only once it has seen the motion that
    // starts its drag, usually after that motion reached this monitor: a pointer that then
    // rests would leave the drag unnoticed, so a new drag during a press is checked at once.
    connect(HBDragSelection::sharedSelection(), &HBDragSelection::changed, this,
        &HBDockWindowController::detectDrag);
    // The local monitor: releases over this program's own windows.
    QCoreApplication::instance()->installEventFilter(this);
    // Whatever owns the drag selection now is an earlier drag, never a new one.
    m_lastDragChangeCount = HBDragSelection::sharedSelection()->changeCount();
}

void HBDockWindowController::makeTrackingArea()
{
    // Entering and leaving the shelf with the pointer (or with a drag, whose events reach
    // the drop targets) is followed from the window's events.
    if (m_panel)
        m_panel->installEventFilter(this);
}

void HBDockWindowController::updateDragOperation()
{
    // The operations offered when items are dragged out (setting dragOperation) are set
    // here once the list is a drag source.
}

void HBDockWindowController::registerDropTypes()
{
    // The list draws no drop indicator (HBDraggingTableView); the types it takes as a drop
    // target are registered here once it is one.
}

void HBDockWindowController::cleanupStorageFolder()
{
    HBFileManager::sharedManager().cleanup();
}

void HBDockWindowController::closePreviewPopover()
{
    // The preview popover, once it exists, closes here.
}

bool HBDockWindowController::isPreviewPopoverShown() const
{
    return false;
}

HBInputMonitor *HBDockWindowController::inputMonitor() const
{
    return HBInputMonitor::sharedMonitor();
}

void HBDockWindowController::setWorkspace(HBWorkspace *workspace)
{
    if (m_workspaceConnection)
        disconnect(m_workspaceConnection);
    m_workspace = workspace;
    if (!workspace)
        return;
    m_workspaceConnection = connect(
        workspace, &HBWorkspace::frontmostApplicationChanged, this, [this](const HBRunningApplication &) {
            closePreviewPopover();
            hideWindowForActiveAppIfNeeded(false, false);
        });
}

bool HBDockWindowController::animationsDisabled() const
{
    return defaults().disableAnimations();
}

void HBDockWindowController::run(QPointer<QVariantAnimation> &slot, const QVariant &from, const QVariant &to,
    int duration, std::function<void(const QVariant &)> apply, std::function<void()> completion)
{
    HBAnimationRunner::run(this, slot, from, to, duration, std::move(apply), std::move(completion));
}

// ---- Showing and hiding ----

bool HBDockWindowController::isWindowVisible() const
{
    return m_panel && m_panel->isVisible();
}

void HBDockWindowController::actuallyShowWindowAnimated(bool animated)
{
    if (!m_panel)
        return;
    if (animationsDisabled())
        animated = false;

    const QRect frame = m_panel->geometry();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1440, 900);
    const int rowHeight = m_tableView->rowHeight();
    const int spacing = m_tableView->intercellSpacing();
    const int optionsHeight = m_optionsView->height();
    const qint64 count = m_model->count();
    const qint64 position = defaults().windowPosition();

    // An empty shelf is one row plus the options bar tall.
    double height = std::max(
        double(rowHeight + optionsHeight), double(rowHeight + spacing) * double(count) + optionsHeight);
    const double width = frame.width();
    const double x = isLeftPosition(position) ? area.left() : area.left() + area.width() - width;
    double y = frame.y();
    switch (position) {
    case 0:
    case 3:
        y = area.top() + topMargin;
        break;
    case 1:
    case 4:
        y = area.top() + 0.5 * area.height() - 0.5 * height;
        break;
    case 2:
    case 5:
        y = area.top() + area.height() - height;
        break;
    default:
        break;
    }
    m_scrollView->setScrollingEnabled(false);
    m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (height > area.height() - topMargin) {
        // Too tall for the screen: as tall as it may be, at the bottom, scrolling.
        height = area.height() - topMargin;
        m_scrollView->setScrollingEnabled(true);
        m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        y = area.top() + area.height() - height;
    }
    const QRect target = QRectF(x, y, width, height).toAlignedRect();

    if (count == 0)
        showOverlayAnimated(false);
    else if (!m_isDragging)
        removeOverlayAnimated(false);

    if (m_panel->isVisible()) {
        if (m_hiding) {
            // A fade-out in progress gives way: the shelf stays, at its opacity.
            m_hiding = false;
            run(m_alphaAnimation, 0.0, 0.0, 0, [](const QVariant &) {});
            m_panel->setWindowOpacity(defaults().windowAlpha());
        }
        run(m_frameAnimation, m_panel->geometry(), target, animated ? animationDuration : 0,
            [this](const QVariant &value) {
                if (m_panel)
                    m_panel->setGeometry(value.toRect());
            });
        m_panel->update();
        return;
    }

    run(m_frameAnimation, target, target, 0,
        [this](const QVariant &value) { m_panel->setGeometry(value.toRect()); });
    m_panel->setWindowOpacity(0);
    m_panel->show();
    m_panel->raise();
    m_hiding = false;
    run(
        m_alphaAnimation, 0.0, defaults().windowAlpha(), animated ? animationDuration : 0,
        [this](const QVariant &value) {
            if (m_panel)
                m_panel->setWindowOpacity(value.toDouble());
        },
        [this] {
            if (!m_panel)
                return;
            m_panel->show();
            m_panel->raise();
        });
}

void HBDockWindowController::actuallyHideWindow(bool force, bool animated)
{
    if (!m_panel)
        return;
    if (!force && (!m_model->isEmpty() || m_isDragging))
        return;
    resetArrow();
    closePreviewPopover();

    const auto hideStep = [this] {
        m_hiding = false;
        if (!m_panel)
            return;
        m_panel->hide();
        m_panel->setWindowOpacity(defaults().windowAlpha());
        m_tableView->clearSelection();
    };
    if (animated && !animationsDisabled() && m_panel->isVisible()) {
        m_hiding = true;
        run(
            m_alphaAnimation, m_panel->windowOpacity(), 0.0, animationDuration,
            [this](const QVariant &value) {
                if (m_panel)
                    m_panel->setWindowOpacity(value.toDouble());
            },
            hideStep);
    } else {
        run(m_alphaAnimation, 0.0, 0.0, 0, [](const QVariant &) {});
        hideStep();
    }
}

void HBDockWindowController::hideWindowForActiveAppIfNeeded(bool animated, bool forceAnimation)
{
    if (m_windowState == HiddenByUser) {
        actuallyHideWindow(true, animated);
        return;
    }
    if (m_windowState != Automatic) {
        actuallyShowWindow();
        return;
    }
    const auto defaultStep = [&] {
        if (!m_model->isEmpty())
            actuallyShowWindowAnimated(forceAnimation);
        else
            actuallyHideWindow(false, animated);
    };
    const HBWorkspace *workspace = m_workspace.data();
    const QString frontmost
        = (workspace ? *workspace : *HBWorkspace::sharedWorkspace()).frontmostApplication().bundleIdentifier;
    // Kelvora itself in front excludes nothing here (it only keeps a drag from showing
    // the shelf).
    if (HBAppExceptionManager::sharedManager().automaticShowing(frontmost)
        == HBAppExceptionManager::AutomaticShowing::Excluded)
        actuallyHideWindow(true, animated);
    else
        defaultStep();
}

void HBDockWindowController::fullReload()
{
    reloadData();
    if (!m_model->isEmpty())
        actuallyShowWindowAnimated(true);
    else
        hideWindowForActiveAppIfNeeded(true, false);
}

void HBDockWindowController::handleHotKeyEvent()
{
    if (!defaults().hotKeyEnabled())
        return;
    if (isWindowVisible()) {
        m_windowState = HiddenByUser;
        actuallyHideWindow(true, true);
    } else {
        m_windowState = Automatic;
        hideWindowForActiveAppIfNeeded(true, true);
    }
}

void HBDockWindowController::forceShowWindow()
{
    m_previousWindowState = m_windowState;
    m_windowState = ForcedVisible;
    actuallyShowWindowAnimated(false);
}

void HBDockWindowController::resetForceShowWindow()
{
    m_windowState = m_previousWindowState;
    hideWindowForActiveAppIfNeeded(true, true);
}

// ---- The list ----

void HBDockWindowController::reloadData()
{
    m_model->setItems(HBObjectStore::shared()->defaultContext()->fetchItems());
    updateContentView();
}

QList<PasteboardItem *> HBDockWindowController::itemsArray() const
{
    return m_model->items();
}

// ---- Layout and appearance ----

void HBDockWindowController::layoutContentView()
{
    if (!m_contentView)
        return;
    const QRect bounds = m_contentView->rect();
    const int optionsHeight = m_optionsView->height();
    m_optionsView->setGeometry(0, bounds.height() - optionsHeight, bounds.width(), optionsHeight);
    if (m_listCoversOptions)
        m_scrollView->setGeometry(bounds);
    else
        m_scrollView->setGeometry(0, 0, bounds.width(), std::max(0, bounds.height() - optionsHeight));
    m_overlayView->setGeometry(bounds);
    updateContentView();
}

bool HBDockWindowController::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == m_contentView)
            layoutContentView();
        break;
    case QEvent::MouseButtonRelease:
        // Seen once per release, at the window it goes to.
        if (watched->isWindowType() && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            handleLocalEvent(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        break;
    case QEvent::Enter:
        if (watched == m_panel)
            mouseEntered();
        break;
    case QEvent::Leave:
        if (watched == m_panel)
            mouseExited();
        break;
    default:
        break;
    }
    return NVWindowController::eventFilter(watched, event);
}

void HBDockWindowController::updateContentView()
{
    if (!m_contentView)
        return;
    const bool left = isLeftPosition(defaults().windowPosition());
    const int shape
        = left ? HBWindowBackgroundView::CurveRightHandCorners : HBWindowBackgroundView::CurveLeftHandCorners;
    m_contentView->setCurvedCorners(shape);
    m_scrollView->setCurvedCorners(shape);
    m_overlayView->setCurvedCorners(shape);

    // The settings button faces the screen's interior, the clear button the screen edge.
    const int minX = 0;
    const int maxX = m_optionsView->width();
    if (m_settingsButton && m_clearButton) {
        if (left) {
            m_settingsButton->move(maxX - m_settingsButton->width() - buttonMargin, m_settingsButton->y());
            m_clearButton->move(minX + buttonMargin, m_clearButton->y());
        } else {
            m_clearButton->move(maxX - m_clearButton->width() - buttonMargin, m_clearButton->y());
            m_settingsButton->move(minX + buttonMargin, m_settingsButton->y());
        }
        m_clearButton->setHidden(m_model->isEmpty());
    }
    updatePositionMenuUI();
}

void HBDockWindowController::updatePositionMenuUI()
{
    if (!m_windowPositionMenu)
        return;
    const QList<QAction *> actions = m_windowPositionMenu->actions();
    for (QAction *action : actions)
        action->setChecked(false);
    const qint64 position = defaults().windowPosition();
    const auto current = std::find_if(actions.cbegin(), actions.cend(),
        [position](const QAction *action) { return action->data().toLongLong() == position; });
    if (current != actions.cend())
        (*current)->setChecked(true);
    else if (!actions.isEmpty())
        actions.first()->setChecked(true);
}

void HBDockWindowController::changeWindowPosition(qint64 position)
{
    const qint64 old = defaults().windowPosition();
    if (position == old) {
        windowPositionChangedFrom(old);
        return;
    }
    // The settings observer re-lays out the shelf, as for a change made in the preferences.
    defaults().setWindowPosition(position);
}

void HBDockWindowController::windowPositionChangedFrom(qint64 oldPosition)
{
    updateContentView();
    const qint64 position = defaults().windowPosition();
    // Along one side the move is animated; to the other side it is a jump.
    const bool animated = (oldPosition > 2) != (position < 3);
    actuallyShowWindowAnimated(animated);
}

void HBDockWindowController::updateAlpha()
{
    if (!m_panel || m_hiding)
        return; // the hide step puts the setting back in place
    if (m_alphaAnimation)
        m_alphaAnimation->setEndValue(defaults().windowAlpha()); // a fade-in ends at the new value
    else
        m_panel->setWindowOpacity(defaults().windowAlpha());
}

void HBDockWindowController::updateOverlayArtwork()
{
    if (!m_arrowImageView)
        return;
    const bool light = nv_isLightColor(defaults().windowColor());
    m_arrowImageView->setImageName(light ? QStringLiteral("icon-arrow-dark") : QStringLiteral("icon-arrow"));
}

void HBDockWindowController::showOverlayAnimated(bool animated)
{
    animateArrow();
    if (!m_overlayView)
        return;
    if (m_overlayShown) {
        if (m_overlayAnimation && !m_overlayView->isHidden() && m_overlayOpacity->opacity() < 1) {
            // Shown again while fading out: fade back in.
            run(m_overlayAnimation, m_overlayOpacity->opacity(), 1.0, 0,
                [this](const QVariant &value) { m_overlayOpacity->setOpacity(value.toDouble()); });
        }
        return;
    }
    m_overlayShown = true;
    m_tableView->clearSelection();
    m_overlayOpacity->setOpacity(0);
    m_overlayView->setGeometry(m_contentView->rect());
    m_overlayView->show();
    m_overlayView->raise();
    m_originalTableFrame = m_scrollView->geometry();
    const int duration = animated && !animationsDisabled() ? animationDuration : 0;
    run(
        m_overlayAnimation, 0.0, 1.0, duration,
        [this](const QVariant &value) {
            if (m_overlayOpacity)
                m_overlayOpacity->setOpacity(value.toDouble());
        },
        [this] {
            // The list reaches over the options bar while content may be dropped.
            m_listCoversOptions = true;
            m_scrollView->setGeometry(m_contentView->rect());
            m_optionsView->hide();
        });
}

void HBDockWindowController::removeOverlayAnimated(bool animated)
{
    if (!m_overlayView || !m_overlayShown)
        return;
    m_optionsView->show();
    m_listCoversOptions = false;
    if (!m_originalTableFrame.isNull()) {
        const QRect bounds = m_contentView->rect();
        const int optionsHeight = m_optionsView->height();
        m_scrollView->setGeometry(0, 0, bounds.width(), bounds.height() - optionsHeight);
        m_originalTableFrame = QRect();
    }
    resetArrow();
    const int duration = animated && !animationsDisabled() ? animationDuration : 0;
    run(
        m_overlayAnimation, m_overlayOpacity->opacity(), 0.0, duration,
        [this](const QVariant &value) {
            if (m_overlayOpacity)
                m_overlayOpacity->setOpacity(value.toDouble());
        },
        [this] {
            m_overlayShown = false;
            m_overlayView->hide();
        });
}

void HBDockWindowController::resetArrow()
{
    m_arrow->resetArrow();
}

void HBDockWindowController::animateArrow()
{
    m_arrow->animateArrow();
}

void HBDockWindowController::actuallyAnimateArrow()
{
    m_arrow->actuallyAnimateArrow();
}

bool HBDockWindowController::isArrowTimerActive() const
{
    return m_arrow->isTimerActive();
}

QRect HBDockWindowController::originalArrowFrame() const
{
    return m_arrow->originalFrame();
}

bool HBDockWindowController::pointIsInWindow(const QPoint &point) const
{
    return m_panel && m_panel->frameGeometry().contains(point);
}

// ---- Drag detection ----

void HBDockWindowController::handleEvent(const HBInputEvent &event)
{
    switch (event.type) {
    case HBInputEvent::LeftMouseDown:
        m_dragStartPoint = inputMonitor()->mouseLocation();
        m_leftButtonDown = true;
        return;
    case HBInputEvent::LeftMouseDragged:
        if (m_needsMousePositionUpdates)
            mousePositionUpdated();
        detectDrag();
        return;
    case HBInputEvent::KeyUp:
        if (event.keyCode != HBInputEvent::escapeKeyCode)
            return;
        [[fallthrough]];
    case HBInputEvent::LeftMouseUp:
        if (isPreviewPopoverShown() && !pointIsInWindow(event.location))
            closePreviewPopover();
        m_needsMousePositionUpdates = false;
        m_isDragging = false;
        m_leftButtonDown = false;
        hideDropOnlyWindow();
        QTimer::singleShot(dragEndDelay, this, &HBDockWindowController::reevaluateAfterDrag);
        m_lastDragChangeCount = HBDragSelection::sharedSelection()->changeCount();
        return;
    case HBInputEvent::FlagsChanged:
        return;
    }
}

void HBDockWindowController::detectDrag()
{
    if (!m_leftButtonDown || m_isDragging || mouseDragDistance() < dragThreshold)
        return;
    // Drags out of the shelf are this program's own; they never show anything.
    const HBDragSelection *selection = HBDragSelection::sharedSelection();
    if (selection->isOwnDrag())
        return;
    // The selection still held by the previous drag: a window or a text selection is being
    // dragged, not content.
    const HBDragPasteboard pasteboard(selection);
    if (pasteboard.changeCount() == m_lastDragChangeCount)
        return;
    // A source that does not tell its types may offer anything; the drop decides.
    if (pasteboard.typesKnown()
        && !HBPasteboardHelper::sharedHelper().pasteboardHasDroppableItems(&pasteboard))
        return;
    m_isDragging = true;
    QMetaObject::invokeMethod(
        this, &HBDockWindowController::showWindowForDraggingBehavior, Qt::QueuedConnection);
}

void HBDockWindowController::handleLocalEvent(const QPoint &screenLocation)
{
    if (isPreviewPopoverShown() && pointIsInWindow(screenLocation))
        closePreviewPopover();
}

double HBDockWindowController::mouseDragDistance() const
{
    const QPointF delta = QPointF(inputMonitor()->mouseLocation() - m_dragStartPoint);
    return std::hypot(delta.x(), delta.y());
}

void HBDockWindowController::mousePositionUpdated()
{
    showWindowForScreenEdgePosition();
}

void HBDockWindowController::showWindowForDraggingBehavior()
{
    if (!defaults().automaticallyShowWindow() || !shouldTriggerWindowShowForCurrentApp())
        return;
    switch (defaults().draggingBehavior()) {
    case 0:
        actuallyShowWindow();
        showOverlay();
        break;
    case 1:
        showDropWindowNearCursor();
        break;
    case 2:
        showWindowForScreenEdgePosition();
        break;
    default:
        break;
    }
}

bool HBDockWindowController::shouldTriggerWindowShowForCurrentApp() const
{
    const HBAppExceptionManager &exceptions = HBAppExceptionManager::sharedManager();
    if (exceptions.apps().isEmpty())
        return true;
    const HBWorkspace *workspace = m_workspace ? m_workspace.data() : HBWorkspace::sharedWorkspace();
    return exceptions.allowsAutomaticShowing(workspace->frontmostApplication().bundleIdentifier);
}

QRect HBDockWindowController::currentShelfFrame() const
{
    if (!m_panel)
        return {};
    QRect frame = m_panel->geometry();
    if (m_panel->isVisible())
        return frame;
    // A hidden shelf keeps its last frame; its side follows the current position.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1440, 900);
    frame.moveLeft(isLeftPosition(defaults().windowPosition()) ? area.left()
                                                               : area.left() + area.width() - frame.width());
    return frame;
}

void HBDockWindowController::showWindowForScreenEdgePosition()
{
    m_needsMousePositionUpdates = true;
    const int px = inputMonitor()->mouseLocation().x();
    const QRect frame = currentShelfFrame();
    // Edges as coordinates between pixels: the right edge is x + width.
    const bool near = isLeftPosition(defaults().windowPosition())
        ? px <= frame.x() + frame.width() + screenEdgeDistance
        : px >= frame.x() - screenEdgeDistance;
    if (near)
        actuallyShowWindowAnimated(true);
    else
        hideWindowForActiveAppIfNeeded(false);
}

void HBDockWindowController::mouseEntered()
{
    if (inputMonitor()->pressedMouseButtons() == Qt::NoButton)
        return;
    m_dragOverShelf = true;
    showOverlay();
}

void HBDockWindowController::mouseExited()
{
    m_dragOverShelf = false;
    resetArrow();
    if (!m_model->isEmpty() && !m_isDragging)
        removeOverlayAnimated(true);
    if (m_reevaluateWhenDragLeaves) {
        m_reevaluateWhenDragLeaves = false;
        reevaluateAfterDrag();
    }
}

void HBDockWindowController::reevaluateAfterDrag()
{
    // A drop can arrive after the release that ended its drag; the shelf stays for it.
    if (m_dragOverShelf) {
        m_reevaluateWhenDragLeaves = true;
        return;
    }
    hideWindowForActiveAppIfNeeded(true);
}

// ---- Menus ----

void HBDockWindowController::makeMenus()
{
    m_settingsMenu = std::make_unique<QMenu>();
    m_windowPositionMenu = m_settingsMenu->addMenu(QStringLiteral("Window Position"));
    auto *positions = new QActionGroup(m_windowPositionMenu);
    positions->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const PositionEntry &entry : positionEntries) {
        QAction *action = m_windowPositionMenu->addAction(QString::fromLatin1(entry.title));
        action->setCheckable(true);
        action->setData(entry.position);
        positions->addAction(action);
        const qint64 position = entry.position;
        connect(action, &QAction::triggered, this, [this, position] { changeWindowPosition(position); });
    }
    m_settingsMenu->addSeparator();
    connect(m_settingsMenu->addAction(QStringLiteral("Preferences…")), &QAction::triggered, this,
        &HBDockWindowController::openPreferences);
    m_settingsMenu->addSeparator();
    connect(m_settingsMenu->addAction(QStringLiteral("Quit")), &QAction::triggered, this,
        &HBDockWindowController::quitApp);
    updatePositionMenuUI();
}

void HBDockWindowController::openSettingsMenu()
{
    if (m_settingsMenu)
        m_settingsMenu->popup(QCursor::pos());
}

void HBDockWindowController::openPreferences()
{
    HBNotificationCenter::defaultCenter()->post(HBNotifications::OpenPreferences);
}

void HBDockWindowController::quitApp()
{
    QCoreApplication::quit();
}

// ---- The drop-only window ----

QRect HBDockWindowController::dropWindowFrame(QPoint mouse, QRect screenFrame, QSize size)
{
    const int w = size.width();
    const int h = size.height();
    int x = mouse.x() - w / 2;
    int y = mouse.y() + dropWindowPointerDistance;
    const int screenBottom = screenFrame.y() + screenFrame.height();
    const int screenRight = screenFrame.x() + screenFrame.width();
    // Below the pointer unless that crosses the bottom edge; then above it.
    if (y + h > screenBottom)
        y = mouse.y() - dropWindowPointerDistance - h;
    if (x + w > screenRight)
        x = screenRight - w - dropWindowEdgeMargin;
    if (screenFrame.x() > x)
        x = screenFrame.x() + dropWindowEdgeMargin;
    return QRect(x, y, w, h);
}

QScreen *HBDockWindowController::screenForCurrentMouseLocation() const
{
    const QPoint mouse = HBInputMonitor::sharedMonitor()->mouseLocation();
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (screen->geometry().contains(mouse))
            return screen;
    }
    if (m_panel && m_panel->screen())
        return m_panel->screen();
    return QGuiApplication::primaryScreen();
}

void HBDockWindowController::showDropWindowNearCursor()
{
    if (m_dropWindowController && m_dropWindowReleasePending) {
        // A new drag within the release delay: the old window fades out and goes as planned,
        // this drag gets a fresh one that the old release must not take away.
        m_retiredDropWindows.push_back(std::move(m_dropWindowController));
        m_dropWindowReleasePending = false;
    }
    if (!m_dropWindowController)
        m_dropWindowController = HBDropOnlyWindowController::controller();
    QWidget *window = m_dropWindowController->window();
    if (!window)
        return;
    const QPoint mouse = HBInputMonitor::sharedMonitor()->mouseLocation();
    const QScreen *screen = screenForCurrentMouseLocation();
    const QRect screenFrame = screen ? screen->geometry() : QRect(QPoint(0, 0), window->size());
    window->setGeometry(dropWindowFrame(mouse, screenFrame, window->size()));
    m_dropWindowController->showWindow();
}

void HBDockWindowController::hideDropOnlyWindow()
{
    if (!m_dropWindowController)
        return;
    m_dropWindowController->hideWindow();
    if (m_dropWindowReleasePending)
        return;
    m_dropWindowReleasePending = true;
    const QPointer<HBDropOnlyWindowController> controller = m_dropWindowController.get();
    QTimer::singleShot(dropWindowReleaseDelay, this, [this, controller] { releaseDropWindow(controller); });
}

void HBDockWindowController::releaseDropWindow(HBDropOnlyWindowController *controller)
{
    if (!controller)
        return;
    if (controller->isHidePending()) {
        // A drop is still arriving: the window stays until it is in and the window closed.
        const QPointer<HBDropOnlyWindowController> pending = controller;
        connect(
            controller, &HBDropOnlyWindowController::windowDidClose, this,
            [this, pending] { releaseDropWindow(pending); },
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
        return;
    }
    if (m_dropWindowController.get() == controller) {
        m_dropWindowController.reset();
        m_dropWindowReleasePending = false;
        return;
    }
    std::erase_if(
        m_retiredDropWindows, [controller](const auto &retired) { return retired.get() == controller; });
}
