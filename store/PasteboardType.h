// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBFetchRequest.h"
#include "HBItemLink.h"
#include "HBManagedObject.h"

#include <QByteArray>
#include <QString>

class PasteboardItem;

/// One pasteboard representation of an item: its type name and its bytes exactly as the
/// pasteboard gave them.
class PasteboardType : public HBManagedObject
{
    Q_OBJECT

public:
    /// Stored fields, in column order.
    enum Field { DataField, TypeField, ItemField };

    /// A new, unsaved representation in `context` (nullptr: the default context).
    static PasteboardType *create(HBObjectContext *context = nullptr);
    /// A request for all representations.
    static HBFetchRequest fetchRequest();

    QByteArray data() const { return m_data; }
    void setData(const QByteArray &data);
    QString type() const { return m_type; }
    void setType(const QString &type);

    /// The owning item (inverse of PasteboardItem::types()); nullptr for a main
    /// representation kept apart from the item's types, or one not attached yet.
    PasteboardItem *item() const;
    /// Moves the representation to `item`'s types (nullptr: detaches it).
    void setItem(PasteboardItem *item);

    /// A new representation with a copy of the type and data and no item, in `context`
    /// (nullptr: the default context); the caller attaches it.
    PasteboardType *clone(HBObjectContext *context = nullptr) const;

protected:
    QVariant primitiveValue(int field) const override;
    void setPrimitiveValue(int field, const QVariant &value) override;
    HBManagedObject *relatedObjectForField(int field) const override;
    HBManagedObject *owner() const override;

private:
    friend class HBObjectContext;
    explicit PasteboardType(HBObjectContext *context);

    QByteArray m_data;
    QString m_type;
    mutable HBItemLink m_item;
};
