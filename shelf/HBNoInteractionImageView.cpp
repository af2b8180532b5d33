// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBNoInteractionImageView.h"

#include "KelvoraResources.h"

#include <QPainter>

#include <algorithm>

HBNoInteractionImageView::HBNoInteractionImageView(QWidget *parent)
    : QWidget(parent)
{
    // Skipped by Qt's hit testing for the pointer and for drops (QWidget::childAt).
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAcceptDrops(false);
}

void HBNoInteractionImageView::setImageName(const QString &name)
{
    m_imageName = name;
    setImage(QIcon(KelvoraResources::imagePath(name)));
}

void HBNoInteractionImageView::setImage(const QIcon &image)
{
    m_image = image;
    update();
}

void HBNoInteractionImageView::setAlphaValue(double alpha)
{
    m_alphaValue = std::clamp(alpha, 0.0, 1.0);
    update();
}

void HBNoInteractionImageView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    if (m_image.isNull() || m_alphaValue <= 0)
        return;
    QPainter painter(this);
    painter.setOpacity(m_alphaValue);
    m_image.paint(&painter, rect());
}
