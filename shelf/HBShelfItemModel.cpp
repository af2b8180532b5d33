// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBShelfItemModel.h"

#include "PasteboardItem.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>

#include <algorithm>

namespace {

// Rearrangements with more moves than this are announced as one reset: announcing each
// move costs a search of the list, which adds up for a reversed list of thousands.
constexpr int maximumAnnouncedMoves = 256;

QString extensionOf(const QString &title)
{
    const qsizetype dot = title.lastIndexOf(u'.');
    if (dot < 0 || dot == title.size() - 1 || title.indexOf(u'/', dot) >= 0)
        return {};
    return title.mid(dot + 1).toLower();
}

} // namespace

QString HBShelfItemModel::noTitleText()
{
    return QStringLiteral("<No Title>");
}

HBShelfItemModel::HBShelfItemModel(QObject *parent)
    : QAbstractListModel(parent)
{ }

int HBShelfItemModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant HBShelfItemModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    PasteboardItem *item = m_items.at(index.row());
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const QString title = item->title();
        return title.isEmpty() ? noTitleText() : title;
    }
    case ItemRole:
        return QVariant::fromValue(static_cast<QObject *>(item));
    case Qt::DecorationRole:
    case PictureRole: {
        const QImage image = item->iconImage();
        if (!image.isNull())
            return image;
        return typeIconForTitle(item->title());
    }
    case PictureAlphaRole:
        return item->iconIsPending() ? 0.8 : 1.0;
    default:
        return {};
    }
}

Qt::ItemFlags HBShelfItemModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractListModel::flags(index);
    if (index.isValid())
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

int HBShelfItemModel::rowOf(const PasteboardItem *item) const
{
    if (!item)
        return -1;
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row) == item)
            return row;
    }
    return -1;
}

void HBShelfItemModel::moveItem(int from, int to)
{
    const int count = int(m_items.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return;
    // Qt names the destination as the row the moved row goes before, counted before the move.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_items.move(from, to);
    endMoveRows();
}

void HBShelfItemModel::resetItems(const QList<PasteboardItem *> &items)
{
    beginResetModel();
    m_items.clear();
    m_items.reserve(items.size());
    for (PasteboardItem *item : items)
        m_items.append(item);
    endResetModel();
}

QList<PasteboardItem *> HBShelfItemModel::items() const
{
    QList<PasteboardItem *> items;
    items.reserve(m_items.size());
    for (const QPointer<PasteboardItem> &item : m_items) {
        if (item)
            items.append(item);
    }
    return items;
}

PasteboardItem *HBShelfItemModel::itemAt(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items.at(row).data() : nullptr;
}

void HBShelfItemModel::setItems(const QList<PasteboardItem *> &items)
{
    if (m_items.isEmpty() && items.isEmpty())
        return;
    if (m_items.isEmpty()) {
        beginInsertRows({}, 0, int(items.size()) - 1);
        m_items.reserve(items.size());
        for (PasteboardItem *item : items)
            m_items.append(item);
        endInsertRows();
        return;
    }
    if (items.isEmpty()) {
        beginRemoveRows({}, 0, int(m_items.size()) - 1);
        m_items.clear();
        endRemoveRows();
        return;
    }

    // 1. Remove the rows whose items are gone, in blocks, from the bottom up.
    const QSet<const PasteboardItem *> wanted(items.cbegin(), items.cend());
    for (int row = int(m_items.size()) - 1; row >= 0;) {
        if (m_items.at(row) && wanted.contains(m_items.at(row).data())) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && !(m_items.at(first - 1) && wanted.contains(m_items.at(first - 1).data())))
            --first;
        beginRemoveRows({}, first, row);
        m_items.remove(first, row - first + 1);
        endRemoveRows();
        row = first - 1;
    }

    // 2. Put the remaining rows into the new order.
    applyMoves(items);

    // 3. Insert the new items at their places, in blocks.
    QSet<const PasteboardItem *> present;
    present.reserve(m_items.size());
    for (const QPointer<PasteboardItem> &item : m_items)
        present.insert(item.data());
    for (int i = 0; i < items.size();) {
        if (present.contains(items.at(i))) {
            ++i;
            continue;
        }
        int last = i;
        while (last + 1 < items.size() && !present.contains(items.at(last + 1)))
            ++last;
        beginInsertRows({}, i, last);
        for (int k = i; k <= last; ++k)
            m_items.insert(k, items.at(k));
        endInsertRows();
        i = last + 1;
    }

    // Titles and pictures may have changed on any row.
    if (!m_items.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_items.size()) - 1));
}

void HBShelfItemModel::applyMoves(const QList<PasteboardItem *> &target)
{
    // The order the kept rows must take: the target's order restricted to them.
    QSet<const PasteboardItem *> kept;
    kept.reserve(m_items.size());
    for (const QPointer<PasteboardItem> &item : m_items)
        kept.insert(item.data());
    QList<PasteboardItem *> order;
    order.reserve(m_items.size());
    for (PasteboardItem *item : target) {
        if (kept.contains(item))
            order.append(item);
    }
    int misplaced = 0;
    for (int i = 0; i < order.size(); ++i) {
        if (m_items.at(i) != order.at(i))
            ++misplaced;
    }
    if (misplaced == 0)
        return;
    if (misplaced > maximumAnnouncedMoves) {
        beginResetModel();
        m_items.clear();
        for (PasteboardItem *item : order)
            m_items.append(item);
        endResetModel();
        return;
    }
    for (int i = 0; i < order.size(); ++i) {
        if (m_items.at(i) == order.at(i))
            continue;
        int from = i + 1;
        while (from < m_items.size() && m_items.at(from) != order.at(i))
            ++from;
        if (from >= m_items.size())
            continue;
        beginMoveRows({}, from, from, {}, i);
        m_items.move(from, i);
        endMoveRows();
    }
}

void HBShelfItemModel::appendItem(PasteboardItem *item)
{
    if (!item)
        return;
    const int row = int(m_items.size());
    beginInsertRows({}, row, row);
    m_items.append(item);
    endInsertRows();
}

void HBShelfItemModel::removeRowsAt(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the bottom up, in blocks of neighbouring rows, so that the rows still to remove
    // keep their numbers.
    for (qsizetype i = rows.size() - 1; i >= 0;) {
        const int last = rows.at(i);
        if (last < 0 || last >= m_items.size()) {
            --i;
            continue;
        }
        int first = last;
        while (i > 0 && rows.at(i - 1) == first - 1 && rows.at(i - 1) >= 0) {
            --first;
            --i;
        }
        --i;
        beginRemoveRows({}, first, last);
        m_items.remove(first, last - first + 1);
        endRemoveRows();
    }
}

void HBShelfItemModel::itemChanged(PasteboardItem *item)
{
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row) == item) {
            Q_EMIT dataChanged(index(row), index(row));
            return;
        }
    }
}

QIcon HBShelfItemModel::typeIconForTitle(const QString &title)
{
    static QHash<QString, QIcon> cache;
    const QString extension = extensionOf(title);
    const auto cached = cache.constFind(extension);
    if (cached != cache.constEnd())
        return *cached;

    static const QMimeDatabase database;
    const QMimeType type = extension.isEmpty()
        ? database.mimeTypeForName(QStringLiteral("application/octet-stream"))
        : database.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) {
        // No icon theme (or none that knows the type): the style's file icon.
        static const QFileIconProvider provider;
        icon = extension.isEmpty() ? provider.icon(QFileIconProvider::File)
                                   : provider.icon(QFileInfo(QStringLiteral("x.") + extension));
        if (icon.isNull())
            icon = provider.icon(QFileIconProvider::File);
    }
    cache.insert(extension, icon);
    return icon;
}
