// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListView>

class HBTableRowView;

/// The shelf's one-column list. It never takes the keyboard focus (the shelf never becomes
/// the active window), draws no drop indicator of its own (the shelf's drop overlay is the
/// feedback) and does not scroll itself: it is as tall as its rows and sits in the shelf's
/// scroll view, which scrolls it.
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

private:
    void updateContentHeight();

    HBTableRowView *m_rowView;
};
