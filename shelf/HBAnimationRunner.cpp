// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBAnimationRunner.h"

#include <QEasingCurve>

void HBAnimationRunner::stop(QPointer<QVariantAnimation> &slot)
{
    QVariantAnimation *old = slot.data();
    slot = nullptr;
    if (!old)
        return;
    // Neither its steps nor its completion run any more.
    old->disconnect();
    old->stop();
    old->deleteLater();
}

void HBAnimationRunner::run(QObject *owner, QPointer<QVariantAnimation> &slot, const QVariant &from,
    const QVariant &to, int duration, std::function<void(const QVariant &)> apply,
    std::function<void()> completion)
{
    stop(slot);
    if (duration <= 0) {
        apply(to);
        if (completion)
            completion();
        return;
    }
    auto *animation = new QVariantAnimation(owner);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(duration);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    QObject::connect(animation, &QVariantAnimation::valueChanged, owner, std::move(apply));
    QPointer<QVariantAnimation> *slotAddress = &slot;
    QObject::connect(animation, &QAbstractAnimation::finished, owner,
        [slotAddress, animation, completion = std::move(completion)] {
            if (slotAddress->data() == animation)
                *slotAddress = nullptr;
            animation->deleteLater();
            if (completion)
                completion();
        });
    slot = animation;
    animation->start();
}
