// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVNoScrollView.h"

#include <QWheelEvent>

NVNoScrollView::NVNoScrollView(QWidget *parent)
    : QScrollArea(parent)
{ }

bool NVNoScrollView::viewportEvent(QEvent *event)
{
    if (!m_scrollingEnabled) {
        switch (event->type()) {
        case QEvent::Wheel:
        case QEvent::Gesture:
        case QEvent::NativeGesture:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            // Dropped here rather than ignored, so that no enclosing view scrolls instead.
            event->accept();
            return true;
        default:
            break;
        }
    }
    return QScrollArea::viewportEvent(event);
}

void NVNoScrollView::wheelEvent(QWheelEvent *event)
{
    if (!m_scrollingEnabled) {
        event->accept();
        return;
    }
    QScrollArea::wheelEvent(event);
}
