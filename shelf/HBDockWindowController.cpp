// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDockWindowController.h"

#include "HBFileManager.h"
#include "HBInputMonitor.h"

#include "FileBookmark.h"
#include "HBAnimationRunner.h"
#include "HBAppExceptionManager.h"
#include "HBArrowAnimator.h"
#include "HBDragPasteboard.h"
#include "HBDragSelection.h"
#include "HBDraggingInfo.h"
#include "HBDraggingTableView.h"
#include "HBDropOnlyWindowController.h"
#include "HBMimeTypes.h"
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
#include "Pasteboard.h"
#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include "ui_HBDockWindowController.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

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

namespace T = PasteboardTypes;

// The private row type's data: the row numbers in ASCII, comma-separated. Only this
// program writes and reads it.
QByteArray encodeRows(const QList<int> &rows)
{
    QByteArrayList parts;
    parts.reserve(rows.size());
    for (int row : rows)
        parts.append(QByteArray::number(row));
    return parts.join(',');
}

/// The rows, or nullopt when the data is not a list of rows of a list of `count`.
std::optional<QList<int>> decodeRows(const QByteArray &data, int count)
{
    if (data.isEmpty())
        return std::nullopt;
    std::set<int> rows;
    for (const QByteArray &part : data.split(',')) {
        bool ok = false;
        const int row = part.toInt(&ok);
        if (!ok || row < 0 || row >= count)
            return std::nullopt;
        rows.insert(row);
    }
    return QList<int>(rows.cbegin(), rows.cend());
}

/// Valid rows of a list of `count`, ascending, each once.
QList<int> validRows(const QList<int> &rows, int count)
{
    std::set<int> valid;
    for (int row : rows) {
        if (row >= 0 && row < count)
            valid.insert(row);
    }
    return QList<int>(valid.cbegin(), valid.cend());
}

/// Whether a stored representation must stay out of a drag: an excluded type, any promise
/// type, and any MIME type that carries a picture (the stored copies of the picture types
/// excluded by name).
bool isExcludedFromDrag(const QString &type)
{
    if (type.contains(QLatin1StringView("promise"), Qt::CaseInsensitive))
        return true;
    const QStringList &excluded = HBDockWindowController::excludedDragTypes();
    if (excluded.contains(type))
        return true;
    static const QStringList pictureTypes
        = {QString(T::NSTIFFPboardType), QString(T::PublicTIFF), QString(T::PublicJPEG)};
    return type.contains(u'/') && HBMimeTypes::formatsCanCarry({type}, pictureTypes);
}

/// Adds `path` to an ordered set of paths.
void addPath(QStringList &paths, QSet<QString> &seen, const QString &path)
{
    if (path.isEmpty() || seen.contains(path))
        return;
    seen.insert(path);
    paths.append(path);
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
    connect(HBDragSelection::sharedSelection(), &HBDragSelection::changed, this, [this] {
        if (!m_leftButtonDown)
            return;
        // Learning the types can take a round trip to the source: done now, while the
        // pointer is still on its way to the threshold, the shelf shows without waiting.
        HBDragSelection::sharedSelection()->offeredTypes();
        m_mouseLocation = inputMonitor()->mouseLocation();
        detectDrag();
    });
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
    if (!m_tableView)
        return;
    // Move only when the user allows it; Qt has no counterparts of the generic and private
    // operations the copy-only choice would add.
    const Qt::DropActions actions
        = defaults().dragOperation() == 1 ? Qt::CopyAction | Qt::MoveAction : Qt::DropActions(Qt::CopyAction);
    m_tableView->setDraggingSourceOperationMask(actions);
}

void HBDockWindowController::registerDropTypes()
{
    if (!m_contentView || !m_tableView)
        return;
    // The content view takes the drops for the whole window: the list, the empty part below
    // its rows, the options bar and the overlay (which lets drops through) all forward to
    // it, since none of them accepts drops itself.
    m_contentView->setAcceptDrops(true);
    m_tableView->setRowWriter([this](const QList<int> &rows, Pasteboard *pasteboard) {
        return writeRowsWithIndexes(rows, pasteboard);
    });
    m_tableView->setDragEndHandler([this](const QPoint &endPoint, Qt::DropAction operation) {
        draggingSessionEnded(endPoint, operation);
    });
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
    if (!force && (!m_model->isEmpty() || m_isDragging || m_dragOverShelf)) {
        // A drop may still land (another program sends it after its button release): the
        // hide waits for the drag to leave or drop.
        if (m_dragOverShelf)
            m_hideDeferred = true;
        return;
    }
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

// ---- Drag and drop ----

QStringList HBDockWindowController::supportedTypes()
{
    return HBPasteboardHelper::shelfDropTypes();
}

const QStringList &HBDockWindowController::excludedDragTypes()
{
    static const QStringList types = {
        QString(T::NSTIFFPboardType),
        QString(T::PublicTIFF),
        QString(T::PublicJPEG),
        QString(T::PublicURLName),
        QStringLiteral("Apple files promise pasteboard type"),
        QString(T::NSPromiseContentsPboardType),
        QStringLiteral("com.apple.pasteboard.promised-file-url"),
        QStringLiteral("com.apple.pasteboard.promised-file-content-type"),
        QStringLiteral("com.apple.NSFilePromiseItemMetaData"),
        QStringLiteral("com.apple.pasteboard.NSFilePromiseID"),
    };
    return types;
}

bool HBDockWindowController::writeRowsWithIndexes(const QList<int> &rows, Pasteboard *pasteboard)
{
    const QList<int> valid = validRows(rows, m_model->count());
    m_draggingIndexes = valid;
    m_draggingItems.clear();
    QList<PasteboardItem *> items;
    for (int row : valid) {
        if (PasteboardItem *item = m_model->itemAt(row)) {
            items.append(item);
            m_draggingItems.append(item);
        }
    }
    if (!pasteboard)
        return true;

    pasteboard->clearContents();
    pasteboard->setData(encodeRows(valid), T::DragIdentifier);

    QStringList paths;
    QSet<QString> seenPaths;
    for (PasteboardItem *item : std::as_const(items)) {
        // The user's own files go out where they are now: a bookmark follows a rename. One
        // that can't be resolved leaves the recorded path as it is.
        QHash<QString, QString> currentPaths;
        for (const PasteboardFile *file : item->files()) {
            if (file->isRemovable() || file->bookmarkData().isEmpty())
                continue;
            const FileBookmark::Resolution resolved = FileBookmark::resolve(file->bookmarkData());
            if (!resolved.path.isEmpty() && resolved.path != file->path())
                currentPaths.insert(file->path(), resolved.path);
        }
        const auto addPaths = [&](const QByteArray &data) {
            for (const QString &path : PropertyList::stringArray(data))
                addPath(paths, seenPaths, currentPaths.value(path, path));
        };

        QStringList types;
        const PasteboardType *main = item->mainType();
        if (main && main->type() == T::NSFilenamesPboardType)
            addPaths(main->data());
        else if (main && !isExcludedFromDrag(main->type()))
            types.append(main->type());
        const QList<PasteboardType *> representations = item->types();
        for (const PasteboardType *representation : representations) {
            const QString type = representation->type();
            if (isExcludedFromDrag(type))
                continue;
            if (type == T::NSFilenamesPboardType)
                addPaths(representation->data());
            else if (!types.contains(type))
                types.append(type);
        }
        pasteboard->addTypes(types);
        bool mainWritten = false;
        for (const PasteboardType *representation : representations) {
            if (!types.contains(representation->type()) || representation->data().isNull())
                continue;
            pasteboard->setData(representation->data(), representation->type());
            mainWritten = mainWritten || (main && representation->type() == main->type());
        }
        // A main representation kept only as the main one still goes out with its data,
        // rather than as a declared type without bytes.
        if (main && !mainWritten && types.contains(main->type()) && !main->data().isNull())
            pasteboard->setData(main->data(), main->type());
    }
    if (!paths.isEmpty())
        pasteboard->setPropertyList(QVariant(paths), T::NSFilenamesPboardType);
    return true;
}

void HBDockWindowController::draggingSessionEnded(const QPoint &endPoint, Qt::DropAction operation)
{
    if (operation != Qt::IgnoreAction && !pointIsInWindow(endPoint) && defaults().removeAfterDrag()) {
        // The items, not the row numbers: the list may have changed while the drag lasted.
        QList<int> rows;
        for (const QPointer<PasteboardItem> &item : std::as_const(m_draggingItems)) {
            const int row = m_model->rowOf(item.data());
            if (row >= 0)
                rows.append(row);
        }
        if (!rows.isEmpty())
            removeItemsAtIndexes(rows, false);
    }
    m_draggingIndexes.clear();
    m_draggingItems.clear();
}

Qt::DropAction HBDockWindowController::validateDrop(const HBDraggingInfo *info, int row)
{
    if (!info)
        return Qt::IgnoreAction;
    if (info->draggingSource()) {
        const Pasteboard *pasteboard = info->draggingPasteboard();
        const bool rows = pasteboard && !pasteboard->dataForType(T::DragIdentifier).isNull();
        m_tableView->setDropIndicatorRow(rows ? std::clamp(row, 0, m_model->count()) : -1);
        return rows ? Qt::MoveAction : Qt::IgnoreAction;
    }
    m_tableView->setDropIndicatorRow(-1);
    return Qt::CopyAction;
}

bool HBDockWindowController::acceptDrop(const HBDraggingInfo *info, int row)
{
    m_tableView->setDropIndicatorRow(-1);
    if (!info)
        return false;
    if (info->draggingSource())
        return acceptLocalDrop(info, row);
    if (isOverlayShown())
        removeOverlayAnimated(false);
    return addFromPasteboard(info->draggingPasteboard(), info);
}

bool HBDockWindowController::acceptLocalDrop(const HBDraggingInfo *info, int row)
{
    const Pasteboard *pasteboard = info ? info->draggingPasteboard() : nullptr;
    if (!pasteboard)
        return false;
    QList<PasteboardItem *> list = m_model->items();
    if (list.size() != m_model->count())
        return false; // rows whose items are gone: numbers would not match the list
    const int count = int(list.size());
    const std::optional<QList<int>> decoded = decodeRows(pasteboard->dataForType(T::DragIdentifier), count);
    if (!decoded)
        return false;
    QList<int> moved = *decoded;
    if (!m_draggingItems.isEmpty()) {
        // Our own drag is still running: its items say where the rows are now.
        QList<int> current;
        for (const QPointer<PasteboardItem> &item : std::as_const(m_draggingItems)) {
            const int at = m_model->rowOf(item.data());
            if (at >= 0)
                current.append(at);
        }
        moved = validRows(current, count);
    }
    if (moved.isEmpty())
        return false;
    const int r = std::clamp(row, 0, count);
    const int below = int(std::count_if(moved.cbegin(), moved.cend(), [r](int i) { return i < r; }));

    QList<PasteboardItem *> block;
    for (int i : std::as_const(moved))
        block.append(list.at(i));
    for (qsizetype i = moved.size() - 1; i >= 0; --i)
        list.removeAt(moved.at(i));
    const int destination = r - below;
    for (qsizetype i = 0; i < block.size(); ++i)
        list.insert(destination + i, block.at(i));

    for (int i = 0; i < count; ++i)
        list.at(i)->setOrder(i);
    HBObjectStore::shared()->defaultContext()->save();

    if (moved.size() == 1)
        m_model->moveItem(moved.first(), destination);
    else
        m_model->resetItems(list);
    return true;
}

bool HBDockWindowController::addFromPasteboard(Pasteboard *pasteboard, const HBDraggingInfo *info)
{
    // Rows appear at once; Qt's list has no row animations, so the fade is left out.
    const auto preSave = [this](PasteboardItem *item) { m_model->appendItem(item); };
    const auto postSave = [this](PasteboardItem *) {
        actuallyShowWindowAnimated(true);
        updateContentView();
    };
    return HBPasteboardHelper::sharedHelper().acceptDrop(pasteboard, info, preSave, postSave);
}

void HBDockWindowController::removeItemsAtIndexes(const QList<int> &rows, bool deletesFile)
{
    const QList<int> valid = validRows(rows, m_model->count());
    if (valid.isEmpty())
        return;
    const bool leaveFiles = deletesFile ? false : defaults().removeAfterDrag();
    for (int row : valid) {
        if (PasteboardItem *item = m_model->itemAt(row))
            item->deleteEntityIgnoringFiles(leaveFiles);
    }
    HBObjectStore::shared()->defaultContext()->save();
    m_model->removeRowsAt(valid);
    if (!m_model->isEmpty())
        actuallyShowWindowAnimated(true);
    else
        hideWindowForActiveAppIfNeeded(true);
    updateContentView();
}

int HBDockWindowController::dropRowForEvent(const QDropEvent &event) const
{
    const QPoint inList = m_tableView->mapFrom(m_contentView, event.position().toPoint());
    return m_tableView->dropRowAt(inList);
}

bool HBDockWindowController::handleDragEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto *enter = static_cast<QDragEnterEvent *>(event);
        const QStringList formats = enter->mimeData() ? enter->mimeData()->formats() : QStringList();
        // Judged from the offered names alone: asking another program for data here would
        // run its data handlers (and start promised transfers) before any drop.
        const bool takes = enter->source()
            ? HBMimeTypes::formatsCanCarry(formats, {QString(T::DragIdentifier)})
            : HBMimeTypes::formatsCanCarry(formats, supportedTypes());
        if (!takes) {
            enter->ignore();
            return true;
        }
        m_dragOverShelf = true;
        draggingEnteredShelf();
        [[fallthrough]];
    }
    case QEvent::DragMove: {
        auto *move = static_cast<QDragMoveEvent *>(event);
        const HBDraggingInfo info(*move);
        const Qt::DropAction action = validateDrop(&info, dropRowForEvent(*move));
        if (action == Qt::IgnoreAction) {
            move->ignore();
        } else if (move->possibleActions() & action) {
            move->setDropAction(action);
            move->accept();
        } else {
            move->acceptProposedAction();
        }
        return true;
    }
    case QEvent::DragLeave:
        m_tableView->setDropIndicatorRow(-1);
        if (m_dragOverShelf) {
            draggingExitedShelf();
            endDragOverShelf();
        }
        return true;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const HBDraggingInfo info(*drop);
        const bool local = info.draggingSource() != nullptr;
        const Qt::DropAction action = local ? Qt::MoveAction : Qt::CopyAction;
        if (acceptDrop(&info, dropRowForEvent(*drop))) {
            if (drop->possibleActions() & action)
                drop->setDropAction(action);
            drop->accept();
        } else {
            drop->ignore();
        }
        endDragOverShelf();
        return true;
    }
    default:
        return false;
    }
}

void HBDockWindowController::draggingEnteredShelf()
{
    // Another program's drag reaches the window as drag events, not as pointer crossings.
    mouseEntered();
}

void HBDockWindowController::draggingExitedShelf()
{
    mouseExited();
}

void HBDockWindowController::endDragOverShelf()
{
    m_dragOverShelf = false;
    if (!m_hideDeferred)
        return;
    m_hideDeferred = false;
    hideWindowForActiveAppIfNeeded(true);
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
    if (watched == m_contentView && handleDragEvent(event))
        return true;
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
    // The monitor read the pointer for the event; asking the server again would cost a
    // round trip on every motion of a drag.
    m_mouseLocation = event.location;
    switch (event.type) {
    case HBInputEvent::LeftMouseDown:
        m_dragStartPoint = event.location;
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
        QTimer::singleShot(dragEndDelay, this, [this] { hideWindowForActiveAppIfNeeded(true); });
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
    const QPointF delta = QPointF(m_mouseLocation - m_dragStartPoint);
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
    const int px = m_mouseLocation.x();
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
    if (inputMonitor()->pressedMouseButtons() != Qt::NoButton)
        showOverlay();
}

void HBDockWindowController::mouseExited()
{
    resetArrow();
    if (!m_model->isEmpty() && !m_isDragging)
        removeOverlayAnimated(true);
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
