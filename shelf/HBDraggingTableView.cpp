// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDraggingTableView.h"

#include "HBMimePasteboard.h"
#include "HBTableRowView.h"

#include <QCursor>
#include <QDrag>
#include <QIcon>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>

HBDraggingTableView::HBDraggingTableView(QWidget *parent)
    : QListView(parent)
    , m_rowView(new HBTableRowView(this))
{
    setItemDelegate(m_rowView);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDropIndicatorShown(false);
    // Qt's own drag start (press, then a move past the start distance) ends in startDrag();
    // the list never takes drops itself, the shelf window does.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    p.setColor(QPalette::Window, Qt::transparent);
    setPalette(p);
}

int HBDraggingTableView::rowHeight() const
{
    return m_rowView->rowHeight();
}

void HBDraggingTableView::setRowHeight(int height)
{
    m_rowView->setRowHeight(qMax(1, height));
    updateContentHeight();
    doItemsLayout();
}

int HBDraggingTableView::intercellSpacing() const
{
    return m_rowView->intercellSpacing();
}

void HBDraggingTableView::setIntercellSpacing(int spacing)
{
    m_rowView->setIntercellSpacing(qMax(0, spacing));
    updateContentHeight();
    doItemsLayout();
}

int HBDraggingTableView::contentHeight() const
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    return rows * (rowHeight() + intercellSpacing());
}

void HBDraggingTableView::setModel(QAbstractItemModel *newModel)
{
    if (model())
        disconnect(model(), nullptr, this, nullptr);
    QListView::setModel(newModel);
    if (newModel) {
        const auto update = [this] { updateContentHeight(); };
        connect(newModel, &QAbstractItemModel::rowsInserted, this, update);
        connect(newModel, &QAbstractItemModel::rowsRemoved, this, update);
        connect(newModel, &QAbstractItemModel::modelReset, this, update);
        connect(newModel, &QAbstractItemModel::layoutChanged, this, update);
    }
    updateContentHeight();
}

void HBDraggingTableView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    Q_UNUSED(index)
    Q_UNUSED(hint)
}

void HBDraggingTableView::updateContentHeight()
{
    // At least as tall as the rows; the scroll view may stretch it further, so that an empty
    // list still covers the shelf and takes drops.
    setMinimumHeight(contentHeight());
}

void HBDraggingTableView::mousePressEvent(QMouseEvent *event)
{
    m_pressedIndex = indexAt(event->position().toPoint());
    QListView::mousePressEvent(event);
}

QList<int> HBDraggingTableView::rowsToDrag() const
{
    QList<int> rows;
    if (selectionModel()) {
        for (const QModelIndex &index : selectionModel()->selectedRows())
            rows.append(index.row());
    }
    if (m_pressedIndex.isValid() && !rows.contains(m_pressedIndex.row()))
        rows = {m_pressedIndex.row()};
    std::sort(rows.begin(), rows.end());
    return rows;
}

void HBDraggingTableView::startDrag(Qt::DropActions supportedActions)
{
    Q_UNUSED(supportedActions) // the model's actions; the shelf's setting decides instead
    const QList<int> rows = rowsToDrag();
    if (rows.isEmpty() || !m_rowWriter)
        return;
    HBMimePasteboard pasteboard;
    if (!m_rowWriter(rows, &pasteboard))
        return;
    // The drag owns its MIME data and outlives exec(): X11 receivers may still ask for data
    // after the drop was sent, so Qt frees it when the transfer is done.
    auto *drag = new QDrag(this);
    drag->setMimeData(pasteboard.mimeData(false).release());
    const QModelIndex first = model()->index(rows.first(), 0);
    const QVariant decoration = first.data(Qt::DecorationRole);
    const QPixmap picture = decoration.typeId() == QMetaType::QImage
        ? QPixmap::fromImage(
            decoration.value<QImage>().scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation))
        : decoration.value<QIcon>().pixmap(32, 32);
    if (!picture.isNull())
        drag->setPixmap(picture);
    // The shelf never has the keyboard focus, so Escape would go to the program in front
    // and the drag could not be cancelled: the keyboard is ours while the drag lasts.
    grabKeyboard();
    const Qt::DropAction operation = drag->exec(m_sourceOperations, Qt::CopyAction);
    releaseKeyboard();
    m_pressedIndex = QPersistentModelIndex();
    if (m_dragEndHandler)
        m_dragEndHandler(QCursor::pos(), operation);
}

int HBDraggingTableView::dropRowAt(const QPoint &point) const
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    const int pitch = rowHeight() + intercellSpacing();
    if (pitch <= 0 || point.y() < 0)
        return 0;
    const int row = point.y() / pitch;
    if (row >= rows)
        return rows;
    return point.y() - row * pitch < pitch / 2 ? row : row + 1;
}

void HBDraggingTableView::setDropIndicatorRow(int row)
{
    if (row == m_dropIndicatorRow)
        return;
    m_dropIndicatorRow = row;
    viewport()->update();
}

void HBDraggingTableView::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    if (m_dropIndicatorRow < 0)
        return;
    // The insertion line sits in the spacing above the row (below the last row at the end),
    // with a small ring at its start, in the title's colour so it shows on any shelf colour.
    const int pitch = rowHeight() + intercellSpacing();
    const int y
        = std::clamp(m_dropIndicatorRow * pitch - intercellSpacing() / 2, 2, std::max(2, height() - 2));
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(HBTableRowView::titleColor(), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(6, y), 3, 3);
    painter.drawLine(QPointF(9, y), QPointF(viewport()->width() - 4, y));
}
