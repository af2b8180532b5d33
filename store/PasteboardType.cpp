// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasteboardType.h"

#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardItem.h"

PasteboardType::PasteboardType(HBObjectContext *context)
    : HBManagedObject(HBEntity::Type, context)
{ }

PasteboardType *PasteboardType::create(HBObjectContext *context)
{
    HBObjectContext *target = context ? context : HBObjectStore::shared()->defaultContext();
    return static_cast<PasteboardType *>(target->insertNewObject(HBEntity::Type));
}

HBFetchRequest PasteboardType::fetchRequest()
{
    return HBFetchRequest::fetchRequestWithEntityName(QStringLiteral("PasteboardType"));
}

void PasteboardType::setData(const QByteArray &data)
{
    if (data == m_data && data.isNull() == m_data.isNull())
        return;
    willChangeField(DataField);
    m_data = data;
}

void PasteboardType::setType(const QString &type)
{
    if (type == m_type && type.isNull() == m_type.isNull())
        return;
    willChangeField(TypeField);
    m_type = type;
}

PasteboardItem *PasteboardType::item() const
{
    return m_item.get([this](qint64 rowId) {
        return qobject_cast<PasteboardItem *>(relatedObject(HBEntity::Item, rowId));
    });
}

void PasteboardType::setItem(PasteboardItem *item)
{
    PasteboardItem *old = this->item();
    if (old == item)
        return;
    if (item && item->managedObjectContext() != managedObjectContext()) {
        qWarning("[DEBUG] A representation must be in its item's context");
        return;
    }
    willChangeField(ItemField);
    m_item.set(item);
    if (old)
        old->childRemoved(this);
    if (item) {
        // The list is read before the link is added, so that it holds the stored ones too.
        item->types();
        item->childAdded(this);
    }
}

PasteboardType *PasteboardType::clone(HBObjectContext *context) const
{
    PasteboardType *copy = create(context);
    copy->setType(m_type);
    copy->setData(m_data);
    return copy;
}

HBManagedObject *PasteboardType::owner() const
{
    return item();
}

QVariant PasteboardType::primitiveValue(int field) const
{
    switch (field) {
    case DataField:
        return m_data.isNull() ? QVariant() : QVariant(m_data);
    case TypeField:
        return m_type.isNull() ? QVariant() : QVariant(m_type);
    case ItemField:
        return m_item.storedValue();
    }
    return {};
}

void PasteboardType::setPrimitiveValue(int field, const QVariant &value)
{
    switch (field) {
    case DataField:
        m_data = value.toByteArray();
        break;
    case TypeField:
        m_type = value.toString();
        break;
    case ItemField:
        m_item.setStoredValue(value);
        break;
    }
}

HBManagedObject *PasteboardType::relatedObjectForField(int field) const
{
    return field == ItemField ? m_item.inMemory() : nullptr;
}
