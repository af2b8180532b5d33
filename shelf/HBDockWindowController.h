// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBInputMonitor.h"
#include "NVWindowController.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class HBArrowAnimator;
class HBDraggingInfo;
class HBDraggingTableView;
class HBDropOnlyWindowController;
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
class QScreen;
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

    /// The arrow animation (HBArrowAnimator).
    void resetArrow();
    void animateArrow();
    void actuallyAnimateArrow();
    bool isArrowTimerActive() const;
    QRect originalArrowFrame() const;

    /// Whether a point in screen coordinates lies inside the shelf window's frame.
    bool pointIsInWindow(const QPoint &point) const;

    // ---- Drag detection ----

    /// Pointer travel, in points, after which a press in another application counts as a drag.
    static constexpr double dragThreshold = 20;
    /// With draggingBehavior 2, how near (in points beyond its inner edge) the pointer must
    /// come to the shelf's screen edge for the shelf to show.
    static constexpr int screenEdgeDistance = 150;
    /// Delay of the re-evaluation after the mouse button is released, in milliseconds.
    static constexpr int dragEndDelay = 200;

    /// The global monitor's handler: input that went to another application.
    void handleEvent(const HBInputEvent &event);
    /// The local monitor's handler: the left button was released over one of this program's
    /// windows at `screenLocation`.
    void handleLocalEvent(const QPoint &screenLocation);
    /// Straight-line distance of the pointer from where the left button went down.
    double mouseDragDistance() const;
    /// A drag event while the screen-edge rule follows the pointer.
    void mousePositionUpdated();
    /// What a detected drag shows, by the setting draggingBehavior.
    void showWindowForDraggingBehavior();
    /// Whether the exception list lets a drag in the frontmost application show anything.
    bool shouldTriggerWindowShowForCurrentApp() const;
    /// Shows the shelf while the pointer is near the shelf's screen edge.
    void showWindowForScreenEdgePosition();
    bool needsMousePositionUpdates() const { return m_needsMousePositionUpdates; }
    QPoint dragStartPoint() const { return m_dragStartPoint; }
    /// Pointer tracking over the shelf: with a button held (a drag coming in) the overlay
    /// shows; leaving a shelf with items outside a detected drag removes it.
    void mouseEntered();
    void mouseExited();

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

    // ---- The drop-only window ----

    /// Delay between hiding the drop-only window and releasing its controller, in ms.
    static constexpr int dropWindowReleaseDelay = 200;
    /// The window's distance from the pointer, and from a screen edge it would cross.
    static constexpr int dropWindowPointerDistance = 100;
    static constexpr int dropWindowEdgeMargin = 10;

    /// The drop-only window's controller: from showDropWindowNearCursor() until
    /// dropWindowReleaseDelay after the next hideDropOnlyWindow(); null otherwise.
    HBDropOnlyWindowController *dropWindowController() const { return m_dropWindowController.get(); }
    /// Makes the drop-only window if there is none (or only one that is being hidden), places
    /// it below the pointer and shows it.
    void showDropWindowNearCursor();
    /// Hides the drop-only window, if there is one, and releases its controller
    /// dropWindowReleaseDelay later (later still if a drop is still arriving). A show in
    /// between gets a fresh window and keeps it.
    void hideDropOnlyWindow();
    /// The first screen whose frame holds the pointer; else the shelf window's screen.
    QScreen *screenForCurrentMouseLocation() const;
    /// The drop-only window's frame for the pointer at `mouse` on a screen whose frame is
    /// `screenFrame` (screen coordinates: origin top left, y downwards): its top edge
    /// dropWindowPointerDistance below the pointer, centred on it, or with its bottom edge
    /// that far above the pointer when it would cross the screen's bottom edge; moved in to
    /// dropWindowEdgeMargin from a left or right edge it would cross. The top is not clamped.
    static QRect dropWindowFrame(QPoint mouse, QRect screenFrame, QSize size);

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
    bool isPreviewPopoverShown() const;
    /// A press in another application that travelled dragThreshold, holding a new drag of
    /// droppable content, becomes a detected drag: isDragging is set and the dragging
    /// behaviour runs one turn later.
    void detectDrag();
    HBInputMonitor *inputMonitor() const;
    /// Where the shelf is or would be laid out now (its frame when shown).
    QRect currentShelfFrame() const;
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
    HBArrowAnimator *m_arrow;

    qint64 m_windowState = Automatic;
    qint64 m_previousWindowState = Automatic;
    /// The scroll view's frame when the overlay was shown; null once the list's layout is
    /// back to normal.
    QRect m_originalTableFrame;
    bool m_isDragging = false;
    QPoint m_dragStartPoint;
    /// The pointer at the last event of the global monitor (or the last new drag).
    QPoint m_mouseLocation;
    bool m_needsMousePositionUpdates = false;
    /// The left button went down in another application and is not up yet.
    bool m_leftButtonDown = false;
    /// The drag selection's change count at the last release: a drag with this count is
    /// the previous one, still owning the selection.
    qint64 m_lastDragChangeCount = 0;
    bool m_overlayShown = false;
    /// The list covers the options bar (the overlay finished fading in).
    bool m_listCoversOptions = false;
    bool m_hiding = false;

    // The drop-only window.
    void releaseDropWindow(HBDropOnlyWindowController *controller);
    std::unique_ptr<HBDropOnlyWindowController> m_dropWindowController;
    /// Controllers whose windows are being hidden while a newer one is shown; each is
    /// released by its own pending release.
    std::vector<std::unique_ptr<HBDropOnlyWindowController>> m_retiredDropWindows;
    /// The current controller has a release pending.
    bool m_dropWindowReleasePending = false;
    /// The drag out in progress: its rows as the drag started, and their items, which
    /// say where those rows are now if the list changed during the drag.
    QList<int> m_draggingIndexes;
    QList<QPointer<PasteboardItem>> m_draggingItems;
    /// A drag the shelf can take is over its window: a drop may still come (even after the
    /// button release another program reports), so hides wait until it is over.
    bool m_dragOverShelf = false;
    bool m_hideDeferred = false;
};
