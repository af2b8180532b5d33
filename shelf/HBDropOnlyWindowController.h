// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVWindowController.h"

#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QVariantAnimation>

#include <memory>

class HBArrowAnimator;
class HBDraggingInfo;
class HBDropTargetView;
class HBNoInteractionImageView;
class HBPanel;

/// The drop-only window: a small panel that appears below the pointer during a drag (when
/// the setting draggingBehavior asks for it instead of the shelf) and takes drops from other
/// applications as new items, exactly as the shelf list does. It never takes the focus from
/// the application the user drags from. The shelf's controller makes, places, shows, hides
/// and releases it. Main thread only.
class HBDropOnlyWindowController : public NVWindowController
{
    Q_OBJECT

public:
    /// The window's title, for window-manager rules.
    static QString windowTitleText();
    /// Duration of the fades in and out, in milliseconds.
    static constexpr int animationDuration = 200;
    /// Delay between the window showing and its arrow starting to move, in milliseconds.
    static constexpr int arrowStartDelay = 500;
    /// How long a hide waits at most for a drag that is over the window to drop or leave.
    static constexpr int dropGracePeriod = 3000;

    explicit HBDropOnlyWindowController(QObject *parent = nullptr);
    ~HBDropOnlyWindowController() override;

    /// A new controller; its window loads on first use.
    static std::unique_ptr<HBDropOnlyWindowController> controller();

    /// The pasteboard types the window takes, in registration order: plain text, file
    /// names, TIFF, RTF, tabular text, font, ruler, colour, RTFD, HTML, URL, PDF. Neither
    /// the shelf's private row type nor file promises.
    static const QStringList &supportedTypes();

    /// Shows the window in front without activating it, fading it in to full opacity (the
    /// shelf's windowAlpha does not apply here); the arrow starts arrowStartDelay later.
    void showWindow();
    /// Stops the arrow and fades the window out, then hides and closes it. While a drag that
    /// was let in is over the window, the fade waits until it drops or leaves (at most
    /// dropGracePeriod): a drop can reach the window after the button release that hides it.
    void hideWindow();
    /// Whether a hide is waiting for a drag over the window to end.
    bool isHidePending() const { return m_hidePending; }
    /// Whether a drag that was let in is over the window.
    bool isTakingDrop() const;

    /// The operation offered to a drag: copy for drags from other applications, none for
    /// drags that started in this program and while the window fades out to go.
    Qt::DropAction validateDrop(const HBDraggingInfo &info) const;
    /// Takes a drop from another application through the intake, posting "HB.didAddItem"
    /// (no object) for each new item before it is saved. False for drops from this
    /// program and those the intake refuses.
    bool acceptDrop(const HBDraggingInfo &info);

    /// The arrow animation (HBArrowAnimator).
    void resetArrow();
    void animateArrow();
    void actuallyAnimateArrow();
    bool isArrowTimerActive() const;
    /// Whether the arrow's delayed start is still to come.
    bool isArrowStartPending() const { return m_arrowStartTimer.isActive(); }
    QRect originalArrowFrame() const;

    // ---- Outlets ----

    HBPanel *panel() const { return m_panel; }
    HBDropTargetView *tableView() const { return m_tableView; }
    HBNoInteractionImageView *arrowImageView() const { return m_arrowImageView; }

    void nv_viewDidLoad() override;

Q_SIGNALS:
    /// The window has been hidden and closed at the end of hideWindow().
    void windowDidClose();

private:
    void fadeOut();
    bool animationsDisabled() const;
    void updateArtwork();

    HBPanel *m_panel = nullptr;
    HBDropTargetView *m_tableView = nullptr;
    HBNoInteractionImageView *m_arrowImageView = nullptr;
    HBArrowAnimator *m_arrow;
    QTimer m_arrowStartTimer;
    QTimer m_dropGraceTimer;
    QPointer<QVariantAnimation> m_alphaAnimation;
    bool m_hidePending = false;
    bool m_fadingOut = false;
};
