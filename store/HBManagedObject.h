// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBObjectID.h"

#include <QObject>
#include <QVariant>

class HBObjectContext;

/// Base of the stored entities. An object belongs to one context, which owns it and keeps
/// exactly one object per stored row. The pointer stays valid until the object is deleted
/// and that deletion saved (or the context goes away); the object is then destroyed on the
/// next turn of its thread's event loop.
///
/// Setters mark the changed fields; the context writes only those, so two contexts that
/// change different attributes of one row do not overwrite each other.
class HBManagedObject : public QObject
{
    Q_OBJECT

public:
    ~HBManagedObject() override;

    HBEntity entity() const { return m_entity; }
    /// Temporary until the object's first save.
    HBObjectID objectID() const { return {m_entity, m_rowId}; }
    /// The owning context; nullptr once the object's deletion is saved.
    HBObjectContext *managedObjectContext() const { return m_context; }

    /// Created in its context and not saved yet.
    bool isInserted() const { return m_inserted; }
    /// Marked for deletion (or removed from the store by another context's save).
    bool isDeleted() const { return m_deleted; }
    /// Has changes its context has not saved.
    bool hasChanges() const { return m_inserted || m_deleted || m_changedFields != 0; }

protected:
    HBManagedObject(HBEntity entity, HBObjectContext *context);

    /// Records that `field` is about to change, so that the next save writes it.
    void willChangeField(int field);
    /// Resolves a to-one relationship held as a row id, through the owning context.
    HBManagedObject *relatedObject(HBEntity entity, qint64 rowId) const;
    /// The stored children of this object in a to-many relationship (the rows whose owner
    /// column names it), as objects of the owning context.
    QList<HBManagedObject *> fetchChildren(HBEntity childEntity) const;

    /// Called once the object has been read from the store into its context.
    virtual void awakeFromFetch() { }
    /// Called once the object has been created in its context.
    virtual void awakeFromInsert() { }
    /// Called when the object is marked for deletion, before its relationships are cut.
    virtual void prepareForDeletion() { }

    /// The stored value of an attribute field; for a relationship field, the related row id
    /// (or null). The store calls these with the field numbers of HBEntityDescription.
    virtual QVariant primitiveValue(int field) const = 0;
    /// Sets a field from the store without marking it changed.
    virtual void setPrimitiveValue(int field, const QVariant &value) = 0;
    /// For a relationship field: the related object when it is in memory (the store asks it
    /// for its id when saving, since a new object's id is known only then).
    virtual HBManagedObject *relatedObjectForField(int field) const = 0;
    /// The owning object (item) of a representation or file record; nullptr for items.
    virtual HBManagedObject *owner() const { return nullptr; }
    /// Bookkeeping of to-many relationships: add a child to the list when the list is in
    /// memory (and the child not yet in it), or take it out.
    virtual void childAdded(HBManagedObject *) { }
    virtual void childRemoved(HBManagedObject *) { }
    /// Clears every to-one link to an object that leaves the context, without marking a
    /// change; returns the mask of the fields that pointed at it.
    virtual quint32 relatedObjectWillVanish(HBManagedObject *) { return 0; }
    /// The children to delete with this object (cascade).
    virtual QList<HBManagedObject *> cascadeTargets() { return {}; }

private:
    friend class HBObjectContext;

    HBObjectContext *m_context;
    qint64 m_rowId = 0;
    quint32 m_changedFields = 0;
    HBEntity m_entity;
    bool m_inserted = false;
    bool m_deleted = false;
};
