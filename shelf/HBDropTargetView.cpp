// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDropTargetView.h"

#include "HBDraggingInfo.h"
#include "HBMimeTypes.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

HBDropTargetView::HBDropTargetView(QWidget *parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TranslucentBackground);
}

void HBDropTargetView::registerForDraggedTypes(const QStringList &types)
{
    m_types = types;
}

bool HBDropTargetView::validate(QDropEvent *event)
{
    const HBDraggingInfo info(*event);
    const Qt::DropAction action = m_validator ? m_validator(info) : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction || !(event->possibleActions() & action)) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

void HBDropTargetView::dragEnterEvent(QDragEnterEvent *event)
{
    // Only the names of the formats are looked at here: asking a drag for data before it
    // is dropped costs a round trip to its source, and some sources act on the request.
    const QMimeData *mime = event->mimeData();
    if (!mime || !HBMimeTypes::formatsCanCarry(mime->formats(), m_types)) {
        event->ignore();
        return;
    }
    m_dragInside = validate(event);
}

void HBDropTargetView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!m_dragInside) {
        event->ignore();
        return;
    }
    validate(event);
}

void HBDropTargetView::dragLeaveEvent(QDragLeaveEvent *event)
{
    Q_UNUSED(event)
    endDrag();
}

void HBDropTargetView::dropEvent(QDropEvent *event)
{
    const HBDraggingInfo info(*event);
    const bool taken = m_dragInside && validate(event) && m_acceptor && m_acceptor(info);
    if (taken)
        event->accept();
    else
        event->ignore();
    endDrag();
}

void HBDropTargetView::endDrag()
{
    if (!m_dragInside)
        return;
    m_dragInside = false;
    Q_EMIT dragEnded();
}
