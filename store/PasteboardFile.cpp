// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasteboardFile.h"

#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardItem.h"

PasteboardFile::PasteboardFile(HBObjectContext *context)
    : HBManagedObject(HBEntity::File, context)
{ }

PasteboardFile *PasteboardFile::create(HBObjectContext *context)
{
    HBObjectContext *target = context ? context : HBObjectStore::shared()->defaultContext();
    return static_cast<PasteboardFile *>(target->insertNewObject(HBEntity::File));
}

HBFetchRequest PasteboardFile::fetchRequest()
{
    return HBFetchRequest::fetchRequestWithEntityName(QStringLiteral("PasteboardFile"));
}

void PasteboardFile::setBookmarkData(const QByteArray &bookmarkData)
{
    if (bookmarkData == m_bookmarkData && bookmarkData.isNull() == m_bookmarkData.isNull())
        return;
    willChangeField(BookmarkDataField);
    m_bookmarkData = bookmarkData;
}

void PasteboardFile::setIsRemovable(bool isRemovable)
{
    if (isRemovable == m_isRemovable)
        return;
    willChangeField(IsRemovableField);
    m_isRemovable = isRemovable;
}

void PasteboardFile::setPath(const QString &path)
{
    if (path == m_path && path.isNull() == m_path.isNull())
        return;
    willChangeField(PathField);
    m_path = path;
}

void PasteboardFile::setIsAlias(bool isAlias)
{
    if (isAlias == m_isAlias)
        return;
    willChangeField(IsAliasField);
    m_isAlias = isAlias;
}

PasteboardItem *PasteboardFile::item() const
{
    return m_item.get([this](qint64 rowId) {
        return qobject_cast<PasteboardItem *>(relatedObject(HBEntity::Item, rowId));
    });
}

void PasteboardFile::setItem(PasteboardItem *item)
{
    PasteboardItem *old = this->item();
    if (old == item)
        return;
    if (item && item->managedObjectContext() != managedObjectContext()) {
        qWarning("[DEBUG] A file record must be in its item's context");
        return;
    }
    willChangeField(ItemField);
    m_item.set(item);
    if (old)
        old->childRemoved(this);
    if (item) {
        // The list is read before the link is added, so that it holds the stored ones too.
        item->files();
        item->childAdded(this);
    }
}

HBManagedObject *PasteboardFile::owner() const
{
    return item();
}

QVariant PasteboardFile::primitiveValue(int field) const
{
    switch (field) {
    case BookmarkDataField:
        return m_bookmarkData.isNull() ? QVariant() : QVariant(m_bookmarkData);
    case IsRemovableField:
        return QVariant::fromValue<qint64>(m_isRemovable ? 1 : 0);
    case PathField:
        return m_path.isNull() ? QVariant() : QVariant(m_path);
    case IsAliasField:
        return QVariant::fromValue<qint64>(m_isAlias ? 1 : 0);
    case ItemField:
        return m_item.storedValue();
    }
    return {};
}

void PasteboardFile::setPrimitiveValue(int field, const QVariant &value)
{
    switch (field) {
    case BookmarkDataField:
        m_bookmarkData = value.toByteArray();
        break;
    case IsRemovableField:
        m_isRemovable = value.isNull() || value.toLongLong() != 0;
        break;
    case PathField:
        m_path = value.toString();
        break;
    case IsAliasField:
        m_isAlias = !value.isNull() && value.toLongLong() != 0;
        break;
    case ItemField:
        m_item.setStoredValue(value);
        break;
    }
}

HBManagedObject *PasteboardFile::relatedObjectForField(int field) const
{
    return field == ItemField ? m_item.inMemory() : nullptr;
}
