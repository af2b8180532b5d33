// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBArrowAnimator.h"

#include "HBAnimationRunner.h"
#include "HBNoInteractionImageView.h"
#include "HBUserDefaults.h"

#include <cmath>

HBArrowAnimator::HBArrowAnimator(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(arrowInterval);
    connect(&m_timer, &QTimer::timeout, this, &HBArrowAnimator::actuallyAnimateArrow);
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setInterval(arrowPause);
    connect(&m_pauseTimer, &QTimer::timeout, this, [this] {
        // The arrow is back at its place at once and fades in there.
        if (m_arrow)
            m_arrow->setGeometry(m_originalFrame);
        HBAnimationRunner::run(
            this, m_fadeAnimation, 0.0, 1.0, arrowReturnDuration, [this](const QVariant &value) {
                if (m_arrow)
                    m_arrow->setAlphaValue(value.toDouble());
            });
    });
}

HBArrowAnimator::~HBArrowAnimator()
{
    m_timer.stop();
    m_pauseTimer.stop();
    HBAnimationRunner::stop(m_moveAnimation);
    HBAnimationRunner::stop(m_fadeAnimation);
}

void HBArrowAnimator::setArrowView(HBNoInteractionImageView *view)
{
    m_arrow = view;
    if (view)
        m_originalFrame = view->geometry();
}

void HBArrowAnimator::resetArrow()
{
    m_timer.stop();
    m_pauseTimer.stop();
    HBAnimationRunner::stop(m_moveAnimation);
    HBAnimationRunner::stop(m_fadeAnimation);
    if (!m_arrow)
        return;
    if (m_originalFrame.isValid())
        m_arrow->setGeometry(m_originalFrame);
    m_arrow->setAlphaValue(1);
}

void HBArrowAnimator::animateArrow()
{
    resetArrow();
    if (HBUserDefaults::standardUserDefaults().disableAnimations())
        return;
    m_timer.start();
    actuallyAnimateArrow();
}

void HBArrowAnimator::actuallyAnimateArrow()
{
    if (!m_arrow)
        return;
    const QRect from = m_arrow->geometry();
    const QRect target = from.translated(0, arrowDrop);
    HBAnimationRunner::run(
        this, m_moveAnimation, 0.0, 1.0, arrowSinkDuration,
        [this, from, target](const QVariant &value) {
            if (!m_arrow)
                return;
            const double t = value.toDouble();
            m_arrow->move(from.x(), int(std::lround(from.y() + t * (target.y() - from.y()))));
            m_arrow->setAlphaValue(1 - t);
        },
        [this] { m_pauseTimer.start(); });
}
