// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>

class PasteboardItem;

/// The shelf's rows: one per item, in display order (the controller's itemsArray). Every
/// change is announced row by row (insert, remove, move, dataChanged), so that the view
/// keeps its selection and scroll position across reloads.
class HBShelfItemModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        /// The PasteboardItem (QObject *).
        ItemRole = Qt::UserRole + 1,
        /// The picture to draw: the item's icon image (QImage) or its type icon (QIcon).
        PictureRole,
        /// 0.8 while the item's picture or files are still being made, otherwise 1.0.
        PictureAlphaRole,
    };

    /// The title shown for an item without one.
    static QString noTitleText();

    explicit HBShelfItemModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    /// Rows can be dragged (out of the shelf, or within it to reorder).
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    /// The items in row order (items deleted meanwhile are left out).
    QList<PasteboardItem *> items() const;
    PasteboardItem *itemAt(int row) const;
    /// The row of `item`; -1 when it is not listed.
    int rowOf(const PasteboardItem *item) const;
    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }

    /// Makes the rows show `items`: rows of items that are gone are removed, new items are
    /// inserted, moved items are moved, and every remaining row is reported as changed
    /// (its title or picture may be new).
    void setItems(const QList<PasteboardItem *> &items);
    /// Appends one row.
    void appendItem(PasteboardItem *item);
    /// Removes the rows at `rows` (any order; out-of-range rows are ignored).
    void removeRowsAt(QList<int> rows);
    /// Moves one row from `from` to the index `to` it has afterwards (one row move).
    void moveItem(int from, int to);
    /// Shows `items` in place of the rows, announced as one reset (for rearrangements that
    /// are not a single move).
    void resetItems(const QList<PasteboardItem *> &items);
    /// Reports the row of `item` as changed; nothing when it is not listed.
    void itemChanged(PasteboardItem *item);

    /// The type icon for a title: the icon of the type its file-name extension names, or
    /// the generic one for a title without extension. Cached per extension.
    static QIcon typeIconForTitle(const QString &title);

private:
    void applyMoves(const QList<PasteboardItem *> &target);

    QList<QPointer<PasteboardItem>> m_items;
};
