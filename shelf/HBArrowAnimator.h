// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QVariantAnimation>

class HBNoInteractionImageView;

/// The "drop here" arrow's animation, shared by the shelf's drop overlay and the drop-only
/// window. Every arrowInterval ms the arrow sinks by arrowDrop points while it fades out,
/// pauses, then is back at its place at once and fades in there. Nothing moves while the
/// setting disableAnimations is on. Main thread only.
class HBArrowAnimator : public QObject
{
    Q_OBJECT

public:
    /// The cycle, in milliseconds and points.
    static constexpr int arrowInterval = 2000;
    static constexpr int arrowSinkDuration = 500;
    static constexpr int arrowPause = 400;
    static constexpr int arrowReturnDuration = 400;
    static constexpr int arrowDrop = 10;

    explicit HBArrowAnimator(QObject *parent = nullptr);
    ~HBArrowAnimator() override;

    /// The arrow to animate; its current frame becomes the original frame.
    void setArrowView(HBNoInteractionImageView *view);
    HBNoInteractionImageView *arrowView() const { return m_arrow; }

    /// Where the arrow rests, as the interface file lays it out.
    QRect originalFrame() const { return m_originalFrame; }
    void setOriginalFrame(const QRect &frame) { m_originalFrame = frame; }

    /// Stops the cycle and puts the arrow back at its original frame, fully opaque.
    void resetArrow();
    /// Restarts the cycle from the original frame (one sink at once, then one per
    /// interval); only resets while animations are disabled.
    void animateArrow();
    /// One sink and fade-out from where the arrow is, followed by the pause and the return.
    void actuallyAnimateArrow();
    /// Whether the cycle runs.
    bool isTimerActive() const { return m_timer.isActive(); }

private:
    QPointer<HBNoInteractionImageView> m_arrow;
    QRect m_originalFrame;
    QTimer m_timer;
    QTimer m_pauseTimer;
    QPointer<QVariantAnimation> m_moveAnimation;
    QPointer<QVariantAnimation> m_fadeAnimation;
};
