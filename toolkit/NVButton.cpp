// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVButton.h"

NVButton::NVButton(QWidget *parent)
    : QPushButton(parent)
{
    // Hover events arrive whether or not the window is active: the shelf never is.
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

void NVButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    setHovered(true);
    setCursor(Qt::PointingHandCursor);
}

void NVButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    setHovered(false);
    setCursor(Qt::ArrowCursor);
}

void NVButton::setHovered(bool hovered)
{
    if (hovered == m_hovered)
        return;
    m_hovered = hovered;
    update();
    Q_EMIT hoveredChanged(hovered);
}
