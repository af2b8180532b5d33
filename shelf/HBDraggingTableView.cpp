// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDraggingTableView.h"

#include "HBTableRowView.h"

#include <QPalette>

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
