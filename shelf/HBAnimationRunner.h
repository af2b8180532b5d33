// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QVariant>
#include <QVariantAnimation>

#include <functional>

class QObject;

/// Short value animations kept in "slots": a slot holds at most one running animation, and
/// starting another in the same slot replaces it, so that a fade-in that interrupts a
/// fade-out ends the fade-out without running its completion. Main thread only.
class HBAnimationRunner final
{
public:
    /// Runs an animation from `from` to `to` over `duration` ms that hands each value to
    /// `apply`, then runs `completion`; for 0 ms, applies `to` and completes at once. The
    /// animation is a child of `owner`, which must outlive `slot`'s use (the slot is
    /// normally a member of the owner). One running in `slot` is stopped first, without
    /// its completion.
    static void run(QObject *owner, QPointer<QVariantAnimation> &slot, const QVariant &from,
        const QVariant &to, int duration, std::function<void(const QVariant &)> apply,
        std::function<void()> completion = {});

    /// Stops the animation in `slot`, if any, without its completion.
    static void stop(QPointer<QVariantAnimation> &slot);
};
