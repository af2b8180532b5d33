// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDropOnlyWindowController.h"

#include "HBAnimationRunner.h"
#include "HBArrowAnimator.h"
#include "HBDraggingInfo.h"
#include "HBDropTargetView.h"
#include "HBNoInteractionImageView.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBPanel.h"
#include "HBPasteboardHelper.h"
#include "HBUserDefaults.h"
#include "HBWindowBackgroundView.h"
#include "NSColorHelpers.h"
#include "NVInterfaceFiles.h"

#include "ui_HBDropOnlyWindowController.h"

NV_INTERFACE_FILE(HBDropOnlyWindowController);

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

} // namespace

QString HBDropOnlyWindowController::windowTitleText()
{
    return QStringLiteral("Kelvora Drop");
}

HBDropOnlyWindowController::HBDropOnlyWindowController(QObject *parent)
    : NVWindowController(parent)
    , m_arrow(new HBArrowAnimator(this))
{
    m_arrowStartTimer.setSingleShot(true);
    m_arrowStartTimer.setInterval(arrowStartDelay);
    connect(&m_arrowStartTimer, &QTimer::timeout, this, &HBDropOnlyWindowController::animateArrow);
    m_dropGraceTimer.setSingleShot(true);
    m_dropGraceTimer.setInterval(dropGracePeriod);
    // A source that vanished mid-drag sends neither its drop nor its leave.
    connect(&m_dropGraceTimer, &QTimer::timeout, this, &HBDropOnlyWindowController::fadeOut);
}

HBDropOnlyWindowController::~HBDropOnlyWindowController()
{
    HBAnimationRunner::stop(m_alphaAnimation);
}

std::unique_ptr<HBDropOnlyWindowController> HBDropOnlyWindowController::controller()
{
    return NVWindowController::controller<HBDropOnlyWindowController>();
}

const QStringList &HBDropOnlyWindowController::supportedTypes()
{
    return HBPasteboardHelper::dropWindowDropTypes();
}

void HBDropOnlyWindowController::nv_viewDidLoad()
{
    m_panel = qobject_cast<HBPanel *>(window());
    m_tableView = outlet<HBDropTargetView>(QStringLiteral("tableView"));
    m_arrowImageView = outlet<HBNoInteractionImageView>(QStringLiteral("arrowImageView"));
    Q_ASSERT(m_panel && m_tableView && m_arrowImageView);

    m_panel->setTitle(windowTitleText());
    // Closing it at the end of a hide must never count as the program's last window closing.
    m_panel->setAttribute(Qt::WA_QuitOnClose, false);
    m_arrow->setArrowView(m_arrowImageView);

    m_tableView->registerForDraggedTypes(supportedTypes());
    m_tableView->setValidator([this](const HBDraggingInfo &info) { return validateDrop(info); });
    m_tableView->setAcceptor([this](const HBDraggingInfo &info) { return acceptDrop(info); });
    // Queued: the drag ends inside the toolkit's drop handling, which still uses the
    // window's native window after the handler returns; closing it there destroys that.
    connect(
        m_tableView, &HBDropTargetView::dragEnded, this,
        [this] {
            if (m_hidePending)
                fadeOut();
        },
        Qt::QueuedConnection);

    updateArtwork();
    defaults().observe(
        HBSettingsKeys::windowColor, this, [this](const QVariant &, const QVariant &) { updateArtwork(); });
}

void HBDropOnlyWindowController::updateArtwork()
{
    if (!m_arrowImageView)
        return;
    const bool light = nv_isLightColor(defaults().windowColor());
    m_arrowImageView->setImageName(light ? QStringLiteral("icon-arrow-dark") : QStringLiteral("icon-arrow"));
}

bool HBDropOnlyWindowController::animationsDisabled() const
{
    return defaults().disableAnimations();
}

// ---- Showing and hiding ----

void HBDropOnlyWindowController::showWindow()
{
    if (!window() || !m_panel)
        return;
    m_hidePending = false;
    m_fadingOut = false;
    m_dropGraceTimer.stop();
    m_arrowStartTimer.start();
    const bool wasVisible = m_panel->isVisible();
    if (!wasVisible)
        m_panel->setWindowOpacity(0);
    // Shown in front without activation (HBPanel): the user is dragging from another
    // application, which must keep the focus.
    m_panel->show();
    m_panel->raise();
    HBAnimationRunner::run(this, m_alphaAnimation, m_panel->windowOpacity(), 1.0,
        animationsDisabled() ? 0 : animationDuration, [this](const QVariant &value) {
            if (m_panel)
                m_panel->setWindowOpacity(value.toDouble());
        });
}

void HBDropOnlyWindowController::hideWindow()
{
    resetArrow();
    if (isTakingDrop()) {
        m_hidePending = true;
        m_dropGraceTimer.start();
        return;
    }
    fadeOut();
}

bool HBDropOnlyWindowController::isTakingDrop() const
{
    return m_tableView && m_tableView->isDragInside();
}

void HBDropOnlyWindowController::fadeOut()
{
    m_hidePending = false;
    m_fadingOut = true;
    m_dropGraceTimer.stop();
    if (!m_panel)
        return;
    HBAnimationRunner::run(
        this, m_alphaAnimation, m_panel->windowOpacity(), 0.0, animationsDisabled() ? 0 : animationDuration,
        [this](const QVariant &value) {
            if (m_panel)
                m_panel->setWindowOpacity(value.toDouble());
        },
        [this] {
            if (m_panel) {
                m_panel->hide();
                m_panel->close();
            }
            Q_EMIT windowDidClose();
        });
}

// ---- Drops ----

Qt::DropAction HBDropOnlyWindowController::validateDrop(const HBDraggingInfo &info) const
{
    // A window on its way out takes no new drag: it is released shortly, drop or not.
    if (m_fadingOut)
        return Qt::IgnoreAction;
    return info.draggingSource() ? Qt::IgnoreAction : Qt::CopyAction;
}

bool HBDropOnlyWindowController::acceptDrop(const HBDraggingInfo &info)
{
    // The shelf's own rows are dropped on the shelf, never here.
    if (info.draggingSource())
        return false;
    // Posted before the save: the shelf reloads at once and lists the new item, which its
    // fetch already includes while it is unsaved.
    const auto announce
        = [](PasteboardItem *) { HBNotificationCenter::defaultCenter()->post(HBNotifications::DidAddItem); };
    return HBPasteboardHelper::sharedHelper().acceptDrop(info.draggingPasteboard(), &info, announce, {});
}

// ---- The arrow ----

void HBDropOnlyWindowController::resetArrow()
{
    m_arrowStartTimer.stop();
    m_arrow->resetArrow();
}

void HBDropOnlyWindowController::animateArrow()
{
    m_arrow->animateArrow();
}

void HBDropOnlyWindowController::actuallyAnimateArrow()
{
    m_arrow->actuallyAnimateArrow();
}

bool HBDropOnlyWindowController::isArrowTimerActive() const
{
    return m_arrow->isTimerActive();
}

QRect HBDropOnlyWindowController::originalArrowFrame() const
{
    return m_arrow->originalFrame();
}
