// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVWindowController.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>

class HBDraggingInfo;
class HBDraggingTableView;
class HBNoInteractionImageView;
class HBPanel;
class HBRoundedCornersScrollView;
class HBShelfItemModel;
class HBWindowBackgroundView;
class HBWorkspace;
class JVMagicalButton;
class Pasteboard;
class PasteboardItem;
class QAbstractAnimation;
class QDropEvent;
class QAction;
class QGraphicsOpacityEffect;
class QMenu;
class QVariantAnimation;

/// The shelf: a narrow floating window at the left or right edge of the main screen that
/// lists the stored items. The controller decides when the shelf shows and hides (its
/// visibility modes and re-evaluation rule), where it sits and how tall it is, and runs
/// the drop overlay with its animated arrow. One instance lives for the whole process;
/// main thread only.
class HBDockWindowController : public NVWindowController
{
    Q_OBJECT

public:
    /// Visibility modes (windowState()); never stored.
    enum WindowState : qint64 {
        /// Shown while it holds items (unless the frontmost application excludes it).
        Automatic = 0,
        /// Hidden by the hot key: every re-evaluation hides it.
        HiddenByUser = 1,
        /// Shown whatever it holds, while the appearance preferences are open.
        ForcedVisible = 2,
    };

    /// The shelf window's title, for window-manager rules.
    static QString windowTitleText();
    /// Duration of the shelf's fades and moves, in milliseconds.
    static constexpr int animationDuration = 200;
    /// Space left above the shelf at the top of the screen, and above a shelf clamped to
    /// the screen's height.
    static constexpr int topMargin = 22;
    /// Distance of the buttons from the options bar's ends.
    static constexpr int buttonMargin = 5;
    /// The arrow's cycle: it sinks by arrowDrop points while fading out, pauses, and
    /// comes back.
    static constexpr int arrowInterval = 2000;
    static constexpr int arrowSinkDuration = 500;
    static constexpr int arrowPause = 400;
    static constexpr int arrowReturnDuration = 400;
    static constexpr int arrowDrop = 10;

    /// Runs commonInit(): observers, the window with its list, and the shelf shown when
    /// it holds items. Install the program's workspace (HBWorkspace::setSharedWorkspace)
    /// before, so that the shelf follows the frontmost application.
    explicit HBDockWindowController(QObject *parent = nullptr);
    ~HBDockWindowController() override;

    /// The program's shelf controller, made as the application starts.
    static std::unique_ptr<HBDockWindowController> controller();

    // ---- Showing and hiding ----

    /// Lays the shelf out for the current position and list and shows it (whatever the
    /// visibility mode); fades it in when it was hidden and `animated`.
    void actuallyShowWindowAnimated(bool animated);
    void actuallyShowWindow() { actuallyShowWindowAnimated(false); }
    /// The "show" command: actuallyShowWindow().
    void showWindow() { actuallyShowWindow(); }
    /// Hides the shelf. Unless `force`, a shelf with items or during a drag stays.
    void actuallyHideWindow(bool force = false, bool animated = false);
    /// The re-evaluation rule: applies the visibility mode, the list and the exception
    /// list's verdict for the frontmost application. A show follows `forceAnimation`, a
    /// hide `animated`.
    void hideWindowForActiveAppIfNeeded(bool animated = false, bool forceAnimation = false);
    /// Reloads the list, then shows the shelf (animated) when it holds items, otherwise
    /// re-evaluates.
    void fullReload();
    /// The global hot key was pressed: hides a visible shelf until the next press, or
    /// re-evaluates a hidden one. Nothing while the setting hotKeyEnabled is off.
    void handleHotKeyEvent();
    /// Forced visibility ("HB.forceShowWindow", "HB.resetForceWindow").
    void forceShowWindow();
    void resetForceShowWindow();

    qint64 windowState() const { return m_windowState; }
    qint64 previousWindowState() const { return m_previousWindowState; }
    /// Whether the shelf window is shown.
    bool isWindowVisible() const;

    /// A droppable drag from another application is in progress: set by drag detection,
    /// cleared at its end. While set, no non-forced hide happens and showing a list with
    /// items keeps the overlay.
    bool isDragging() const { return m_isDragging; }
    void setDragging(bool dragging) { m_isDragging = dragging; }

    // ---- The list ----

    /// Loads the list from the store (order ascending, date descending).
    void reloadData();
    /// The rows, in display order.
    QList<PasteboardItem *> itemsArray() const;
    /// The list's model.
    HBShelfItemModel *itemsModel() const { return m_model; }

    // ---- Drag and drop ----

    /// The types the shelf takes in drops, in registration order (14, the private row type
    /// first).
    static QStringList supportedTypes();
    /// The types never written for a drag out (pictures, link names, promises); a type whose
    /// name contains "promise" in any letter case is left out as well.
    static const QStringList &excludedDragTypes();

    /// Fills a drag's pasteboard for the rows `rows` (out-of-range rows are ignored): the
    /// private row type with the rows, the items' files as one file list (each path once,
    /// the user's own files at the place their bookmark resolves to), and every other stored
    /// representation except the excluded and promise types. Records the drag in progress.
    /// Always true: a file that can't be found does not stop the drag.
    bool writeRowsWithIndexes(const QList<int> &rows, Pasteboard *pasteboard);
    /// A drag out ended at `endPoint` (screen coordinates) with the receiver's `operation`.
    /// With the setting removeAfterDrag on, an operation other than none that ended outside
    /// the shelf window removes the dragged items (leaving their files). Ends the drag.
    void draggingSessionEnded(const QPoint &endPoint, Qt::DropAction operation);
    /// The rows of the drag out in progress; empty when there is none.
    QList<int> draggingIndexes() const { return m_draggingIndexes; }

    /// What a drop of `info` before row `row` would do: a drag from this program moves rows
    /// (and shows the insertion line) when it carries the private row type, else nothing; a
    /// drag from another program copies, with the drop overlay as its only feedback.
    Qt::DropAction validateDrop(const HBDraggingInfo *info, int row);
    /// Takes a drop before row `row`: rows of this shelf are reordered, anything from another
    /// program becomes new items. False when the drop is refused.
    bool acceptDrop(const HBDraggingInfo *info, int row);
    /// Moves the rows named by the drag's private row type to row `row`, numbers every
    /// item's order by its new place and saves. False when the drag carries no row data.
    bool acceptLocalDrop(const HBDraggingInfo *info, int row);
    /// New items from a pasteboard (a drop, or the clipboard when `info` is null): each is
    /// appended as a row, then the shelf shows. What the intake answers.
    bool addFromPasteboard(Pasteboard *pasteboard, const HBDraggingInfo *info = nullptr);
    /// Removes the items at `rows` from the store and the list. Their removable files go
    /// too when `deletesFile`; otherwise the setting removeAfterDrag keeps them on disk.
    void removeItemsAtIndexes(const QList<int> &rows, bool deletesFile);

    // ---- Layout and appearance ----

    /// Corner shape and button places for the current side; the clear button only with items.
    void updateContentView();
    /// Checks the current position in the position menu.
    void updatePositionMenuUI();
    /// The position menu's command: stores `position` and moves the shelf.
    void changeWindowPosition(qint64 position);
    /// Re-lays out after the position changed from `oldPosition`: animated along one screen
    /// side, a jump to the other side. Shows the shelf even when empty.
    void windowPositionChangedFrom(qint64 oldPosition);
    /// The window's opacity := windowAlpha.
    void updateAlpha();

    /// The drop overlay over the whole shelf, with the animated arrow.
    void showOverlayAnimated(bool animated);
    void showOverlay() { showOverlayAnimated(true); }
    void removeOverlayAnimated(bool animated);
    /// Whether the overlay is in place (also while it fades in or out).
    bool isOverlayShown() const { return m_overlayShown; }

    /// The arrow animation.
    void resetArrow();
    void animateArrow();
    void actuallyAnimateArrow();
    bool isArrowTimerActive() const { return m_arrowTimer.isActive(); }
    QRect originalArrowFrame() const { return m_originalArrowFrame; }

    /// Whether a point in screen coordinates lies inside the shelf window's frame.
    bool pointIsInWindow(const QPoint &point) const;

    // ---- Menus and buttons ----

    /// The settings menu (settings button; also the tray icon's menu).
    QMenu *settingsMenu() const { return m_settingsMenu.get(); }
    QMenu *windowPositionMenu() const { return m_windowPositionMenu; }
    /// Pops the settings menu up at the pointer.
    void openSettingsMenu();
    /// Posts "KR.openPreferences".
    void openPreferences();
    /// Ends the program.
    void quitApp();

    // ---- Outlets ----

    HBPanel *panel() const { return m_panel; }
    HBWindowBackgroundView *contentView() const { return m_contentView; }
    HBRoundedCornersScrollView *scrollView() const { return m_scrollView; }
    HBDraggingTableView *tableView() const { return m_tableView; }
    QWidget *optionsView() const { return m_optionsView; }
    JVMagicalButton *clearButton() const { return m_clearButton; }
    JVMagicalButton *settingsButton() const { return m_settingsButton; }
    HBWindowBackgroundView *overlayView() const { return m_overlayView; }
    HBNoInteractionImageView *arrowImageView() const { return m_arrowImageView; }

    /// Follows another workspace's frontmost application from now on.
    void setWorkspace(HBWorkspace *workspace);

    void nv_viewDidLoad() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void commonInit();
    void addEventListener();
    void installEventMonitors();
    void makeTrackingArea();
    void updateDragOperation();
    void registerDropTypes();
    void cleanupStorageFolder();
    void closePreviewPopover();
    void makeMenus();
    void layoutContentView();
    void updateOverlayArtwork();
    bool animationsDisabled() const;
    /// Drag events reaching the shelf window (its content view takes every drop).
    bool handleDragEvent(QEvent *event);
    /// The insertion row for a drag event's position.
    int dropRowForEvent(const QDropEvent &event) const;
    /// A drag the shelf can take entered its window / left it without a drop.
    void draggingEnteredShelf();
    void draggingExitedShelf();
    /// The drag over the shelf is over (left or dropped): runs a hide put off meanwhile.
    void endDragOverShelf();
    /// Runs an animation from `from` to `to` over `duration` ms that hands each value to
    /// `apply`, then `completion`; for 0 ms, applies `to` and completes at once. The
    /// animation is kept in `slot`; one running there is stopped first, without its
    /// completion.
    void run(QPointer<QVariantAnimation> &slot, const QVariant &from, const QVariant &to, int duration,
        std::function<void(const QVariant &)> apply, std::function<void()> completion = {});

    // Outlets: children of the window, which the controller owns, so they live as long as it.
    HBPanel *m_panel = nullptr;
    HBWindowBackgroundView *m_contentView = nullptr;
    HBRoundedCornersScrollView *m_scrollView = nullptr;
    HBDraggingTableView *m_tableView = nullptr;
    QWidget *m_optionsView = nullptr;
    JVMagicalButton *m_clearButton = nullptr;
    JVMagicalButton *m_settingsButton = nullptr;
    HBWindowBackgroundView *m_overlayView = nullptr;
    QGraphicsOpacityEffect *m_overlayOpacity = nullptr;
    HBNoInteractionImageView *m_arrowImageView = nullptr;
    std::unique_ptr<QMenu> m_settingsMenu;
    QMenu *m_windowPositionMenu = nullptr;
    HBShelfItemModel *m_model;
    QPointer<HBWorkspace> m_workspace;
    QMetaObject::Connection m_workspaceConnection;

    QPointer<QVariantAnimation> m_frameAnimation;
    QPointer<QVariantAnimation> m_alphaAnimation;
    QPointer<QVariantAnimation> m_overlayAnimation;
    QPointer<QVariantAnimation> m_arrowMoveAnimation;
    QPointer<QVariantAnimation> m_arrowFadeAnimation;
    QTimer m_arrowTimer;
    QTimer m_arrowPauseTimer;

    qint64 m_windowState = Automatic;
    qint64 m_previousWindowState = Automatic;
    QRect m_originalArrowFrame;
    /// The scroll view's frame when the overlay was shown; null once the list's layout is
    /// back to normal.
    QRect m_originalTableFrame;
    bool m_isDragging = false;
    bool m_overlayShown = false;
    /// The list covers the options bar (the overlay finished fading in).
    bool m_listCoversOptions = false;
    bool m_hiding = false;

    /// The drag out in progress: its rows as the drag started, and their items, which
    /// say where those rows are now if the list changed during the drag.
    QList<int> m_draggingIndexes;
    QList<QPointer<PasteboardItem>> m_draggingItems;
    /// A drag the shelf can take is over its window: a drop may still come (even after the
    /// button release another program reports), so hides wait until it is over.
    bool m_dragOverShelf = false;
    bool m_hideDeferred = false;
};
