// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

/// Draws each row of the shelf list: the item's picture (faded to 0.8 while it is pending)
/// above its title, in white on dark shelf colours and black on light ones. A selected row
/// is filled with black at 0.2 opacity; an unselected row draws no background, so the
/// shelf's colour shows through.
class HBTableRowView : public QStyledItemDelegate
{
    Q_OBJECT

public:
    /// The selection fill.
    static QColor selectionColor() { return QColor::fromRgbF(0, 0, 0, 0.2f); }

    explicit HBTableRowView(QObject *parent = nullptr);

    /// The row's height without the spacing below it.
    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int height) { m_rowHeight = height; }
    /// The space between two rows.
    int intercellSpacing() const { return m_intercellSpacing; }
    void setIntercellSpacing(int spacing) { m_intercellSpacing = spacing; }

    /// The title's colour on the current windowColor.
    static QColor titleColor();

    void paint(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_rowHeight = 64;
    int m_intercellSpacing = 2;
};
