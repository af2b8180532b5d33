// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PasteboardItem.h"

#include <QVariant>

/// The to-one link from a representation or file record to its item. A record read from
/// the store holds only the item's row id; the item object is looked up on first use.
class HBItemLink
{
public:
    /// The item; `resolve` turns the pending row id into the object (nullptr for none).
    template <class Resolve> PasteboardItem *get(Resolve resolve)
    {
        if (!m_resolved) {
            m_item = resolve(m_rowId);
            m_resolved = true;
            m_rowId = 0;
        }
        return m_item;
    }

    /// Links an item object (nullptr: none).
    void set(PasteboardItem *item)
    {
        m_item = item;
        m_resolved = true;
        m_rowId = 0;
    }

    /// The item's row id as the store keeps it; null for no item.
    QVariant storedValue() const
    {
        if (!m_resolved)
            return QVariant::fromValue<qint64>(m_rowId);
        return m_item ? QVariant::fromValue<qint64>(m_item->objectID().rowId) : QVariant();
    }

    /// Takes the row id read from the store; the object is looked up later.
    void setStoredValue(const QVariant &value)
    {
        m_item = nullptr;
        m_rowId = value.isNull() ? 0 : value.toLongLong();
        m_resolved = m_rowId == 0;
    }

    /// The item object when it is already known, without a lookup.
    PasteboardItem *inMemory() const { return m_resolved ? m_item : nullptr; }

private:
    PasteboardItem *m_item = nullptr;
    qint64 m_rowId = 0;
    bool m_resolved = true;
};
