// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListView>

#include <functional>

class HBTableRowView;
class Pasteboard;

/// The shelf's one-column list. It never takes the keyboard focus (the shelf never becomes
/// the active window), draws no drop highlight of its own (the shelf's drop overlay is the
/// feedback for drops from other programs; rows dragged within the list get an insertion
/// line) and does not scroll itself: it is as tall as its rows and sits in the shelf's
/// scroll view, which scrolls it.
///
/// As a drag source it drags the selected rows, or the pressed row alone when that is not
/// selected: the row writer fills a pasteboard for them, the drag offers the source
/// operation mask, and the end handler learns where and how the drag ended. Drops are
/// taken by the shelf window, not by the list.
class HBDraggingTableView : public QListView
{
    Q_OBJECT
    Q_PROPERTY(int rowHeight READ rowHeight WRITE setRowHeight)
    Q_PROPERTY(int intercellSpacing READ intercellSpacing WRITE setIntercellSpacing)

public:
    explicit HBDraggingTableView(QWidget *parent = nullptr);

    int rowHeight() const;
    void setRowHeight(int height);
    int intercellSpacing() const;
    void setIntercellSpacing(int spacing);

    /// The row delegate.
    HBTableRowView *rowView() const { return m_rowView; }

    /// The height of all rows: (row height + spacing) × rows.
    int contentHeight() const;

    void setModel(QAbstractItemModel *model) override;
    /// Ignored: the scroll view around the list does the scrolling.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

    /// Writes the dragged rows (ascending) to a drag's pasteboard; false: no drag.
    using RowWriter = std::function<bool(const QList<int> &rows, Pasteboard *pasteboard)>;
    /// A drag out ended with the pointer at `endPoint` (screen coordinates) and the
    /// operation the receiver performed (Qt::IgnoreAction when none).
    using DragEndHandler = std::function<void(const QPoint &endPoint, Qt::DropAction operation)>;
    void setRowWriter(RowWriter writer) { m_rowWriter = std::move(writer); }
    void setDragEndHandler(DragEndHandler handler) { m_dragEndHandler = std::move(handler); }
    /// What a drag out of the list may do in the receiving program.
    void setDraggingSourceOperationMask(Qt::DropActions actions) { m_sourceOperations = actions; }
    Qt::DropActions draggingSourceOperationMask() const { return m_sourceOperations; }

    /// The rows a drag started now would carry: the selection, or the pressed row alone
    /// when the press was outside the selection. Ascending.
    QList<int> rowsToDrag() const;

    /// The insertion row for a drop at `point` (list coordinates): the row whose upper half
    /// holds the point, the one after it for the lower half, the row count below the rows.
    int dropRowAt(const QPoint &point) const;
    /// Shows the insertion line above `row` (the row count: below the last row); -1 hides it.
    void setDropIndicatorRow(int row);
    int dropIndicatorRow() const { return m_dropIndicatorRow; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void updateContentHeight();

    HBTableRowView *m_rowView;
    RowWriter m_rowWriter;
    DragEndHandler m_dragEndHandler;
    Qt::DropActions m_sourceOperations = Qt::CopyAction;
    QPersistentModelIndex m_pressedIndex;
    int m_dropIndicatorRow = -1;
};
