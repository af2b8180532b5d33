// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBRoundedCornersScrollView.h"

#include "HBWindowBackgroundView.h"

#include <QPainterPath>
#include <QRegion>

HBRoundedCornersScrollView::HBRoundedCornersScrollView(QWidget *parent)
    : NVNoScrollView(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    updateMask();
}

void HBRoundedCornersScrollView::setCurvedCorners(int curvedCorners)
{
    m_curvedCorners = curvedCorners;
    updateMask();
}

void HBRoundedCornersScrollView::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    updateMask();
}

void HBRoundedCornersScrollView::updateMask()
{
    if (width() <= 0 || height() <= 0)
        return;
    const QPainterPath path
        = HBWindowBackgroundView::cornerPath(QRectF(rect()), m_cornerRadius, m_curvedCorners);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void HBRoundedCornersScrollView::resizeEvent(QResizeEvent *event)
{
    NVNoScrollView::resizeEvent(event);
    updateMask();
}
