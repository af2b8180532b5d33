// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBManagedObject.h"

#include "HBObjectContext.h"

HBManagedObject::HBManagedObject(HBEntity entity, HBObjectContext *context)
    : m_context(context)
    , m_entity(entity)
{ }

HBManagedObject::~HBManagedObject() = default;

void HBManagedObject::willChangeField(int field)
{
    if (m_context)
        m_context->markChanged(this, field);
}

HBManagedObject *HBManagedObject::relatedObject(HBEntity entity, qint64 rowId) const
{
    if (!m_context || rowId == 0)
        return nullptr;
    return m_context->objectWithID({entity, rowId});
}
